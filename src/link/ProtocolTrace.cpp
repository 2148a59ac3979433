#include "link/ProtocolTrace.h"

#include "link/QuvaneError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quvane {

ProtocolTrace ProtocolTrace::open(const QString &path)
{
    ProtocolTrace trace;
    if (path.isEmpty())
        return trace;
    const auto refused = [&trace, &path](const QString &why) {
        trace.m_error = QStringLiteral("cannot open the trace file %1: %2")
                            .arg(QDir::toNativeSeparators(path), why);
        return std::move(trace);
    };
    // The trace holds every exchange: it goes to a file of the user's own, made readable by
    // the user alone, never through a link nor to a file another user planted in a shared
    // folder.
    const QByteArray name = QFile::encodeName(path);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return refused(errno == ELOOP ? QStringLiteral("it is a symbolic link")
                                      : QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(fd);
        return refused(QStringLiteral("it is not a regular file of your own"));
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(file->errorString());
    }
    trace.m_file = std::move(file);
    return trace;
}

void ProtocolTrace::record(const QByteArray &command, const QByteArray &outcome)
{
    if (!m_file)
        return;
    // Control characters (and anything outside printable ASCII) as \xNN: the trace is read
    // on a terminal.
    auto escaped = [](const QByteArray &bytes) {
        QByteArray out;
        for (char c : bytes) {
            if (c >= 0x20 && c < 0x7F && c != '\\')
                out += c;
            else
                out += "\\x" + QByteArray::number(static_cast<uchar>(c), 16).rightJustified(2, '0');
        }
        return out;
    };
    QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toLatin1();
    line += '\t';
    line += escaped(command);
    line += '\t';
    line += escaped(outcome);
    line += '\n';
    m_file->write(line);
    m_file->flush();
}

void ProtocolTrace::recordFailure(const QByteArray &command, const QuvaneError &error)
{
    if (m_file)
        record(command, error.isTimeout() ? QByteArray("timeout") : error.description().toUtf8());
}

} // namespace quvane
