#include "transfer/RemovableDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quvane {

namespace {

std::function<QStringList()> &source()
{
    static std::function<QStringList()> replaced;
    return replaced;
}

#ifdef Q_OS_WIN
bool isRemovable(const QStorageInfo &volume)
{
    const std::wstring root = QDir::toNativeSeparators(volume.rootPath()).toStdWString();
    return GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE;
}
#else
// A block device is removable when the kernel says so of it (or of the disk a partition is
// on), or when it hangs off a USB bus: some USB sticks do not set the removable flag.
bool isRemovable(const QStorageInfo &volume)
{
    const QByteArray device = volume.device();
    if (!device.startsWith("/dev/"))
        return false;
    const QString name =
        QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath().section(QLatin1Char('/'), -1);
    QString sysPath = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (sysPath.isEmpty())
        return false;
    if (QFile::exists(sysPath + QStringLiteral("/partition")))
        sysPath = QFileInfo(sysPath).path();
    QFile removable(sysPath + QStringLiteral("/removable"));
    if (removable.open(QIODevice::ReadOnly) && removable.readAll().trimmed() == "1")
        return true;
    return sysPath.contains(QLatin1String("/usb"));
}
#endif

} // namespace

namespace RemovableDrives {

QStringList roots()
{
    if (source())
        return source()();
    QStringList found;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && isRemovable(volume))
            found << volume.rootPath();
    }
    return found;
}

void setSource(std::function<QStringList()> replacement)
{
    source() = std::move(replacement);
}

QString findFile(const QString &fileName)
{
    for (const QString &root : roots()) {
        const QString path = QDir(root).filePath(fileName);
        if (QFileInfo::exists(path))
            return QDir::toNativeSeparators(path);
    }
    return QString();
}

} // namespace RemovableDrives

} // namespace quvane
