#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace quvane {

// SIGINT (Ctrl-C in the terminal the program was started from) and SIGTERM (a logout, kill)
// arrive as a Qt signal in the event loop, where the program can close as its window's close
// button does. The handlers only write to a pipe. After the first SIGINT the default action is
// back, so that a second Ctrl-C ends the program at once. A signal the parent set to be ignored
// stays ignored.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // The signal that arrived first, 0 when none did.
    int received() const { return m_received; }
    // At a stop: closes the open dialogs, innermost first and each from the event loop once
    // the code that opened the one before has returned, as Escape would; then the window. A
    // dialog that will not close (a message box without a cancel button) is left to its user.
    void closeOnStop(QWidget &window);

signals:
    void stopRequested();

private:
    void readSignal();
    void closeNext();

    QSocketNotifier *m_notifier = nullptr;
    int m_received = 0;
    bool m_caughtInt = false, m_caughtTerm = false;
    QWidget *m_window = nullptr;
};

} // namespace quvane
