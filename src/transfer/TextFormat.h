#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLocale>

#include <QString>
#include <optional>

#include <cstring>
#include <vector>

namespace quvane {

// Appends bytes to a line whose capacity is reserved: cheaper than QByteArray::append, which
// goes through insert() and its checks, and this is done a hundred times a record.
inline void appendBytes(QByteArray &line, const char *bytes, qsizetype count)
{
    const qsizetype at = line.size();
    line.resize(at + count);
    std::memcpy(line.data() + at, bytes, static_cast<size_t>(count));
}
inline void appendBytes(QByteArray &line, const QByteArray &bytes)
{
    appendBytes(line, bytes.constData(), bytes.size());
}

// Numbers and dates as the delimited text files write them: in a locale's formats, appended to
// single-byte (ISO-8859-1) lines without allocating per field.
//
// The rule for text in the single-byte files, in one place: digits are ASCII; the locale's
// minus, plus, decimal and group separators become their nearest ISO-8859-1 character (U+2212 to
// "-", narrow and thin spaces to the no-break space 0xA0, the Arabic decimal separator to ","),
// and direction marks are dropped. Dates and times use the locale's short date (four-digit
// year) and long time without its time-zone part; where they need a character the code page
// lacks, the numeric form with ASCII separators (yyyy-MM-dd, HH:mm:ss). The C/POSIX locale
// writes as en_US. No "?" is ever introduced.
class TextFormat
{
public:
    explicit TextFormat(const QLocale &locale = QLocale()) : TextFormat(locale, locale) {}
    // Numbers in one locale's formats, dates and times in another's, as a C program takes them
    // from LC_NUMERIC and LC_TIME.
    TextFormat(const QLocale &numbers, const QLocale &dates);

    // The decimal separator the numbers are written with.
    const QByteArray &decimalPoint() const { return m_decimalPoint; }

    // value with exactly `decimals` decimals: the locale's decimal separator, negative sign and
    // digit grouping, always a leading zero.
    void appendFixed(QByteArray &line, double value, int decimals) const;
    // The same for a single-precision value, faster: value × 10^decimals is exact in a double.
    void appendFixed(QByteArray &line, float value, int decimals) const;
    void appendInteger(QByteArray &line, qint64 value) const;
    // The general date form: the short date with a four-digit year, a blank and the long time
    // without a time-zone name; the date alone when the time is exactly midnight.
    void appendGeneralDate(QByteArray &line, const QDateTime &dateTime) const;
    QString generalDate(const QDateTime &dateTime) const;

    // What the above wrote, read back: a number in the locale's form (digit grouping allowed),
    // and a general date (or the ISO forms a code page without the locale's characters gets).
    std::optional<double> readNumber(const QString &text) const;
    QDateTime readGeneralDate(const QString &text) const;

    // Text in ISO-8859-1 by the rule above. A character without a near equivalent becomes "?"
    // and clears *exact, so that a caller can fall back to a plainer form.
    static QByteArray latin1(QStringView text, bool *exact = nullptr);

private:
    QByteArray dateText(QDate date) const;
    QByteArray timeText(QTime time) const;
    void appendDigits(QByteArray &line, const char *digits, qsizetype wholeDigits, qsizetype count,
                      bool negative) const;
    // The time pattern taken apart once, so that each record's time is written without
    // QLocale; empty when the pattern has a part this does not know (QLocale writes it then).
    struct TimePart
    {
        enum Kind
        {
            Literal,
            Hour24,
            Hour12,
            Minute,
            Second,
            AmPm
        } kind;
        bool twoDigits = false;
        QByteArray text; // a literal, or the AM text for AmPm
        QByteArray pmText;
    };
    std::vector<TimePart> compileTime(const QString &format) const;
    void appendTime(QByteArray &line, QTime time) const;

    QLocale m_numbers;
    QLocale m_dates;
    QString m_dateFormat;
    QString m_timeFormat;
    std::vector<TimePart> m_timeParts;
    QByteArray m_decimalPoint;
    QByteArray m_groupSeparator; // empty when the locale does not group digits
    QByteArray m_negativeSign;
    // Records of a datalog share their dates: the last one formatted is kept.
    mutable QDate m_lastDate;
    mutable QByteArray m_lastDateText;
};

// The locale settings of a program's environment, which its main() reads.
struct LocaleSettings
{
    QString all;     // LC_ALL
    QString numeric; // LC_NUMERIC
    QString time;    // LC_TIME
    QString lang;    // LANG
};

// The text format the settings ask for, category by category as the C library takes them:
// numbers by LC_ALL, else LC_NUMERIC, else LANG; dates and times by LC_ALL, else LC_TIME, else
// LANG; the C locale where none is set (LC_MESSAGES changes neither).
TextFormat textFormatFor(const LocaleSettings &settings);

} // namespace quvane
