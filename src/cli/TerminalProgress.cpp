#include "cli/TerminalProgress.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace quvane {

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}
} // namespace

TerminalProgress::TerminalProgress(bool watchInterrupt)
    : m_terminal(::isatty(STDERR_FILENO) == 1), m_watchInterrupt(watchInterrupt)
{
    if (m_watchInterrupt) {
        g_interrupted = 0;
        // The first Ctrl-C asks the transfer to stop; the handler then gives way, so that a
        // second one ends the program at once (when a read or the instrument never returns).
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
    }
}

TerminalProgress::~TerminalProgress()
{
    if (m_watchInterrupt)
        std::signal(SIGINT, SIG_DFL);
}

bool TerminalProgress::cancelRequested() const
{
    return g_interrupted != 0;
}

void TerminalProgress::start(const QString &caption, int maximum)
{
    m_caption = caption;
    m_maximum = maximum;
    m_value = 0;
    m_message.clear();
    m_running = true;
    draw();
}

void TerminalProgress::setMessage(const QString &text)
{
    m_message = text;
    draw();
}

void TerminalProgress::setValue(int value)
{
    m_value = value;
    draw();
}

void TerminalProgress::finish()
{
    if (m_running && m_terminal)
        std::fputs("\n", stderr);
    m_running = false;
}

void TerminalProgress::draw()
{
    if (!m_terminal || !m_running)
        return;
    constexpr int width = 30;
    QByteArray bar;
    if (m_maximum > 0) {
        const int filled = static_cast<int>(static_cast<qint64>(width) * m_value / m_maximum);
        bar = " [" + QByteArray(filled, '#') + QByteArray(width - filled, '.') + "]";
    }
    std::fprintf(stderr, "\r%s%s %s\033[K", qPrintable(m_caption), bar.constData(),
                 qPrintable(m_message));
    std::fflush(stderr);
}

} // namespace quvane
