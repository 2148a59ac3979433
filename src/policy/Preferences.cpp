#include "policy/Preferences.h"

#include <QSettings>

#include <pwd.h>
#include <unistd.h>

namespace quvane {

namespace {

QSettings store()
{
    return QSettings(QStringLiteral("Quvane"), QStringLiteral("QUVA USW"));
}

} // namespace

QString PreferencesStore::GetPreference(const QString &key, const QString &defaultValue) const
{
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("Preferences"));
    const QVariant value = settings.value(key);
    if (value.typeId() != QMetaType::QString)
        return defaultValue;
    return value.toString();
}

void PreferencesStore::SavePreference(const QString &key, const QString &value)
{
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("Preferences"));
    settings.setValue(key, value);
}

DelimiterSettings PreferencesStore::delimiter() const
{
    return modGlobals::DecodeDelimiterPreference(
        GetPreference(QStringLiteral("Delimiter"), QStringLiteral("Tab")));
}

bool PreferencesStore::historyOn() const
{
    return GetPreference(QStringLiteral("Keep History"), QStringLiteral("Yes")) !=
           QLatin1String("No");
}

void PreferencesStore::saveHistoryOn(bool on)
{
    SavePreference(QStringLiteral("Keep History"),
                   on ? QStringLiteral("Yes") : QStringLiteral("No"));
}

int PreferencesStore::readingsAveraged() const
{
    bool ok = false;
    const int readings =
        GetPreference(QStringLiteral("Readings Averaged"), QStringLiteral("1")).toInt(&ok);
    return ok ? std::clamp(readings, 1, 25) : 1;
}

void PreferencesStore::saveReadingsAveraged(int readings)
{
    SavePreference(QStringLiteral("Readings Averaged"), QString::number(readings));
}

int PreferencesStore::checkPeriodDays() const
{
    bool ok = false;
    const int days =
        GetPreference(QStringLiteral("Check Period Days"), QStringLiteral("0")).toInt(&ok);
    return ok ? std::clamp(days, 0, MaxCheckPeriodDays) : 0;
}

void PreferencesStore::saveCheckPeriodDays(int days)
{
    SavePreference(QStringLiteral("Check Period Days"), QString::number(days));
}

QString PreferencesStore::historyLocation() const
{
    const QVariant value = store().value(QStringLiteral("History/Location"));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void PreferencesStore::saveHistoryLocation(const QString &location)
{
    QSettings settings = store();
    settings.setValue(QStringLiteral("History/Location"), location);
}

QString historyLocationFor(const QString &quvaneHistory, const PreferencesStore &preferences,
                           const QString &xdgDataHome, const QString &home)
{
    if (!quvaneHistory.isEmpty())
        return quvaneHistory;
    const QString stored = preferences.historyLocation();
    if (!stored.isEmpty())
        return stored;
    const QString data =
        xdgDataHome.isEmpty() ? home + QStringLiteral("/.local/share") : xdgDataHome;
    return data + QStringLiteral("/Quvane/history.sqlite");
}

QString operatorLogin(const QString &logname, const QString &user)
{
    if (!logname.isEmpty())
        return logname;
    if (!user.isEmpty())
        return user;
    const passwd *entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

ColourChoices PreferencesStore::colourChoices() const
{
    const QSettings settings = store();
    const ColourChoices defaults;
    return {settings.value(QStringLiteral("Colour/Illuminant"), defaults.illuminant).toInt(),
            settings.value(QStringLiteral("Colour/Observer"), defaults.observer).toInt(),
            settings.value(QStringLiteral("Colour/Scale"), defaults.scale).toInt()};
}

void PreferencesStore::saveColourChoices(const ColourChoices &choices)
{
    QSettings settings = store();
    settings.setValue(QStringLiteral("Colour/Illuminant"), choices.illuminant);
    settings.setValue(QStringLiteral("Colour/Observer"), choices.observer);
    settings.setValue(QStringLiteral("Colour/Scale"), choices.scale);
}

} // namespace quvane
