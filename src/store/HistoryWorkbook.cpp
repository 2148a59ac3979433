#include "store/HistoryWorkbook.h"

#include "link/QuvaneError.h"
#include "transfer/OutputFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cmath>

namespace quvane {

namespace {

[[noreturn]] void failed(const QString &path, lxw_error error)
{
    throw QuvaneError(ErrorNumber::FileError,
                      QStringLiteral("%1 cannot be written: %2")
                          .arg(path, QString::fromUtf8(lxw_strerror(error))));
}

lxw_datetime excelTime(const QDateTime &time)
{
    const QDate d = time.date();
    const QTime t = time.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
}

} // namespace

void writeHistoryWorkbook(const QString &path, const QList<StoredMeasurement> &rows,
                          const QStringList &furtherHeadings,
                          const std::function<QStringList(const StoredMeasurement &)> &further)
{
    OutputFile::check(path);
    // libxlsxwriter writes a file of its own naming: it goes to a private folder first, and
    // from there through the one writer.
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        throw QuvaneError(ErrorNumber::FileError,
                          QStringLiteral("%1 cannot be written: no temporary folder").arg(path));
    const QByteArray draft = QFile::encodeName(scratch.filePath(QStringLiteral("history.xlsx")));
    lxw_workbook *const book = workbook_new(draft.constData());
    if (!book)
        failed(path, LXW_ERROR_CREATING_XLSX_FILE);
    lxw_worksheet *const sheet = workbook_add_worksheet(book, "History");
    lxw_format *const bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format *const date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd hh:mm:ss");

    QStringList headings{"ID",         "TAKEN",    "STORED",    "STATION", "OPERATOR",
                         "INSTRUMENT", "SOURCE",   "RECORD",    "SETUP",   "PRODUCT",
                         "SAMPLE_ID",  "STANDARD", "PASS_FAIL", "READINGS"};
    for (int nm = 400; nm <= 700; nm += 10)
        headings << QStringLiteral("SPEC_%1").arg(nm);
    headings << furtherHeadings;
    for (qsizetype c = 0; c < headings.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), headings[c].toUtf8().constData(), bold);
    worksheet_set_column(sheet, 1, 2, 19, nullptr);
    worksheet_freeze_panes(sheet, 1, 0);

    lxw_row_t r = 1;
    for (const StoredMeasurement &row : rows) {
        const Measurement &m = row.value;
        lxw_col_t c = 0;
        const auto number = [&](double value) {
            if (std::isfinite(value))
                worksheet_write_number(sheet, r, c, value, nullptr);
            ++c;
        };
        const auto text = [&](const QString &value) {
            if (!value.isEmpty())
                worksheet_write_string(sheet, r, c, value.toUtf8().constData(), nullptr);
            ++c;
        };
        const auto time = [&](const QDateTime &value) {
            if (value.isValid()) {
                lxw_datetime t = excelTime(value);
                worksheet_write_datetime(sheet, r, c, &t, date);
            }
            ++c;
        };
        number(double(row.id));
        time(m.taken);
        time(row.stored);
        text(row.station);
        text(row.operatorLogin);
        text(m.instrumentSerial);
        text(sourceName(m.source));
        number(double(m.recordNumber));
        number(m.setupNumber);
        text(m.product);
        text(m.sampleId);
        number(m.isStandard ? 1 : 0);
        number(m.passFail ? *m.passFail : std::nan(""));
        number(m.readings);
        for (float value : m.spectrum)
            number(double(value));
        if (further) {
            for (const QString &field : further(row)) {
                bool isNumber = false;
                const double value = field.toDouble(&isNumber);
                if (isNumber)
                    number(value);
                else if (field.isEmpty())
                    number(std::nan(""));
                else
                    text(field);
            }
        }
        ++r;
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        failed(path, closed);
    QFile made(QFile::decodeName(draft));
    if (!made.open(QIODevice::ReadOnly))
        throw QuvaneError(ErrorNumber::FileError,
                          QStringLiteral("%1 cannot be written: %2").arg(path, made.errorString()));
    OutputFile out(path);
    out.write(made.readAll());
    out.commit();
}

} // namespace quvane
