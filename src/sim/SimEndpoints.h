#pragma once

#include "link/Framing.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

namespace quvane {

class SimInstrument;

// Where a simulated instrument meets a program over bytes: it reads command lines ended by CR
// (LF ignored) and writes each reply followed by CR, one command after the other, as an
// instrument does. A command line longer than a packet is thrown away up to its CR.
class SimEndpoint : public QObject
{
    Q_OBJECT

public:
    explicit SimEndpoint(SimInstrument &instrument, QObject *parent = nullptr);

protected:
    void consume(const QByteArray &bytes);
    virtual void writeBytes(const QByteArray &bytes) = 0;
    // The instrument closes the link (a fault).
    virtual void dropLink() = 0;
    void resetLine()
    {
        m_lines.reset();
        m_held.clear();
    }

private:
    SimInstrument &m_instrument;
    Framing::LineSplitter m_lines;
    QByteArray m_held; // a reply held until the next command (a fault)
};

// Serves on a TCP port, one client at a time (a new client replaces the old one).
class SimTcpEndpoint : public SimEndpoint
{
    Q_OBJECT

public:
    explicit SimTcpEndpoint(SimInstrument &instrument, QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port, QString &error);
    quint16 port() const;

protected:
    void writeBytes(const QByteArray &bytes) override;
    void dropLink() override;

private:
    void acceptClient();

    QTcpServer *m_server;
    QPointer<QTcpSocket> m_client;
};

// Serves on a new pseudo-terminal, which a program opens as a serial port.
class SimPtyEndpoint : public SimEndpoint
{
    Q_OBJECT

public:
    explicit SimPtyEndpoint(SimInstrument &instrument, QObject *parent = nullptr);
    ~SimPtyEndpoint() override;
    // Opens the pseudo-terminal and returns the device path a serial port opens.
    bool open(QString &devicePath, QString &error);

signals:
    // The link was dropped: a pseudo-terminal cannot be plugged back in.
    void hungUp();

protected:
    void writeBytes(const QByteArray &bytes) override;
    void dropLink() override;

private:
    void readAvailable();

    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace quvane
