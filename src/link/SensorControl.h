#pragma once

#include "link/LinkOptions.h"
#include "link/ProtocolTrace.h"
#include "link/Transport.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The instrument's control: owns the link and carries every exchange with the instrument.
//
// With ConnectOption ConnectByOptions, Connect() opens the link its options name ("sim",
// "tcp://HOST:PORT" or a serial device); with no port named, every serial port is probed with the
// identify command and the first that answers is taken.
//
// Exchanges never overlap: SendCommand refuses to start while another is in progress (an
// exchange entered again through the event loop) and while a Hold gives the link to a bulk
// transfer, with ErrorNumber::LinkBusy.
class SensorControl
{
public:
    static constexpr int DefaultTimeoutMs = 3000;
    static constexpr int ProbeTimeoutMs = 300;

    SensorControl();
    ~SensorControl();
    SensorControl(const SensorControl &) = delete;
    SensorControl &operator=(const SensorControl &) = delete;

    // The connect option that opens the link the options name: the one this control supports.
    static constexpr qint16 ConnectByOptions = 5;
    qint16 ConnectOption = 0;

    void Connect(const quvane::LinkOptions &options = {});
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

    // Why the last Connect found no instrument, for diagnostics.
    QString connectionError() const { return m_connectionError; }
    // When the last Connect met a serial port the user may not open: what to do about it.
    QString accessProblem() const { return m_accessProblem; }
    // When the trace file the options name could not be opened: why (the link works without).
    QString traceError() const { return m_trace.error(); }
    QString portName() const;
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    // The link belongs to one holder while it lives: only its own SendCommand gets through.
    class Hold
    {
    public:
        explicit Hold(SensorControl &sensor);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;
        QByteArray SendCommand(const QByteArray &command) { return m_sensor.exchange(command); }

    private:
        SensorControl &m_sensor;
    };

private:
    bool identify(std::unique_ptr<quvane::Transport> transport, int timeoutMs);
    void readStandardization(const char *command);
    QByteArray exchange(const QByteArray &command);
    // A reply as every reply must be, whatever it answers: at most a packet long, printable
    // ASCII. It goes to the trace.
    QByteArray checkedReply(const QByteArray &command, const QByteArray &reply);

    std::unique_ptr<quvane::Transport> m_transport;
    quvane::ProtocolTrace m_trace;
    int m_timeoutMs = DefaultTimeoutMs;
    qint32 m_lastError = 0;
    qint16 m_flavor = 0;
    QString m_instrumentName;
    QString m_firmwareVersion;
    QString m_serialNumber;
    QString m_connectionError;
    QString m_accessProblem;
    bool m_exchanging = false;
    bool m_held = false;
};
