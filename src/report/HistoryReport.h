#pragma once

#include "colour/Trend.h"
#include "store/HistoryStore.h"
#include "store/Standard.h"

#include <QDateTime>
#include <QList>
#include <QPageSize>
#include <QString>

#include <functional>
#include <optional>

class QLocale;
class QPagedPaintDevice;

namespace quvane {

// The measurements judged against a standard, in the order they were taken (oldest first),
// as trends plot them.
QList<Colour::TrendPoint> trendOf(const Standard &standard,
                                  const QList<StoredMeasurement> &measurements);
// progress gets the measurements judged and their count now and then, and stops the judging
// (an empty trend) when it returns false.
QList<Colour::TrendPoint> trendOf(const Standard &standard,
                                  const QList<HistoryStore::SpectrumRow> &measurements,
                                  const std::function<bool(int, int)> &progress = {});

// A4, or Letter where the locale measures in US units.
QPageSize::PageSizeId reportPageSize(const QLocale &locale);

// What a report is made of, read from the history by its front end.
struct ReportInput
{
    Standard standard;
    QList<StoredMeasurement> measurements; // in any order
    QString selection;                     // which measurements, in words
    // The control chart's base period; an invalid bound is open.
    QDateTime baseFrom = {}, baseUntil = {};
    QDateTime made = {}; // by the station's clock
    QString station = {};
};

// A report of a standard's measurements: of one measurement a batch report (the spectra, the
// values under each condition, the differences and the verdict), of more a period report (the
// trend charts, the statistics and the table of measurements). One layout for a PDF file and
// a printer.
class HistoryReport
{
public:
    explicit HistoryReport(ReportInput input);

    bool isBatch() const { return m_input.measurements.size() == 1; }
    const ReportInput &input() const { return m_input; }
    const QList<Colour::TrendPoint> &trend() const { return m_trend; }
    const Colour::TrendStatistics &statistics() const { return m_statistics; }
    const std::optional<Colour::ControlLimits> &controlLimits() const { return m_limits; }

    // The pages the report takes on a page of this paint rectangle (in points).
    int pageCount(const QSizeF &page) const;
    // Draws every page on the device (a QPdfWriter or a QPrinter), page by page: progress gets
    // the pages drawn and their count, and stops the drawing when it returns false (then false
    // is returned).
    bool paint(QPagedPaintDevice &device, const std::function<bool(int, int)> &progress = {}) const;
    // The report as a PDF file's bytes; empty when progress stopped it.
    QByteArray pdf(QPageSize::PageSizeId size,
                   const std::function<bool(int, int)> &progress = {}) const;

private:
    ReportInput m_input;
    std::optional<Colour::Judgement> m_batch;
    QList<Colour::TrendPoint> m_trend;
    Colour::TrendStatistics m_statistics;
    std::optional<Colour::ControlLimits> m_limits;
};

} // namespace quvane
