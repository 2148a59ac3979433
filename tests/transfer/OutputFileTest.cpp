// The one writer of output files: what it refuses before writing, what it keeps of a file it
// replaces, and that a failure at any system call leaves the previous file byte-identical.
#include "transfer/OutputFile.h"
#include "link/QuvaneError.h"
#include "support/Files.h"

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

TEST_F(OutputFileTest, AFailureAtAnyCallLeavesThePreviousFileAndKeepsCompleteLines)
{
    const QByteArray previous = "previous content\r\n";
    const struct
    {
        const char *name;
        OutputFileFaults faults;
        bool linesKept; // whether written lines reached the disk before the failure
    } cases[] = {
        {"second write", {.failWriteAt = 2}, true},
        {"last flush", {.failFlush = true}, true},
        {"sync", {.failSync = true}, true},
        {"rename", {.failRename = true}, false},
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
            EXPECT_EQ(error.description(), QStringLiteral("Cannot %1 %2: No space left on device")
                                               .arg(c.faults.failRename ? "replace" : "write to",
                                                    QDir::toNativeSeparators(path("out.txt"))));
        }
        const OutputFile::Kept kept = file.keepPartial();
        EXPECT_EQ(contentOf(path("out.txt")), previous);
        EXPECT_EQ(entries().filter(QRegularExpression(QStringLiteral("^\\."))), QStringList());
        if (!c.linesKept) {
            EXPECT_TRUE(kept.path.isEmpty());
            continue;
        }
        ASSERT_EQ(kept.path, path("out.txt.partial"));
        const QByteArray partial = contentOf(kept.path);
        EXPECT_EQ(partial.count('\n'), kept.lines);
        EXPECT_TRUE(partial.endsWith("\r\n"));
        // What the disk holds is counted: the lines of the failed write are not among them.
        EXPECT_GT(kept.lines, 0);
        EXPECT_EQ(kept.lines < 6000, c.faults.failSync == false);
        EXPECT_EQ(partial, written.left(partial.size()));
    }
}

TEST_F(OutputFileTest, APartialNameThatCannotBeWrittenGivesWayToAnother)
{
    put(path("elsewhere.txt"), "not yours");
    ASSERT_TRUE(QFile::link(path("elsewhere.txt"), path("out.txt.partial")));
    OutputFile file(path("out.txt"));
    writeLines(file, nullptr, 2);
    const OutputFile::Kept kept = file.keepPartial();
    EXPECT_EQ(kept.path, path("out.txt.partial.1"));
    EXPECT_EQ(kept.lines, 2);
    EXPECT_EQ(contentOf(path("elsewhere.txt")), "not yours");
    EXPECT_TRUE(S_ISLNK(modeOf(path("out.txt.partial"))));
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
