#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class SimInstrument;

// Serves a simulated instrument on a TCP port (one client at a time) or on a pseudo-terminal,
// so that the program reaches it as it reaches a real instrument.
class SimServer : public QObject
{
    Q_OBJECT

public:
    explicit SimServer(SimInstrument &instrument, QObject *parent = nullptr);
    ~SimServer() override;

    bool listenTcp(const QHostAddress &address, quint16 port, QString &error);
    quint16 tcpPort() const;
    // Opens a pseudo-terminal and returns the device path a serial port opens.
    bool openPty(QString &devicePath, QString &error);

signals:
    void hungUp();

private:
    void acceptClient();
    void readSocket();
    void readPty();
    void consume(const QByteArray &bytes, bool fromPty);
    void writeReply(const QByteArray &bytes, bool toPty);
    void dropLink(bool pty);

    SimInstrument &m_instrument;
    QTcpServer *m_server = nullptr;
    QPointer<QTcpSocket> m_client;
    QByteArray m_line;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_ptyNotifier = nullptr;
};
