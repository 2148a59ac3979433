#pragma once

#include "PacketHandler.h"
#include "ProtocolTrace.h"
#include "Transport.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// The instrument's control: owns the link and carries every exchange with the instrument.
//
// With ConnectOption 5, Connect() opens the link that QUVANE_PORT names: "sim" (an instrument in
// this process), "tcp://HOST:PORT", or a serial device. Without QUVANE_PORT every serial port is
// probed with the identify command and the first that answers is taken.
class SensorControl
{
public:
    using InstrumentFactory = std::function<std::shared_ptr<PacketHandler>()>;

    static constexpr int DefaultTimeoutMs = 3000;
    static constexpr int ProbeTimeoutMs = 300;

    SensorControl();
    ~SensorControl();
    SensorControl(const SensorControl &) = delete;
    SensorControl &operator=(const SensorControl &) = delete;

    // The instrument that QUVANE_PORT=sim connects to; set once by the program.
    static void setInProcessInstrument(InstrumentFactory factory);

    qint16 ConnectOption = 0;

    void Connect();
    bool IsConnected() const { return m_transport != nullptr; }
    void Disconnect();
    QByteArray SendCommand(const QByteArray &command);
    void ReadBlack();
    void ReadWhite();

    bool FirmwareSupported() const;
    qint32 LastError() const { return m_lastError; }
    qint16 Flavor() const { return m_flavor; }
    QString InstrumentName() const { return m_instrumentName; }
    QString FirmwareVersion() const { return m_firmwareVersion; }
    QString SerialNumber() const { return m_serialNumber; }

    // Opens the named link directly ("sim", "tcp://HOST:PORT" or a serial device).
    void connectTo(const QString &port);
    // Why the last Connect found no instrument, for diagnostics.
    QString connectionError() const { return m_connectionError; }
    QString portName() const;
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

private:
    bool identify(std::unique_ptr<Transport> transport, int timeoutMs);
    void readStandardization(const char *command);

    std::unique_ptr<Transport> m_transport;
    ProtocolTrace m_trace;
    int m_timeoutMs = DefaultTimeoutMs;
    qint32 m_lastError = 0;
    qint16 m_flavor = 0;
    QString m_instrumentName;
    QString m_firmwareVersion;
    QString m_serialNumber;
    QString m_connectionError;
};
