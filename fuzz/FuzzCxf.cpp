// The history's import of CxF3 files: any content is read into standards and measurements or
// refused with a reason, never crashes; each standard read judges each measurement read, and
// both go into an SQLite history, which takes them or says why not.
#include "FuzzHistory.h"

#include "colour/Tolerance.h"
#include "store/HistoryError.h"
#include "store/StandardExchange.h"

#include <cstddef>
#include <cstdint>

using namespace quvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    HistoryStore &store = fuzzHistory("fuzz_cxf").store;

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
