#include "app/frmPreferences.h"

#include "link/modGlobals.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace quvane;

frmPreferences::frmPreferences(InstrumentIdentity identity, QWidget *parent)
    : QvDialog(QStringLiteral("Preferences - "), std::move(identity), parent),
      fraDelimiter(new QGroupBox(tr("Data Delimiter"), this)),
      optTab(new QRadioButton(tr("&Tab"), fraDelimiter)),
      optComma(new QRadioButton(tr("&Comma"), fraDelimiter)),
      optOther(new QRadioButton(tr("&Other"), fraDelimiter)), txtOther(new QLineEdit(fraDelimiter)),
      cmdOK(new QPushButton(tr("OK"), this)), cmdCancel(new QPushButton(tr("Cancel"), this))
{
    txtOther->setMaxLength(1);
    txtOther->setFixedWidth(txtOther->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
    txtOther->setAlignment(Qt::AlignCenter);

    auto *options = new QGridLayout(fraDelimiter);
    options->addWidget(optTab, 0, 0);
    options->addWidget(optComma, 1, 0);
    options->addWidget(optOther, 2, 0);
    options->addWidget(txtOther, 2, 1, Qt::AlignLeft);
    options->setColumnStretch(2, 1);

    cmdOK->setDefault(true);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(fraDelimiter, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // One printable ISO-8859-1 character: anything else could not be written to the files.
    txtOther->setMaxLength(1);
    txtOther->setValidator(new DelimiterValidator(txtOther));
    connect(txtOther, &QLineEdit::textChanged, this, &frmPreferences::txtOther_Change);
    connect(cmdOK, &QPushButton::clicked, this, &frmPreferences::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPreferences::cmdCancel_Click);
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
        optOther->setChecked(true);
    else if (TabDelimiter)
        optTab->setChecked(true);
    else
        optComma->setChecked(true);
    if (!Delimiter.isEmpty())
        txtOther->setText(Delimiter.left(1));
}

void frmPreferences::txtOther_Change()
{
    if (!txtOther->text().isEmpty())
        optOther->setChecked(true);
}

void frmPreferences::cmdOK_Click()
{
    TabDelimiter = optTab->isChecked();
    CustomDelimiter = optOther->isChecked();
    if (CustomDelimiter && txtOther->text().isEmpty()) {
        CustomDelimiter = false;
        TabDelimiter = true;
    } else if (CustomDelimiter) {
        Delimiter = txtOther->text();
    }
    accept();
}

void frmPreferences::cmdCancel_Click()
{
    reject();
}
