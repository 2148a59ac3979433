// The history's import of CxF3 files: any content is read into standards and measurements or
// refused with a reason, never crashes; each standard read judges each measurement read, and
// both go into an SQLite history, which takes them or says why not.
#include "colour/Tolerance.h"
#include "store/HistoryError.h"
#include "store/HistoryStore.h"
#include "store/StandardExchange.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace quvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_cxf";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    static HistoryStore store(HistoryLocation::parse(dir.filePath(QStringLiteral("h.sqlite"))),
                              {});

    QString error;
    const std::optional<CxfContents> contents =
        readCxf(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &error);
    if (!contents)
        return 0;
    for (const Standard &standard : contents->standards) {
        const Colour::Judge judge(standard.colour(), standard.toleranceSet());
        for (const Measurement &trial : contents->trials)
            (void)judge(trial.spectrum);
        try {
            store.addStandard(standard);
        } catch (const HistoryError &) {
        }
    }
    try {
        store.add(contents->trials);
    } catch (const HistoryError &) {
    }
    return 0;
}
