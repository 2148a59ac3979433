#pragma once

#include <QStringList>

#include <functional>

namespace quvane {

// The removable drives that are ready, in the system's order (on Linux the order of the mount
// table, on Windows by drive letter).
namespace RemovableDrives {

// Where the system describes its drives on Linux; tests pass a tree laid out the same way.
struct SystemTree
{
    QString mounts = QStringLiteral("/proc/mounts");       // the mount table
    QString sysBlock = QStringLiteral("/sys/class/block"); // a link for each block device
    QString dev = QStringLiteral("/dev");                  // the device nodes
};

// The root folders of the removable drives.
QStringList roots(const SystemTree &system = {});

// The first of the roots that holds the named file, or an empty text.
QString findFile(const QStringList &roots, const QString &fileName);

} // namespace RemovableDrives

} // namespace quvane
