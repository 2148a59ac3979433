// The datalog line decoder and the file conversion: any DATALOG.QV3 content converts or fails
// with a QuvaneError naming the line, never crashes, and a failed conversion writes no target.
#include "link/PacketBuffer.h"
#include "link/QuvaneError.h"
#include "transfer/BulkTransfers.h"
#include "transfer/DatalogSinks.h"
#include "transfer/TextFormat.h"
#include "transfer/TransferProgress.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace quvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const TextFormat text{QLocale(QLocale::Swedish, QLocale::Sweden)};
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // One line straight into the decoder, and the record into both formats.
    PacketBuffer packet;
    packet.SetReply(input.left(4096));
    QByteArray line;
    try {
        const DatalogRecord record = DatalogRecord::decode(packet);
        appendDatalogLine(record, {text, ";", "::"}, line);
        appendCgatsRow(record, text, line);
    } catch (const QuvaneError &) {
    }

    // The whole input as a file.
    const QString source = dir.filePath(QStringLiteral("DATALOG.QV3"));
    const QString target = dir.filePath(QStringLiteral("out.txt"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
        return 0;
    file.close();
    QFile::remove(target);
    SilentProgress progress;
    BulkTransfers transfers({nullptr, "\t", text, {}}, progress);
    const TransferOutcome outcome = transfers.ConvertDatalog(source, {target});
    if (outcome.result == TransferResult::Failed && QFile::exists(target))
        __builtin_trap();
    return 0;
}
