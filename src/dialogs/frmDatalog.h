#pragma once

#include "dialogs/QvDialog.h"
#include "ui_frmDatalog.h" // generated from frmDatalog.ui

#include "records/SetupCache.h"

#include <optional>

class QVLog;
class QVSetup;

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
    // The instrument's pass or fail beside the program's verdict against the record's set-up,
    // marked where they differ (a warning is a pass to the instrument).
    static QString verdictComparison(const QVLog &record, const QVSetup &setup);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void txtNumber_GotFocus();
    void spnNumber_Change(int step);
    void cmdGet_Click();
    void cmdDone_Click() { reject(); }

    quvane::InstrumentWindow &m_main;
    // The set-ups the records name, each read once for the viewer's life.
    quvane::SetupCache m_setups;
};
