#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace quvane {

// Numbers and dates as the delimited text files write them: in a locale's formats, appended to
// single-byte (ISO-8859-1) lines without allocating per field.
class TextFormat
{
public:
    explicit TextFormat(const QLocale &locale = QLocale());

    // value with exactly `decimals` decimals: the locale's decimal separator, negative sign and
    // digit grouping, always a leading zero.
    void appendFixed(QByteArray &line, double value, int decimals) const;
    void appendInteger(QByteArray &line, qint64 value) const;
    // The general date form: the short date with a four-digit year, a blank and the long time
    // without a time-zone name; the date alone when the time is exactly midnight.
    void appendGeneralDate(QByteArray &line, const QDateTime &dateTime) const;
    QString generalDate(const QDateTime &dateTime) const;

private:
    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    QByteArray m_decimalPoint;
    QByteArray m_groupSeparator; // empty when the locale does not group digits
    QByteArray m_negativeSign;
    // Records of a datalog share their dates: the last one formatted is kept.
    mutable QDate m_lastDate;
    mutable QByteArray m_lastDateText;
};

} // namespace quvane
