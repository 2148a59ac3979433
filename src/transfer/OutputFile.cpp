#include "transfer/OutputFile.h"

#include "link/QuvaneError.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace quvane {

namespace {

constexpr qsizetype BufferSize = 1 << 16;
constexpr int MaxLinks = 40; // as the kernel follows them

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString shownBytes(const QByteArray &path)
{
    return shown(QFile::decodeName(path));
}

[[noreturn]] void refuse(const QString &path, const QString &why)
{
    throw QuvaneError(ErrorNumber::FileError,
                      QStringLiteral("Cannot write %1: %2").arg(shown(path), why));
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

const char *kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISFIFO(mode))
        return "it is a FIFO, not a regular file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a regular file";
    return "it is not a regular file";
}

// The process's umask, without changing it (Linux shows it in /proc).
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                return static_cast<mode_t>(
                    std::strtol(line.mid(6).trimmed().constData(), nullptr, 8));
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

struct Resolved
{
    QByteArray target; // the file that gets the content
    bool exists = false;
    struct stat status = {};
};

// Applies the naming rules and follows links to the file that gets the content.
Resolved resolve(const QString &path)
{
    if (path.isEmpty())
        refuse(path, QStringLiteral("no file name was given"));
    if (path.contains(QChar::ReplacementCharacter))
        refuse(path, QStringLiteral("the name does not decode in the character set of the "
                                    "locale; rename the file or choose another name"));
    QByteArray name = QFile::encodeName(path);
    if (name.endsWith('/') || name == "." || name == ".." || name.endsWith("/.") ||
        name.endsWith("/.."))
        refuse(path, QStringLiteral("it names a folder, not a file"));

    Resolved resolved;
    const uid_t user = ::geteuid();
    for (int hop = 0;; ++hop) {
        struct stat link;
        if (::lstat(name.constData(), &link) != 0) {
            if (errno != ENOENT)
                refuse(path, reason(errno));
            break;
        }
        if (!S_ISLNK(link.st_mode))
            break;
        if (hop == MaxLinks)
            refuse(path, reason(ELOOP));
        const QByteArray folder = folderOf(name);
        struct stat dir;
        if (::stat(folder.constData(), &dir) == 0 && (dir.st_mode & S_ISVTX) &&
            (dir.st_mode & S_IWOTH) && link.st_uid != user && link.st_uid != dir.st_uid)
            refuse(path, QStringLiteral("it is a symbolic link of another user in the shared "
                                        "folder %1, which this program does not follow")
                             .arg(shownBytes(folder)));
        QByteArray to(static_cast<qsizetype>(link.st_size > 0 ? link.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(name.constData(), to.data(), static_cast<size_t>(to.size()));
        if (n < 0)
            refuse(path, reason(errno));
        to.truncate(n);
        name = to.startsWith('/') ? to : folder + '/' + to;
    }
    resolved.target = name;

    if (::stat(name.constData(), &resolved.status) == 0) {
        resolved.exists = true;
        if (!S_ISREG(resolved.status.st_mode))
            refuse(path, QString::fromLatin1(kindOf(resolved.status.st_mode)));
        // Root may write anything: a file without any write permission is read-only to it too,
        // as it is to rm and to editors.
        if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0 ||
            (user == 0 && (resolved.status.st_mode & 0222) == 0))
            refuse(path, QStringLiteral("the file is read-only"));
    } else if (errno != ENOENT) {
        refuse(path, reason(errno));
    }

    const QByteArray folder = folderOf(name);
    struct stat dir;
    if (::stat(folder.constData(), &dir) != 0)
        refuse(path, QStringLiteral("the folder %1 does not exist").arg(shownBytes(folder)));
    if (!S_ISDIR(dir.st_mode))
        refuse(path, QStringLiteral("%1 is not a folder").arg(shownBytes(folder)));
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        refuse(path,
               QStringLiteral("you may not create files in the folder %1").arg(shownBytes(folder)));
    return resolved;
}

bool writeAll(int fd, const char *data, qsizetype size, int &error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void syncFolder(const QByteArray &file)
{
    const int dir = ::open(folderOf(file).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

void OutputFile::check(const QString &path)
{
    resolve(path);
}

void OutputFile::append(const QString &path, QByteArrayView bytes, OutputFileFaults faults)
{
    const Resolved resolved = resolve(path);
    const int fd =
        ::open(resolved.target.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        refuse(path, reason(errno));
    struct stat before;
    int error = 0;
    if (::fstat(fd, &before) != 0)
        error = errno;
    else {
        const qsizetype first = faults.failWriteAt == 1 ? bytes.size() / 2 : bytes.size();
        if (writeAll(fd, bytes.data(), first, error)) {
            if (first < bytes.size() || faults.failSync)
                error = faults.error;
            else if (::fsync(fd) != 0)
                error = errno;
        }
        if (error != 0 && ::ftruncate(fd, before.st_size) != 0)
            error = errno;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        throw QuvaneError(ErrorNumber::FileError,
                          QStringLiteral("Cannot write to %1: %2").arg(shown(path), reason(error)));
}

OutputFile::OutputFile(const QString &path, OutputFileFaults faults)
    : m_path(path), m_faults(faults)
{
    const Resolved resolved = resolve(path);
    m_target = resolved.target;
    m_exists = resolved.exists;
    if (m_exists) {
        m_mode = resolved.status.st_mode & 07777;
        m_uid = resolved.status.st_uid;
        m_gid = resolved.status.st_gid;
    } else {
        m_mode = 0666 & ~currentUmask();
    }
    // A short name beside the target: the target's own may already use the length allowed.
    const QByteArray base = m_target.mid(m_target.lastIndexOf('/') + 1).left(200);
    m_temporary = folderOf(m_target) + "/." + base + ".XXXXXX";
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
    if (m_fd < 0)
        refuse(path, reason(errno));
    m_buffer.reserve(BufferSize);
}

OutputFile::OutputFile(StandardOutputTag, OutputFileFaults faults)
    : m_path(QStringLiteral("standard output")), m_faults(faults), m_stream(true)
{
    // A copy of the descriptor: closing it leaves the program's standard output open.
    m_fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (m_fd < 0)
        raise("write to", errno);
    m_buffer.reserve(BufferSize);
}

OutputFile::~OutputFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        if (!m_stream)
            ::unlink(m_temporary.constData());
    }
}

void OutputFile::raise(const char *doing, int error) const
{
    throw QuvaneError(
        ErrorNumber::FileError,
        QStringLiteral("Cannot %1 %2: %3").arg(QLatin1String(doing), shown(m_path), reason(error)));
}

void OutputFile::writeOut(const char *data, qsizetype size, bool last)
{
    ++m_writes;
    int error = 0;
    if ((last && m_faults.failFlush) || m_writes == m_faults.failWriteAt)
        error = m_faults.error;
    else if (writeAll(m_fd, data, size, error)) {
        if (m_stream) {
            for (const char *at = data, *end = data + size;
                 (at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)))); ++at)
                ++m_linesOut;
        }
        return;
    }
    raise("write to", error);
}

void OutputFile::flushBuffer(bool last)
{
    if (m_buffer.isEmpty() && !last)
        return;
    const QByteArray pending = std::exchange(m_buffer, {});
    m_buffer.reserve(BufferSize);
    writeOut(pending.constData(), pending.size(), last);
}

void OutputFile::write(QByteArrayView bytes)
{
    if (m_fd < 0)
        raise("write to", EBADF);
    if (m_buffer.size() + bytes.size() > BufferSize)
        flushBuffer(false);
    if (bytes.size() >= BufferSize)
        writeOut(bytes.data(), bytes.size(), false);
    else
        m_buffer.append(bytes);
}

void OutputFile::writeLine(QByteArrayView line)
{
    write(line);
    write(QByteArrayView("\r\n", 2));
}

void OutputFile::applyOwnership(int fd) const noexcept
{
    // Owner and group first: changing them may clear the set-id bits the mode then restores.
    if (m_uid >= 0 && ::fchown(fd, static_cast<uid_t>(m_uid), static_cast<gid_t>(m_gid)) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(m_gid));
    ::fchmod(fd, static_cast<mode_t>(m_mode));
}

void OutputFile::commit()
{
    if (m_fd < 0)
        raise("write to", EBADF);
    flushBuffer(true);
    if (m_stream) {
        // A file the shell opened is synced; a pipe or a terminal cannot be, and needs not.
        if (m_faults.failSync ||
            (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP))
            raise("write to", m_faults.failSync ? m_faults.error : errno);
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            raise("write to", errno);
        return;
    }
    applyOwnership(m_fd);
    if (m_faults.failSync)
        raise("write to", m_faults.error);
    if (::fsync(m_fd) != 0)
        raise("write to", errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_temporary.constData());
        raise("write to", error);
    }
    if (m_faults.failRename || ::rename(m_temporary.constData(), m_target.constData()) != 0) {
        const int error = m_faults.failRename ? m_faults.error : errno;
        ::unlink(m_temporary.constData());
        raise("replace", error);
    }
    syncFolder(m_target);
}

OutputFile::Kept OutputFile::keepPartial() noexcept
{
    if (m_fd < 0)
        return {};
    try {
        flushBuffer(false);
    } catch (const QuvaneError &) {
        // What did not reach the disk is lost; what did is kept below.
    }
    m_buffer.clear();
    if (m_stream) {
        ::close(std::exchange(m_fd, -1));
        return {m_path, m_linesOut};
    }
    // Count the complete lines on the disk and cut after the last one.
    Kept kept;
    off_t end = 0, at = 0;
    char block[1 << 16];
    for (;;) {
        const ssize_t n = ::pread(m_fd, block, sizeof block, at);
        if (n <= 0)
            break;
        for (ssize_t k = 0; k < n; ++k) {
            if (block[k] == '\n') {
                ++kept.lines;
                end = at + k + 1;
            }
        }
        at += n;
    }
    const int fd = std::exchange(m_fd, -1);
    if (kept.lines == 0 || ::ftruncate(fd, end) != 0) {
        ::close(fd);
        ::unlink(m_temporary.constData());
        return {};
    }
    applyOwnership(fd);
    ::fsync(fd);
    ::close(fd);
    // The partial name beside the name given; another free one when it cannot be written (a
    // file of another user in a shared folder). A name is taken with link(), which never
    // replaces what is there; a file system without hard links gets a rename onto a free name.
    const auto place = [this](const QByteArray &to) {
        if (::link(m_temporary.constData(), to.constData()) == 0)
            return true;
        struct stat there;
        return errno != EEXIST && ::lstat(to.constData(), &there) != 0 && errno == ENOENT &&
               ::rename(m_temporary.constData(), to.constData()) == 0;
    };
    const QByteArray partial = QFile::encodeName(partialPath(m_path));
    QByteArray chosen;
    struct stat earlier;
    // An earlier partial file of the user's own is replaced.
    if (::lstat(partial.constData(), &earlier) == 0 && S_ISREG(earlier.st_mode) &&
        earlier.st_uid == ::geteuid() &&
        ::rename(m_temporary.constData(), partial.constData()) == 0)
        chosen = partial;
    else if (place(partial))
        chosen = partial;
    for (int n = 1; n < 1000 && chosen.isEmpty(); ++n) {
        const QByteArray other = partial + '.' + QByteArray::number(n);
        if (place(other))
            chosen = other;
    }
    ::unlink(m_temporary.constData());
    if (chosen.isEmpty())
        return {};
    syncFolder(chosen);
    kept.path = QFile::decodeName(chosen);
    return kept;
}

} // namespace quvane
