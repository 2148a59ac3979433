#pragma once

#include "link/SensorControl.h"
#include "transfer/OutputFile.h"
#include "transfer/TextFiles.h"
#include "transfer/TextFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class PacketBuffer;

namespace quvane {

class DatalogSink;
class QuvaneError;
class TransferProgress;

enum class TransferResult
{
    Completed,
    Cancelled, // stopped by Cancel; what was transferred before is kept (beside an existing file)
    Refused,   // nothing was done: a file that is not an archive, or holds too many set-ups
    Failed     // stopped by an error; what was transferred before is kept
};

enum class TransferKind
{
    Capture,
    Conversion,
    Archive,
    Restore
};

// Where a transfer that did not complete stopped, or why it was refused.
enum class TransferStage
{
    None,          // it completed, or Cancel stopped it
    NotStarted,    // its file could not be opened or read: nothing was transferred
    Stopped,       // an error stopped it at item `position` (a record, set-up or line number)
    Saving,        // every item was transferred, but the file could not be finished
    SameFile,      // refused: the converted file would be the datalog file itself
    NotAnArchive,  // refused: the first line is not the archive's header
    TooManySetups, // refused: the archive holds more set-ups than an instrument keeps
    NotASetup      // refused: line `position` of the archive is not a product set-up
};

// What is left of a transfer's file when it did not end normally.
struct TransferKept
{
    enum class Kind
    {
        Nothing,        // nothing to say: the file was not opened, or was written whole
        Part,           // the target is untouched; the part went beside it (partPath)
        StandardOutput, // `items` complete items went to standard output
        Unsynced        // the target was written, but its folder may not have reached the disk
    };
    Kind kind = Kind::Nothing;
    bool targetExisted = false; // Part: the target is an earlier file, left as it was
    QString partPath;           // Part: where the part is; empty when none was kept
    int items = 0;              // the complete items in the part (0: its heading alone)
};

// How a bulk transfer ended, in counts and causes; the front ends make their messages from it.
struct TransferOutcome
{
    TransferResult result = TransferResult::Completed;
    TransferKind kind = TransferKind::Capture;
    TransferStage stage = TransferStage::None;
    int position = 0; // Stopped: the record, set-up or line; NotASetup: the line
    int total = 0;    // Stopped capture: the records asked for
    QString target;   // the file written (capture, conversion, archive)
    QString source;   // the file read (conversion, restore)
    bool sourceIsStandardInput = false;
    // The error that stopped or refused the transfer.
    int errorNumber = 0;
    QString reason;
    TransferKept kept;
    // Capture and conversion: the records that reached the file, and each further sink.
    int records = 0;
    QList<int> delivered;
    // Restore: the set-ups restored before a failure, whether the instrument's reply to the
    // line it stopped at was damaged (it may hold that set-up), the archive's lines whose set-up
    // the instrument refused (the restore goes on), and the set-ups the archive held.
    int restored = 0;
    bool replyDamaged = false;
    QList<int> refusedLines;
    int archived = 0;
};

// The form of a capture's or a conversion's file.
enum class DatalogFormat
{
    DelimitedText,
    Cgats // CGATS.17 (see DatalogSinks.h)
};

// A capture's or a conversion's file.
struct DatalogFile
{
    QString name;
    DatalogFormat format = DatalogFormat::DelimitedText;
};

// What the transfers need from their caller.
struct TransferSettings
{
    // The instrument's control; a conversion needs none.
    SensorControl *sensor = nullptr;
    // The field separator of the delimited text (one ISO-8859-1 character).
    QByteArray delimiter = QByteArrayLiteral("\t");
    // The number and date formats of the delimited text.
    TextFormat text;
    // Asked after a communications timeout or a reply garbled on the line: true sends the
    // command again, false ends the transfer with the error as its failure. Without one such an
    // error ends the transfer.
    std::function<bool(const QuvaneError &)> retryAfterTimeout;
    // Failures planted in the output file's system calls, for tests.
    OutputFileFaults fileFaults = {};
    // "-" as a file name means the program's standard output (or, for what is read, its
    // standard input), as command-line tools take it.
    bool standardStreams = false;
};

// The four long operations: datalog capture and file conversion, set-up archive and restore.
// Each reports its progress and honours Cancel through TransferProgress. A link, packet or file
// error ends the operation cleanly: the files are closed, what was written is kept and the
// outcome says so. Nothing here shows a message or asks a question.
class BulkTransfers
{
public:
    BulkTransfers(TransferSettings settings, TransferProgress &progress);

    // Captures datalog records 1 to aCount with "Q1", or converts a DATALOG.QV3 file. Each
    // record is decoded once and goes to the file, then to each of `more` (the history), which
    // take what they can and say what they could not in their own outcome: they must not throw.
    // The file comes first: records reach `more` only once the file has them.
    TransferOutcome UploadDatalog(int aCount, const DatalogFile &file,
                                  const QList<DatalogSink *> &more = {});
    TransferOutcome ConvertDatalog(const QString &sSource, const DatalogFile &file,
                                   const QList<DatalogSink *> &more = {});
    TransferOutcome UploadSetups(const QString &sFileName);
    TransferOutcome DownloadSetups(const QString &sFileName);

    static constexpr int SetupCount = 100;
    static constexpr char ArchiveHeader[] = "Quvane Product Setups";

private:
    // Holds the link for the transfer's whole run: no other exchange gets in between.
    class LinkHold;
    // Sends a command through the hold and reads its reply, loaded into the packet, with read.
    // A timeout or a line error (a damaged frame, another command's reply) answered with Retry
    // sends the command again.
    void ask(PacketBuffer &packet, const QByteArray &command, const std::function<void()> &read);
    bool isStream(const QString &name) const;
    void openOutput(std::optional<OutputFile> &file, const QString &name) const;
    void openInput(std::optional<LineReader> &reader, const QString &name) const;

    TransferSettings m_settings;
    TransferProgress &m_progress;
    std::optional<SensorControl::Hold> m_hold;
};

} // namespace quvane
