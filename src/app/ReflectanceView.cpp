#include "app/ReflectanceView.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QLocale>
#include <QScrollBar>
#include <QTableWidget>
#include <QValueAxis>

namespace quvane {

ReflectanceView::ReflectanceView(QWidget *parent) : QWidget(parent)
{
    fgSpectrum = new QTableWidget(32, 2);
    fgSpectrum->horizontalHeader()->hide();
    fgSpectrum->verticalHeader()->hide();
    fgSpectrum->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    fgSpectrum->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fgSpectrum->setSelectionMode(QAbstractItemView::NoSelection);
    fgSpectrum->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    fgSpectrum->setColumnWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("00000000000")));
    const QBrush fixedCell = palette().button();
    for (int row = 0; row < 32; ++row) {
        for (int column = 0; column < 2; ++column) {
            auto *cell = new QTableWidgetItem;
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row == 0 || column == 0) {
                cell->setBackground(fixedCell);
                cell->setTextAlignment(Qt::AlignCenter);
            }
            fgSpectrum->setItem(row, column, cell);
        }
    }
    fgSpectrum->horizontalHeader()->setStretchLastSection(true);
    fgSpectrum->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto *chart = new QChart;
    chart->legend()->hide();
    m_trace = new QLineSeries(chart);
    chart->addSeries(m_trace);
    auto *wavelength = new QCategoryAxis(chart);
    wavelength->setRange(0, 30);
    wavelength->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int position : {0, 10, 20, 30})
        wavelength->append(QString::number(400 + 10 * position), position);
    wavelength->setTitleText(tr("Wavelength (nm)"));
    auto *reflectance = new QValueAxis(chart);
    reflectance->setRange(0, 100);
    reflectance->setTickCount(11);
    reflectance->setLabelFormat(QStringLiteral("%d"));
    reflectance->setTitleText(tr("Reflectance (%)"));
    chart->addAxis(wavelength, Qt::AlignBottom);
    chart->addAxis(reflectance, Qt::AlignLeft);
    m_trace->attachAxis(wavelength);
    m_trace->attachAxis(reflectance);
    cwgSpectrum = new QChartView(chart);
    cwgSpectrum->setRenderHint(QPainter::Antialiasing);
    // The graph takes no keys; the grid does (the arrows and Page keys scroll it where the window
    // is too short for all its rows). A screen reader finds them by these names.
    cwgSpectrum->setFocusPolicy(Qt::NoFocus);
    cwgSpectrum->viewport()->setFocusPolicy(Qt::NoFocus);
    fgSpectrum->setFocusPolicy(Qt::StrongFocus);
    cwgSpectrum->setAccessibleName(tr("Spectrum graph"));
    fgSpectrum->setAccessibleName(tr("Spectrum table"));
    followPalette();

    // The grid shows all its rows where the window is tall enough, and scrolls where it is not
    // (a 600-pixel screen); the graph takes the rest of the window, and never less than a
    // readable plot.
    const int row = fgSpectrum->verticalHeader()->defaultSectionSize();
    fgSpectrum->setMaximumHeight(row * 32 + 2 * fgSpectrum->frameWidth());
    fgSpectrum->setMinimumHeight(row * 8 + 2 * fgSpectrum->frameWidth());
    fgSpectrum->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    fgSpectrum->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    fgSpectrum->setFixedWidth(fgSpectrum->columnWidth(0) + fgSpectrum->columnWidth(1) +
                              fgSpectrum->verticalScrollBar()->sizeHint().width() +
                              2 * fgSpectrum->frameWidth());
    cwgSpectrum->setMinimumSize(fontMetrics().averageCharWidth() * 40, row * 12);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(fgSpectrum);
    layout->addWidget(cwgSpectrum, 1);
}

// The graph takes its colours from the window's palette, as the grid does, so that it follows
// a dark desktop; only the trace keeps its own colour, lightened on a dark background.
void ReflectanceView::followPalette()
{
    const QPalette colours = palette();
    QChart *chart = cwgSpectrum->chart();
    chart->setBackgroundBrush(colours.base());
    chart->setPlotAreaBackgroundVisible(false);
    cwgSpectrum->setBackgroundBrush(colours.window());
    for (QAbstractAxis *axis : chart->axes()) {
        axis->setLabelsBrush(colours.text());
        axis->setTitleBrush(colours.text());
        axis->setLinePenColor(colours.color(QPalette::Mid));
        axis->setGridLineColor(colours.color(QPalette::Midlight));
    }
    const bool dark = colours.color(QPalette::Base).lightness() < 128;
    m_trace->setPen(QPen(dark ? QColor(96, 190, 214) : QColor(24, 92, 112), 2.5));
    const QBrush fixedCell = colours.button();
    for (int row = 0; row < fgSpectrum->rowCount(); ++row) {
        for (int column = 0; column < fgSpectrum->columnCount(); ++column) {
            if (row == 0 || column == 0)
                fgSpectrum->item(row, column)->setBackground(fixedCell);
        }
    }
}

void ReflectanceView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

int ReflectanceView::gridHeight() const
{
    return fgSpectrum->maximumHeight();
}

void ReflectanceView::plot(const Spectrum &values)
{
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        points.append(QPointF(static_cast<double>(i), static_cast<double>(values[i])));
    m_trace->replace(points);
}

void ReflectanceView::tabulate(const Spectrum &values)
{
    const QLocale locale;
    fgSpectrum->item(0, 0)->setText(QStringLiteral("w/l"));
    fgSpectrum->item(0, 1)->setText(QStringLiteral("%R"));
    for (int i = 1; i <= 31; ++i) {
        fgSpectrum->item(i, 0)->setText(QString::number(400 + 10 * (i - 1)));
        fgSpectrum->item(i, 1)->setText(
            locale.toString(static_cast<double>(values[static_cast<size_t>(i - 1)]), 'f', 2));
    }
}

void ReflectanceView::clearGraph()
{
    m_trace->clear();
}

void ReflectanceView::clearGrid()
{
    for (int row = 0; row < fgSpectrum->rowCount(); ++row) {
        for (int column = 0; column < fgSpectrum->columnCount(); ++column)
            fgSpectrum->item(row, column)->setText(QString());
    }
}

} // namespace quvane
