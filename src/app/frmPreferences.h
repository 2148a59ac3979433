#pragma once

#include "dialogs/QvDialog.h"
#include "ui_frmPreferences.h" // generated from frmPreferences.ui

#include <QValidator>

// The preferences dialog: the data delimiter of the text files. The caller sets the three
// public values before showing it and reads them back after it closes.
namespace quvane {
// Accepts one character that can be the custom delimiter.
class DelimiterValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &position) const override;
};
} // namespace quvane

class frmPreferences : public quvane::QvDialog
{
    Q_OBJECT

public:
    // decimalPoint: the decimal separator the files write numbers with, which the dialog warns
    // of as a delimiter.
    explicit frmPreferences(quvane::InstrumentIdentity identity, QByteArray decimalPoint = ".",
                            QWidget *parent = nullptr);

    bool TabDelimiter = true;
    bool CustomDelimiter = false;
    QString Delimiter;
    // Measurements, captures and conversions are kept in the history.
    bool KeepHistory = true;
    // Readings a Sample averages.
    int ReadingsAveraged = 1;
    // Days before a check against a verification tile is said to be due; 0: never.
    int CheckPeriodDays = 0;

    Ui::frmPreferences ui;

private:
    void Form_Activate() override;
    void txtOther_Change();
    void showDecimalWarning();
    void cmdOK_Click();
    void cmdCancel_Click();

    QByteArray m_decimalPoint;
};
