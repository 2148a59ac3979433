#pragma once

#include "link/QuvaneError.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

namespace quvane {

// The bytes of a file; "<missing>" when it cannot be read.
inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The line ends in a file; -1 when there is no file.
inline int lineCount(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) : -1;
}

// What poppler's tools read of a PDF: pdfinfo's fields, or pdftotext's text in its layout.
inline QString poppler(const QString &tool, const QString &pdf)
{
    QProcess process;
    process.start(tool, tool == "pdfinfo" ? QStringList{pdf} : QStringList{"-layout", pdf, "-"});
    EXPECT_TRUE(process.waitForFinished(30000)) << tool.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline void put(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// The tab-separated fields of each line of a reference file, less comments and blank lines.
inline QList<QStringList> fieldsOf(const QString &path)
{
    QList<QStringList> lines;
    for (const QString &line : QString::fromUtf8(contentOf(path)).split(QLatin1Char('\n'))) {
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines << line.split(QLatin1Char('\t'));
    }
    return lines;
}

// The number of the error a step raises, 0 for none; its description in *description.
inline int errorNumberOf(const std::function<void()> &step, QString *description = nullptr)
{
    try {
        step();
    } catch (const QuvaneError &e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

} // namespace quvane
