#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace quvane {

namespace {
// In the per-user runtime folder (XDG_RUNTIME_DIR, which only its user can write; Qt makes a
// private one when it is not set), so that another user cannot take the lock first.
QString lockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("quvane-utility.lock"));
}
} // namespace

SingleInstance::SingleInstance() : m_lock(lockPath())
{
    m_lock.setStaleLockTime(0);
}

} // namespace quvane
