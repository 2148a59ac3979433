#pragma once

#include <QObject>

class QSocketNotifier;

namespace quvane {

// SIGINT (Ctrl-C in the terminal the program was started from) and SIGTERM (a logout, kill)
// arrive as a Qt signal in the event loop, where the program can close as its window's close
// button does. The handlers only write to a pipe. After the first SIGINT the default action is
// back, so that a second Ctrl-C ends the program at once.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // The signal that arrived first, 0 when none did.
    int received() const { return m_received; }

signals:
    void stopRequested();

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
    int m_received = 0;
};

} // namespace quvane
