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

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <optional>

namespace quvane {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString counted(int n, const char *one, const char *many)
{
    return n == 1 ? QStringLiteral("1 %1").arg(QLatin1String(one))
                  : QStringLiteral("%1 %2").arg(n).arg(QLatin1String(many));
}

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

} // namespace

QString TransferOutcome::message() const
{
    QStringList parts{failure, reason, kept};
    parts.removeAll(QString());
    return parts.join(QStringLiteral("\n\n"));
}

QString TransferOutcome::line() const
{
    QStringList parts{failure, reason, kept};
    parts.removeAll(QString());
    for (QString &part : parts)
        part.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return parts.join(QLatin1Char(' '));
}

namespace {

TransferOutcome failed(const QString &failure, const QuvaneError &error, const QString &kept = {})
{
    return {TransferResult::Failed, failure, error.description(), kept, error.number(), {}};
}

// What a transfer's file holds, for the messages.
struct Items
{
    int headingLines; // lines before the first item
    const char *one, *many, *done;
    int trailingLines = 0; // lines after the last
};
constexpr Items Records{0, "record", "records", "captured"};
constexpr Items Converted{1, "record", "records", "converted"};
constexpr Items Setups{1, "set-up", "set-ups", "archived"};

// The sink of a datalog transfer's file, and what that file holds for the messages.
std::unique_ptr<DatalogSink> datalogSink(bool cgats, OutputFile &file,
                                         const DatalogLineFormat &format)
{
    if (cgats)
        return std::make_unique<CgatsSink>(file);
    return std::make_unique<DelimitedTextSink>(file, format);
}
Items datalogItems(bool cgats, Items plain)
{
    return cgats ? Items{CgatsSink::headingLines(), plain.one, plain.many, plain.done,
                         CgatsSink::TrailingLines}
                 : plain;
}

// What a transfer that did not end normally kept: the target untouched, and the complete lines
// written before the failure or Cancel beside it.
QString keptText(const QString &target, bool existed, const OutputFile::Kept &kept,
                 const Items &items, const char *before)
{
    QString text = existed ? QStringLiteral("%1 was left as it was.").arg(shown(target))
                           : QStringLiteral("%1 was not written.").arg(shown(target));
    const int n = kept.lines - items.headingLines - items.trailingLines;
    if (!kept.path.isEmpty() && n > 0)
        text += QStringLiteral(" %1 holds the %2 %3 before %4.")
                    .arg(shown(kept.path), counted(n, items.one, items.many),
                         QLatin1String(items.done), QLatin1String(before));
    else if (!kept.path.isEmpty())
        text += QStringLiteral(" %1 holds the heading line alone.").arg(shown(kept.path));
    return text;
}

QString keptAfterFailure(const QString &target, OutputFile &file, const Items &items,
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
        const int n = file.keepPartial().lines - items.headingLines - items.trailingLines;
        return n > 0 ? QStringLiteral("The %1 %2 before the failure went to standard output.")
                           .arg(counted(n, items.one, items.many), QLatin1String(items.done))
                     : QString();
    }
    if (file.committed())
        return QStringLiteral("%1 was written, but its folder may not have reached the disk: a "
                              "power failure now could lose it.")
            .arg(shown(target));
    const bool existed = file.replaces();
    return keptText(target, existed, file.keepPartial(), items, "the failure");
}

TransferOutcome ended(bool cancelled)
{
    return {cancelled ? TransferResult::Cancelled : TransferResult::Completed, {}, {}, {}, 0, {}};
}

// Puts a transfer's file in place. At Cancel a new file is the part transferred, as at a
// normal end; a file that would replace another one is kept beside it instead.
TransferOutcome finish(OutputFile &file, bool cancelled, const QString &target, const Items &items)
{
    if (!cancelled || !file.replaces()) {
        file.commit();
        return ended(cancelled);
    }
    TransferOutcome outcome = ended(true);
    outcome.kept = keptText(target, true, file.keepPartial(), items, "Cancel");
    return outcome;
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

QString BulkTransfers::shownInput(const QString &name) const
{
    return isStream(name) ? QStringLiteral("standard input") : shown(name);
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

TransferOutcome BulkTransfers::UploadDatalog(int aCount, const QString &sFileName)
{
    const LinkHold held(*this);
    ProgressScope scope(m_progress, QStringLiteral("Capturing Datalog..."), aCount);
    const DatalogLineFormat format{m_settings.text, m_settings.delimiter, "/"};
    PacketBuffer packet;
    std::optional<OutputFile> file;
    std::unique_ptr<DatalogSink> sink;
    int i = 1;
    bool saving = false;
    const Items items = datalogItems(m_settings.cgats, Records);
    try {
        openOutput(file, sFileName);
        sink = datalogSink(m_settings.cgats, *file, format);
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
            sink->add(record);
            m_progress.setValue(i);
            m_progress.yield();
        }
        saving = true;
        sink->finish();
        return finish(*file, i <= aCount, sFileName, items);
    } catch (const QuvaneError &error) {
        if (!file)
            return failed(QStringLiteral("The datalog was not captured."), error);
        return failed(saving ? QStringLiteral("The captured datalog could not be saved.")
                             : QStringLiteral("The datalog capture stopped at record %1 of %2.")
                                   .arg(i)
                                   .arg(aCount),
                      error, keptAfterFailure(sFileName, *file, items, sink.get()));
    }
}

TransferOutcome BulkTransfers::ConvertDatalog(const QString &sSource, const QString &sFileName)
{
    if (!isStream(sSource) && !isStream(sFileName) && sameFile(sSource, sFileName))
        return {TransferResult::Refused,
                QStringLiteral("%1 is the datalog file itself: choose another name for the "
                               "converted file.")
                    .arg(shown(sFileName)),
                {},
                QStringLiteral("Nothing was written."),
                0,
                {}};
    ProgressScope scope(m_progress, QStringLiteral("Converting Datalog..."), 0);
    const DatalogLineFormat format{m_settings.text, m_settings.delimiter, "::"};
    PacketBuffer packet;
    std::optional<LineReader> source;
    std::optional<OutputFile> file;
    std::unique_ptr<DatalogSink> sink;
    const Items items = datalogItems(m_settings.cgats, Converted);
    bool saving = false;
    try {
        openInput(source, sSource);
        openOutput(file, sFileName);
        sink = datalogSink(m_settings.cgats, *file, format);
        if (!m_settings.cgats)
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
            sink->add(record);
            m_progress.yield();
        }
        saving = true;
        sink->finish();
        return finish(*file, false, sFileName, items);
    } catch (const QuvaneError &error) {
        if (!source || !file)
            return failed(QStringLiteral("The datalog file was not converted."), error);
        return failed(saving ? QStringLiteral("The converted datalog could not be saved.")
                             : QStringLiteral("The datalog conversion stopped at line %1 of %2.")
                                   .arg(source->lineNumber())
                                   .arg(shownInput(sSource)),
                      error, keptAfterFailure(sFileName, *file, items, sink.get()));
    }
}

TransferOutcome BulkTransfers::UploadSetups(const QString &sFileName)
{
    const LinkHold held(*this);
    ProgressScope scope(m_progress, QStringLiteral("Archiving Product Setups..."), SetupCount);
    PacketBuffer packet;
    std::optional<OutputFile> file;
    int n = 1;
    bool saving = false;
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
        saving = true;
        return finish(*file, n <= SetupCount, sFileName, Setups);
    } catch (const QuvaneError &error) {
        if (!file)
            return failed(QStringLiteral("The product set-ups were not archived."), error);
        return failed(saving ? QStringLiteral("The set-up archive could not be saved.")
                             : QStringLiteral("The set-up archive stopped at set-up %1.").arg(n),
                      error, keptAfterFailure(sFileName, *file, Setups));
    }
}

TransferOutcome BulkTransfers::DownloadSetups(const QString &sFileName)
{
    const LinkHold held(*this);
    ProgressScope scope(m_progress, QStringLiteral("Restoring Product Setups..."), SetupCount);
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
            return {TransferResult::Refused, {}, {}, {}, 0, {}};
        while (reader.next(line)) {
            if (line.isEmpty())
                continue;
            if (records.size() == SetupCount)
                return {TransferResult::Refused,
                        QStringLiteral("%1 holds more than %2 set-up lines, but an instrument "
                                       "keeps %2 set-ups.")
                            .arg(shownInput(sFileName))
                            .arg(SetupCount),
                        {},
                        QStringLiteral("Nothing was restored."),
                        0,
                        {}};
            try {
                SetupLine::checkRecord(line);
            } catch (const QuvaneError &error) {
                return {TransferResult::Refused,
                        QStringLiteral("Line %1 of %2 is not a product set-up.")
                            .arg(reader.lineNumber())
                            .arg(shownInput(sFileName)),
                        error.description(),
                        QStringLiteral("Nothing was restored."),
                        error.number(),
                        {}};
            }
            records.append(line);
            lineNumbers.append(reader.lineNumber());
        }
    } catch (const QuvaneError &error) {
        return failed(QStringLiteral("The product set-ups were not restored."), error);
    }

    PacketBuffer packet;
    QList<int> refused;
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
                refused.append(lineNumbers[k]);
                continue;
            }
            m_progress.setMessage(QStringLiteral("%1 (%2)").arg(k + 1).arg(stored + 1));
            m_progress.setValue(static_cast<int>(k + 1));
            m_progress.yield();
        }
    } catch (const QuvaneError &error) {
        TransferOutcome outcome =
            failed(QStringLiteral("The set-up restore stopped at line %1 of %2.")
                       .arg(lineNumbers[k])
                       .arg(shownInput(sFileName)),
                   error,
                   QStringLiteral("%1 restored before it.")
                           .arg(counted(static_cast<int>(k) - static_cast<int>(refused.size()),
                                        "set-up was", "set-ups were")) +
                       // The line went out whole: the instrument may well have stored it.
                       (error.isLineError()
                            ? QStringLiteral(" The instrument's reply to line %1 was damaged: it "
                                             "may hold that set-up too.")
                                  .arg(lineNumbers[k])
                            : QString()));
        outcome.refusedLines = refused;
        return outcome;
    }
    TransferOutcome outcome = ended(k < records.size());
    outcome.refusedLines = refused;
    outcome.archived = static_cast<int>(records.size());
    return outcome;
}

} // namespace quvane
