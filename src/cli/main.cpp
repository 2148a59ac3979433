// quvane, and quvane-report (QUVANE_DRAWS_REPORTS): the same tool, the latter with the report
// command's drawing, which needs Qt GUI. quvane hands a report command over to quvane-report
// (installed with the utility) and links no graphical library itself.
#include "cli/QuvaneCli.h"
#include "policy/Preferences.h"
#include "sim/SimInstrument.h"

#include <QLocale>
#include <QSysInfo>

#ifdef QUVANE_DRAWS_REPORTS
#include "cli/ReportCommand.h"

#include <QGuiApplication>

#include <vector>
#else
#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>
#endif

#include <cstdio>

using namespace quvane;

namespace {
// Every message on standard error in the tool's one style, Qt's own warnings too.
void printMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    // The offscreen platform of a report looks for a runtime folder it does not need.
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "quvane: %s\n", qPrintable(message));
}

#ifndef QUVANE_DRAWS_REPORTS
// quvane-report, where it is installed relative to this program (QUVANE_REPORT_HELPER).
int handOverReport(char *argv[])
{
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        const QByteArray folder = QByteArray(self).left(QByteArray(self).lastIndexOf('/') + 1);
        const QByteArray helper = folder + QUVANE_REPORT_HELPER;
        ::execv(helper.constData(), argv);
        if (errno != ENOENT)
            std::fprintf(stderr, "quvane: %s: %s\n", helper.constData(), std::strerror(errno));
    }
    std::fprintf(stderr, "quvane: reports are drawn by quvane-report, which is not installed (it "
                         "comes with the package quvane-utility)\n");
    return 1;
}
#endif
} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(printMessage);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
#ifdef QUVANE_DRAWS_REPORTS
    // Qt's fonts and painter need a QGuiApplication; the offscreen platform needs no screen.
    static char platform[] = "-platform", offscreen[] = "offscreen";
    std::vector<char *> withPlatform(argv, argv + argc);
    withPlatform.insert(withPlatform.begin() + 1, {platform, offscreen});
    int count = int(withPlatform.size());
    withPlatform.push_back(nullptr);
    QGuiApplication app(count, withPlatform.data());
#else
    if (drawsPages(arguments))
        return handOverReport(argv);
    QCoreApplication app(argc, argv);
#endif
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
    // The paper of the locale: LC_ALL, else LC_PAPER, else LANG.
    QString paper = qEnvironmentVariable("LC_ALL");
    for (const char *name : {"LC_PAPER", "LANG"}) {
        if (paper.isEmpty())
            paper = qEnvironmentVariable(name);
    }
    CliEnvironment environment{qEnvironmentVariable("TERM") == QLatin1String("dumb"),
                               textFormatFor(locale),
                               preferences.delimiter(),
                               history,
                               preferences.historyOn(),
                               Station{QSysInfo::machineHostName(), login}};
    environment.letterPaper = QLocale(paper.section(QLatin1Char('.'), 0, 0)).measurementSystem() ==
                              QLocale::ImperialUSSystem;
#ifdef QUVANE_DRAWS_REPORTS
    environment.writeReport = writeReport;
#endif
    return runCli(app, link, environment);
}
