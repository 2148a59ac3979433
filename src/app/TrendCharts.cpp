#include "app/TrendCharts.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace quvane {

using namespace Colour;

namespace {

// Above this many points a chart draws each column's lowest and highest alone.
constexpr int Columns = 1200;
// A click this near a point (in pixels) opens it.
constexpr double Reach = 8;

QChartView *newView(const QString &name, QWidget *parent)
{
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(2, 0, 2, 0));
    QFont title = chart->titleFont();
    title.setBold(true);
    chart->setTitleFont(title);
    auto *view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setAccessibleName(name);
    view->setFocusPolicy(Qt::NoFocus);
    view->setMinimumHeight(150);
    return view;
}

double msecs(const TrendPoint &point)
{
    return double(point.taken.toMSecsSinceEpoch());
}

// A quantity of the trend, as a chart plots it.
using Value = double TrendPoint::*;

// Which of the Columns a time falls in, of a chart from `first` over `span` milliseconds.
int columnOf(double x, double first, double span)
{
    return span > 0 ? std::min(Columns - 1, int((x - first) / span * Columns)) : 0;
}

// The points of a quantity as a line draws them: all of them, or of each time column the
// lowest and the highest in the order they were taken.
QList<QPointF> envelope(const QList<TrendPoint> &trend, Value value)
{
    QList<QPointF> points;
    if (trend.size() <= 2 * Columns) {
        points.reserve(trend.size());
        for (const TrendPoint &p : trend)
            points << QPointF(msecs(p), p.*value);
        return points;
    }
    const double first = msecs(trend.first()), span = msecs(trend.last()) - first;
    points.reserve(2 * Columns + 2);
    qsizetype i = 0;
    while (i < trend.size()) {
        const int column = columnOf(msecs(trend[i]), first, span);
        qsizetype low = i, high = i;
        qsizetype j = i;
        for (; j < trend.size(); ++j) {
            if (columnOf(msecs(trend[j]), first, span) != column)
                break;
            if (trend[j].*value < trend[low].*value)
                low = j;
            if (trend[j].*value > trend[high].*value)
                high = j;
        }
        for (const qsizetype k : {std::min(low, high), std::max(low, high)}) {
            points << QPointF(msecs(trend[k]), trend[k].*value);
            if (low == high)
                break;
        }
        i = j;
    }
    return points;
}

// Marked points, at most one in each column where there are many (the farthest from zero).
QList<QPointF> marks(const QList<TrendPoint> &trend,
                     const std::function<bool(const TrendPoint &)> &marked)
{
    QList<QPointF> points;
    for (const TrendPoint &p : trend) {
        if (marked(p))
            points << QPointF(msecs(p), p.dE);
    }
    if (points.size() <= 2 * Columns)
        return points;
    const double first = points.first().x(), span = points.last().x() - first;
    QList<QPointF> kept;
    int lastColumn = -1;
    for (const QPointF &p : points) {
        const int column = columnOf(p.x(), first, span);
        if (column != lastColumn)
            kept << p;
        else if (std::abs(p.y()) > std::abs(kept.last().y()))
            kept.last() = p;
        lastColumn = column;
    }
    return kept;
}

struct Level
{
    double value;
    QColor colour;
    QString name;
};

struct Line
{
    QString name;
    QColor colour;
    QList<QPointF> points;
};

void fill(QChart *chart, const QString &title, const QString &valueTitle, double first, double last,
          const QList<Line> &lines, const QList<Level> &levels, const QList<QPointF> &marked,
          const QColor &markColour, const QString &markName)
{
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis);
    chart->setTitle(title);
    auto *time = new QDateTimeAxis(chart);
    if (last <= first) {
        first -= 3600e3;
        last += 3600e3;
    }
    time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(first)),
                   QDateTime::fromMSecsSinceEpoch(qint64(last)));
    time->setFormat(last - first > 2 * 86400e3 ? QStringLiteral("yyyy-MM-dd")
                                               : QStringLiteral("MM-dd HH:mm"));
    time->setTickCount(6);
    auto *values = new QValueAxis(chart);
    if (!valueTitle.isEmpty())
        values->setTitleText(valueTitle);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    double low = 0, high = 0;
    const auto attach = [&](QXYSeries *series) {
        chart->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(values);
    };
    for (const Line &line : lines) {
        auto *series = new QLineSeries(chart);
        series->setName(line.name);
        series->setPen(QPen(line.colour, 1.2));
        series->replace(line.points);
        for (const QPointF &p : line.points) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
        attach(series);
    }
    for (const Level &level : levels) {
        auto *series = new QLineSeries(chart);
        series->setName(level.name);
        series->setPen(QPen(level.colour, 1.2, Qt::DashLine));
        series->replace({QPointF(first, level.value), QPointF(last, level.value)});
        low = std::min(low, level.value);
        high = std::max(high, level.value);
        attach(series);
        if (level.name.isEmpty())
            chart->legend()->markers(series).first()->setVisible(false);
    }
    if (!marked.isEmpty()) {
        auto *series = new QScatterSeries(chart);
        series->setName(markName);
        series->setMarkerSize(7);
        series->setColor(markColour);
        series->setBorderColor(markColour);
        series->replace(marked);
        attach(series);
    }
    const double pad = std::max(0.05, (high - low) * 0.05);
    low = low < 0 ? low - pad : low;
    high += pad;
    // Three to five steps of 1, 2 or 5 times a power of ten, which a short chart has room for.
    const double rough = (high - low) / 3;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double step = rough / power <= 1   ? power
                        : rough / power <= 2 ? 2 * power
                        : rough / power <= 5 ? 5 * power
                                             : 10 * power;
    low = std::floor(low / step) * step;
    high = std::ceil(high / step) * step;
    values->setRange(low, high);
    values->setTickCount(int(std::lround((high - low) / step)) + 1);
    values->setLabelFormat(step < 0.1 ? QStringLiteral("%.2f") : QStringLiteral("%.1f"));
}

const QColor FailColour(0xc0, 0x1c, 0x28), WarnColour(0xb3, 0x8f, 0x00),
    CentreColour(0x1b, 0x7f, 0x3b);

} // namespace

TrendCharts::TrendCharts(QWidget *parent) : QWidget(parent)
{
    deltaEView = newView(tr("dE over time"), this);
    componentsView = newView(tr("Differences over time"), this);
    controlView = newView(tr("Control chart"), this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QChartView *view : {deltaEView, componentsView, controlView}) {
        layout->addWidget(view);
        view->viewport()->installEventFilter(this);
    }
    followPalette();
}

void TrendCharts::clear()
{
    m_trend.clear();
    for (QChartView *view : {deltaEView, componentsView, controlView}) {
        view->chart()->removeAllSeries();
        for (QAbstractAxis *axis : view->chart()->axes())
            view->chart()->removeAxis(axis);
        view->chart()->setTitle(QString());
    }
}

void TrendCharts::plot(const QList<TrendPoint> &trend, const ToleranceSet &set,
                       const std::optional<ControlLimits> &limits)
{
    m_trend = trend;
    m_lch = set.method == ToleranceMethod::BoxLch;
    const double first = trend.isEmpty() ? 0 : msecs(trend.first());
    const double last = trend.isEmpty() ? 0 : msecs(trend.last());
    const QPalette colours = palette();
    const bool dark = colours.color(QPalette::Base).lightness() < 128;
    const QColor eColour = dark ? QColor(0x7f, 0xb0, 0xf0) : QColor(0x1f, 0x4e, 0x9a);
    const QColor lColour = colours.color(QPalette::Text);

    QList<Level> levels;
    if (!set.isBox())
        levels << Level{set.limit, FailColour, tr("limit")}
               << Level{set.limit * set.warn, WarnColour, tr("warning")};
    fill(deltaEView->chart(), tr("dE over time"), tr("dE"), first, last,
         {{tr("dE"), eColour, envelope(trend, &TrendPoint::dE)}}, levels,
         marks(trend, [](const TrendPoint &p) { return p.verdict == Verdict::Fail; }), FailColour,
         tr("Fail"));

    QList<Level> box;
    if (set.isBox() && std::equal(set.plus.begin() + 1, set.plus.end(), set.plus.begin()) &&
        std::equal(set.minus.begin() + 1, set.minus.end(), set.minus.begin()))
        box << Level{set.plus[0], FailColour, tr("limits")}
            << Level{-set.minus[0], FailColour, QString()};
    fill(componentsView->chart(),
         m_lch ? tr("dL*, dC*, dH* over time") : tr("dL*, da*, db* over time"), QString(), first,
         last,
         {{tr("dL*"), lColour, envelope(trend, &TrendPoint::dL)},
          {m_lch ? tr("dC*") : tr("da*"), FailColour,
           envelope(trend, m_lch ? &TrendPoint::dC : &TrendPoint::da)},
          {m_lch ? tr("dH*") : tr("db*"), WarnColour,
           envelope(trend, m_lch ? &TrendPoint::dH : &TrendPoint::db)}},
         box, {}, {}, {});

    QList<Level> control;
    if (limits)
        control << Level{limits->centre, CentreColour, tr("centre")}
                << Level{limits->upper(), FailColour, tr("3 s.d.")}
                << Level{limits->lower(), FailColour, QString()};
    fill(controlView->chart(),
         limits ? tr("Control chart of dE (base: %1 measurements)").arg(limits->basePoints)
                : tr("Control chart of dE (no base: it needs two measurements or more)"),
         tr("dE"), first, last, {{tr("dE"), eColour, envelope(trend, &TrendPoint::dE)}}, control,
         limits ? marks(trend, [&](const TrendPoint &p) { return limits->beyond(p.dE); })
                : QList<QPointF>(),
         FailColour, tr("beyond"));
    followPalette();
}

qint64 TrendCharts::pointAt(QChartView *view, const QPointF &place) const
{
    QChart *chart = view->chart();
    if (m_trend.isEmpty() || chart->series().isEmpty())
        return 0;
    const QPointF at = chart->mapFromScene(view->mapToScene(place.toPoint()));
    const double from = chart->mapToValue(at - QPointF(Reach, 0)).x();
    const double until = chart->mapToValue(at + QPointF(Reach, 0)).x();
    auto it = std::lower_bound(m_trend.begin(), m_trend.end(), from,
                               [](const TrendPoint &p, double x) { return msecs(p) < x; });
    QList<Value> shown{&TrendPoint::dE};
    if (view == componentsView)
        shown = {&TrendPoint::dL, m_lch ? &TrendPoint::dC : &TrendPoint::da,
                 m_lch ? &TrendPoint::dH : &TrendPoint::db};
    qint64 nearest = 0;
    double best = Reach * Reach;
    for (; it != m_trend.end() && msecs(*it) <= until; ++it) {
        for (const Value value : shown) {
            const QPointF d = chart->mapToPosition(QPointF(msecs(*it), (*it).*value)) - at;
            const double distance = d.x() * d.x() + d.y() * d.y();
            if (distance <= best) {
                best = distance;
                nearest = it->id;
            }
        }
    }
    return nearest;
}

bool TrendCharts::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        for (QChartView *view : {deltaEView, componentsView, controlView}) {
            if (watched == view->viewport() && mouse->button() == Qt::LeftButton) {
                if (const qint64 id = pointAt(view, mouse->position()))
                    emit pointClicked(id);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The charts take their colours from the window's palette, as the spectrum graph does.
void TrendCharts::followPalette()
{
    const QPalette colours = palette();
    for (QChartView *view : {deltaEView, componentsView, controlView}) {
        QChart *chart = view->chart();
        chart->setBackgroundBrush(colours.base());
        chart->setPlotAreaBackgroundVisible(false);
        chart->setTitleBrush(colours.text());
        chart->legend()->setLabelColor(colours.color(QPalette::Text));
        view->setBackgroundBrush(colours.window());
        for (QAbstractAxis *axis : chart->axes()) {
            axis->setLabelsBrush(colours.text());
            axis->setTitleBrush(colours.text());
            axis->setLinePenColor(colours.color(QPalette::Mid));
            axis->setGridLineColor(colours.color(QPalette::Midlight));
        }
    }
}

void TrendCharts::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

} // namespace quvane
