#include "transfer/OutputFile.h"

#include "link/QuvaneError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <fcntl.h>
#include <signal.h>
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

// 0 when the folder of the file reached the disk, else the reason.
int syncFolder(const QByteArray &file)
{
    const int dir = ::open(folderOf(file).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return errno;
    const int error = ::fsync(dir) == 0 || errno == EINVAL ? 0 : errno;
    ::close(dir);
    return error;
}

// The name a file open as fd has in /proc, through which an unnamed file is given a name.
QByteArray procPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// Named temporaries, where the file system has no unnamed ones, are ".NAME.quvane-PID-XXXXXX":
// those of a process that no longer runs (killed during a transfer) are removed by the next
// writer in the folder.
QByteArray temporaryPrefix(const QByteArray &target)
{
    return "." + target.mid(target.lastIndexOf('/') + 1).left(180) + ".quvane-";
}

void removeStaleTemporaries(const QByteArray &target)
{
    const QByteArray folder = folderOf(target), prefix = temporaryPrefix(target);
    const QStringList names = QDir(QFile::decodeName(folder))
                                  .entryList({QFile::decodeName(prefix) + QStringLiteral("*")},
                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QByteArray path = folder + '/' + QFile::encodeName(name);
        const QByteArray rest = QFile::encodeName(name).mid(prefix.size());
        bool ok = false;
        const pid_t pid = static_cast<pid_t>(rest.left(rest.indexOf('-')).toLongLong(&ok));
        struct stat status;
        if (ok && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH &&
            ::lstat(path.constData(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid())
            ::unlink(path.constData());
    }
}

// The checks of resolve(), and a file that replacing would part from its other names (hard
// links, which a new file put in its place would leave with the old content) is refused.
Resolved resolveReplaceable(const QString &path)
{
    Resolved resolved = resolve(path);
    if (resolved.exists && resolved.status.st_nlink > 1)
        refuse(path, QStringLiteral("it has %1 names (hard links), which replacing it would part; "
                                    "choose another name")
                         .arg(resolved.status.st_nlink));
    return resolved;
}

} // namespace

void OutputFile::check(const QString &path)
{
    resolveReplaceable(path);
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
    const Resolved resolved = resolveReplaceable(path);
    // A name of the program's own standard output (/dev/stdout, a file the shell opened for
    // it, perhaps to append to): written through it, as "-" is, never replaced under the shell.
    struct stat out;
    if (resolved.exists && ::fstat(STDOUT_FILENO, &out) == 0 &&
        out.st_dev == resolved.status.st_dev && out.st_ino == resolved.status.st_ino) {
        m_stream = true;
        m_fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (m_fd < 0)
            raise("write to", errno);
        m_buffer.reserve(BufferSize);
        return;
    }
    m_target = resolved.target;
    m_exists = resolved.exists;
    if (m_exists) {
        m_mode = resolved.status.st_mode & 07777;
        m_uid = resolved.status.st_uid;
        m_gid = resolved.status.st_gid;
    } else {
        m_mode = 0666 & ~currentUmask();
    }
    // Set-user-ID and set-group-ID bits are never carried over to new content.
    m_mode &= ~static_cast<unsigned>(S_ISUID | S_ISGID);
    // An unnamed file in the target's folder, named at commit: a process killed before leaves
    // nothing behind. Where the file system has none, a short name beside the target (the
    // target's own may already use the length allowed) that marks it as this process's.
    const QByteArray folder = folderOf(m_target);
    if (!m_faults.noUnnamedFiles && ::access("/proc/self/fd", X_OK) == 0)
        m_fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        removeStaleTemporaries(m_target);
        m_temporary =
            folder + '/' + temporaryPrefix(m_target) + QByteArray::number(::getpid()) + "-XXXXXX";
        m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
        if (m_fd < 0)
            refuse(path, reason(errno));
    }
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
        if (!m_temporary.isEmpty())
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
        (void)!::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(m_gid));
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
    // Until the content is in place the file stays open, so that a failure here still keeps
    // every line beside the target (keepPartial()).
    if (m_temporary.isEmpty())
        m_temporary = nameOpenFile(folderOf(m_target) + '/' + temporaryPrefix(m_target) +
                                   QByteArray::number(::getpid()) + "-");
    if (m_faults.failRename || m_temporary.isEmpty() ||
        ::rename(m_temporary.constData(), m_target.constData()) != 0)
        // The named temporary stays until keepPartial() or the destructor: an unnamed file
        // cannot be named twice.
        raise("replace", m_faults.failRename ? m_faults.error : errno);
    m_temporary.clear();
    m_committed = true;
    ::close(std::exchange(m_fd, -1)); // synced: the content is on the disk
    if (const int error = m_faults.failFolderSync ? m_faults.error : syncFolder(m_target))
        raise("sync the folder of", error);
}

QByteArray OutputFile::nameOpenFile(const QByteArray &stem) const
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name =
            stem + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        if (::linkat(AT_FDCWD, procPath(m_fd).constData(), AT_FDCWD, name.constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            return {};
    }
    return {};
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
    if (kept.lines == 0 || ::ftruncate(m_fd, end) != 0) {
        ::close(std::exchange(m_fd, -1));
        if (!m_temporary.isEmpty())
            ::unlink(m_temporary.constData());
        return {};
    }
    applyOwnership(m_fd);
    ::fsync(m_fd);
    // The part is given a name beside the name given, never replacing a file there (an earlier
    // part included): NAME.partial, else NAME.partial.1, .2 ... A name too long for the file
    // system, or a folder on another file system than the part's (a link to there), gives a name
    // beside the file the content was for, shortened to fit.
    const auto place = [this](const QByteArray &to) {
        if (m_temporary.isEmpty())
            return ::linkat(AT_FDCWD, procPath(m_fd).constData(), AT_FDCWD, to.constData(),
                            AT_SYMLINK_FOLLOW) == 0;
        if (::link(m_temporary.constData(), to.constData()) == 0)
            return true;
        struct stat there;
        return errno != EEXIST && errno != ENAMETOOLONG && errno != EXDEV &&
               ::lstat(to.constData(), &there) != 0 && errno == ENOENT &&
               ::rename(m_temporary.constData(), to.constData()) == 0;
    };
    const QByteArray beside = QFile::encodeName(partialPath(m_path));
    const QByteArray target = folderOf(m_target) + '/' +
                              m_target.mid(m_target.lastIndexOf('/') + 1).left(200) + ".partial";
    QByteArray chosen;
    for (const QByteArray &partial : {beside, target}) {
        for (int n = 0; n < 1000 && chosen.isEmpty(); ++n) {
            const QByteArray name = n == 0 ? partial : partial + '.' + QByteArray::number(n);
            if (place(name))
                chosen = name;
            else if (errno == ENAMETOOLONG || errno == EXDEV)
                break;
        }
    }
    ::close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    if (chosen.isEmpty())
        return {};
    syncFolder(chosen);
    kept.path = QFile::decodeName(chosen);
    return kept;
}

} // namespace quvane
