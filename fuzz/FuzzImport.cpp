// The history's import of capture files: any content (a delimited capture of any delimiter, its
// CGATS, a DATALOG.QV3, or none of them) is read record by record or refused with a QuvaneError
// naming the line, never crashes; every record read goes into an SQLite history, which takes
// it or says why not.
#include "FuzzHistory.h"

#include "link/QuvaneError.h"
#include "records/Measurement.h"
#include "store/HistoryError.h"
#include "transfer/DatalogReaders.h"
#include "transfer/TextFormat.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

using namespace quvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzHistory &history = fuzzHistory("fuzz_import");
    static DatalogFileReader reader(TextFormat(QLocale(QLocale::German, QLocale::Germany)));

    const QString path = history.folder.filePath(QStringLiteral("capture.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return 0;
    file.close();
    QList<Measurement> read;
    try {
        reader.read(path, [&read](const DatalogRecord &record, int) {
            read << Measurement::fromDatalog(record, MeasurementSource::Import);
        });
    } catch (const QuvaneError &) {
    }
    try {
        history.store.add(read);
    } catch (const HistoryError &) {
    }
    return 0;
}
