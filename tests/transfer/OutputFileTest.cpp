// The one writer of output files: what it refuses before writing, what it keeps of a file it
// replaces, and that a failure at any system call leaves the previous file byte-identical.
#include "transfer/OutputFile.h"
#include "link/QuvaneError.h"
#include "support/Files.h"
#include "support/QtPrinting.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace quvane;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
}

// The error the writer raises for the name, or "" when it takes it.
QString refusal(const QString &path)
{
    try {
        OutputFile::check(path);
        return {};
    } catch (const QuvaneError &error) {
        EXPECT_EQ(error.number(), ErrorNumber::FileError);
        return error.description();
    }
}

class OutputFileTest : public ::testing::Test
{
protected:
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList entries() const
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // About 300 KB of numbered lines, so that the buffer goes to the disk several times.
    static void writeLines(OutputFile &file, QByteArray *written = nullptr, int count = 6000)
    {
        for (int i = 1; i <= count; ++i) {
            const QByteArray line = QByteArray::number(i).rightJustified(48, '.');
            file.writeLine(line);
            if (written)
                *written += line + "\r\n";
        }
    }

    QTemporaryDir dir;
};

TEST_F(OutputFileTest, NamesThatCannotTakeAFileAreRefusedBeforeAnythingIsCreated)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0666), 0);
    put(path("readonly.txt"), "mine");
    ASSERT_TRUE(QFile::setPermissions(path("readonly.txt"), QFileDevice::ReadOwner));
    const QStringList before = entries();

    const struct
    {
        QString name;
        const char *why;
    } cases[] = {
        {QString(), "no file name was given"},
        {QStringLiteral("."), "names a folder"},
        {path("sub"), "it is a folder"},
        {path("sub") + QLatin1Char('/'), "names a folder"},
        {path("fifo"), "FIFO"},
        {QStringLiteral("/dev/full"), "device"},
        {QStringLiteral("/dev/null"), "device"},
        {path("readonly.txt"), "read-only"},
        {path("missing/out.txt"), "does not exist"},
        {path("caf") + QChar::ReplacementCharacter + QStringLiteral(".txt"), "does not decode"},
    };
    for (const auto &c : cases) {
        const QString why = refusal(c.name);
        EXPECT_TRUE(why.contains(QLatin1String(c.why)))
            << c.name.toStdString() << ": " << why.toStdString();
        if (!c.name.isEmpty() && c.name != QLatin1String(".")) {
            EXPECT_TRUE(why.contains(QDir::toNativeSeparators(c.name))) << why.toStdString();
        }
    }
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(contentOf(path("readonly.txt")), "mine");
    EXPECT_TRUE(S_ISFIFO(modeOf(path("fifo"))));

    // Spaces, a newline and a leading dash are ordinary names.
    for (const char *name : {"with space.txt", "new\nline.txt", "-dash.txt"}) {
        OutputFile file(path(name));
        file.writeLine("x");
        file.commit();
        EXPECT_EQ(contentOf(path(name)), "x\r\n") << name;
    }
}

TEST_F(OutputFileTest, ALinkIsFollowedAndStaysALink)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    put(path("real/data.txt"), "old\r\n");
    ASSERT_TRUE(QFile::link(QStringLiteral("real/data.txt"), path("link.txt")));
    OutputFile file(path("link.txt"));
    EXPECT_TRUE(file.replaces());
    file.writeLine("new");
    file.commit();
    EXPECT_TRUE(S_ISLNK(modeOf(path("link.txt"))));
    EXPECT_EQ(contentOf(path("real/data.txt")), "new\r\n");

    // A dangling link makes the file it names.
    ASSERT_TRUE(QFile::link(QStringLiteral("real/later.txt"), path("dangling.txt")));
    OutputFile later(path("dangling.txt"));
    later.commit();
    EXPECT_TRUE(S_ISLNK(modeOf(path("dangling.txt"))));
    EXPECT_TRUE(QFile::exists(path("real/later.txt")));
}

TEST_F(OutputFileTest, AnotherUsersLinkInASharedStickyFolderIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making another user's link needs root";
    // A folder like /tmp, owned by one user, holding a link planted by another.
    const QByteArray shared = QFile::encodeName(path("shared"));
    ASSERT_EQ(::mkdir(shared.constData(), 0777), 0);
    ASSERT_EQ(::chmod(shared.constData(), 01777), 0);
    ASSERT_EQ(::chown(shared.constData(), 4242, 4242), 0);
    put(path("precious.txt"), "precious");
    ASSERT_TRUE(QFile::link(path("precious.txt"), path("shared/screen.bmp")));
    ASSERT_EQ(::lchown(QFile::encodeName(path("shared/screen.bmp")).constData(), 4343, 4343), 0);

    EXPECT_TRUE(refusal(path("shared/screen.bmp")).contains(QLatin1String("symbolic link")));
    EXPECT_EQ(contentOf(path("precious.txt")), "precious");

    // The folder owner's own link is followed, as the kernel follows it.
    ASSERT_EQ(::lchown(QFile::encodeName(path("shared/screen.bmp")).constData(), 4242, 4242), 0);
    EXPECT_EQ(refusal(path("shared/screen.bmp")), QString());
}

TEST_F(OutputFileTest, ModeAndGroupOfAReplacedFileAreKeptANewFileFollowsTheUmask)
{
    const mode_t previous = ::umask(027);
    {
        OutputFile file(path("new.txt"));
        file.commit();
    }
    ::umask(previous);
    EXPECT_EQ(modeOf(path("new.txt")) & 07777, 0640u);

    put(path("shared.txt"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path("shared.txt")).constData(), 0664), 0);
    const gid_t group = ::geteuid() == 0 ? 4242 : ::getegid();
    ASSERT_EQ(::chown(QFile::encodeName(path("shared.txt")).constData(), ::geteuid(), group), 0);
    OutputFile file(path("shared.txt"));
    file.writeLine("new");
    file.commit();
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(path("shared.txt")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0664u);
    EXPECT_EQ(status.st_gid, group);
}

// A failure at any call, up to putting the content in place, leaves the previous file as it was
// and keeps every complete line that reached the disk; nothing temporary stays, with or without
// unnamed files. A failed sync of the folder comes after the content is in place.
TEST_F(OutputFileTest, AFailureAtAnyCallLeavesThePreviousFileAndKeepsCompleteLines)
{
    const QByteArray previous = "previous content\r\n";
    const struct
    {
        const char *name;
        OutputFileFaults faults;
        const char *doing;
    } cases[] = {
        {"second write", {.failWriteAt = 2}, "write to"},
        {"last flush", {.failFlush = true}, "write to"},
        {"sync", {.failSync = true}, "write to"},
        {"rename", {.failRename = true, .error = EXDEV}, "replace"},
        {"rename of a named temporary", {.failRename = true, .noUnnamedFiles = true}, "replace"},
        {"folder sync", {.failFolderSync = true, .error = EIO}, "sync the folder of"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        put(path("out.txt"), previous);
        QFile::remove(path("out.txt.partial"));
        OutputFile file(path("out.txt"), c.faults);
        QByteArray written;
        try {
            writeLines(file, &written);
            file.commit();
            ADD_FAILURE() << "no failure";
        } catch (const QuvaneError &error) {
            EXPECT_EQ(error.description(),
                      QStringLiteral("Cannot %1 %2: %3")
                          .arg(QLatin1String(c.doing), QDir::toNativeSeparators(path("out.txt")),
                               QString::fromLocal8Bit(std::strerror(c.faults.error))));
        }
        const OutputFile::Kept kept = file.keepPartial();
        EXPECT_EQ(entries().filter(QRegularExpression(QStringLiteral("^\\."))), QStringList());
        if (c.faults.failFolderSync) {
            EXPECT_TRUE(file.committed());
            EXPECT_EQ(contentOf(path("out.txt")), written);
            continue;
        }
        EXPECT_EQ(contentOf(path("out.txt")), previous);
        ASSERT_EQ(kept.path, path("out.txt.partial"));
        const QByteArray partial = contentOf(kept.path);
        EXPECT_EQ(partial.count('\n'), kept.lines);
        EXPECT_TRUE(partial.endsWith("\r\n"));
        // What the disk holds is counted: the lines of the failed write are not among them.
        EXPECT_GT(kept.lines, 0);
        EXPECT_EQ(kept.lines < 6000, c.faults.failWriteAt || c.faults.failFlush);
        EXPECT_EQ(partial, written.left(partial.size()));
    }
}

// A part never replaces a file: another's link, an earlier part; a name too long for its
// ".partial", or a link into another file system, gives a name beside the file the content was
// for.
TEST_F(OutputFileTest, APartIsGivenAFreeNameThatFits)
{
    const auto partOf = [this](const QString &name, int lines, OutputFileFaults faults = {}) {
        OutputFile file(name, faults);
        writeLines(file, nullptr, lines);
        return file.keepPartial();
    };
    put(path("elsewhere.txt"), "not yours");
    ASSERT_TRUE(QFile::link(path("elsewhere.txt"), path("out.txt.partial")));
    EXPECT_EQ(partOf(path("out.txt"), 2).path, path("out.txt.partial.1"));
    EXPECT_EQ(partOf(path("out.txt"), 3, {.noUnnamedFiles = true}).path, path("out.txt.partial.2"));
    EXPECT_EQ(contentOf(path("elsewhere.txt")), "not yours");
    EXPECT_EQ(lineCount(path("out.txt.partial.1")), 2);

    const QString longName = path(QByteArray(250, 'n').constData());
    const OutputFile::Kept shortened = partOf(longName, 4);
    EXPECT_EQ(shortened.path, path(QByteArray(200, 'n').append(".partial").constData()));
    EXPECT_EQ(shortened.lines, 4);

    QTemporaryDir other(QStringLiteral("/dev/shm/quvane-XXXXXX")); // another file system
    if (other.isValid()) {
        ASSERT_TRUE(QFile::link(other.filePath(QStringLiteral("far.txt")), path("far.txt")));
        EXPECT_EQ(partOf(path("far.txt"), 5).path,
                  other.filePath(QStringLiteral("far.txt.partial")));
    }
}

// A file with other names is refused (replacing it would leave them with the old content); the
// set-ID bits are not carried to new content; a named temporary of a process that is gone is
// removed by the next writer.
TEST_F(OutputFileTest, HardLinksSetIdBitsAndStaleTemporaries)
{
    put(path("one.txt"), "shared");
    ASSERT_EQ(::link(QFile::encodeName(path("one.txt")).constData(),
                     QFile::encodeName(path("two.txt")).constData()),
              0);
    EXPECT_TRUE(holds(refusal(path("one.txt")), "2 names (hard links)"));

    put(path("setid.txt"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path("setid.txt")).constData(), 06755), 0);
    {
        OutputFile file(path("setid.txt"));
        file.writeLine("new");
        file.commit();
    }
    EXPECT_EQ(modeOf(path("setid.txt")) & 07777, 0755u);

    put(path(".log.txt.quvane-999999999-abcdef"), "left by a killed run");
    put(path(".log.txt.quvane-1-abcdef"), "init's, which runs");
    OutputFile file(path("log.txt"), {.noUnnamedFiles = true});
    EXPECT_EQ(entries().filter(QStringLiteral(".log.txt.quvane-")).size(), 2); // this one's, init's
    EXPECT_FALSE(entries().contains(QStringLiteral(".log.txt.quvane-999999999-abcdef")));
}

TEST_F(OutputFileTest, AppendingChecksTheFileAndAddsToIt)
{
    OutputFile::append(path("log.txt"), "one\r\n");
    OutputFile::append(path("log.txt"), "two\r\n");
    EXPECT_EQ(contentOf(path("log.txt")), "one\r\ntwo\r\n");
    // A write that fails half-way, or a failed sync, leaves the file as it was.
    for (const OutputFileFaults faults :
         {OutputFileFaults{.failWriteAt = 1}, OutputFileFaults{.failSync = true, .error = EIO}}) {
        try {
            OutputFile::append(path("log.txt"), "three\r\n", faults);
            ADD_FAILURE() << "no failure";
        } catch (const QuvaneError &error) {
            EXPECT_EQ(error.description(),
                      QStringLiteral("Cannot write to %1: %2")
                          .arg(QDir::toNativeSeparators(path("log.txt")),
                               QString::fromLocal8Bit(std::strerror(faults.error))));
        }
        EXPECT_EQ(contentOf(path("log.txt")), "one\r\ntwo\r\n");
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0666), 0);
    EXPECT_THROW(OutputFile::append(path("fifo"), "x"), QuvaneError);
}

} // namespace
