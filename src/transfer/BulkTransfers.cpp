#include "transfer/BulkTransfers.h"

#include "link/LinkErrors.h"
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "link/SensorControl.h"
#include "records/SetupLine.h"
#include "transfer/DatalogSinks.h"
#include "transfer/OutputFile.h"
#include "transfer/TextFiles.h"
#include "transfer/TextFormat.h"
#include "transfer/TransferProgress.h"

#include <memory>
#include <optional>

namespace quvane {

namespace {

// Closes the progress display however the operation ends.
class ProgressScope
{
public:
    ProgressScope(TransferProgress &progress, const QString &caption, int maximum)
        : m_progress(progress)
    {
        m_progress.start(caption, maximum);
    }
    ~ProgressScope() { m_progress.finish(); }

private:
    TransferProgress &m_progress;
};

// The lines of a transfer's file around its items, for counting the items of a kept part.
struct FileLayout
{
    int headingLines;
    int trailingLines = 0;
};
constexpr FileLayout CaptureText{0};
constexpr FileLayout ConvertedText{1};
constexpr FileLayout Archive{1};

FileLayout datalogLayout(DatalogFormat format, FileLayout plain)
{
    return format == DatalogFormat::Cgats
               ? FileLayout{CgatsSink::headingLines(), CgatsSink::TrailingLines}
               : plain;
}

std::unique_ptr<DatalogSink> datalogSink(DatalogFormat format, OutputFile &file,
                                         const DatalogLineFormat &lineFormat)
{
    if (format == DatalogFormat::Cgats)
        return std::make_unique<CgatsSink>(file);
    return std::make_unique<DelimitedTextSink>(file, lineFormat);
}

// The part of a file that did not end normally: the target untouched, and the complete lines
// written before the failure or Cancel beside it.
TransferKept keptPart(OutputFile &file, const FileLayout &layout)
{
    const OutputFile::Kept part = file.keepPartial();
    return {TransferKept::Kind::Part, file.replaces(), part.path,
            std::max(part.lines - layout.headingLines - layout.trailingLines, 0)};
}

TransferKept keptAfterFailure(OutputFile &file, const FileLayout &layout,
                              DatalogSink *sink = nullptr)
{
    // What a sink still holds (a CGATS transfer's rows) goes out before the part is kept; when
    // that write is what failed, the part is what reached the disk.
    if (sink) {
        try {
            sink->finish();
        } catch (const QuvaneError &) {
        }
    }
    if (file.isStandardOutput()) {
        const int n = file.keepPartial().lines - layout.headingLines - layout.trailingLines;
        return {TransferKept::Kind::StandardOutput, false, {}, std::max(n, 0)};
    }
    if (file.committed())
        return {TransferKept::Kind::Unsynced, true, {}, 0};
    return keptPart(file, layout);
}

void setError(TransferOutcome &outcome, const QuvaneError &error)
{
    outcome.errorNumber = error.number();
    outcome.reason = error.description();
}

// Puts a transfer's file in place. At Cancel a new file is the part transferred, as at a
// normal end; a file that would replace another one is kept beside it instead.
void finish(TransferOutcome &outcome, OutputFile &file, bool cancelled, const FileLayout &layout)
{
    outcome.result = cancelled ? TransferResult::Cancelled : TransferResult::Completed;
    if (!cancelled || !file.replaces())
        file.commit();
    else
        outcome.kept = keptPart(file, layout);
}

} // namespace

BulkTransfers::BulkTransfers(TransferSettings settings, TransferProgress &progress)
    : m_settings(std::move(settings)), m_progress(progress)
{}

bool BulkTransfers::isStream(const QString &name) const
{
    return m_settings.standardStreams && name == QLatin1String("-");
}

void BulkTransfers::openOutput(std::optional<OutputFile> &file, const QString &name) const
{
    if (isStream(name))
        file.emplace(OutputFile::StandardOutput, m_settings.fileFaults);
    else
        file.emplace(name, m_settings.fileFaults);
}

void BulkTransfers::openInput(std::optional<LineReader> &reader, const QString &name) const
{
    if (isStream(name))
        reader.emplace(LineReader::StandardInput);
    else
        reader.emplace(name);
}

class BulkTransfers::LinkHold
{
public:
    explicit LinkHold(BulkTransfers &transfers) : m_transfers(transfers)
    {
        if (m_transfers.m_settings.sensor)
            m_transfers.m_hold.emplace(*m_transfers.m_settings.sensor);
    }
    ~LinkHold() { m_transfers.m_hold.reset(); }

private:
    BulkTransfers &m_transfers;
};

void BulkTransfers::ask(PacketBuffer &packet, const QByteArray &command,
                        const std::function<void()> &read)
{
    if (!m_hold)
        throw QuvaneError(ErrorNumber::LinkLost,
                          QStringLiteral("Link lost: no instrument is connected"));
    for (;;) {
        try {
            packet.SetReply(m_hold->SendCommand(command));
            readReply(command, read);
            return;
        } catch (const QuvaneError &error) {
            if (!error.isRetryable() || !m_settings.retryAfterTimeout ||
                !m_settings.retryAfterTimeout(error))
                throw;
        }
    }
}

// Hands a decoded record to the transfer's file, then to the other sinks.
void deliver(const DatalogRecord &record, DatalogSink &file, const QList<DatalogSink *> &more)
{
    file.add(record);
    for (DatalogSink *sink : more)
        sink->add(record);
}

void finishDelivery(TransferOutcome &outcome, const DatalogSink *file,
                    const QList<DatalogSink *> &more)
{
    outcome.records = file ? file->count() : 0;
    for (DatalogSink *sink : more) {
        sink->finish();
        outcome.delivered.append(sink->count());
    }
}

TransferOutcome BulkTransfers::UploadDatalog(int aCount, const DatalogFile &target,
                                             const QList<DatalogSink *> &more)
{
    const LinkHold held(*this);
    ProgressScope scope(m_progress, QStringLiteral("Capturing Datalog..."), aCount);
    const DatalogLineFormat format{m_settings.text, m_settings.delimiter, "/"};
    TransferOutcome outcome;
    outcome.kind = TransferKind::Capture;
    outcome.target = target.name;
    PacketBuffer packet;
    std::optional<OutputFile> file;
    std::unique_ptr<DatalogSink> sink;
    int i = 1;
    const FileLayout layout = datalogLayout(target.format, CaptureText);
    try {
        openOutput(file, target.name);
        sink = datalogSink(target.format, *file, format);
        DatalogRecord record;
        for (; i <= aCount && !m_progress.cancelRequested(); ++i) {
            m_progress.setMessage(QStringLiteral("%1 / %2").arg(i).arg(aCount));
            packet.PutText(QByteArrayView("Q1"));
            packet.PutLong(i - 1);
            const QByteArray command = packet.GetCommand();
            ask(packet, command, [&] {
                expectEcho(command, "record", i, packet.GetLong() + qint64(1));
                packet.Rewind();
                record = DatalogRecord::decode(packet);
                expectEnd(packet, command);
            });
            deliver(record, *sink, more);
            m_progress.setValue(i);
            m_progress.yield();
        }
        outcome.stage = TransferStage::Saving;
        sink->finish();
        finish(outcome, *file, i <= aCount, layout);
        outcome.stage = TransferStage::None;
    } catch (const QuvaneError &error) {
        outcome.result = TransferResult::Failed;
        setError(outcome, error);
        if (!file) {
            outcome.stage = TransferStage::NotStarted;
        } else {
            if (outcome.stage != TransferStage::Saving) {
                outcome.stage = TransferStage::Stopped;
                outcome.position = i;
                outcome.total = aCount;
            }
            outcome.kept = keptAfterFailure(*file, layout, sink.get());
        }
    }
    finishDelivery(outcome, sink.get(), more);
    return outcome;
}

TransferOutcome BulkTransfers::ConvertDatalog(const QString &sSource, const DatalogFile &target,
                                              const QList<DatalogSink *> &more)
{
    TransferOutcome outcome;
    outcome.kind = TransferKind::Conversion;
    outcome.target = target.name;
    outcome.source = sSource;
    outcome.sourceIsStandardInput = isStream(sSource);
    if (!isStream(sSource) && !isStream(target.name) && sameFile(sSource, target.name)) {
        outcome.result = TransferResult::Refused;
        outcome.stage = TransferStage::SameFile;
        return outcome;
    }
    ProgressScope scope(m_progress, QStringLiteral("Converting Datalog..."), 0);
    const DatalogLineFormat format{m_settings.text, m_settings.delimiter, "::"};
    PacketBuffer packet;
    std::optional<LineReader> source;
    std::optional<OutputFile> file;
    std::unique_ptr<DatalogSink> sink;
    const FileLayout layout = datalogLayout(target.format, ConvertedText);
    try {
        openInput(source, sSource);
        openOutput(file, target.name);
        sink = datalogSink(target.format, *file, format);
        if (target.format == DatalogFormat::DelimitedText)
            file->writeLine(datalogHeading(m_settings.delimiter));
        QByteArray input;
        while (source->next(input)) {
            m_progress.setMessage(QString::number(source->lineNumber()));
            if (input.isEmpty() || input.startsWith('#'))
                continue;
            packet.SetReply(input);
            const DatalogRecord record = DatalogRecord::decode(packet);
            if (packet.position() != input.size())
                throw QuvaneError(ErrorNumber::MalformedPacket,
                                  QStringLiteral("Malformed packet: %1 characters after the "
                                                 "record, from character %2")
                                      .arg(input.size() - packet.position())
                                      .arg(packet.position() + 1));
            deliver(record, *sink, more);
            m_progress.yield();
        }
        outcome.stage = TransferStage::Saving;
        sink->finish();
        finish(outcome, *file, false, layout);
        outcome.stage = TransferStage::None;
    } catch (const QuvaneError &error) {
        outcome.result = TransferResult::Failed;
        setError(outcome, error);
        if (!source || !file) {
            outcome.stage = TransferStage::NotStarted;
        } else {
            if (outcome.stage != TransferStage::Saving) {
                outcome.stage = TransferStage::Stopped;
                outcome.position = source->lineNumber();
            }
            outcome.kept = keptAfterFailure(*file, layout, sink.get());
        }
    }
    finishDelivery(outcome, sink.get(), more);
    return outcome;
}

TransferOutcome BulkTransfers::UploadSetups(const QString &sFileName)
{
    const LinkHold held(*this);
    ProgressScope scope(m_progress, QStringLiteral("Archiving Product Setups..."), SetupCount);
    TransferOutcome outcome;
    outcome.kind = TransferKind::Archive;
    outcome.target = sFileName;
    PacketBuffer packet;
    std::optional<OutputFile> file;
    int n = 1;
    try {
        openOutput(file, sFileName);
        file->writeLine(QByteArrayView(ArchiveHeader));
        for (; n <= SetupCount && !m_progress.cancelRequested(); ++n) {
            m_progress.setMessage(QStringLiteral("%1 / %2").arg(n).arg(SetupCount));
            packet.PutText(QByteArrayView("P1"));
            packet.PutLong(n - 1);
            const QByteArray command = packet.GetCommand();
            // What goes into the archive must restore: a record that does not decode, or
            // that is another set-up's, is not written.
            ask(packet, command, [&] {
                SetupLine::checkRecord(packet.reply());
                expectEcho(command, "set-up", n, packet.GetInteger() + 1);
            });
            file->writeLine(packet.reply());
            m_progress.setValue(n);
            m_progress.yield();
        }
        outcome.stage = TransferStage::Saving;
        finish(outcome, *file, n <= SetupCount, Archive);
        outcome.stage = TransferStage::None;
    } catch (const QuvaneError &error) {
        outcome.result = TransferResult::Failed;
        setError(outcome, error);
        if (!file) {
            outcome.stage = TransferStage::NotStarted;
        } else {
            if (outcome.stage != TransferStage::Saving) {
                outcome.stage = TransferStage::Stopped;
                outcome.position = n;
            }
            outcome.kept = keptAfterFailure(*file, Archive);
        }
    }
    return outcome;
}

TransferOutcome BulkTransfers::DownloadSetups(const QString &sFileName)
{
    const LinkHold held(*this);
    ProgressScope scope(m_progress, QStringLiteral("Restoring Product Setups..."), SetupCount);
    TransferOutcome outcome;
    outcome.kind = TransferKind::Restore;
    outcome.source = sFileName;
    outcome.sourceIsStandardInput = isStream(sFileName);
    const auto refuse = [&outcome](TransferStage stage, int line = 0) -> TransferOutcome & {
        outcome.result = TransferResult::Refused;
        outcome.stage = stage;
        outcome.position = line;
        return outcome;
    };
    // The whole file is checked before anything is sent, so that the instrument never holds
    // half an archive; the header is checked on the first line, before reading on.
    QList<QByteArray> records;
    QList<int> lineNumbers;
    try {
        std::optional<LineReader> source;
        openInput(source, sFileName);
        LineReader &reader = *source;
        QByteArray line;
        if (!reader.next(line) || line != ArchiveHeader)
            return refuse(TransferStage::NotAnArchive);
        while (reader.next(line)) {
            if (line.isEmpty())
                continue;
            if (records.size() == SetupCount)
                return refuse(TransferStage::TooManySetups);
            try {
                SetupLine::checkRecord(line);
            } catch (const QuvaneError &error) {
                setError(outcome, error);
                return refuse(TransferStage::NotASetup, reader.lineNumber());
            }
            records.append(line);
            lineNumbers.append(reader.lineNumber());
        }
    } catch (const QuvaneError &error) {
        outcome.result = TransferResult::Failed;
        outcome.stage = TransferStage::NotStarted;
        setError(outcome, error);
        return outcome;
    }

    PacketBuffer packet;
    qsizetype k = 0;
    try {
        for (; k < records.size() && !m_progress.cancelRequested(); ++k) {
            packet.PutText(QByteArrayView("P0"));
            packet.PutText(QByteArrayView(records[k]));
            const QByteArray command = packet.GetCommand();
            packet.SetReply(records[k]);
            const qint16 index = packet.GetInteger();
            qint32 stored = 0;
            try {
                // The instrument answers with the index it stored the set-up under.
                ask(packet, command, [&] {
                    stored = packet.GetLong();
                    expectEcho(command, "set-up", index + 1, stored + qint64(1));
                    expectEnd(packet, command);
                });
            } catch (const QuvaneError &error) {
                // A set-up the instrument will not take does not stop the restore.
                if (error.number() != ErrorNumber::InstrumentRefused)
                    throw;
                outcome.refusedLines.append(lineNumbers[k]);
                continue;
            }
            m_progress.setMessage(QStringLiteral("%1 (%2)").arg(k + 1).arg(stored + 1));
            m_progress.setValue(static_cast<int>(k + 1));
            m_progress.yield();
        }
    } catch (const QuvaneError &error) {
        outcome.result = TransferResult::Failed;
        outcome.stage = TransferStage::Stopped;
        outcome.position = lineNumbers[k];
        setError(outcome, error);
        outcome.restored = static_cast<int>(k - outcome.refusedLines.size());
        // The line went out whole: the instrument may well have stored it.
        outcome.replyDamaged = error.isLineError();
        return outcome;
    }
    outcome.result = k < records.size() ? TransferResult::Cancelled : TransferResult::Completed;
    outcome.archived = static_cast<int>(records.size());
    return outcome;
}

} // namespace quvane
