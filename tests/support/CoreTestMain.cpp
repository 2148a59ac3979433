#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Test binaries of the widget-free libraries run with a QCoreApplication (the event loop of
// sockets and processes) and a settings store and history of their own.
int main(int argc, char *argv[])
{
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());
    // The history the programs keep goes there too, never to the user's own.
    qputenv("XDG_DATA_HOME", settingsDir.path().toLocal8Bit());
    qunsetenv("QUVANE_HISTORY");

    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
