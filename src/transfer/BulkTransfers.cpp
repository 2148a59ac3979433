#include "BulkTransfers.h"

#include "DatalogLine.h"
#include "InstrumentOperations.h"
#include "PacketBuffer.h"
#include "Prompter.h"
#include "QuvaneError.h"
#include "ReportError.h"
#include "SensorControl.h"
#include "TextFiles.h"
#include "TextFormat.h"
#include "TransferProgress.h"
#include "modGlobals.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

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

BulkTransfers::BulkTransfers(InstrumentOperations &operations, TransferProgress &progress)
    : m_operations(operations), m_sensor(operations.sensor()), m_progress(progress)
{}

QByteArray BulkTransfers::send(const QByteArray &command)
{
    for (;;) {
        try {
            return m_sensor.SendCommand(command);
        } catch (const QuvaneError &error) {
            if (!error.isTimeout() || !AskRetryAfterTimeout())
                throw;
        }
    }
}

TransferResult BulkTransfers::fail(const QString &what, const QString &description,
                                   const QString &kept)
{
    m_progress.finish();
    QString text = what + QStringLiteral("\n\n") + description;
    if (!kept.isEmpty())
        text += QStringLiteral("\n\n") + kept;
    MsgBox(text, MsgButtons::OK, MsgIcon::Critical, modGlobals::MainTitle);
    return TransferResult::Failed;
}

TransferResult BulkTransfers::UploadDatalog(const QString &sFileName)
{
    const qint16 count = m_operations.DatalogCount();
    if (count <= 0) {
        MsgBox(QStringLiteral("Datalog is empty"), MsgButtons::OK, MsgIcon::Exclamation,
               modGlobals::MainTitle);
        return TransferResult::Nothing;
    }
    ProgressScope scope(m_progress, QStringLiteral("Capturing Datalog..."), count);
    const TextFormat text;
    const DatalogLineFormat format{text, modGlobals::GetDelimiter().toLatin1(), "/"};
    PacketBuffer &packet = PacketBuffer::shared();
    std::optional<LineWriter> file;
    int i = 1;
    try {
        file.emplace(sFileName);
        QByteArray line;
        for (; i <= count && !m_progress.cancelRequested(); ++i) {
            m_progress.setMessage(QStringLiteral("%1 / %2").arg(i).arg(count));
            packet.PutText(QByteArrayView("Q1"));
            packet.PutLong(i - 1);
            packet.SetReply(send(packet.GetCommand()));
            line.truncate(0); // keeps the capacity for the next line
            appendDatalogLine(packet, format, line);
            file->writeLine(line);
            m_progress.setValue(i);
            m_progress.yield();
        }
        file->close();
    } catch (const QuvaneError &error) {
        if (!file)
            return fail(QStringLiteral("The datalog was not captured."), error.description(), {});
        const int written = file->abandon();
        return fail(
            QStringLiteral("The datalog capture stopped at record %1 of %2.").arg(i).arg(count),
            error.description(),
            QStringLiteral("%1 holds the %2 captured before it.")
                .arg(shown(sFileName), counted(written, "record", "records")));
    }
    return i <= count ? TransferResult::Cancelled : TransferResult::Completed;
}

TransferResult BulkTransfers::ConvertDatalog(const QString &sSource, const QString &sFileName)
{
    ProgressScope scope(m_progress, QStringLiteral("Converting Datalog..."), 0);
    const QByteArray delimiter = modGlobals::GetDelimiter().toLatin1();
    const TextFormat text;
    const DatalogLineFormat format{text, delimiter, "::"};
    PacketBuffer &packet = PacketBuffer::shared();
    std::optional<LineReader> source;
    std::optional<LineWriter> file;
    try {
        source.emplace(sSource);
        file.emplace(sFileName);
        file->writeLine(datalogHeading(delimiter));
        QByteArray input, line;
        while (source->next(input)) {
            m_progress.setMessage(QString::number(source->lineNumber()));
            packet.SetReply(input);
            if (packet.GetChar() != QLatin1String("#")) {
                packet.Rewind();
                line.truncate(0); // keeps the capacity for the next line
                appendDatalogLine(packet, format, line);
                file->writeLine(line);
            }
            m_progress.yield();
        }
        file->close();
    } catch (const QuvaneError &error) {
        if (!source || !file)
            return fail(QStringLiteral("The datalog file was not converted."), error.description(),
                        {});
        const int written = file->abandon();
        return fail(
            QStringLiteral("The datalog conversion stopped at line %1 of %2.")
                .arg(source->lineNumber())
                .arg(shown(sSource)),
            error.description(),
            QStringLiteral("%1 holds the heading line and the %2 converted before it.")
                .arg(shown(sFileName), counted(std::max(written - 1, 0), "record", "records")));
    }
    m_progress.finish();
    MsgBox(QStringLiteral("Conversion completed"), MsgButtons::OK, MsgIcon::Information,
           modGlobals::MainTitle);
    return TransferResult::Completed;
}

TransferResult BulkTransfers::UploadSetups(const QString &sFileName)
{
    ProgressScope scope(m_progress, QStringLiteral("Archiving Product Setups..."), SetupCount);
    PacketBuffer &packet = PacketBuffer::shared();
    std::optional<LineWriter> file;
    int n = 1;
    try {
        file.emplace(sFileName);
        file->writeLine(ArchiveHeader);
        for (; n <= SetupCount && !m_progress.cancelRequested(); ++n) {
            m_progress.setMessage(QStringLiteral("%1 / %2").arg(n).arg(SetupCount));
            packet.PutText(QByteArrayView("P1"));
            packet.PutLong(n - 1);
            file->writeLine(send(packet.GetCommand()));
            m_progress.setValue(n);
            m_progress.yield();
        }
        file->close();
    } catch (const QuvaneError &error) {
        if (!file)
            return fail(QStringLiteral("The product set-ups were not archived."),
                        error.description(), {});
        const int written = file->abandon();
        return fail(
            QStringLiteral("The set-up archive stopped at set-up %1.").arg(n), error.description(),
            QStringLiteral("%1 holds the header line and the %2 archived before it.")
                .arg(shown(sFileName), counted(std::max(written - 1, 0), "set-up", "set-ups")));
    }
    return n <= SetupCount ? TransferResult::Cancelled : TransferResult::Completed;
}

TransferResult BulkTransfers::DownloadSetups(const QString &sFileName)
{
    ProgressScope scope(m_progress, QStringLiteral("Restoring Product Setups..."), SetupCount);
    // The archive is small: read it whole, so that a file with more set-ups than an
    // instrument keeps is refused before anything is sent.
    QList<QByteArray> lines;
    try {
        LineReader reader(sFileName);
        QByteArray line;
        while (reader.next(line))
            lines.append(line);
    } catch (const QuvaneError &error) {
        return fail(QStringLiteral("The product set-ups were not restored."), error.description(),
                    {});
    }
    if (lines.isEmpty() || lines.first() != ArchiveHeader)
        return TransferResult::Nothing;
    if (lines.size() - 1 > SetupCount) {
        m_progress.finish();
        MsgBox(QStringLiteral("%1 holds %2 set-up lines, but an instrument keeps %3 set-ups.\n\n"
                              "Nothing was restored.")
                   .arg(shown(sFileName))
                   .arg(lines.size() - 1)
                   .arg(SetupCount),
               MsgButtons::OK, MsgIcon::Exclamation, modGlobals::MainTitle);
        return TransferResult::Nothing;
    }

    PacketBuffer &packet = PacketBuffer::shared();
    int k = 0;
    try {
        while (k + 1 < lines.size() && !m_progress.cancelRequested()) {
            ++k;
            packet.PutText(QByteArrayView("P0"));
            packet.PutText(QByteArrayView(lines[k]));
            packet.SetReply(send(packet.GetCommand()));
            const qint32 stored = packet.GetLong();
            m_progress.setMessage(QStringLiteral("%1 (%2)").arg(k).arg(stored + 1));
            m_progress.setValue(k);
            m_progress.yield();
        }
    } catch (const QuvaneError &error) {
        return fail(QStringLiteral("The set-up restore stopped at line %1 of %2.")
                        .arg(k + 1)
                        .arg(shown(sFileName)),
                    error.description(),
                    QStringLiteral("%1 restored before it.")
                        .arg(counted(k - 1, "set-up was", "set-ups were")));
    }
    return k + 1 < lines.size() ? TransferResult::Cancelled : TransferResult::Completed;
}
