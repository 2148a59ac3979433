#include "cli/TerminalProgress.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace quvane {

namespace {
volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void onStop(int number)
{
    if (g_stopSignal == 0)
        g_stopSignal = number;
}

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};
} // namespace

TerminalProgress::TerminalProgress(bool watchInterrupt, bool eraseLine)
    : m_terminal(::isatty(STDERR_FILENO) == 1), m_eraseLine(eraseLine)
{
    if (watchInterrupt) {
        g_stopSignal = 0;
        // Ctrl-C, SIGTERM (a logout, kill) and SIGHUP (the terminal closed) ask the transfer to
        // stop; the handler then gives way, so that a second one ends the program at once (when
        // a read or the instrument never returns). A signal the parent set to be ignored (a
        // background job's Ctrl-C) stays ignored.
        struct sigaction action = {}, before = {};
        action.sa_handler = onStop;
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (int number : StopSignals) {
            if (sigaction(number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
                sigaction(number, &action, nullptr);
                m_watched.push_back(number);
            }
        }
    }
}

TerminalProgress::~TerminalProgress()
{
    for (int number : m_watched)
        std::signal(number, SIG_DFL);
}

bool TerminalProgress::cancelRequested() const
{
    return g_stopSignal != 0;
}

int TerminalProgress::stopSignal() const
{
    return g_stopSignal;
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
    const QByteArray line = m_caption.toLocal8Bit() + bar + ' ' + m_message.toLocal8Bit();
    // What the line held beyond the new one is erased, or blanked where the terminal cannot.
    const QByteArray rest = m_eraseLine
                                ? QByteArray("\033[K")
                                : QByteArray(std::max<qsizetype>(0, m_drawn - line.size()), ' ');
    m_drawn = int(line.size());
    std::fprintf(stderr, "\r%s%s", line.constData(), rest.constData());
    std::fflush(stderr);
}

} // namespace quvane
