#include "SimServer.h"

#include "SimInstrument.h"

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

SimServer::SimServer(SimInstrument &instrument, QObject *parent)
    : QObject(parent), m_instrument(instrument)
{}

SimServer::~SimServer()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool SimServer::listenTcp(const QHostAddress &address, quint16 port, QString &error)
{
    m_server = new QTcpServer(this);
    if (!m_server->listen(address, port)) {
        error = m_server->errorString();
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &SimServer::acceptClient);
    return true;
}

quint16 SimServer::tcpPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

void SimServer::acceptClient()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_client)
            m_client->abort();
        m_client = socket;
        m_line.clear();
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &SimServer::readSocket);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void SimServer::readSocket()
{
    if (m_client)
        consume(m_client->readAll(), false);
}

bool SimServer::openPty(QString &devicePath, QString &error)
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
    m_ptyNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_ptyNotifier, &QSocketNotifier::activated, this, &SimServer::readPty);
    return true;
}

void SimServer::readPty()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0)
        consume(QByteArray(buffer, static_cast<int>(n)), true);
}

void SimServer::consume(const QByteArray &bytes, bool fromPty)
{
    for (char c : bytes) {
        if (c == '\n')
            continue;
        if (c != '\r') {
            m_line.append(c);
            continue;
        }
        const QByteArray command = m_line;
        m_line.clear();
        const HandlerResult result = m_instrument.handle(command);
        switch (result.kind) {
        case HandlerResult::Kind::Silent:
            break;
        case HandlerResult::Kind::Drop:
            dropLink(fromPty);
            return;
        case HandlerResult::Kind::Reply:
            if (result.delayMs > 0)
                QThread::msleep(static_cast<unsigned long>(result.delayMs));
            writeReply(result.reply + '\r', fromPty);
            break;
        }
    }
}

void SimServer::writeReply(const QByteArray &bytes, bool toPty)
{
    if (!toPty) {
        if (m_client)
            m_client->write(bytes);
        return;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
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

void SimServer::dropLink(bool pty)
{
    m_line.clear();
    if (!pty) {
        if (m_client)
            m_client->abort();
        return;
    }
    // A pseudo-terminal cannot be unplugged and plugged back: hang up for good.
    delete m_ptyNotifier;
    m_ptyNotifier = nullptr;
    ::close(m_slave);
    ::close(m_master);
    m_slave = m_master = -1;
    emit hungUp();
}
