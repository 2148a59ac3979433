#pragma once

#include "dialogs/QvDialog.h"
#include "ui_frmDatalog.h" // generated from frmDatalog.ui

#include <optional>

class QVLog;

namespace quvane {
class InstrumentWindow;
}

// The datalog record viewer: asks for a record number and has the main window fetch the record,
// show its spectrum and log it.
class frmDatalog : public quvane::QvDialog
{
    Q_OBJECT

public:
    frmDatalog(quvane::InstrumentWindow &main, QWidget *parent = nullptr);

    Ui::frmDatalog ui;

    // The record number the text holds: a number rounded to a whole one (halves to even), within
    // the 16-bit range; nothing for any other text.
    static std::optional<qint16> recordNumber(const QString &text);
    // The record's own scale and index values beside those computed from its spectrum, a
    // difference over 0.05 marked; empty for a record without a spectrum.
    static QString datalogComparison(const QVLog &record);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void txtNumber_GotFocus();
    void spnNumber_Change(int step);
    void cmdGet_Click();
    void cmdDone_Click() { reject(); }

    quvane::InstrumentWindow &m_main;
};
