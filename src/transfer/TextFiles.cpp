#include "transfer/TextFiles.h"

#include "link/QuvaneError.h"
#include "link/Transport.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace quvane {

namespace {
QuvaneError fileError(const char *doing, const QString &name, const QFile &file)
{
    return QuvaneError(
        ErrorNumber::FileError,
        QStringLiteral("Cannot %1 %2: %3").arg(QLatin1String(doing), name, file.errorString()));
}
} // namespace

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo first(a), second(b);
    if (!first.exists() || !second.exists())
        return false;
    if (first.canonicalFilePath() == second.canonicalFilePath())
        return true;
#ifdef Q_OS_UNIX
    struct stat x, y;
    return ::stat(QFile::encodeName(a).constData(), &x) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &y) == 0 && x.st_dev == y.st_dev &&
           x.st_ino == y.st_ino;
#else
    return false;
#endif
}

LineReader::LineReader(const QString &path) : m_file(path), m_name(QDir::toNativeSeparators(path))
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw fileError("read", m_name, m_file);
}

LineReader::LineReader(StandardInputTag) : m_name(QStringLiteral("standard input"))
{
    if (!m_file.open(STDIN_FILENO, QIODevice::ReadOnly))
        throw fileError("read", m_name, m_file);
}

bool LineReader::fill()
{
    constexpr qint64 Block = 1 << 16;
    m_buffer.remove(0, m_at);
    m_at = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + Block);
    const qint64 n = m_file.read(m_buffer.data() + kept, Block);
    if (n < 0) {
        m_buffer.resize(kept);
        throw fileError("read", m_name, m_file);
    }
    m_buffer.resize(kept + n);
    return n > 0;
}

bool LineReader::next(QByteArray &line)
{
    for (;;) {
        if (m_skipLf && m_at < m_buffer.size()) {
            if (m_buffer.at(m_at) == '\n')
                ++m_at;
            m_skipLf = false;
        }
        const char *begin = m_buffer.constData() + m_at;
        const qsizetype left = m_buffer.size() - m_at;
        // The first LF, then a CR before it if there is one (memchr is much faster than a loop).
        const auto *lf = static_cast<const char *>(std::memchr(begin, '\n', size_t(left)));
        const qsizetype upTo = lf ? lf - begin : left;
        const auto *cr = static_cast<const char *>(std::memchr(begin, '\r', size_t(upTo)));
        const qsizetype end = cr ? cr - begin : upTo;
        if (end < left) {
            line = QByteArray(begin, end);
            m_skipLf = begin[end] == '\r';
            m_at += end + 1;
            ++m_lineNumber;
            return true;
        }
        if (left > MaxPacketLength)
            throw QuvaneError(ErrorNumber::FileError,
                              QStringLiteral("Line %1 of %2 is longer than %3 characters")
                                  .arg(++m_lineNumber) // the line that stopped the reading
                                  .arg(m_name)
                                  .arg(MaxPacketLength));
        if (!fill()) {
            if (m_buffer.size() == m_at)
                return false;
            // The last line without its end.
            line = m_buffer.mid(m_at);
            m_at = m_buffer.size();
            ++m_lineNumber;
            return true;
        }
    }
}

} // namespace quvane
