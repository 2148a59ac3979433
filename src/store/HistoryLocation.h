#pragma once

#include <QString>

namespace quvane {

// Where the history is: an SQLite file, or a PostgreSQL database named as
// postgresql://[USER@]HOST[:PORT]/DB (HOST may be a folder holding the server's socket, written
// with %2F for each slash). A password never comes from here: libpq finds it (PGPASSWORD,
// ~/.pgpass).
struct HistoryLocation
{
    enum class Kind
    {
        SQLite,
        PostgreSQL
    };
    Kind kind = Kind::SQLite;
    QString path; // SQLite
    QString user, host, database;
    int port = 0; // 0: libpq's default

    // Reads a location as the user writes it; raises HistoryError (BadLocation).
    static HistoryLocation parse(const QString &text);

    // As messages name it (never with a password).
    QString shown() const;
};

} // namespace quvane
