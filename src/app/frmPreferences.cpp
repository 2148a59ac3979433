#include "app/frmPreferences.h"

#include "link/modGlobals.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace quvane;

frmPreferences::frmPreferences(InstrumentIdentity identity, QWidget *parent)
    : QvDialog(QCoreApplication::translate("Quvane", "Preferences - "), std::move(identity), parent)
{
    ui.setupUi(this);
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
}

void frmPreferences::txtOther_Change()
{
    if (!ui.txtOther->text().isEmpty())
        ui.optOther->setChecked(true);
}

void frmPreferences::cmdOK_Click()
{
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
