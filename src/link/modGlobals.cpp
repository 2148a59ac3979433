#include "link/modGlobals.h"

#include "link/QuvaneError.h"

#include <cfenv>
#include <cmath>
#include <limits>

using namespace quvane;

namespace modGlobals {

namespace {
// 1899-12-30, day 0 of PC dates.
constexpr QDate PcDateZero = QDate::fromJulianDay(2415019);

} // namespace

qint32 DateToSeconds(double aDate)
{
    const double seconds = (aDate - UnixEpochDay) * SecondsPerDay;
    // nearbyint rounds in the current mode, which is to-nearest with ties to even.
    const double rounded = std::nearbyint(seconds);
    if (!(rounded >= std::numeric_limits<qint32>::min() &&
          rounded <= std::numeric_limits<qint32>::max()))
        throw QuvaneError::overflow(
            QStringLiteral("the date %1 is outside the range of instrument times").arg(aDate));
    return static_cast<qint32>(rounded);
}

double SecondsToDate(qint32 aSeconds)
{
    return aSeconds / SecondsPerDay + UnixEpochDay;
}

double ToPcDate(const QDateTime &dateTime)
{
    const double days = static_cast<double>(PcDateZero.daysTo(dateTime.date()));
    return days + dateTime.time().msecsSinceStartOfDay() / (SecondsPerDay * 1000.0);
}

QDateTime FromPcDate(double aDate)
{
    const double whole = std::floor(aDate);
    const auto msecs = static_cast<qint64>(std::llround((aDate - whole) * SecondsPerDay * 1000.0));
    const QDate date = PcDateZero.addDays(static_cast<qint64>(whole));
    // Instrument times carry no time zone: the fields are kept as they are, and no daylight-saving
    // gap or overlap moves them (a UTC date-time does no conversion).
    return QDateTime(date, QTime(0, 0), Qt::UTC).addMSecs(msecs);
}

double Now()
{
    return ToPcDate(QDateTime::currentDateTime());
}

DelimiterSettings DecodeDelimiterPreference(const QString &stored)
{
    if (stored.isEmpty() || stored == QLatin1String("Tab"))
        return {true, false, {}};
    if (stored == QLatin1String("Comma"))
        return {false, false, {}};
    const QString custom = stored.right(1);
    // A stored character that cannot be written to the single-byte files reads as absent.
    if (!IsDelimiterCharacter(custom.at(0)))
        return {true, false, {}};
    return {false, true, custom};
}

bool IsDelimiterCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x20 && u <= 0x7E) || (u >= 0xA0 && u <= 0xFF);
}

QString EncodeDelimiterPreference(const DelimiterSettings &settings)
{
    if (settings.CustomDelimiter) {
        if (settings.Delimiter.isEmpty())
            return QStringLiteral("Tab");
        return QStringLiteral("Custom:") + settings.Delimiter.left(1);
    }
    return settings.TabDelimiter ? QStringLiteral("Tab") : QStringLiteral("Comma");
}

QString GetDelimiter(const DelimiterSettings &settings)
{
    if (settings.CustomDelimiter)
        return settings.Delimiter;
    return settings.TabDelimiter ? QStringLiteral("\t") : QStringLiteral(",");
}

} // namespace modGlobals
