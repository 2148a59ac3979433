#pragma once

#include "app/HistoryModel.h"
#include "colour/Trend.h"
#include "link/InstrumentSession.h"
#include "store/HistoryTarget.h"
#include "transfer/TransferProgress.h"
#include "ui_frmHistory.h" // generated from frmHistory.ui

#include <QWidget>

#include <functional>

class QPrinter;

namespace quvane {
class Prompter;
}

// The History window: the history's measurements, newest first, filtered by dates, source,
// product, sample ID, instrument and station and sorted by any column; against a standard
// picked, each one's differences and verdict, and a filter by verdict. Show (or Enter, or a
// double click) puts the chosen one in the main window's display and colour panel. It is a
// window of its own beside the main window, not modal.
//
// The Trend tab plots what the filters select against the standard picked (TrendCharts), with
// its statistics and the control chart's base period; a click on a point shows that
// measurement. Export writes the measurements listed as a spreadsheet or CxF3, Report and Print
// make their report. Reading, judging and writing run on a worker, with the window's progress
// bar and Cancel.
class frmHistory : public QWidget, public quvane::TransferProgress
{
    Q_OBJECT

public:
    frmHistory(quvane::InstrumentIdentity identity, quvane::Prompter &prompter,
               QWidget *parent = nullptr);

    // Opens the history (again, when it is another) and lists it.
    void open(const quvane::HistoryTarget &target);
    // Where a shown measurement goes.
    std::function<void(const quvane::StoredMeasurement &)> showMeasurement;

    quvane::HistoryModel &model() { return m_model; }
    // The trend plotted (oldest first) and its control limits.
    const QList<quvane::Colour::TrendPoint> &trend() const { return m_trend; }
    const std::optional<quvane::Colour::ControlLimits> &controlLimits() const { return m_limits; }
    // Reads and plots the trend again (on the Trend tab only; elsewhere when it is shown).
    void refreshTrend();
    // Shows the measurement of the history with this ID.
    void showStored(qint64 id);
    void exportListed();
    // Adds a CxF3 file's standards (those of a name the history holds are left, and said) and
    // measurements to the history.
    void importCxf();
    void saveReport();
    void printReport();
    Ui::frmHistory ui;

    // The window's progress, for the work it runs off its thread.
    void start(const QString &caption, int maximum) override;
    void setMessage(const QString &text) override;
    void setValue(int value) override;
    void yield() override {}
    bool cancelRequested() const override { return m_cancelRequested; }
    void finish() override;

private:
    void applyFilter();
    quvane::HistoryFilter filter() const;
    std::optional<quvane::Standard> pickedStandard() const;
    std::optional<quvane::Colour::Verdict> pickedVerdict() const;
    // What the filters select, in words, for a report's heading.
    QString selectionText() const;
    void showChosen();
    void sayStatus();
    void plotTrend();
    // The picked standard's verification mark and certificate, shown and stored.
    void showVerification();
    void saveVerification();
    // Runs work that needs the history on a worker with its own connection, the buttons that
    // start work disabled meanwhile; false (and the error said) when the history failed.
    bool runWithStore(
        const std::function<void(quvane::HistoryStore &, quvane::TransferProgress &)> &work);
    // What the window lists, taken from its widgets on the window's thread and read on the
    // worker: the filters' measurements, those of the verdict picked against the standard
    // picked; for a report of a verification tile (checksOfATile), its checks alone.
    struct Listing
    {
        quvane::HistoryFilter filter;
        std::optional<quvane::Standard> standard;
        std::optional<quvane::Colour::Verdict> verdict;
        QList<quvane::StoredMeasurement> read(quvane::HistoryStore &store,
                                              quvane::TransferProgress &progress) const;
    };
    Listing listing(bool checksOfATile) const;
    void printOrSave(const quvane::Standard &standard, const QString &file, QPrinter *printer);
    void setWorking(bool working);
    void sayError(const QString &text);
    // The file to save to, asked through the prompter; a name without an extension gets
    // `suffix`. Empty when the operator cancelled.
    QString askSaveFile(const QString &title, const QString &filter, const QString &suffix);

    quvane::Prompter &m_prompter;
    quvane::HistoryModel m_model;
    quvane::HistoryTarget m_target;
    QList<quvane::Standard> m_standards; // of the standard list, after its "None"
    QList<quvane::Colour::TrendPoint> m_trend;
    std::optional<quvane::Colour::ControlLimits> m_limits;
    bool m_working = false, m_readingTrend = false, m_trendAgain = false, m_trendStale = true;
    bool m_cancelRequested = false;
};
