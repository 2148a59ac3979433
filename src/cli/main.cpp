#include "cli/QuvaneCli.h"
#include "policy/Preferences.h"
#include "sim/SimInstrument.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <cstdio>
#include <pwd.h>
#include <unistd.h>

using namespace quvane;

namespace {
// Every message on standard error in the tool's one style, Qt's own warnings too.
void printMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    std::fprintf(stderr, "quvane: %s\n", qPrintable(message));
}
} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(printMessage);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quvane"));

    // The one place this program reads its environment.
    const LinkOptions link{qEnvironmentVariable("QUVANE_PORT"),
                           qEnvironmentVariable("QUVANE_TRACE"), demoInstrument};
    const LocaleSettings locale{qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_NUMERIC"),
                                qEnvironmentVariable("LC_TIME"), qEnvironmentVariable("LANG")};
    const PreferencesStore preferences;
    // The history: QUVANE_HISTORY, else the utility's preference, else the default file.
    QString history = qEnvironmentVariable("QUVANE_HISTORY");
    if (history.isEmpty())
        history = preferences.historyLocation();
    if (history.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty())
            data = qEnvironmentVariable("HOME") + QStringLiteral("/.local/share");
        history = HistoryLocation::defaultIn(data).path;
    }
    QString login = qEnvironmentVariable("LOGNAME");
    if (login.isEmpty())
        login = qEnvironmentVariable("USER");
    if (const passwd *user = ::getpwuid(::geteuid()); login.isEmpty() && user)
        login = QString::fromLocal8Bit(user->pw_name);
    return runCli(app, link,
                  {qEnvironmentVariable("TERM") == QLatin1String("dumb"), textFormatFor(locale),
                   preferences.delimiter(), history, preferences.historyOn(),
                   Station{QSysInfo::machineHostName(), login}});
}
