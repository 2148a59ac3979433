#pragma once

#include "sim/SimEndpoints.h"
#include "sim/SimInstrument.h"

#include <QEventLoop>
#include <QThread>

#include <functional>
#include <future>
#include <memory>

namespace quvane {

// A simulated instrument served on a loopback TCP port from a thread of its own, so that a
// program in the test's thread reaches it over a real line (framing, checksums, late replies)
// through its blocking link. The instrument belongs to the server thread: reach it through
// withInstrument(), which runs between two exchanges.
class SimServerThread
{
public:
    SimServerThread()
    {
        std::promise<quint16> listening;
        std::future<quint16> port = listening.get_future();
        m_thread.reset(QThread::create([this, &listening] {
            SimTcpEndpoint endpoint(m_instrument);
            QString error;
            const bool ok = endpoint.listen(QHostAddress::LocalHost, 0, error);
            m_endpoint = &endpoint;
            listening.set_value(ok ? endpoint.port() : 0);
            if (ok) {
                QEventLoop loop; // ended by QThread::quit()
                loop.exec();
            }
            m_endpoint = nullptr;
        }));
        m_thread->start();
        m_port = port.get();
    }

    ~SimServerThread()
    {
        m_thread->quit();
        m_thread->wait();
    }

    // The port string the link options take; empty when the server could not listen.
    QString port() const
    {
        return m_port == 0 ? QString() : QStringLiteral("tcp://127.0.0.1:%1").arg(m_port);
    }

    void withInstrument(const std::function<void(SimInstrument &)> &step)
    {
        QMetaObject::invokeMethod(
            m_endpoint, [this, &step] { step(m_instrument); }, Qt::BlockingQueuedConnection);
    }

private:
    SimInstrument m_instrument;
    SimTcpEndpoint *m_endpoint = nullptr;
    std::unique_ptr<QThread> m_thread;
    quint16 m_port = 0;
};

} // namespace quvane
