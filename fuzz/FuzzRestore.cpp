// The restore file check: any file is refused or accepted before anything is sent (the transfer
// has no instrument here, so an accepted file fails at its first send, never earlier).
#include "transfer/BulkTransfers.h"
#include "transfer/TransferProgress.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace quvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.txt"));
    QFile file(path);
    // Most inputs get the header, so that the check of the set-up lines is reached.
    const bool header = size > 0 && data[0] != '!';
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    if (header)
        file.write("Quvane Product Setups\r\n");
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    file.close();
    SilentProgress progress;
    BulkTransfers transfers({nullptr, "\t", TextFormat(QLocale::c()), {}}, progress);
    const TransferOutcome outcome = transfers.DownloadSetups(path);
    if (outcome.result == TransferResult::Completed && outcome.refusedLines.size() > 100)
        __builtin_trap();
    return 0;
}
