#include "transfer/TextFiles.h"

#include "link/QuvaneError.h"

#include <QDir>

namespace quvane {

namespace {
QuvaneError fileError(const char *doing, const QFile &file)
{
    return QuvaneError(ErrorNumber::FileError,
                       QStringLiteral("Cannot %1 %2: %3")
                           .arg(QLatin1String(doing), QDir::toNativeSeparators(file.fileName()),
                                file.errorString()));
}
} // namespace

LineWriter::LineWriter(const QString &path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raise("create");
}

void LineWriter::raise(const char *doing)
{
    throw fileError(doing, m_file);
}

void LineWriter::writeLine(const QByteArray &line)
{
    if (m_file.write(line) != line.size() || m_file.write("\r\n", 2) != 2)
        raise("write to");
    ++m_lines;
}

void LineWriter::close()
{
    if (!m_file.isOpen())
        return;
    const bool flushed = m_file.flush();
    m_file.close();
    if (!flushed)
        raise("write to");
}

int LineWriter::abandon() noexcept
{
    if (m_file.isOpen()) {
        m_file.flush();
        m_file.close();
    }
    return m_lines;
}

LineReader::LineReader(const QString &path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw fileError("read", m_file);
}

bool LineReader::next(QByteArray &line)
{
    if (m_file.atEnd())
        return false;
    line = m_file.readLine();
    if (line.isEmpty() && m_file.error() != QFile::NoError)
        throw fileError("read", m_file);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    ++m_lineNumber;
    return true;
}

} // namespace quvane
