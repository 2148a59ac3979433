#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a sample ID after a measurement. The caller sets Autostore before showing the dialog
// and reads it back after it closes.
class frmSampleID : public QDialog
{
    Q_OBJECT

public:
    explicit frmSampleID(QWidget *parent = nullptr);

    bool Autostore = false;

    QLabel *lblSampleID;
    QLineEdit *txtSampleID;
    QCheckBox *chkAutostore;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void Form_Activate();
    void cmdOK_Click();
    void cmdCancel_Click();

    bool m_activated = false;
};
