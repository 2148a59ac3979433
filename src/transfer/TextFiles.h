#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace quvane {

// Whether two paths name the same existing file (however named: links, relative paths).
bool sameFile(const QString &a, const QString &b);

// A text file read line by line. A line ends at CR LF, LF or CR alone; the last line may lack
// its end. A line longer than a packet is an error naming it, so that a file that is no text
// cannot fill the memory.
class LineReader
{
public:
    explicit LineReader(const QString &path);
    // The program's standard input, named "standard input" in messages.
    struct StandardInputTag
    {};
    static constexpr StandardInputTag StandardInput{};
    explicit LineReader(StandardInputTag);
    // The next line without its end (empty for a blank line), or false at the end of the file.
    bool next(QByteArray &line);
    int lineNumber() const { return m_lineNumber; }

private:
    bool fill();

    QFile m_file;
    QString m_name; // as messages name it
    QByteArray m_buffer;
    qsizetype m_at = 0;
    bool m_skipLf = false; // the previous line ended with CR: a LF first is its end's rest
    int m_lineNumber = 0;
};

} // namespace quvane
