#include "app/StopSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quvane {

namespace {
int g_pipe[2] = {-1, -1};

extern "C" void onStopSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    (void)!::write(g_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    // A signal the parent set to be ignored (Ctrl-C of a background job) stays ignored.
    const auto ignored = [](int number) {
        struct sigaction before = {};
        return sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN;
    };
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    m_caughtTerm = !ignored(SIGTERM) && sigaction(SIGTERM, &action, nullptr) == 0;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    m_caughtInt = !ignored(SIGINT) && sigaction(SIGINT, &action, nullptr) == 0;
}

StopSignals::~StopSignals()
{
    if (g_pipe[0] < 0)
        return;
    if (m_caughtInt)
        std::signal(SIGINT, SIG_DFL);
    if (m_caughtTerm)
        std::signal(SIGTERM, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignals::closeOnStop(QWidget &window)
{
    m_window = &window;
    connect(this, &StopSignals::stopRequested, this, &StopSignals::closeNext);
}

void StopSignals::closeNext()
{
    if (QWidget *modal = QApplication::activeModalWidget()) {
        if (modal->close())
            QTimer::singleShot(0, this, &StopSignals::closeNext);
        return;
    }
    if (m_window)
        m_window->close();
}

void StopSignals::readSignal()
{
    char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        if (m_received == 0)
            m_received = static_cast<unsigned char>(byte);
    }
    emit stopRequested();
}

} // namespace quvane
