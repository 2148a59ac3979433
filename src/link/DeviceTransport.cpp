#include "link/DeviceTransport.h"

#include "link/LinkErrors.h"

#include <QSerialPort>
#include <QTcpSocket>

namespace quvane {

DeviceTransport::DeviceTransport(std::unique_ptr<QIODevice> device) : m_device(std::move(device)) {}

DeviceTransport::~DeviceTransport() = default;

void DeviceTransport::close()
{
    if (m_device->isOpen())
        m_device->close();
    m_pending.clear();
    m_awaitingLateReply = false;
}

QString DeviceTransport::deviceErrorText() const
{
    return m_device->errorString();
}

QByteArray DeviceTransport::exchange(const QByteArray &command, int timeoutMs)
{
    if (!m_device->isOpen())
        throw linkLostError(command, QStringLiteral("the port is closed"));
    // A reply that came too late for an earlier command must not be taken for this one: after
    // a timeout, give the late reply one more timeout to arrive and throw it away; then drop
    // whatever else is waiting.
    if (m_awaitingLateReply) {
        m_awaitingLateReply = false;
        QElapsedTimer clock;
        clock.start();
        try {
            receive(command, timeoutMs, clock);
        } catch (const QuvaneError &error) {
            if (!error.isTimeout())
                throw;
        }
    }
    m_pending.clear();
    m_device->readAll();
    QElapsedTimer clock;
    clock.start();
    send(command, timeoutMs);
    try {
        return receive(command, timeoutMs, clock);
    } catch (const QuvaneError &error) {
        if (error.isTimeout())
            m_awaitingLateReply = true;
        throw;
    }
}

void DeviceTransport::send(const QByteArray &command, int timeoutMs)
{
    QByteArray line = command;
    line.append('\r');
    if (m_device->write(line) != line.size())
        throw linkLostError(command, deviceErrorText());
    while (m_device->bytesToWrite() > 0) {
        if (!m_device->waitForBytesWritten(timeoutMs)) {
            if (deviceLost())
                throw linkLostError(command, deviceErrorText());
            throw timeoutError(command, timeoutMs);
        }
    }
}

QByteArray DeviceTransport::receive(const QByteArray &command, int timeoutMs,
                                    const QElapsedTimer &clock)
{
    for (;;) {
        const QByteArray chunk = m_device->readAll();
        for (char c : chunk) {
            if (c == '\r') {
                QByteArray reply;
                reply.swap(m_pending);
                return reply;
            }
            if (c != '\n')
                m_pending.append(c);
        }
        if (m_pending.size() > MaxPacketLength) {
            m_pending.clear();
            throw overlongReplyError(command);
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || !m_device->waitForReadyRead(static_cast<int>(left))) {
            if (deviceLost())
                throw linkLostError(command, deviceErrorText());
            if (m_device->bytesAvailable() > 0)
                continue;
            if (timeoutMs - clock.elapsed() > 0)
                continue; // woken without data (signal, spurious wake-up): wait out the rest
            throw timeoutError(command, timeoutMs);
        }
    }
}

TcpTransport::TcpTransport(QString host, quint16 port)
    : DeviceTransport(std::make_unique<QTcpSocket>()), m_host(std::move(host)), m_port(port)
{}

bool TcpTransport::open(QString &errorText)
{
    auto &socket = static_cast<QTcpSocket &>(device());
    socket.connectToHost(m_host, m_port);
    if (!socket.waitForConnected(3000)) {
        errorText = socket.errorString();
        return false;
    }
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

QString TcpTransport::name() const
{
    return QStringLiteral("tcp://%1:%2").arg(m_host).arg(m_port);
}

bool TcpTransport::deviceLost() const
{
    const auto &socket = static_cast<const QTcpSocket &>(device());
    return socket.state() != QAbstractSocket::ConnectedState;
}

SerialTransport::SerialTransport(QString portName)
    : DeviceTransport(std::make_unique<QSerialPort>()), m_portName(std::move(portName))
{}

bool SerialTransport::open(QString &errorText)
{
    auto &port = static_cast<QSerialPort &>(device());
    port.setPortName(m_portName);
    if (!port.open(QIODevice::ReadWrite)) {
        errorText = port.errorString();
        return false;
    }
    port.setBaudRate(QSerialPort::Baud115200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.clear();
    return true;
}

bool SerialTransport::deviceLost() const
{
    const auto &port = static_cast<const QSerialPort &>(device());
    const auto error = port.error();
    return !port.isOpen() || error == QSerialPort::ResourceError ||
           error == QSerialPort::PermissionError || error == QSerialPort::WriteError ||
           error == QSerialPort::ReadError;
}

} // namespace quvane
