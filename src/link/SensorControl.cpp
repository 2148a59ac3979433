#include "link/SensorControl.h"

#include "link/DeviceTransport.h"
#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/Transports.h"

#include <QSerialPortInfo>

using namespace quvane;

namespace {

bool isPrintable(const QByteArray &text)
{
    for (char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace

SensorControl::SensorControl() = default;

SensorControl::~SensorControl()
{
    Disconnect();
}

void SensorControl::Connect(const LinkOptions &options)
{
    Disconnect();
    m_connectionError.clear();
    m_accessProblem.clear();
    if (ConnectOption != ConnectByOptions) {
        m_connectionError = QStringLiteral("connect option %1 is not supported").arg(ConnectOption);
        return;
    }
    m_trace = ProtocolTrace::open(options.tracePath);
    if (!options.port.isEmpty()) {
        identify(makeTransport(options.port, options), m_timeoutMs);
        return;
    }
    // Every port is tried; the error names each one and what it answered.
    const auto ports = QSerialPortInfo::availablePorts();
    QStringList tried;
    for (const QSerialPortInfo &info : ports) {
        if (identify(std::make_unique<SerialTransport>(info.systemLocation()), ProbeTimeoutMs))
            return;
        tried << m_connectionError;
    }
    m_connectionError =
        (ports.isEmpty() ? QStringLiteral("no serial ports found")
                         : QStringLiteral("tried %1").arg(tried.join(QStringLiteral("; ")))) +
        QStringLiteral(". QUVANE_PORT names the port to use (a serial device, tcp://HOST:PORT or "
                       "sim)");
}

bool SensorControl::identify(std::unique_ptr<Transport> transport, int timeoutMs)
{
    QString error;
    if (!transport->open(error)) {
        m_connectionError = QStringLiteral("%1: %2").arg(transport->name(), error);
        if (transport->accessDenied())
            m_accessProblem = error;
        return false;
    }
    const QByteArray command("I");
    try {
        const QByteArray reply = checkedReply(command, transport->exchange(command, timeoutMs));
        PacketBuffer packet;
        packet.SetReply(reply);
        readReply(command, [&] {
            m_instrumentName = packet.GetString();
            m_firmwareVersion = packet.GetString();
            m_serialNumber = packet.GetString();
            m_flavor = packet.GetByte();
            expectEnd(packet, command);
        });
    } catch (const QuvaneError &e) {
        m_trace.recordFailure(command, e);
        m_connectionError = QStringLiteral("%1: %2").arg(transport->name(), e.description());
        transport->close();
        return false;
    }
    m_transport = std::move(transport);
    return true;
}

void SensorControl::Disconnect()
{
    if (m_transport) {
        m_transport->close();
        m_transport.reset();
    }
}

QString SensorControl::portName() const
{
    return m_transport ? m_transport->name() : QString();
}

bool SensorControl::FirmwareSupported() const
{
    if (!IsConnected())
        return false;
    const QString version = m_firmwareVersion.trimmed();
    int digits = 0;
    while (digits < version.size() && version.at(digits).isDigit())
        ++digits;
    return digits > 0 && version.left(digits).toInt() >= 2;
}

SensorControl::Hold::Hold(SensorControl &sensor) : m_sensor(sensor)
{
    m_sensor.m_held = true;
}

SensorControl::Hold::~Hold()
{
    m_sensor.m_held = false;
}

QByteArray SensorControl::checkedReply(const QByteArray &command, const QByteArray &reply)
{
    if (reply.size() > MaxPacketLength) {
        m_trace.record(command, "(too long)");
        throw overlongReplyError(command);
    }
    if (!isPrintable(reply)) {
        m_trace.record(command, "(not printable)");
        throw malformedReplyError(command,
                                  QStringLiteral("holds a character that is not printable ASCII"));
    }
    m_trace.record(command, reply);
    return reply;
}

QByteArray SensorControl::SendCommand(const QByteArray &command)
{
    if (m_held)
        throw QuvaneError(ErrorNumber::LinkBusy,
                          QStringLiteral("Link busy: %1 was not sent, because a transfer holds "
                                         "the link")
                              .arg(commandForMessage(command)));
    return exchange(command);
}

QByteArray SensorControl::exchange(const QByteArray &command)
{
    if (m_exchanging)
        throw QuvaneError(ErrorNumber::LinkBusy,
                          QStringLiteral("Link busy: %1 was not sent, because another exchange "
                                         "is in progress")
                              .arg(commandForMessage(command)));
    if (command.size() > MaxPacketLength || !isPrintable(command))
        throw QuvaneError(ErrorNumber::MalformedPacket,
                          QStringLiteral("Malformed packet: the command %1 is not one line of at "
                                         "most %2 printable characters")
                              .arg(commandForMessage(command))
                              .arg(MaxPacketLength));
    if (!m_transport)
        throw linkLostError(command, QStringLiteral("no instrument is connected"));
    QByteArray reply;
    m_exchanging = true;
    try {
        reply = m_transport->exchange(command, m_timeoutMs);
    } catch (const QuvaneError &e) {
        m_exchanging = false;
        m_trace.recordFailure(command, e);
        throw;
    }
    m_exchanging = false;
    checkedReply(command, reply);
    if (reply.startsWith('!')) {
        PacketBuffer packet;
        packet.SetReply(reply.mid(1));
        m_lastError = packet.GetInteger();
        throw refusedError(command, m_lastError);
    }
    return reply;
}

void SensorControl::readStandardization(const char *command)
{
    const QByteArray sent(command);
    PacketBuffer packet;
    packet.SetReply(SendCommand(sent));
    readReply(sent, [&] {
        m_lastError = packet.GetInteger();
        expectEnd(packet, sent);
    });
}

void SensorControl::ReadBlack()
{
    readStandardization("B");
}

void SensorControl::ReadWhite()
{
    readStandardization("W");
}
