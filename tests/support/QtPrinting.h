#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

// GoogleTest shows Qt's texts as text when a check fails, and takes them after <<.
QT_BEGIN_NAMESPACE
inline std::ostream &operator<<(std::ostream &out, const QString &text)
{
    return out << text.toStdString();
}
inline std::ostream &operator<<(std::ostream &out, const QByteArray &bytes)
{
    return out << bytes.toStdString();
}
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray &bytes, std::ostream *out)
{
    *out << '"' << bytes.toStdString() << '"';
}
inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '[' << list.join(QStringLiteral("|")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace quvane {

// Whether the text holds the part; the text is shown when it does not.
inline testing::AssertionResult holds(const QString &text, const QString &part)
{
    if (text.contains(part))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << '"' << text.toStdString() << "\" does not hold \"" << part.toStdString() << '"';
}

} // namespace quvane
