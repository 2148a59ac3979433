#pragma once

#include "dialogs/QvDialog.h"
#include "ui_frmDateTime.h" // generated from frmDateTime.ui

#include <QTimer>

namespace quvane {
class InstrumentWindow;
}

// The clock dialog: shows the PC's date and time, ticking, and sets the instrument's clock to
// it on Set. Esc (Cancel) sends nothing.
class frmDateTime : public quvane::QvDialog
{
    Q_OBJECT

public:
    frmDateTime(quvane::InstrumentWindow &main, QWidget *parent = nullptr);

    void ShowDateAndTime();

    Ui::frmDateTime ui;
    QTimer tmrTimer;

private:
    void Form_Load();
    void tmrTimer_Timer() { ShowDateAndTime(); }
    void cmdSet_Click();
    void cmdCancel_Click();

    quvane::InstrumentWindow &m_main;
};
