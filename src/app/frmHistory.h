#pragma once

#include "app/HistoryModel.h"
#include "link/InstrumentSession.h"
#include "store/HistoryTarget.h"
#include "ui_frmHistory.h" // generated from frmHistory.ui

#include <QWidget>

#include <functional>

// The History window: the history's measurements, newest first, filtered by dates, source,
// product, sample ID and instrument and sorted by any column; against a standard picked, each
// one's differences and verdict, and a filter by verdict. Show (or Enter, or a double click)
// puts the chosen one in the main window's display and colour panel. It is a window of its own
// beside the main window, not modal.
class frmHistory : public QWidget
{
    Q_OBJECT

public:
    frmHistory(quvane::InstrumentIdentity identity, QWidget *parent = nullptr);

    // Opens the history (again, when it is another) and lists it.
    void open(const quvane::HistoryTarget &target);
    // Where a shown measurement goes.
    std::function<void(const quvane::StoredMeasurement &)> showMeasurement;

    quvane::HistoryModel &model() { return m_model; }
    Ui::frmHistory ui;

private:
    void applyFilter();
    quvane::HistoryFilter filter() const;
    void showChosen();
    void sayStatus();

    quvane::HistoryModel m_model;
    QList<quvane::Standard> m_standards; // of the standard list, after its "None"
};
