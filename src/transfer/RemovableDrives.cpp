#include "transfer/RemovableDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_WIN
#include <QStorageInfo>
#include <windows.h>
#endif

namespace quvane {

namespace {

#ifdef Q_OS_WIN
bool isRemovable(const QStorageInfo &volume)
{
    const std::wstring root = QDir::toNativeSeparators(volume.rootPath()).toStdWString();
    return GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE;
}
#else
// A block device is removable when the kernel says so of it (or of the disk a partition is
// on), or when it hangs off a USB bus: some USB sticks do not set the removable flag.
bool isRemovable(const RemovableDrives::SystemTree &system, const QString &device)
{
    if (!device.startsWith(QLatin1String("/dev/")))
        return false;
    const QString node = QFileInfo(system.dev + device.mid(4)).canonicalFilePath();
    if (node.isEmpty())
        return false;
    const QString name = node.section(QLatin1Char('/'), -1);
    QString sysPath = QFileInfo(system.sysBlock + QLatin1Char('/') + name).canonicalFilePath();
    if (sysPath.isEmpty())
        return false;
    if (QFile::exists(sysPath + QStringLiteral("/partition")))
        sysPath = QFileInfo(sysPath).path();
    QFile removable(sysPath + QStringLiteral("/removable"));
    if (removable.open(QIODevice::ReadOnly) && removable.readAll().trimmed() == "1")
        return true;
    return sysPath.contains(QLatin1String("/usb"));
}

// The mount table escapes blanks, tabs, new lines and backslashes in octal ("\040").
QString unescaped(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}
#endif

} // namespace

namespace RemovableDrives {

QStringList roots(const SystemTree &system)
{
    QStringList found;
#ifdef Q_OS_WIN
    Q_UNUSED(system);
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && isRemovable(volume))
            found << volume.rootPath();
    }
#else
    QFile mounts(system.mounts);
    if (!mounts.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray &line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 2)
            continue;
        const QString root = unescaped(fields[1]);
        // Ready: mounted on a folder that can be listed.
        if (isRemovable(system, unescaped(fields[0])) && QFileInfo(root).isDir() &&
            QFileInfo(root).isReadable() && !found.contains(root))
            found << root;
    }
#endif
    return found;
}

QString findFile(const QStringList &roots, const QString &fileName)
{
    for (const QString &root : roots) {
        const QString path = QDir(root).filePath(fileName);
        if (QFileInfo::exists(path))
            return QDir::toNativeSeparators(path);
    }
    return QString();
}

} // namespace RemovableDrives

} // namespace quvane
