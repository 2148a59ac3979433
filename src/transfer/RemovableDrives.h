#pragma once

#include <QStringList>

#include <functional>

namespace quvane {

// The root folders of the removable drives that are ready, in the system's order (on Linux the
// order of the mount table, on Windows by drive letter). Tests replace the list.
namespace RemovableDrives {
QStringList roots();
void setSource(std::function<QStringList()> source);

// The first ready removable drive whose root holds the named file, or an empty text.
QString findFile(const QString &fileName);
} // namespace RemovableDrives

} // namespace quvane
