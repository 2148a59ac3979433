#include "app/SingleInstance.h"

#include <QDir>

namespace quvane {

namespace {
QString lockPath()
{
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    if (user.isEmpty())
        user = QStringLiteral("user");
    return QDir(QDir::tempPath()).filePath(QStringLiteral("quvane-utility-%1.lock").arg(user));
}
} // namespace

SingleInstance::SingleInstance() : m_lock(lockPath())
{
    m_lock.setStaleLockTime(0);
}

} // namespace quvane
