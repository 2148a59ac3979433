#pragma once

#include "dialogs/QvDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a sample ID after a measurement. The caller sets Autostore before showing the dialog
// and reads it back after it closes.
class frmSampleID : public quvane::QvDialog
{
    Q_OBJECT

public:
    explicit frmSampleID(quvane::InstrumentIdentity identity, QWidget *parent = nullptr);

    bool Autostore = false;

    QLabel *lblSampleID;
    QLineEdit *txtSampleID;
    QCheckBox *chkAutostore;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

private:
    void Form_Activate() override;
    void cmdOK_Click();
    void cmdCancel_Click();
};
