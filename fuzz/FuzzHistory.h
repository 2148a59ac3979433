#pragma once
// What the history's fuzz targets share: a QCoreApplication and an SQLite history in a folder
// of its own, made at the first input and kept for the whole run.
#include "store/HistoryStore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QTemporaryDir>

namespace quvane {

struct FuzzHistory
{
    QTemporaryDir folder;
    HistoryStore store{HistoryLocation::parse(folder.filePath(QStringLiteral("h.sqlite"))), {}};
};

inline FuzzHistory &fuzzHistory(const char *program)
{
    static int argc = 1;
    static QByteArray name(program);
    static char *argv[] = {name.data(), nullptr};
    static QCoreApplication app(argc, argv);
    static FuzzHistory history;
    return history;
}

} // namespace quvane
