#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cerrno>

namespace quvane {

// Failures a test plants in the writer's system calls; each fails with `error`.
struct OutputFileFaults
{
    int failWriteAt = 0;    // the N-th write of the buffer to the disk (from 1); in append(),
                            // the write after half the bytes reached the file
    bool failFlush = false; // the last write, of what the buffer holds at commit
    bool failSync = false;
    bool failRename = false;     // putting the content in place
    bool failFolderSync = false; // the sync of the folder after that
    bool noUnnamedFiles = false; // as a file system without O_TMPFILE
    int error = ENOSPC;
};

// The one way the programs write a file. The content goes to a temporary file beside the file
// that gets it (unnamed where the file system allows, so that a killed process leaves nothing;
// else one that the next writer in the folder removes once its process is gone), which replaces
// that file only at commit(); until then, and after any failure, an existing file is
// byte-identical. The rules:
// - The name is checked before anything else happens (check()): its folder exists and takes
//   new files, an existing file is a regular file the user may write. A folder, a FIFO, a
//   device, a socket, a read-only file, an empty name, "." and a name that did not decode from
//   the locale's encoding are refused with a message naming the file.
// - A name of the program's standard output (/dev/stdout, or the file the shell opened for it,
//   for appending to) is written through it, as StandardOutput is: never replaced.
// - A symbolic link is followed as editors follow it: the file it points to gets the content,
//   the link stays. A link that the kernel's protected-symlinks rule would not follow (in a
//   sticky world-writable folder, owned by neither the user nor the folder's owner) is refused.
// - A new file gets mode 0666 less the umask; a replaced one keeps its mode (less the set-user-
//   and set-group-ID bits, never carried to new content), and its owner and group as far as the
//   user may set them. A file with other names (hard links) is refused: replacing it would
//   leave them with the old content.
// - Every write, the last flush, the sync of the file and of its folder, and the rename are
//   checked; a failure raises a FileError with the system's reason.
// Failures raise QuvaneError(FileError); nothing here shows a message.
class OutputFile
{
public:
    // Checks the name as the constructor does, creating nothing.
    static void check(const QString &path);
    // Adds the bytes to the end of the file (created when missing) after the same checks, and
    // syncs it; a failed write or sync cuts the file back to its previous end.
    static void append(const QString &path, QByteArrayView bytes, OutputFileFaults faults = {});

    explicit OutputFile(const QString &path, OutputFileFaults faults = {});
    // The program's standard output (a pipe, a terminal, a file the shell opened): the bytes go
    // straight to it, nothing is renamed, and keepPartial() leaves what was written there.
    struct StandardOutputTag
    {};
    static constexpr StandardOutputTag StandardOutput{};
    explicit OutputFile(StandardOutputTag, OutputFileFaults faults = {});
    // Removes the temporary file when neither committed nor kept.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    void write(QByteArrayView bytes);
    // The line, then CR LF.
    void writeLine(QByteArrayView line);
    // Flushes, syncs and puts the file in place.
    void commit();

    // Whether a file of the name existed when this one was opened (and would be replaced).
    bool replaces() const { return m_exists; }
    bool isStandardOutput() const { return m_stream; }
    // Whether commit() put the content in place (and failed after, syncing the folder).
    bool committed() const { return m_committed; }

    struct Kept
    {
        QString path;  // empty when nothing was kept
        int lines = 0; // the complete lines it holds, counted on the disk
    };
    // After a failure or Cancel, the put-in-place at commit() failing included: what reached the
    // disk, cut after its last complete line, kept as NAME.partial, or the next free name of
    // NAME.partial.1, .2 ... (an earlier part is never replaced); when no such name can be made
    // (too long, or a link to another file system), a shortened one beside the file the content
    // was for. The target is not touched. On standard output: the complete lines that went out,
    // and the path "standard output".
    Kept keepPartial() noexcept;

    static QString partialPath(const QString &path) { return path + QStringLiteral(".partial"); }

private:
    struct Target;
    [[noreturn]] void raise(const char *doing, int error) const;
    void writeOut(const char *data, qsizetype size, bool last);
    void flushBuffer(bool last);
    void applyOwnership(int fd) const noexcept;
    // Links the open unnamed file to a new name stem + random characters; empty on failure.
    QByteArray nameOpenFile(const QByteArray &stem) const;

    QString m_path;         // as named
    QByteArray m_target;    // the file that gets the content, links resolved
    QByteArray m_temporary; // beside it; empty while the temporary has no name
    bool m_committed = false;
    int m_fd = -1;
    bool m_exists = false;
    unsigned m_mode = 0;              // the mode it gets
    long long m_uid = -1, m_gid = -1; // the owner and group it keeps, -1 for a new file
    QByteArray m_buffer;
    int m_writes = 0;
    OutputFileFaults m_faults;
    bool m_stream = false; // standard output
    int m_linesOut = 0;    // on standard output: the line ends written
};

} // namespace quvane
