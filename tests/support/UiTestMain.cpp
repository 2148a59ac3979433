#include "dialogs/ListAccessibility.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quvane;

// Every test binary runs with a QApplication on the offscreen platform, a settings store and
// a history of its own.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());
    // The history the programs keep goes there too, never to the user's own.
    qputenv("XDG_DATA_HOME", settingsDir.path().toLocal8Bit());
    qunsetenv("QUVANE_HISTORY");

    QApplication app(argc, argv);
    installListAccessibility();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
