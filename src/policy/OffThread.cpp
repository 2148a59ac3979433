#include "policy/OffThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>

namespace quvane {

namespace {

// The worker's side: each call goes to the shown progress on the calling thread, queued; the
// cancel request comes back through an atomic flag.
class RelayedProgress : public TransferProgress
{
public:
    RelayedProgress(TransferProgress &shown, QObject &shownThread)
        : m_shown(shown), m_shownThread(shownThread)
    {}

    void start(const QString &caption, int maximum) override
    {
        m_cancel = false;
        relay([caption, maximum](TransferProgress &shown) { shown.start(caption, maximum); });
    }
    void setMessage(const QString &text) override
    {
        relay([text](TransferProgress &shown) { shown.setMessage(text); });
    }
    void setValue(int value) override
    {
        relay([value](TransferProgress &shown) { shown.setValue(value); });
    }
    void yield() override {} // the calling thread runs its own events meanwhile
    bool cancelRequested() const override { return m_cancel; }
    void finish() override
    {
        relay([](TransferProgress &shown) { shown.finish(); });
    }

    // On the calling thread.
    void pollCancel() { m_cancel = m_cancel || m_shown.cancelRequested(); }

private:
    template <typename Call> void relay(Call call)
    {
        QMetaObject::invokeMethod(
            &m_shownThread, [this, call] { call(m_shown); }, Qt::QueuedConnection);
    }

    TransferProgress &m_shown;
    QObject &m_shownThread;
    std::atomic<bool> m_cancel = false;
};

} // namespace

void runOffThread(TransferProgress &shown, const std::function<void(TransferProgress &)> &work)
{
    QObject here; // lives on the calling thread: the relayed calls run in its event loop
    RelayedProgress progress(shown, here);
    std::exception_ptr thrown;
    QEventLoop loop;
    QThread *worker = QThread::create([&] {
        try {
            work(progress);
        } catch (...) {
            thrown = std::current_exception();
        }
    });
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, &here, [&progress] { progress.pollCancel(); });
    cancel.start(50);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    // What the worker said last is shown before the caller goes on.
    QCoreApplication::sendPostedEvents(&here);
    if (thrown)
        std::rethrow_exception(thrown);
}

} // namespace quvane
