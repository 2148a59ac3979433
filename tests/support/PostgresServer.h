#pragma once

#include <QString>

namespace quvane {

// A private PostgreSQL server for the tests: a cluster in a temporary folder, started on a Unix
// socket only (as the postgres user when the tests run as root, since the server will not run as
// root), and stopped when the test program ends. Each test gets a database of its own.
class PostgresServer
{
public:
    // The one server of this test program, started on first use; null when it cannot run here,
    // with why in skipReason().
    static PostgresServer *instance();
    static QString skipReason();

    // A new empty database; its postgresql:// location. The role "lab" (password "right") may
    // use it too.
    QString newDatabase();
    // Stops the server at once, as a crash or a pulled cable would, and starts it again.
    void stop();
    void start();

    QString socketFolder() const { return m_folder; }

private:
    PostgresServer() = default;
    bool run(const QStringList &command, QString *output = nullptr) const;
    bool setUp();

    QString m_bin, m_folder, m_data;
    bool m_asPostgres = false;
    int m_databases = 0;
};

} // namespace quvane
