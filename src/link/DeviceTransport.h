#pragma once

#include "link/Framing.h"
#include "link/Transport.h"

#include <QElapsedTimer>

#include <memory>

class QIODevice;

namespace quvane {

// A link over a byte stream (socket or serial port): a command goes out framed with its sequence
// digit and checksum and followed by CR; the reply is the next line ended by CR whose sequence
// digit is the command's (lines with another digit are late replies to earlier commands and are
// dropped). LF is ignored. A line that is no good frame (empty, too long, not printable, no
// sequence digit, a failed checksum) is a line error, which Retry may mend. Waits are Qt's
// blocking waits on the device.
class DeviceTransport : public Transport
{
public:
    ~DeviceTransport() override;

    void close() override;
    QByteArray exchange(const QByteArray &command, int timeoutMs) override;

protected:
    explicit DeviceTransport(std::unique_ptr<QIODevice> device);
    QIODevice &device() { return *m_device; }
    const QIODevice &device() const { return *m_device; }

    // Whether the device is still usable after a wait came back empty.
    virtual bool deviceLost() const = 0;
    virtual QString deviceErrorText() const;

private:
    void send(const QByteArray &line, const QByteArray &command, int timeoutMs);
    // Reads on until a line has ended: it is then in m_lines.
    void receive(const QByteArray &command, int timeoutMs, const QElapsedTimer &clock);

    std::unique_ptr<QIODevice> m_device;
    Framing::LineSplitter m_lines;
    int m_sequence = 0;
};

class TcpTransport : public DeviceTransport
{
public:
    TcpTransport(QString host, quint16 port);
    bool open(QString &errorText) override;
    QString name() const override;

protected:
    bool deviceLost() const override;

private:
    QString m_host;
    quint16 m_port;
};

class SerialTransport : public DeviceTransport
{
public:
    explicit SerialTransport(QString portName);
    bool open(QString &errorText) override;
    QString name() const override { return m_portName; }
    bool accessDenied() const override { return m_accessDenied; }

    // What to do when the port may not be opened: the group that owns it, and logging in again.
    static QString accessDeniedText(const QString &portName);

protected:
    bool deviceLost() const override;
    QString deviceErrorText() const override;

private:
    QString m_portName;
    bool m_accessDenied = false;
};

} // namespace quvane
