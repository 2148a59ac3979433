#pragma once

#include <QWidget>

#include <array>

class QChartView;
class QLineSeries;
class QTableWidget;

namespace quvane {

// The spectrum shown twice: a two-column grid (wavelength and reflectance, with a fixed heading
// row and column) and a line graph over positions 0 to 30 labelled 400 to 700 nm.
class ReflectanceView : public QWidget
{
    Q_OBJECT

public:
    using Spectrum = std::array<float, 31>;

    explicit ReflectanceView(QWidget *parent = nullptr);

    // The graph's one trace becomes these values.
    void plot(const Spectrum &values);
    // The grid shows its headings and these values in the locale's number format.
    void tabulate(const Spectrum &values);
    void clearGraph();
    // Empties every cell, headings included; the grid keeps its rows and columns.
    void clearGrid();
    int gridHeight() const;

    QTableWidget *fgSpectrum;
    QChartView *cwgSpectrum;

protected:
    void changeEvent(QEvent *event) override;

private:
    void followPalette();

    QLineSeries *m_trace = nullptr;
};

} // namespace quvane
