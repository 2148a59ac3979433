#pragma once

#include "colour/Trend.h"

#include <QWidget>

#include <optional>

class QChart;
class QChartView;
class QXYSeries;

namespace quvane {

// A standard's trend as three charts over time: dE with the tolerance's limit and warning lines
// and the failed measurements marked; dL*, da*, db* (dL*, dC*, dH* for an LCh box) with a box's
// limits; and the individuals control chart of dE, its centre and three standard deviations
// either side, with the points beyond them marked. Where a trend has more points than a chart
// has pixels, each chart draws the lowest and highest of each pixel's column, so that no
// excursion is lost; a click on a point gives that measurement.
class TrendCharts : public QWidget
{
    Q_OBJECT

public:
    explicit TrendCharts(QWidget *parent = nullptr);

    // The trend, oldest first.
    void plot(const QList<Colour::TrendPoint> &trend, const Colour::ToleranceSet &set,
              const std::optional<Colour::ControlLimits> &limits);
    void clear();
    // The measurement whose point of the chart lies nearest the place (in the chart view's
    // coordinates), within a few pixels; 0 where none does.
    qint64 pointAt(QChartView *view, const QPointF &place) const;

    QChartView *deltaEView, *componentsView, *controlView;

signals:
    void pointClicked(qint64 id);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followPalette();

    QList<Colour::TrendPoint> m_trend;
    bool m_lch = false;
};

} // namespace quvane
