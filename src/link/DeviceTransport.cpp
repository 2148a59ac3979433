#include "link/DeviceTransport.h"

#include "link/Framing.h"
#include "link/LinkErrors.h"

#include <QFile>
#include <QSerialPort>
#include <QTcpSocket>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#endif

namespace quvane {

DeviceTransport::DeviceTransport(std::unique_ptr<QIODevice> device) : m_device(std::move(device)) {}

DeviceTransport::~DeviceTransport() = default;

void DeviceTransport::close()
{
    if (m_device->isOpen())
        m_device->close();
    m_lines.reset();
}

QString DeviceTransport::deviceErrorText() const
{
    return m_device->errorString();
}

QByteArray DeviceTransport::exchange(const QByteArray &command, int timeoutMs)
{
    if (!m_device->isOpen())
        throw linkLostError(command, QStringLiteral("the port is closed"));
    QElapsedTimer clock;
    clock.start();
    // Whatever is waiting answers an earlier command.
    m_lines.reset();
    m_device->readAll();
    const int sequence = m_sequence;
    m_sequence = (m_sequence + 1) & 0xF;
    send(Framing::frame(command, sequence), command, timeoutMs);
    for (;;) {
        receive(command, timeoutMs, clock);
        // Any damage to the frame is noise on the line: sending again may well succeed.
        if (m_lines.tooLong())
            throw QuvaneError::lineError(
                QStringLiteral("Malformed packet: the reply to %1 is longer than %2 characters")
                    .arg(commandForMessage(command))
                    .arg(MaxPacketLength));
        QByteArray packet;
        int echoed = 0;
        const Framing::Check check = Framing::unframe(m_lines.line(), packet, echoed);
        if (check != Framing::Check::Good)
            throw QuvaneError::lineError(
                QStringLiteral("Malformed packet: the reply to %1 %2")
                    .arg(commandForMessage(command), QLatin1String(Framing::describe(check))));
        // A late reply to an earlier command: not this one's, so wait on.
        if (echoed == sequence)
            return packet;
    }
}

void DeviceTransport::send(const QByteArray &line, const QByteArray &command, int timeoutMs)
{
    QByteArray bytes = line;
    bytes.append('\r');
    if (m_device->write(bytes) != bytes.size())
        throw linkLostError(command, deviceErrorText());
    while (m_device->bytesToWrite() > 0) {
        if (!m_device->waitForBytesWritten(timeoutMs)) {
            if (deviceLost())
                throw linkLostError(command, deviceErrorText());
            throw timeoutError(command, timeoutMs);
        }
    }
}

void DeviceTransport::receive(const QByteArray &command, int timeoutMs, const QElapsedTimer &clock)
{
    for (;;) {
        // Bytes after a line's CR stay in the device for the next call.
        while (m_device->bytesAvailable() > 0) {
            char c = 0;
            if (!m_device->getChar(&c))
                break;
            if (m_lines.push(c))
                return;
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

QString SerialTransport::accessDeniedText(const QString &portName)
{
    QString group;
#ifdef Q_OS_UNIX
    // The group that owns the device node, when its members may open it (dialout, uucp, ...)
    // and it is a group a user joins: not root's own.
    struct stat node;
    const QString path =
        portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    if (::stat(QFile::encodeName(path).constData(), &node) == 0 && node.st_gid != 0 &&
        (node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        if (const struct group *owner = ::getgrgid(node.st_gid))
            group = QString::fromLocal8Bit(owner->gr_name);
    }
#endif
    if (group.isEmpty())
        return QStringLiteral("you may not open the serial port %1, and no group gives access "
                              "to it; ask the administrator for access to it")
            .arg(portName);
    return QStringLiteral("you may not open the serial port %1: add your user to the group "
                          "\"%2\" that owns it (sudo usermod -aG %2 $USER), then log out and "
                          "in again")
        .arg(portName, group);
}

bool SerialTransport::open(QString &errorText)
{
    auto &port = static_cast<QSerialPort &>(device());
    port.setPortName(m_portName);
    if (!port.open(QIODevice::ReadWrite)) {
        m_accessDenied = port.error() == QSerialPort::PermissionError;
        errorText = m_accessDenied ? accessDeniedText(m_portName) : port.errorString();
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

QString SerialTransport::deviceErrorText() const
{
    // A port that went away (an unplugged cable, a hung-up pseudo-terminal) reports whatever
    // the last system call said, often "Inappropriate ioctl for device": say what happened.
    if (deviceLost())
        return QStringLiteral("the port %1 hung up or was unplugged").arg(m_portName);
    return DeviceTransport::deviceErrorText();
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
