#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace quvane {

namespace {
// The per-user runtime folder (XDG_RUNTIME_DIR, which only its user can write; Qt makes a
// private one when it is not set), so that another user cannot take the lock first.
QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return folder;
}
} // namespace

SingleInstance::SingleInstance(const QString &folder)
    : m_socketPath(QDir(folder.isEmpty() ? runtimeFolder() : folder)
                       .filePath(QStringLiteral("quvane-utility.socket"))),
      m_lock(QDir(folder.isEmpty() ? runtimeFolder() : folder)
                 .filePath(QStringLiteral("quvane-utility.lock")))
{
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit showRequested();
        }
    });
}

bool SingleInstance::isFirst()
{
    if (!m_lock.tryLock(0))
        return false;
    // The lock is ours: a socket left by a copy that crashed is stale.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketPath);
    return true;
}

void SingleInstance::askFirstToShow()
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (socket.waitForConnected(500))
        socket.disconnectFromServer();
}

} // namespace quvane
