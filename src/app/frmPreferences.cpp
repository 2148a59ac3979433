#include "app/frmPreferences.h"

#include "link/modGlobals.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace quvane;

frmPreferences::frmPreferences(InstrumentIdentity identity, QByteArray decimalPoint,
                               QWidget *parent)
    : QvDialog(QCoreApplication::translate("Quvane", "Preferences - "), std::move(identity),
               parent),
      m_decimalPoint(std::move(decimalPoint))
{
    ui.setupUi(this);
    for (QRadioButton *option : {ui.optTab, ui.optComma, ui.optOther})
        connect(option, &QRadioButton::toggled, this, &frmPreferences::showDecimalWarning);
    connect(ui.txtOther, &QLineEdit::textChanged, this, &frmPreferences::showDecimalWarning);
    // One printable ISO-8859-1 character: anything else could not be written to the files.
    ui.txtOther->setValidator(new DelimiterValidator(ui.txtOther));
    connect(ui.txtOther, &QLineEdit::textChanged, this, &frmPreferences::txtOther_Change);
    // Choosing Other (Alt+O) goes on to its character: what is typed next is the delimiter.
    connect(ui.optOther, &QRadioButton::toggled, this, [this](bool on) {
        if (on && isVisible())
            ui.txtOther->setFocus(Qt::TabFocusReason);
    });
    connect(ui.cmdOK, &QPushButton::clicked, this, &frmPreferences::cmdOK_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmPreferences::cmdCancel_Click);
    Form_Load();
}

QValidator::State quvane::DelimiterValidator::validate(QString &input, int &) const
{
    if (input.isEmpty())
        return Intermediate;
    return input.size() == 1 && modGlobals::IsDelimiterCharacter(input.at(0)) ? Acceptable
                                                                              : Invalid;
}

void frmPreferences::Form_Activate()
{
    if (CustomDelimiter)
        ui.optOther->setChecked(true);
    else if (TabDelimiter)
        ui.optTab->setChecked(true);
    else
        ui.optComma->setChecked(true);
    if (!Delimiter.isEmpty())
        ui.txtOther->setText(Delimiter.left(1));
    ui.chkHistory->setChecked(KeepHistory);
    ui.spnReadings->setValue(ReadingsAveraged);
    ui.spnCheckDays->setValue(CheckPeriodDays);
}

void frmPreferences::txtOther_Change()
{
    if (!ui.txtOther->text().isEmpty())
        ui.optOther->setChecked(true);
}

// A delimiter that is the decimal separator of the numbers makes fields that cannot be split
// again: the files are written as chosen, and the dialog says so while it is chosen.
void frmPreferences::showDecimalWarning()
{
    const QString chosen = ui.optComma->isChecked()   ? QStringLiteral(",")
                           : ui.optOther->isChecked() ? ui.txtOther->text()
                                                      : QString();
    ui.lblDecimalWarning->setVisible(!chosen.isEmpty() && chosen.toLatin1() == m_decimalPoint);
}

void frmPreferences::cmdOK_Click()
{
    KeepHistory = ui.chkHistory->isChecked();
    ReadingsAveraged = ui.spnReadings->value();
    CheckPeriodDays = ui.spnCheckDays->value();
    TabDelimiter = ui.optTab->isChecked();
    CustomDelimiter = ui.optOther->isChecked();
    if (CustomDelimiter && ui.txtOther->text().isEmpty()) {
        CustomDelimiter = false;
        TabDelimiter = true;
    } else if (CustomDelimiter) {
        Delimiter = ui.txtOther->text();
    }
    accept();
}

void frmPreferences::cmdCancel_Click()
{
    reject();
}
