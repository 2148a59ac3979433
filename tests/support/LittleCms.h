#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <lcms2.h>

#include <vector>

namespace quvane {

// What Little CMS's CGATS reader makes of a file: its complaints, the number of sets and the
// fields, and the numbers of each row.
struct LittleCmsTable
{
    QStringList errors;
    int sets = -1;
    QList<QByteArray> fields;
    std::vector<std::vector<double>> rows;
};

inline QStringList littleCmsErrors;

inline LittleCmsTable readWithLittleCms(const QByteArray &bytes)
{
    littleCmsErrors.clear();
    cmsSetLogErrorHandler([](cmsContext, cmsUInt32Number, const char *text) {
        littleCmsErrors << QString::fromLatin1(text);
    });
    LittleCmsTable table;
    if (cmsHANDLE it8 =
            cmsIT8LoadFromMem(nullptr, bytes.constData(), cmsUInt32Number(bytes.size()))) {
        table.sets = int(cmsIT8GetPropertyDbl(it8, "NUMBER_OF_SETS"));
        char **names = nullptr;
        const int count = cmsIT8EnumDataFormat(it8, &names);
        for (int f = 0; f < count; ++f)
            table.fields << QByteArray(names[f]);
        for (int r = 0; r < table.sets; ++r) {
            table.rows.emplace_back();
            for (int f = 0; f < count; ++f)
                table.rows.back().push_back(cmsIT8GetDataRowColDbl(it8, r, f));
        }
        cmsIT8Free(it8);
    }
    table.errors = littleCmsErrors;
    return table;
}

} // namespace quvane
