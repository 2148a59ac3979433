#pragma once

#include "dialogs/QvDialog.h"
#include "ui_frmConfig.h" // generated from frmConfig.ui

namespace quvane {
class InstrumentWindow;
}

// The identification dialog: what the instrument reports about itself. It only reads.
class frmConfig : public quvane::QvDialog
{
    Q_OBJECT

public:
    frmConfig(quvane::InstrumentWindow &main, QWidget *parent = nullptr);

    Ui::frmConfig ui;

private:
    void Form_Load();
    void cmdOK_Click() { accept(); }

    quvane::InstrumentWindow &m_main;
};
