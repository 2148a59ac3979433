#include "transfer/TextFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

TextFormat::TextFormat(const QLocale &numbers, const QLocale &dates)
    : m_numbers(textLocale(numbers)), m_dates(textLocale(dates)),
      m_dateFormat(fourDigitYear(m_dates.dateFormat(QLocale::ShortFormat))),
      m_timeFormat(withoutTimeZone(m_dates.timeFormat(QLocale::LongFormat))),
      m_decimalPoint(latin1Symbol(m_numbers.decimalPoint(), ".")),
      m_negativeSign(latin1Symbol(m_numbers.negativeSign(), "-"))
{
    if (!(m_numbers.numberOptions() & QLocale::OmitGroupSeparator))
        m_groupSeparator = latin1Symbol(m_numbers.groupSeparator(), "");
    // A separator that maps to the decimal point would make numbers ambiguous.
    if (m_groupSeparator == m_decimalPoint)
        m_groupSeparator.clear();
    m_timeParts = compileTime(m_timeFormat);
    // The compiled pattern must write what QLocale writes; where it would not, QLocale writes.
    for (const QTime sample : {QTime(0, 0, 0), QTime(1, 2, 3), QTime(11, 59, 59), QTime(12, 30, 45),
                               QTime(13, 5, 9), QTime(23, 0, 0)}) {
        QByteArray compiled;
        appendTime(compiled, sample);
        if (compiled != timeText(sample)) {
            m_timeParts.clear();
            break;
        }
    }
}

std::vector<TextFormat::TimePart> TextFormat::compileTime(const QString &format) const
{
    std::vector<TimePart> parts;
    auto literal = [&parts](QByteArray text) {
        if (!parts.empty() && parts.back().kind == TimePart::Literal)
            parts.back().text += text;
        else
            parts.push_back({TimePart::Literal, false, std::move(text), {}});
    };
    const bool twelveHour = format.contains(QLatin1String("ap"), Qt::CaseInsensitive) ||
                            format.contains(QLatin1Char('a'), Qt::CaseInsensitive);
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        bool exact = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return {};
            literal(end == i + 1 ? QByteArray("'")
                                 : latin1(format.mid(i + 1, end - i - 1), &exact));
            i = end + 1;
        } else if ((c == QLatin1Char('h') || c == QLatin1Char('H')) && run <= 2) {
            const bool twelve = c == QLatin1Char('h') && twelveHour;
            parts.push_back({twelve ? TimePart::Hour12 : TimePart::Hour24, run == 2, {}, {}});
            i += run;
        } else if (c == QLatin1Char('m') && run <= 2) {
            parts.push_back({TimePart::Minute, run == 2, {}, {}});
            i += run;
        } else if (c == QLatin1Char('s') && run <= 2) {
            parts.push_back({TimePart::Second, run == 2, {}, {}});
            i += run;
        } else if (c == QLatin1Char('A') || c == QLatin1Char('a')) {
            const bool upper = c == QLatin1Char('A');
            const qsizetype length =
                i + 1 < format.size() && format.at(i + 1).toLower() == QLatin1Char('p') ? 2 : 1;
            QString am = m_dates.amText(), pm = m_dates.pmText();
            if (upper) {
                am = am.toUpper();
                pm = pm.toUpper();
            } else {
                am = am.toLower();
                pm = pm.toLower();
            }
            parts.push_back({TimePart::AmPm, false, latin1(am, &exact), latin1(pm, &exact)});
            i += length;
        } else if (c.isLetter()) {
            return {}; // a part this does not write (milliseconds, a time zone)
        } else {
            literal(latin1(QStringView(&format.constData()[i], 1), &exact));
            i += 1;
        }
        if (!exact)
            return {};
    }
    return parts;
}

void TextFormat::appendTime(QByteArray &line, QTime time) const
{
    auto number = [&line](int value, bool twoDigits) {
        if (twoDigits || value >= 10)
            line += static_cast<char>('0' + value / 10);
        line += static_cast<char>('0' + value % 10);
    };
    for (const TimePart &part : m_timeParts) {
        switch (part.kind) {
        case TimePart::Literal:
            line += part.text;
            break;
        case TimePart::Hour24:
            number(time.hour(), part.twoDigits);
            break;
        case TimePart::Hour12:
            number(time.hour() % 12 == 0 ? 12 : time.hour() % 12, part.twoDigits);
            break;
        case TimePart::Minute:
            number(time.minute(), part.twoDigits);
            break;
        case TimePart::Second:
            number(time.second(), part.twoDigits);
            break;
        case TimePart::AmPm:
            line += time.hour() < 12 ? part.text : part.pmText;
            break;
        }
    }
}

std::optional<double> TextFormat::readNumber(const QString &text) const
{
    bool ok = false;
    const double value = m_numbers.toDouble(text, &ok);
    if (ok)
        return value;
    return std::nullopt;
}

QDateTime TextFormat::readGeneralDate(const QString &text) const
{
    const auto dateOf = [this](const QString &part) {
        QDate date = m_dates.toDate(part, m_dateFormat);
        if (!date.isValid())
            date = QDate::fromString(part, QStringLiteral("yyyy-MM-dd"));
        return date;
    };
    const auto timeOf = [this](const QString &part) {
        QTime time = m_dates.toTime(part, m_timeFormat);
        if (!time.isValid())
            time = QTime::fromString(part, QStringLiteral("HH:mm:ss"));
        return time;
    };
    if (const QDate date = dateOf(text); date.isValid())
        return QDateTime(date, QTime(0, 0));
    // The date and the time are apart at a blank; the date may hold blanks of its own.
    for (qsizetype at = text.indexOf(QLatin1Char(' ')); at > 0;
         at = text.indexOf(QLatin1Char(' '), at + 1)) {
        const QDate date = dateOf(text.left(at));
        const QTime time = date.isValid() ? timeOf(text.mid(at + 1)) : QTime();
        if (time.isValid())
            return QDateTime(date, time);
    }
    return {};
}

QByteArray TextFormat::dateText(QDate date) const
{
    bool exact = true;
    QByteArray text = latin1(m_dates.toString(date, m_dateFormat), &exact);
    if (!exact) // characters the code page lacks: the numeric form with ASCII separators
        text = QLocale::c().toString(date, QStringLiteral("yyyy-MM-dd")).toLatin1();
    return text;
}

QByteArray TextFormat::timeText(QTime time) const
{
    bool exact = true;
    QByteArray text = latin1(m_dates.toString(time, m_timeFormat), &exact);
    if (!exact)
        text = QLocale::c().toString(time, QStringLiteral("HH:mm:ss")).toLatin1();
    return text;
}

void TextFormat::appendFixed(QByteArray &line, double value, int decimals) const
{
    if (!std::isfinite(value)) {
        line += latin1(m_numbers.toString(value, 'f', decimals));
        return;
    }
    char digits[400];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                   std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        line += latin1(m_numbers.toString(value, 'f', decimals));
        return;
    }
    // The digits without the point: the whole part, then the decimals.
    const char *point = std::find(digits, end, '.');
    if (point != end)
        std::memmove(const_cast<char *>(point), point + 1, static_cast<size_t>(end - point - 1));
    const qsizetype count = point != end ? end - digits - 1 : end - digits;
    const bool nonZero =
        std::any_of(digits, digits + count, [](char c) { return c >= '1' && c <= '9'; });
    appendDigits(line, digits, point - digits, count, std::signbit(value) && nonZero);
}

void TextFormat::appendFixed(QByteArray &line, float value, int decimals) const
{
    // A float has 24 significant bits and 10^6 needs 14 more: value × 10^decimals is exact in a
    // double, so rounding it to a whole number (halves to even, as printf rounds the exact
    // value) gives the same digits as the general path, without printf.
    static constexpr double Scale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
    if (decimals < 0 || decimals > 6) {
        appendFixed(line, static_cast<double>(value), decimals);
        return;
    }
    const double scaled = static_cast<double>(value) * Scale[decimals];
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 1e18) {
        appendFixed(line, static_cast<double>(value), decimals);
        return;
    }
    auto n = static_cast<quint64>(std::fabs(std::nearbyint(scaled)));
    char digits[24];
    char *end = digits + sizeof digits;
    char *p = end;
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (end - p < decimals + 1)
        *--p = '0';
    const qsizetype count = end - p;
    const bool nonZero = std::any_of(p, end, [](char c) { return c != '0'; });
    appendDigits(line, p, count - decimals, count, std::signbit(value) && nonZero);
}

// "-0.000" is written as "0.000", as the locale formatting does: the caller says whether the
// number is negative once rounded.
void TextFormat::appendDigits(QByteArray &line, const char *digits, qsizetype wholeDigits,
                              qsizetype count, bool negative) const
{
    // Composed here and appended once: appending character by character costs more than the
    // formatting itself.
    char text[512];
    const qsizetype needed =
        m_negativeSign.size() + count * (1 + m_groupSeparator.size()) + m_decimalPoint.size();
    if (needed > qsizetype(sizeof text)) { // only for huge values from the general path
        QByteArray big;
        if (negative)
            big += m_negativeSign;
        for (qsizetype i = 0; i < wholeDigits; ++i) {
            if (i > 0 && !m_groupSeparator.isEmpty() && (wholeDigits - i) % 3 == 0)
                big += m_groupSeparator;
            big += digits[i];
        }
        if (count > wholeDigits)
            big += m_decimalPoint + QByteArray(digits + wholeDigits, count - wholeDigits);
        line += big;
        return;
    }
    char *p = text;
    auto put = [&p](const QByteArray &bytes) {
        std::memcpy(p, bytes.constData(), static_cast<size_t>(bytes.size()));
        p += bytes.size();
    };
    if (negative)
        put(m_negativeSign);
    for (qsizetype i = 0; i < wholeDigits; ++i) {
        if (i > 0 && !m_groupSeparator.isEmpty() && (wholeDigits - i) % 3 == 0)
            put(m_groupSeparator);
        *p++ = digits[i];
    }
    if (count > wholeDigits) {
        put(m_decimalPoint);
        std::memcpy(p, digits + wholeDigits, static_cast<size_t>(count - wholeDigits));
        p += count - wholeDigits;
    }
    appendBytes(line, text, p - text);
}

void TextFormat::appendInteger(QByteArray &line, qint64 value) const
{
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    appendBytes(line, digits, static_cast<qsizetype>(end - digits));
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
        if (m_timeParts.empty())
            line += timeText(dateTime.time());
        else
            appendTime(line, dateTime.time());
    }
}

namespace {

// A locale from a setting such as de_DE.UTF-8@euro: the codeset and modifier say nothing of the
// formats; C and POSIX are the C locale.
QLocale localeNamed(const QString &setting)
{
    const QString name = setting.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QLocale::c();
    return QLocale(name);
}

QString firstSet(std::initializer_list<const QString *> settings)
{
    for (const QString *setting : settings) {
        if (!setting->isEmpty())
            return *setting;
    }
    return {};
}

} // namespace

TextFormat textFormatFor(const LocaleSettings &settings)
{
    return TextFormat(localeNamed(firstSet({&settings.all, &settings.numeric, &settings.lang})),
                      localeNamed(firstSet({&settings.all, &settings.time, &settings.lang})));
}

} // namespace quvane
