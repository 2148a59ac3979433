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

// The long time format without its time-zone part, together with the brackets and blanks
// around it: "h:mm:ss AP t" gives "h:mm:ss AP", "H:mm:ss (t)" gives "H:mm:ss".
QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            out += c;
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t'))
            ++i;
        if (i + 1 < format.size() &&
            (format.at(i + 1) == QLatin1Char(')') || format.at(i + 1) == QLatin1Char(']')))
            ++i;
        while (!out.isEmpty() && (out.back() == QLatin1Char(' ') ||
                                  out.back() == QLatin1Char('(') || out.back() == QLatin1Char('[')))
            out.chop(1);
    }
    return out.trimmed();
}

// Marks that only steer the direction of right-to-left text.
bool isDirectionMark(char16_t u)
{
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
           (u >= 0x2066 && u <= 0x2069);
}

// The nearest ISO-8859-1 character of a locale's symbol, or 0 when there is none.
char nearestLatin1(char16_t u)
{
    if (u <= 0xFF)
        return static_cast<char>(u);
    switch (u) {
    case 0x2212: // minus sign
    case 0x2010: // hyphen
    case 0x2011: // non-breaking hyphen
    case 0x2012: // figure dash
    case 0x2013: // en dash
        return '-';
    case 0x2007: // figure space
    case 0x2009: // thin space
    case 0x202F: // narrow no-break space
        return '\xA0';
    case 0x2019: // right single quotation mark (the Swiss group separator)
    case 0x02BC:
        return '\'';
    case 0x066B: // Arabic decimal separator
    case 0x060C: // Arabic comma
        return ',';
    case 0x066C: // Arabic thousands separator
        return '.';
    default:
        return 0;
    }
}

} // namespace

QByteArray TextFormat::latin1(QStringView text, bool *exact)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && c.isDigit()) {
            out += static_cast<char>('0' + c.digitValue());
        } else if (isDirectionMark(u)) {
            continue;
        } else if (const char mapped = nearestLatin1(u)) {
            out += mapped;
        } else {
            if (exact)
                *exact = false;
            out += '?';
        }
    }
    return out;
}

namespace {

QByteArray latin1Symbol(const QString &symbol, const char *fallback)
{
    bool exact = true;
    const QByteArray text = TextFormat::latin1(symbol, &exact);
    return exact ? text : QByteArray(fallback);
}

// A locale for the text files: the C/POSIX locale writes as en_US does.
QLocale textLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                           : locale;
}

} // namespace

TextFormat::TextFormat(const QLocale &locale)
    : m_locale(textLocale(locale)),
      m_dateFormat(fourDigitYear(m_locale.dateFormat(QLocale::ShortFormat))),
      m_timeFormat(withoutTimeZone(m_locale.timeFormat(QLocale::LongFormat))),
      m_decimalPoint(latin1Symbol(m_locale.decimalPoint(), ".")),
      m_negativeSign(latin1Symbol(m_locale.negativeSign(), "-"))
{
    if (!(m_locale.numberOptions() & QLocale::OmitGroupSeparator))
        m_groupSeparator = latin1Symbol(m_locale.groupSeparator(), "");
    // A separator that maps to the decimal point would make numbers ambiguous.
    if (m_groupSeparator == m_decimalPoint)
        m_groupSeparator.clear();
}

QByteArray TextFormat::dateText(QDate date) const
{
    bool exact = true;
    QByteArray text = latin1(m_locale.toString(date, m_dateFormat), &exact);
    if (!exact) // characters the code page lacks: the numeric form with ASCII separators
        text = QLocale::c().toString(date, QStringLiteral("yyyy-MM-dd")).toLatin1();
    return text;
}

QByteArray TextFormat::timeText(QTime time) const
{
    bool exact = true;
    QByteArray text = latin1(m_locale.toString(time, m_timeFormat), &exact);
    if (!exact)
        text = QLocale::c().toString(time, QStringLiteral("HH:mm:ss")).toLatin1();
    return text;
}

void TextFormat::appendFixed(QByteArray &line, double value, int decimals) const
{
    if (!std::isfinite(value)) {
        line += latin1(m_locale.toString(value, 'f', decimals));
        return;
    }
    char digits[400];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                   std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        line += latin1(m_locale.toString(value, 'f', decimals));
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
    QByteArray line;
    appendGeneralDate(line, dateTime);
    return QString::fromLatin1(line);
}

void TextFormat::appendGeneralDate(QByteArray &line, const QDateTime &dateTime) const
{
    const QDate date = dateTime.date();
    if (date != m_lastDate) {
        m_lastDate = date;
        m_lastDateText = dateText(date);
    }
    line += m_lastDateText;
    if (dateTime.time() != QTime(0, 0)) {
        line += ' ';
        line += timeText(dateTime.time());
    }
}

} // namespace quvane
