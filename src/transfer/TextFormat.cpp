#include "transfer/TextFormat.h"

#include <charconv>
#include <cmath>

namespace quvane {

namespace {

// The short date format with its year widened to four digits.
QString fourDigitYear(QString format)
{
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

// The long time format without its time-zone part.
QString withoutTimeZone(QString format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out.trimmed();
}

QByteArray latin1Of(const QString &text)
{
    return text.toLatin1();
}

} // namespace

TextFormat::TextFormat(const QLocale &locale)
    : m_locale(locale), m_dateFormat(fourDigitYear(locale.dateFormat(QLocale::ShortFormat))),
      m_timeFormat(withoutTimeZone(locale.timeFormat(QLocale::LongFormat))),
      m_decimalPoint(latin1Of(locale.decimalPoint())),
      m_negativeSign(latin1Of(locale.negativeSign()))
{
    if (!(locale.numberOptions() & QLocale::OmitGroupSeparator))
        m_groupSeparator = latin1Of(locale.groupSeparator());
}

void TextFormat::appendFixed(QByteArray &line, double value, int decimals) const
{
    if (!std::isfinite(value)) {
        line += m_locale.toString(value, 'f', decimals).toLatin1();
        return;
    }
    char digits[400];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                   std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        line += m_locale.toString(value, 'f', decimals).toLatin1();
        return;
    }
    const char *point = std::find(digits, end, '.');
    // "-0.000" is written as "0.000", as the locale formatting does.
    const bool negative = std::signbit(value) &&
                          std::any_of(digits, end, [](char c) { return c >= '1' && c <= '9'; });
    if (negative)
        line += m_negativeSign;
    const auto wholeDigits = static_cast<int>(point - digits);
    for (int i = 0; i < wholeDigits; ++i) {
        if (i > 0 && !m_groupSeparator.isEmpty() && (wholeDigits - i) % 3 == 0)
            line += m_groupSeparator;
        line += digits[i];
    }
    if (point != end) {
        line += m_decimalPoint;
        line.append(point + 1, static_cast<qsizetype>(end - point - 1));
    }
}

void TextFormat::appendInteger(QByteArray &line, qint64 value) const
{
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    line.append(digits, static_cast<qsizetype>(end - digits));
}

QString TextFormat::generalDate(const QDateTime &dateTime) const
{
    QString text = m_locale.toString(dateTime.date(), m_dateFormat);
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + m_locale.toString(dateTime.time(), m_timeFormat);
    return text;
}

void TextFormat::appendGeneralDate(QByteArray &line, const QDateTime &dateTime) const
{
    const QDate date = dateTime.date();
    if (date != m_lastDate) {
        m_lastDate = date;
        m_lastDateText = m_locale.toString(date, m_dateFormat).toLatin1();
    }
    line += m_lastDateText;
    if (dateTime.time() != QTime(0, 0)) {
        line += ' ';
        line += m_locale.toString(dateTime.time(), m_timeFormat).toLatin1();
    }
}

} // namespace quvane
