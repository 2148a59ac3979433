#pragma once

#include <QString>

namespace quvane {

// Where a bulk transfer shows how far it has come and learns whether to stop: the progress
// window in the utility, a progress bar on a terminal in the command-line tool.
class TransferProgress
{
public:
    virtual ~TransferProgress() = default;

    // Shows the progress with its caption and the bar at 0 of maximum (no bar when maximum is
    // 0), and clears the cancel request.
    virtual void start(const QString &caption, int maximum) = 0;
    virtual void setMessage(const QString &text) = 0;
    virtual void setValue(int value) = 0;
    // Lets the user interface react once (repaint, Cancel).
    virtual void yield() = 0;
    virtual bool cancelRequested() const = 0;
    // Closes the progress display.
    virtual void finish() = 0;
};

// A progress that shows nothing and never asks to stop: for transfers run where nobody
// watches (a conversion in the command-line tool, tests, benchmarks).
class SilentProgress : public TransferProgress
{
public:
    void start(const QString &, int) override {}
    void setMessage(const QString &) override {}
    void setValue(int) override {}
    void yield() override {}
    bool cancelRequested() const override { return false; }
    void finish() override {}
};

} // namespace quvane
