#pragma once

#include "dialogs/QvDialog.h"
#include "policy/Prompter.h"
#include "ui_frmSampleID.h" // generated from frmSampleID.ui

// Asks for a sample ID after a measurement. The caller sets Autostore before showing the dialog
// and reads it back after it closes.
class frmSampleID : public quvane::QvDialog
{
    Q_OBJECT

public:
    frmSampleID(quvane::Prompter &prompter, quvane::InstrumentIdentity identity,
                QWidget *parent = nullptr);

    bool Autostore = false;

    Ui::frmSampleID ui;

private:
    quvane::Prompter &m_prompter;
    void Form_Activate() override;
    void cmdOK_Click();
    void cmdCancel_Click();
};
