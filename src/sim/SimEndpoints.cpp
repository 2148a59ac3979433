#include "sim/SimEndpoints.h"

#include "link/Framing.h"
#include "link/Transport.h"
#include "sim/SimInstrument.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quvane {

namespace {

// A framed reply line as noise on the line leaves it, CR included.
QByteArray noisy(QByteArray line, LineNoise noise)
{
    switch (noise) {
    case LineNoise::None:
        break;
    case LineNoise::Checksum:
        line[0] = line[0] == 'G' ? 'H' : 'G';
        break;
    case LineNoise::EmptyLine:
        line.prepend('\r');
        break;
    case LineNoise::Short:
        line.truncate(2);
        break;
    case LineNoise::LeadingNul:
        line.prepend(QByteArray(2, '\0'));
        break;
    case LineNoise::Overlong:
        line = QByteArray(Framing::LineSplitter::Longest + 1, '0');
        break;
    case LineNoise::BadSequence:
        line[line.size() - 5] = 'x';
        break;
    }
    return line + '\r';
}

} // namespace

SimEndpoint::SimEndpoint(SimInstrument &instrument, QObject *parent)
    : QObject(parent), m_instrument(instrument)
{}

void SimEndpoint::consume(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (!m_lines.push(c))
            continue;
        // A reply held back goes out once the host has given up on it and sent again.
        if (!m_held.isEmpty())
            writeBytes(std::exchange(m_held, QByteArray()));
        QByteArray command;
        int sequence = 0;
        const Framing::Check check = Framing::unframe(m_lines.line(), command, sequence);
        if (check != Framing::Check::Good && check != Framing::Check::BadChecksum)
            sequence = 0;
        if (m_lines.tooLong()) {
            writeBytes(Framing::frame(SimInstrument::refusal(SimRefusal::TooLong), sequence) +
                       '\r');
            continue;
        }
        if (check != Framing::Check::Good) {
            writeBytes(Framing::frame(SimInstrument::refusal(SimRefusal::BadChecksum), sequence) +
                       '\r');
            continue;
        }
        const HandlerResult result = m_instrument.handle(command);
        switch (result.kind) {
        case HandlerResult::Kind::Silent:
            break;
        case HandlerResult::Kind::Drop:
            dropLink();
            return;
        case HandlerResult::Kind::Reply:
            // The instrument is busy until its reply is out: later commands wait their turn.
            if (result.delayMs > 0)
                QThread::msleep(static_cast<unsigned long>(result.delayMs));
            if (result.held)
                m_held = noisy(Framing::frame(result.reply, sequence), result.noise);
            else
                writeBytes(noisy(Framing::frame(result.reply, sequence), result.noise));
            break;
        }
    }
}

SimTcpEndpoint::SimTcpEndpoint(SimInstrument &instrument, QObject *parent)
    : SimEndpoint(instrument, parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SimTcpEndpoint::acceptClient);
}

bool SimTcpEndpoint::listen(const QHostAddress &address, quint16 port, QString &error)
{
    if (m_server->listen(address, port))
        return true;
    error = m_server->errorString();
    return false;
}

quint16 SimTcpEndpoint::port() const
{
    return m_server->serverPort();
}

void SimTcpEndpoint::acceptClient()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_client)
            m_client->abort();
        m_client = socket;
        resetLine();
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket == m_client)
                consume(socket->readAll());
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void SimTcpEndpoint::writeBytes(const QByteArray &bytes)
{
    if (m_client)
        m_client->write(bytes);
}

void SimTcpEndpoint::dropLink()
{
    resetLine();
    if (m_client)
        m_client->abort();
}

SimPtyEndpoint::SimPtyEndpoint(SimInstrument &instrument, QObject *parent)
    : SimEndpoint(instrument, parent)
{}

SimPtyEndpoint::~SimPtyEndpoint()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool SimPtyEndpoint::open(QString &devicePath, QString &error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    devicePath = QString::fromLocal8Bit(::ptsname(m_master));
    // Keeping the slave side open ourselves means a client closing it does not hang up the
    // master, so the next client can open the same device.
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimPtyEndpoint::readAvailable);
    return true;
}

void SimPtyEndpoint::readAvailable()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0)
        consume(QByteArray(buffer, static_cast<int>(n)));
}

void SimPtyEndpoint::writeBytes(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n =
            ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return;
        }
        done += n;
    }
}

void SimPtyEndpoint::dropLink()
{
    resetLine();
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_slave);
    ::close(m_master);
    m_slave = m_master = -1;
    emit hungUp();
}

} // namespace quvane
