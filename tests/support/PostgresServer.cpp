#include "support/PostgresServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace quvane {

namespace {

QString g_skip;

// The server binaries: on PATH, or in Debian's folder of the newest version.
QString serverBinaries()
{
    // A link on PATH (/usr/local/bin/initdb) leads to the folder of the others (createdb).
    const QString onPath =
        QFileInfo(QStandardPaths::findExecutable(QStringLiteral("initdb"))).canonicalFilePath();
    const QString folder = QFileInfo(onPath).absolutePath();
    if (!onPath.isEmpty() && QFile::exists(folder + "/pg_ctl") &&
        QFile::exists(folder + "/createdb"))
        return folder;
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &version : versions) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
        if (QFile::exists(bin + "/initdb") && QFile::exists(bin + "/pg_ctl"))
            return bin;
    }
    return {};
}

} // namespace

bool PostgresServer::run(const QStringList &command, QString *output) const
{
    QProcess process;
    QStringList arguments = command;
    QString program = m_bin + QLatin1Char('/') + arguments.takeFirst();
    if (m_asPostgres) {
        arguments = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                QStringLiteral("--"), program} +
                    arguments;
        program = QStringLiteral("runuser");
    }
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool done = process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return done && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PostgresServer::setUp()
{
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        g_skip = QStringLiteral("no PostgreSQL server binaries (initdb, pg_ctl) are installed");
        return false;
    }
    m_asPostgres = ::geteuid() == 0;
    // Short: a socket's path has room for about a hundred characters.
    char folder[] = "/tmp/qv-pg-XXXXXX";
    if (!::mkdtemp(folder)) {
        g_skip = QStringLiteral("no temporary folder for the server");
        return false;
    }
    m_folder = QString::fromLocal8Bit(folder);
    m_data = m_folder + QStringLiteral("/data");
    if (m_asPostgres)
        QProcess::execute("chown", {"postgres:postgres", m_folder});
    QString output;
    if (!run({"initdb", "-D", m_data, "-A", "trust", "-U", "postgres", "-E", "UTF8", "--no-sync"},
             &output)) {
        g_skip = QStringLiteral("initdb failed: ") + output.trimmed();
        return false;
    }
    // The role "lab" logs in with its password ("right"), every other role without one.
    QFile hba(m_data + QStringLiteral("/pg_hba.conf"));
    if (hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
        hba.write("local all lab scram-sha-256\nlocal all all trust\n");
    hba.close();
    start();
    if (g_skip.isEmpty())
        run({"psql", "-h", m_folder, "-U", "postgres", "-d", "postgres", "-c",
             "CREATE ROLE lab LOGIN PASSWORD 'right'"});
    return true;
}

void PostgresServer::start()
{
    QString output;
    if (!run({"pg_ctl", "-D", m_data, "-w", "-l", m_folder + "/log", "-o",
              QStringLiteral("-k %1 -c listen_addresses= -c fsync=off -c full_page_writes=off "
                             "-c max_connections=40")
                  .arg(m_folder),
              "start"},
             &output))
        g_skip = QStringLiteral("the server did not start: ") + output.trimmed();
}

void PostgresServer::stop()
{
    run({"pg_ctl", "-D", m_data, "-m", "immediate", "-w", "stop"});
}

PostgresServer *PostgresServer::instance()
{
    static std::unique_ptr<PostgresServer> server = [] {
        std::unique_ptr<PostgresServer> made(new PostgresServer);
        if (!made->setUp())
            made.reset();
        return made;
    }();
    static const bool stopsAtExit = [] {
        std::atexit([] {
            if (PostgresServer *s = server.get()) {
                s->stop();
                QDir(s->m_folder).removeRecursively();
            }
        });
        return true;
    }();
    (void)stopsAtExit;
    return g_skip.isEmpty() ? server.get() : nullptr;
}

QString PostgresServer::skipReason()
{
    return g_skip;
}

QString PostgresServer::newDatabase()
{
    const QString name = QStringLiteral("history_%1_%2").arg(::getpid()).arg(++m_databases);
    QString output;
    if (!run({"createdb", "-h", m_folder, "-U", "postgres", name}, &output))
        qWarning("createdb %s: %s", qPrintable(name), qPrintable(output));
    run({"psql", "-h", m_folder, "-U", "postgres", "-d", name, "-c",
         "GRANT ALL ON SCHEMA public TO lab; ALTER DEFAULT PRIVILEGES IN SCHEMA public GRANT "
         "ALL ON TABLES TO lab"});
    return QStringLiteral("postgresql://postgres@%1/%2")
        .arg(QString::fromUtf8(QUrl::toPercentEncoding(m_folder)), name);
}

} // namespace quvane
