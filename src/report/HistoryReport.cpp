#include "report/HistoryReport.h"

#include "policy/VerdictText.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace quvane {

using namespace Colour;

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("HistoryReport", text);
}

QString fixed(double value, int decimals = 2)
{
    return QString::number(unsignedZero(value, decimals), 'f', decimals);
}

QString when(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QColor verdictColour(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QColor(0x1b, 0x7f, 0x3b);
    case Verdict::Warn:
        return QColor(0xb3, 0x6b, 0x00);
    case Verdict::Fail:
        break;
    }
    return QColor(0xc0, 0x1c, 0x28);
}

// Sizes in points: the painter is scaled so that one unit is a point on any device.
constexpr double LineHeight = 12;
constexpr double HeaderHeight = 28;
constexpr double ChartHeight = 170;
constexpr double TableRowHeight = 11;

QFont font(int points, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(points);
    f.setBold(bold);
    return f;
}

// Round steps for an axis: 1, 2 or 5 times a power of ten, about `count` of them.
double niceStep(double span, int count)
{
    if (!(span > 0))
        return 1;
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (raw <= m * power)
            return m * power;
    }
    return 10 * power;
}

struct Series
{
    QString name;
    QColor colour;
    QList<QPointF> points;
};

struct Level
{
    double y;
    QColor colour;
    QString name;
};

struct Chart
{
    QString title;
    double x0 = 0, x1 = 1;
    std::function<QString(double)> xLabel;
    QString yTitle;
    QList<Series> series;
    QList<Level> levels;
    QList<QPointF> marked; // points beyond a limit, ringed
};

void drawChart(QPainter &p, const QRectF &box, const Chart &chart)
{
    p.save();
    p.setFont(font(9, true));
    p.setPen(Qt::black);
    p.drawText(QRectF(box.left(), box.top(), box.width(), LineHeight), Qt::AlignLeft, chart.title);
    // The legend, at the right of the title.
    p.setFont(font(8));
    double legendRight = box.right();
    const auto legend = [&](const QString &name, const QColor &colour, Qt::PenStyle style) {
        const double width = p.fontMetrics().horizontalAdvance(name) + 4;
        legendRight -= width;
        p.setPen(Qt::black);
        p.drawText(QRectF(legendRight, box.top(), width, LineHeight), Qt::AlignLeft, name);
        legendRight -= 16;
        p.setPen(QPen(colour, 1.2, style));
        p.drawLine(QPointF(legendRight + 2, box.top() + 6),
                   QPointF(legendRight + 14, box.top() + 6));
        legendRight -= 6;
    };
    for (auto it = chart.levels.crbegin(); it != chart.levels.crend(); ++it) {
        if (!it->name.isEmpty())
            legend(it->name, it->colour, Qt::DashLine);
    }
    for (auto it = chart.series.crbegin(); it != chart.series.crend(); ++it)
        legend(it->name, it->colour, Qt::SolidLine);

    double y0 = std::numeric_limits<double>::infinity(), y1 = -y0;
    for (const Series &s : chart.series) {
        for (const QPointF &point : s.points) {
            y0 = std::min(y0, point.y());
            y1 = std::max(y1, point.y());
        }
    }
    for (const Level &level : chart.levels) {
        y0 = std::min(y0, level.y);
        y1 = std::max(y1, level.y);
    }
    if (!std::isfinite(y0)) {
        y0 = 0;
        y1 = 1;
    }
    if (y1 - y0 < 1e-9) {
        y0 -= 0.5;
        y1 += 0.5;
    }
    const double step = niceStep(y1 - y0, 5);
    y0 = std::floor(y0 / step) * step;
    y1 = std::ceil(y1 / step) * step;
    const double x0 = chart.x0, x1 = chart.x1 > chart.x0 ? chart.x1 : chart.x0 + 1;

    const QRectF plot(box.left() + 34, box.top() + LineHeight + 4, box.width() - 40,
                      box.height() - LineHeight - 4 - 2 * LineHeight);
    const auto at = [&](double x, double y) {
        return QPointF(plot.left() + (x - x0) / (x1 - x0) * plot.width(),
                       plot.bottom() - (y - y0) / (y1 - y0) * plot.height());
    };
    p.setPen(QPen(QColor(0xdd, 0xdd, 0xdd), 0.5));
    p.setFont(font(7));
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step)));
    for (double y = y0; y <= y1 + step / 2; y += step) {
        const QPointF left = at(x0, y);
        p.setPen(QPen(QColor(0xdd, 0xdd, 0xdd), 0.5));
        p.drawLine(left, QPointF(plot.right(), left.y()));
        p.setPen(Qt::black);
        p.drawText(QRectF(box.left(), left.y() - 5, 31, 10), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(unsignedZero(y, decimals), 'f', decimals));
    }
    for (int i = 0; i <= 4; ++i) {
        const double x = x0 + (x1 - x0) * i / 4;
        const QPointF bottom = at(x, y0);
        p.setPen(QPen(QColor(0xdd, 0xdd, 0xdd), 0.5));
        p.drawLine(QPointF(bottom.x(), plot.top()), bottom);
        p.setPen(Qt::black);
        const Qt::Alignment align = i == 0   ? Qt::AlignLeft
                                    : i == 4 ? Qt::AlignRight
                                             : Qt::AlignHCenter;
        const double left = i == 0 ? bottom.x() : i == 4 ? bottom.x() - 100 : bottom.x() - 50;
        p.drawText(QRectF(left, plot.bottom() + 2, 100, 10), align, chart.xLabel(x));
    }
    p.setPen(QPen(Qt::black, 0.7));
    p.drawRect(plot);
    p.save();
    p.translate(box.left() + 4, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, -4, plot.height(), 10), Qt::AlignCenter, chart.yTitle);
    p.restore();

    p.setClipRect(plot.adjusted(-3, -3, 3, 3));
    for (const Level &level : chart.levels) {
        p.setPen(QPen(level.colour, 0.9, Qt::DashLine));
        p.drawLine(at(x0, level.y), at(x1, level.y));
    }
    for (const Series &s : chart.series) {
        QPolygonF line;
        line.reserve(s.points.size());
        for (const QPointF &point : s.points)
            line << at(point.x(), point.y());
        p.setPen(QPen(s.colour, 0.8));
        p.drawPolyline(line);
        if (s.points.size() <= 400) {
            p.setBrush(s.colour);
            p.setPen(Qt::NoPen);
            for (const QPointF &point : line)
                p.drawEllipse(point, 1.3, 1.3);
            p.setBrush(Qt::NoBrush);
        }
    }
    p.setPen(QPen(verdictColour(Verdict::Fail), 0.9));
    for (const QPointF &point : chart.marked)
        p.drawEllipse(at(point.x(), point.y()), 2.6, 2.6);
    p.restore();
}

struct Column
{
    QString title;
    double width; // a share of the table's width
    Qt::Alignment align = Qt::AlignRight;
};

// One row of a table, its cells in the columns' places.
void drawRow(QPainter &p, double left, double width, double y, const QList<Column> &columns,
             const QStringList &cells, const QList<QColor> &colours = {})
{
    double x = left;
    for (qsizetype i = 0; i < columns.size() && i < cells.size(); ++i) {
        const double w = columns[i].width * width;
        p.setPen(i < colours.size() && colours[i].isValid() ? colours[i] : QColor(Qt::black));
        p.drawText(QRectF(x + 2, y, w - 4, TableRowHeight), columns[i].align | Qt::AlignVCenter,
                   cells[i]);
        x += w;
    }
}

void drawTableHeader(QPainter &p, double left, double width, double y, const QList<Column> &columns)
{
    p.fillRect(QRectF(left, y, width, TableRowHeight), QColor(0xe8, 0xe8, 0xe8));
    p.setFont(font(8, true));
    QStringList titles;
    for (const Column &c : columns)
        titles << c.title;
    drawRow(p, left, width, y, columns, titles);
    p.setFont(font(8));
}

// The standard's origin in words.
QString originText(const Standard &s)
{
    switch (s.origin) {
    case Standard::Origin::Measurement:
        // A standard set from the measurement shown in the utility does not know its ID.
        return s.measurement > 0 ? tr("measurement %1 of the history").arg(s.measurement)
                                 : tr("a measurement, made the standard %1").arg(when(s.created));
    case Standard::Origin::Setup:
        return tr("set-up %1 of instrument %2, read %3")
            .arg(s.setup)
            .arg(s.instrument, when(s.created));
    case Standard::Origin::File:
        break;
    }
    return tr("a file");
}

QString conditionText(const ConditionVerdict &c)
{
    return conditionName(c.condition) + (c.primary ? tr(" (primary)") : QString());
}

} // namespace

namespace {

template <typename Rows, typename Fields>
QList<TrendPoint> judgedPoints(const Standard &standard, const Rows &rows, Fields fields,
                               const std::function<bool(int, int)> &progress = {})
{
    const Judge judged(standard.colour(), standard.toleranceSet());
    QList<TrendPoint> points;
    points.reserve(rows.size());
    const int count = int(rows.size());
    int done = 0;
    for (const auto &row : rows) {
        if (progress && done++ % 2000 == 0 && !progress(done - 1, count))
            return {};
        const auto [id, taken, spectrum] = fields(row);
        const Judgement j = judged(spectrum);
        if (!j.judged())
            continue;
        const LabDifference &d = j.conditions.first().difference;
        points.append({id, taken, d.dE, d.dL, d.da, d.db, d.dC, d.dH, j.overall});
    }
    std::sort(points.begin(), points.end(), [](const TrendPoint &a, const TrendPoint &b) {
        return a.taken != b.taken ? a.taken < b.taken : a.id < b.id;
    });
    return points;
}

} // namespace

QList<TrendPoint> trendOf(const Standard &standard, const QList<StoredMeasurement> &measurements)
{
    return judgedPoints(standard, measurements, [](const StoredMeasurement &row) {
        return std::tuple<qint64, const QDateTime &, const Spectrum &>(row.id, row.value.taken,
                                                                       row.value.spectrum);
    });
}

QList<TrendPoint> trendOf(const Standard &standard,
                          const QList<HistoryStore::SpectrumRow> &measurements,
                          const std::function<bool(int, int)> &progress)
{
    return judgedPoints(
        standard, measurements,
        [](const HistoryStore::SpectrumRow &row) {
            return std::tuple<qint64, const QDateTime &, const Spectrum &>(row.id, row.taken,
                                                                           row.spectrum);
        },
        progress);
}

QPageSize::PageSizeId reportPageSize(const QLocale &locale)
{
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                   : QPageSize::A4;
}

HistoryReport::HistoryReport(ReportInput input) : m_input(std::move(input))
{
    if (isBatch())
        m_batch = judge(m_input.standard.colour(), m_input.measurements.first().value.spectrum,
                        m_input.standard.toleranceSet());
    m_trend = trendOf(m_input.standard, m_input.measurements);
    m_statistics = trendStatistics(m_trend);
    m_limits = Colour::controlLimits(m_trend, m_input.baseFrom, m_input.baseUntil);
}

namespace {

int tableRowsPerPage(const QSizeF &page)
{
    return std::max(
        1, int((page.height() - HeaderHeight - LineHeight * 2 - TableRowHeight) / TableRowHeight));
}

} // namespace

int HistoryReport::pageCount(const QSizeF &page) const
{
    if (isBatch())
        return 1;
    const int rows = int(m_trend.size());
    return 1 + (rows + tableRowsPerPage(page) - 1) / tableRowsPerPage(page);
}

bool HistoryReport::paint(QPagedPaintDevice &device,
                          const std::function<bool(int, int)> &progress) const
{
    const QRectF area = device.pageLayout().paintRectPoints();
    const QSizeF page = area.size();
    const int pages = pageCount(page);
    QPainter p(&device);
    const double scale = device.logicalDpiX() / 72.0;
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    const double width = page.width();
    const Standard &standard = m_input.standard;
    const ToleranceSet set = standard.toleranceSet();

    int pageNumber = 0;
    // A new page with its heading; the place below it.
    const auto startPage = [&](const QString &title) {
        if (pageNumber > 0)
            device.newPage();
        ++pageNumber;
        p.setFont(font(13, true));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, 0, width * 0.75, 18), Qt::AlignLeft | Qt::AlignVCenter, title);
        p.setFont(font(8));
        p.drawText(QRectF(width * 0.75, 0, width * 0.25, 18), Qt::AlignRight | Qt::AlignVCenter,
                   tr("Page %1 of %2").arg(pageNumber).arg(pages));
        p.setPen(QPen(Qt::black, 0.7));
        p.drawLine(QPointF(0, 21), QPointF(width, 21));
        p.setFont(font(7));
        p.setPen(QColor(0x55, 0x55, 0x55));
        p.drawText(QRectF(0, page.height() - LineHeight, width, LineHeight), Qt::AlignLeft,
                   tr("Made %1 at %2 by quvane %3")
                       .arg(when(m_input.made), m_input.station, QStringLiteral(QUVANE_VERSION)));
        p.setPen(Qt::black);
        return HeaderHeight;
    };
    double y = 0;
    const auto line = [&](const QString &name, const QString &value) {
        p.setFont(font(9, true));
        p.drawText(QRectF(0, y, 92, LineHeight), Qt::AlignLeft, name);
        p.setFont(font(9));
        QRectF used;
        p.drawText(QRectF(92, y, width - 92, 4 * LineHeight), Qt::AlignLeft | Qt::TextWordWrap,
                   value, &used);
        y += std::max(LineHeight, used.height());
    };
    const auto keepGoing = [&] { return !progress || progress(pageNumber, pages); };

    if (m_batch) {
        const StoredMeasurement &row = m_input.measurements.first();
        const Measurement &m = row.value;
        y = startPage(
            tr("Batch report: %1")
                .arg(m.sampleId.isEmpty() ? tr("measurement %1").arg(row.id) : m.sampleId));
        line(tr("Standard"), QStringLiteral("%1 (%2, revision %3)")
                                 .arg(standard.name, originText(standard))
                                 .arg(standard.revision));
        line(tr("Tolerance"), toleranceText(set));
        line(tr("Measured"),
             tr("%1 by instrument %2%3")
                 .arg(when(m.taken),
                      m.instrumentSerial.isEmpty() ? tr("not known") : m.instrumentSerial,
                      m.recordNumber ? tr(", datalog record %1").arg(m.recordNumber) : QString()));
        if (m.setupNumber || !m.product.isEmpty())
            line(tr("Set-up"), QStringLiteral("%1 %2").arg(m.setupNumber).arg(m.product));
        line(tr("Stored"), tr("%1 at %2 by %3, measurement %4 (%5)")
                               .arg(when(row.stored), row.station, row.operatorLogin)
                               .arg(row.id)
                               .arg(sourceName(m.source)));
        y += 6;

        Chart spectra{tr("Reflectance"),
                      400,
                      700,
                      [](double nm) { return QStringLiteral("%1 nm").arg(nm, 0, 'f', 0); },
                      tr("%"),
                      {},
                      {},
                      {}};
        const auto spectrumSeries = [](const QString &name, const QColor &colour,
                                       const Spectrum &s) {
            Series series{name, colour, {}};
            for (int i = 0; i < 31; ++i)
                series.points << QPointF(400 + 10 * i, double(s[size_t(i)]));
            return series;
        };
        if (standard.spectral)
            spectra.series << spectrumSeries(tr("Standard"), QColor(0x1f, 0x4e, 0x9a),
                                             standard.spectrum);
        spectra.series << spectrumSeries(tr("Sample"), QColor(0xc0, 0x1c, 0x28), m.spectrum);
        drawChart(p, QRectF(0, y, width, ChartHeight + 20), spectra);
        y += ChartHeight + 30;

        const QList<Column> columns{{tr("Condition"), 0.15, Qt::AlignLeft},
                                    {QString(), 0.11, Qt::AlignLeft},
                                    {tr("L*"), 0.08},
                                    {tr("a*"), 0.08},
                                    {tr("b*"), 0.08},
                                    {tr("dC*"), 0.08},
                                    {tr("dH*"), 0.08},
                                    {tr("dE"), 0.08},
                                    {tr("Limit"), 0.08},
                                    {tr("MI"), 0.07},
                                    {tr("Verdict"), 0.11, Qt::AlignLeft}};
        drawTableHeader(p, 0, width, y, columns);
        y += TableRowHeight + 2;
        for (const ConditionVerdict &c : m_batch->conditions) {
            if (!c.judged) {
                drawRow(p, 0, width, y, columns,
                        {conditionText(c), tr("the standard has no values here")});
                y += TableRowHeight + 4;
                continue;
            }
            drawRow(p, 0, width, y, columns,
                    {conditionText(c), tr("Standard"), fixed(c.standard.L), fixed(c.standard.a),
                     fixed(c.standard.b)});
            y += TableRowHeight;
            drawRow(
                p, 0, width, y, columns,
                {QString(), tr("Sample"), fixed(c.sample.L), fixed(c.sample.a), fixed(c.sample.b)});
            y += TableRowHeight;
            drawRow(p, 0, width, y, columns,
                    {QString(), tr("Difference"), signedDifference(c.difference.dL),
                     signedDifference(c.difference.da), signedDifference(c.difference.db),
                     signedDifference(c.difference.dC), signedDifference(c.difference.dH),
                     fixed(c.difference.dE), set.isBox() ? tr("box") : fixed(c.limit),
                     c.metamerismIndex ? fixed(*c.metamerismIndex) : QString(),
                     verdictName(c.verdict)},
                    {{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, verdictColour(c.verdict)});
            y += TableRowHeight + 4;
        }
        y += 8;
        p.setFont(font(18, true));
        p.setPen(verdictColour(m_batch->overall));
        p.drawText(QRectF(0, y, width, 26), Qt::AlignLeft | Qt::AlignVCenter,
                   m_batch->judged() ? tr("Verdict: %1").arg(verdictName(m_batch->overall))
                                     : tr("Not judged: the standard has no values under the "
                                          "tolerance's condition"));
        return keepGoing();
    }

    // A period report: the summary and the charts, then the table.
    y = startPage(tr("Period report: %1").arg(standard.name));
    line(tr("Standard"), QStringLiteral("%1 (%2, revision %3)")
                             .arg(standard.name, originText(standard))
                             .arg(standard.revision));
    line(tr("Tolerance"), toleranceText(set));
    line(tr("Selection"), m_input.selection);
    const TrendStatistics &s = m_statistics;
    line(tr("Period"), m_trend.isEmpty()
                           ? tr("no measurement judged")
                           : tr("%1 to %2, %3 measurements")
                                 .arg(when(m_trend.first().taken), when(m_trend.last().taken))
                                 .arg(s.count));
    const auto rate = [&s](int n) {
        return QStringLiteral("%1 (%2 %)").arg(n).arg(fixed(100 * s.rate(n), 1));
    };
    line(tr("Verdicts"),
         tr("Pass %1, Warn %2, Fail %3").arg(rate(s.pass), rate(s.warn), rate(s.fail)));
    int beyond = 0;
    if (m_limits) {
        for (const TrendPoint &point : m_trend)
            beyond += m_limits->beyond(point.dE) ? 1 : 0;
        const bool whole = !m_input.baseFrom.isValid() && !m_input.baseUntil.isValid();
        const QString base =
            whole ? tr("the whole period")
                  : tr("%1 to %2")
                        .arg(m_input.baseFrom.isValid() ? when(m_input.baseFrom) : tr("the start"),
                             m_input.baseUntil.isValid() ? when(m_input.baseUntil) : tr("the end"));
        line(tr("Control"),
             tr("centre %1, lower %2, upper %3 (base: %4, %5 measurements); %6 beyond")
                 .arg(fixed(m_limits->centre, 3), fixed(m_limits->lower(), 3),
                      fixed(m_limits->upper(), 3), base)
                 .arg(m_limits->basePoints)
                 .arg(beyond));
    }
    y += 4;
    const QList<Column> statColumns{{tr("Statistics"), 0.2, Qt::AlignLeft},
                                    {tr("Mean"), 0.2},
                                    {tr("Std. deviation"), 0.2},
                                    {tr("Minimum"), 0.2},
                                    {tr("Maximum"), 0.2}};
    drawTableHeader(p, 0, width, y, statColumns);
    y += TableRowHeight + 1;
    for (const auto &[name, spread] :
         {std::pair{tr("dE"), s.dE}, {tr("dL*"), s.dL}, {tr("da*"), s.da}, {tr("db*"), s.db}}) {
        drawRow(p, 0, width, y, statColumns,
                {name, fixed(spread.mean, 3), fixed(spread.deviation, 3), fixed(spread.minimum, 3),
                 fixed(spread.maximum, 3)});
        y += TableRowHeight;
    }
    y += 8;

    const double first = m_trend.isEmpty() ? 0 : double(m_trend.first().taken.toMSecsSinceEpoch());
    const double last = m_trend.isEmpty() ? 1 : double(m_trend.last().taken.toMSecsSinceEpoch());
    const bool days = last - first > 2 * 86400e3;
    const auto timeLabel = [days](double ms) {
        return QDateTime::fromMSecsSinceEpoch(qint64(ms))
            .toString(days ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("MM-dd HH:mm"));
    };
    const double chartHeight = std::min(ChartHeight, (page.height() - y - LineHeight) / 3 - 6);
    Chart dE{tr("dE over time"), first, last, timeLabel, tr("dE"), {}, {}, {}};
    // A box of dL* dC* dH* is judged on those; everything else plots dL* da* db*.
    const bool lch = set.method == ToleranceMethod::BoxLch;
    Chart components{lch ? tr("dL*, dC*, dH* over time") : tr("dL*, da*, db* over time"),
                     first,
                     last,
                     timeLabel,
                     tr("difference"),
                     {},
                     {},
                     {}};
    Chart control{
        tr("Control chart of dE (individuals)"), first, last, timeLabel, tr("dE"), {}, {}, {}};
    Series e{tr("dE"), QColor(0x1f, 0x4e, 0x9a), {}}, l{tr("dL*"), QColor(0x33, 0x33, 0x33), {}},
        a{lch ? tr("dC*") : tr("da*"), QColor(0xc0, 0x1c, 0x28), {}},
        b{lch ? tr("dH*") : tr("db*"), QColor(0xb3, 0x8f, 0x00), {}};
    for (const TrendPoint &point : m_trend) {
        const double x = double(point.taken.toMSecsSinceEpoch());
        e.points << QPointF(x, point.dE);
        l.points << QPointF(x, point.dL);
        a.points << QPointF(x, lch ? point.dC : point.da);
        b.points << QPointF(x, lch ? point.dH : point.db);
        if (point.verdict == Verdict::Fail)
            dE.marked << QPointF(x, point.dE);
        if (m_limits && m_limits->beyond(point.dE))
            control.marked << QPointF(x, point.dE);
    }
    dE.series << e;
    components.series << l << a << b;
    control.series << e;
    if (!set.isBox()) {
        dE.levels << Level{set.limit, verdictColour(Verdict::Fail), tr("limit")}
                  << Level{set.limit * set.warn, verdictColour(Verdict::Warn), tr("warning")};
    } else if (std::equal(set.plus.begin() + 1, set.plus.end(), set.plus.begin()) &&
               std::equal(set.minus.begin() + 1, set.minus.end(), set.minus.begin())) {
        // A box of the same limits on all three: those are the chart's lines.
        components.levels << Level{set.plus[0], verdictColour(Verdict::Fail), tr("limits")}
                          << Level{-set.minus[0], verdictColour(Verdict::Fail), QString()};
    }
    if (m_limits)
        control.levels << Level{m_limits->centre, QColor(0x1b, 0x7f, 0x3b), tr("centre")}
                       << Level{m_limits->upper(), verdictColour(Verdict::Fail), tr("3 s.d.")}
                       << Level{m_limits->lower(), verdictColour(Verdict::Fail), QString()};
    for (const Chart *chart : {&dE, &components, &control}) {
        drawChart(p, QRectF(0, y, width, chartHeight), *chart);
        y += chartHeight + 6;
    }
    if (!keepGoing())
        return false;

    const QList<Column> columns{{tr("Taken"), 0.2, Qt::AlignLeft},
                                {tr("ID"), 0.08},
                                {tr("Sample ID"), 0.2, Qt::AlignLeft},
                                {tr("Instrument"), 0.12, Qt::AlignLeft},
                                {tr("dL*"), 0.08},
                                {tr("da*"), 0.08},
                                {tr("db*"), 0.08},
                                {tr("dE"), 0.08},
                                {tr("Verdict"), 0.08, Qt::AlignLeft}};
    QHash<qint64, const StoredMeasurement *> byId;
    for (const StoredMeasurement &row : m_input.measurements)
        byId.insert(row.id, &row);
    const int perPage = tableRowsPerPage(page);
    for (qsizetype i = 0; i < m_trend.size(); ++i) {
        if (i % perPage == 0) {
            if (i > 0 && !keepGoing())
                return false;
            y = startPage(tr("Period report: %1, measurements").arg(standard.name));
            drawTableHeader(p, 0, width, y, columns);
            y += TableRowHeight + 1;
        }
        const TrendPoint &point = m_trend[i];
        const StoredMeasurement *row = byId.value(point.id);
        drawRow(p, 0, width, y, columns,
                {when(point.taken), QString::number(point.id),
                 row ? row->value.sampleId : QString(),
                 row ? row->value.instrumentSerial : QString(), signedDifference(point.dL),
                 signedDifference(point.da), signedDifference(point.db), fixed(point.dE),
                 verdictName(point.verdict)},
                {{}, {}, {}, {}, {}, {}, {}, {}, verdictColour(point.verdict)});
        y += TableRowHeight;
    }
    return keepGoing();
}

QByteArray HistoryReport::pdf(QPageSize::PageSizeId size,
                              const std::function<bool(int, int)> &progress) const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(size), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setResolution(600);
        writer.setTitle(isBatch() ? tr("Batch report: %1").arg(m_input.standard.name)
                                  : tr("Period report: %1").arg(m_input.standard.name));
        writer.setCreator(QStringLiteral("quvane %1").arg(QStringLiteral(QUVANE_VERSION)));
        if (!paint(writer, progress))
            return {};
    }
    return buffer.data();
}

} // namespace quvane
