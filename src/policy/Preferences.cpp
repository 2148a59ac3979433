#include "policy/Preferences.h"

#include <QSettings>

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
