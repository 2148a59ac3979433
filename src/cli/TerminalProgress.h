#pragma once

#include "transfer/TransferProgress.h"

#include <vector>

namespace quvane {

// Progress of a transfer as a bar on standard error when it is a terminal (silent otherwise).
// Ctrl-C, SIGTERM and SIGHUP, while watched, ask the transfer to stop after the item in hand.
class TerminalProgress : public TransferProgress
{
public:
    // eraseLine: the terminal takes the erase-to-end-of-line sequence (not TERM=dumb).
    TerminalProgress(bool watchInterrupt, bool eraseLine);
    ~TerminalProgress() override;

    void start(const QString &caption, int maximum) override;
    void setMessage(const QString &text) override;
    void setValue(int value) override;
    void yield() override {}
    bool cancelRequested() const override;
    // The signal that asked the transfer to stop (SIGINT, SIGTERM or SIGHUP), 0 for none.
    int stopSignal() const;
    void finish() override;

private:
    void draw();

    bool m_terminal;
    bool m_eraseLine;
    int m_drawn = 0;            // the length of the line drawn last, to blank without erasing
    std::vector<int> m_watched; // the signals caught
    bool m_running = false;
    QString m_caption;
    QString m_message;
    int m_maximum = 0;
    int m_value = 0;
};

} // namespace quvane
