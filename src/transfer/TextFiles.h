#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryFile>

namespace quvane {

// A single-byte text file written line by line with CR LF line ends, safely: the lines go to a
// temporary file beside the target, which replaces the target only at commit(). A failure
// leaves an existing target as it was. Failures raise a QuvaneError naming the file and the
// system's reason.
class LineWriter
{
public:
    explicit LineWriter(const QString &path);
    // Removes the temporary file when neither committed nor abandoned.
    ~LineWriter();
    LineWriter(const LineWriter &) = delete;
    LineWriter &operator=(const LineWriter &) = delete;

    void writeLine(const QByteArray &line);
    // Closes the file and moves it over the target.
    void commit();

    struct Kept
    {
        QString path;  // empty when nothing could be kept
        int lines = 0; // complete lines it holds
    };
    // After a failure: keeps what reached the disk, cut after its last complete line, as the
    // target's name with ".partial" added.
    Kept abandon() noexcept;

    static QString partialPath(const QString &path) { return path + QStringLiteral(".partial"); }

private:
    [[noreturn]] void raise(const char *doing);

    QString m_path;
    QTemporaryFile m_file;
    bool m_done = false;
};

// Whether two paths name the same existing file (however named: links, relative paths).
bool sameFile(const QString &a, const QString &b);

// A text file read line by line. A line ends at CR LF, LF or CR alone; the last line may lack
// its end. A line longer than a packet is an error naming it, so that a file that is no text
// cannot fill the memory.
class LineReader
{
public:
    explicit LineReader(const QString &path);
    // The next line without its end (empty for a blank line), or false at the end of the file.
    bool next(QByteArray &line);
    int lineNumber() const { return m_lineNumber; }

private:
    bool fill();

    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_at = 0;
    bool m_skipLf = false; // the previous line ended with CR: a LF first is its end's rest
    int m_lineNumber = 0;
};

} // namespace quvane
