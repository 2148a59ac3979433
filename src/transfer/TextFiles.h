#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace quvane {

// A single-byte text file written line by line with CR LF line ends. Failures raise a QuvaneError
// naming the file.
class LineWriter
{
public:
    // Creates the file anew (an existing one is overwritten).
    explicit LineWriter(const QString &path);
    void writeLine(const QByteArray &line);
    void close();
    // Closes the file after a failure, keeping what was written; returns the count of lines.
    int abandon() noexcept;
    int lines() const { return m_lines; }

private:
    [[noreturn]] void raise(const char *doing);

    QFile m_file;
    int m_lines = 0;
};

// A text file read line by line; CR LF and LF both end a line.
class LineReader
{
public:
    explicit LineReader(const QString &path);
    // The next line without its end, or false at the end of the file.
    bool next(QByteArray &line);
    int lineNumber() const { return m_lineNumber; }

private:
    QFile m_file;
    int m_lineNumber = 0;
};

} // namespace quvane
