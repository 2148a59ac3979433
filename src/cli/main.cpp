#include "cli/QuvaneCli.h"
#include "policy/Preferences.h"
#include "sim/SimInstrument.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <cstdio>

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
    const QString history =
        historyLocationFor(qEnvironmentVariable("QUVANE_HISTORY"), preferences,
                           qEnvironmentVariable("XDG_DATA_HOME"), qEnvironmentVariable("HOME"));
    const QString login =
        operatorLogin(qEnvironmentVariable("LOGNAME"), qEnvironmentVariable("USER"));
    return runCli(app, link,
                  {qEnvironmentVariable("TERM") == QLatin1String("dumb"), textFormatFor(locale),
                   preferences.delimiter(), history, preferences.historyOn(),
                   Station{QSysInfo::machineHostName(), login}});
}
