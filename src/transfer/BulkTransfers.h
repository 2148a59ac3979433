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

class QuvaneError;
class TransferProgress;

enum class TransferResult
{
    Completed,
    Cancelled, // stopped by Cancel; what was transferred before is kept (beside an existing file)
    Refused,   // nothing was done: a file that is not an archive, or holds too many set-ups
    Failed     // stopped by an error; what was transferred before is kept
};

// How a bulk transfer ended. A failure says what failed and where, the error, and what was
// kept; a refusal may say why. The front end turns it into a message box or a line of text.
struct TransferOutcome
{
    TransferResult result = TransferResult::Completed;
    QString failure;     // "The datalog capture stopped at record 5 of 40."
    QString reason;      // the error's description
    QString kept;        // "FILE holds the 4 records captured before it."
    int errorNumber = 0; // the error's number, for a failure
    // Restore: the archive's lines whose set-up the instrument refused (the restore goes on).
    QList<int> refusedLines;
    // Restore: the set-ups the archive held.
    int archived = 0;

    // The three parts joined by blank lines, for a message box.
    QString message() const;
    // The three parts on one line, for a terminal.
    QString line() const;
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
    // Capture and conversion write CGATS.17 (see DatalogSinks.h) instead of delimited text.
    bool cgats = false;
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

    // Captures datalog records 1 to aCount with "Q1".
    TransferOutcome UploadDatalog(int aCount, const QString &sFileName);
    TransferOutcome ConvertDatalog(const QString &sSource, const QString &sFileName);
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
    // The name as messages give it.
    QString shownInput(const QString &name) const;

    TransferSettings m_settings;
    TransferProgress &m_progress;
    std::optional<SensorControl::Hold> m_hold;
};

} // namespace quvane
