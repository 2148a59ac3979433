#pragma once

#include <QDateTime>
#include <QString>

// The helpers every layer shares: date and time conversions and the delimiter settings. They
// keep no state: what describes the connected instrument (its name, type and the main title)
// belongs to its session (link/InstrumentSession.h), and the preferences are read by each front
// end from its PreferencesStore (policy/Preferences.h) and passed down as values.
namespace quvane {

// The three delimiter settings: the tab, the comma, or a custom character.
struct DelimiterSettings
{
    bool TabDelimiter = true;
    bool CustomDelimiter = false;
    QString Delimiter;

    friend bool operator==(const DelimiterSettings &, const DelimiterSettings &) = default;
};
} // namespace quvane

namespace modGlobals {

// The application title: the caption of the start-up failure messages and of ReportError's.
inline QString AppTitle()
{
    return QStringLiteral("Quvane Utility");
}

// Instrument times count seconds since 1970-01-01 00:00:00 of the PC's local clock. PC dates are
// days since 1899-12-30 with the time of day as the fraction.
constexpr double UnixEpochDay = 25569.0;
constexpr double SecondsPerDay = 86400.0;

// Rounds half to even; a result outside the 32-bit range raises overflow (error 6).
qint32 DateToSeconds(double aDate);
double SecondsToDate(qint32 aSeconds);
// The PC date of a date-time's own date and time fields, and back (as a date-time whose fields
// are the PC date's, with no time-zone conversion).
double ToPcDate(const QDateTime &dateTime);
QDateTime FromPcDate(double aDate);
// The PC's present local date and time as a PC date.
double Now();

// The delimiter settings' stored form ("Tab", "Comma" or "Custom:" and a character).
using quvane::DelimiterSettings;
DelimiterSettings DecodeDelimiterPreference(const QString &stored);
// Whether a character can be the custom delimiter: one printable ISO-8859-1 character.
bool IsDelimiterCharacter(QChar c);
QString EncodeDelimiterPreference(const DelimiterSettings &settings);

// The separator the delimited text files use with these settings: the tab, the comma or the
// custom character.
QString GetDelimiter(const DelimiterSettings &settings);

} // namespace modGlobals
