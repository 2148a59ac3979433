#include "app/frmSampleID.h"

#include "policy/ReportError.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace quvane;

frmSampleID::frmSampleID(InstrumentIdentity identity, QWidget *parent)
    : QvDialog(QStringLiteral("Sample ID - "), std::move(identity), parent),
      lblSampleID(new QLabel(tr("Enter the sample ID:"), this)), txtSampleID(new QLineEdit(this)),
      chkAutostore(new QCheckBox(tr("Autostore"), this)), cmdOK(new QPushButton(tr("OK"), this)),
      cmdCancel(new QPushButton(tr("Cancel"), this))
{
    txtSampleID->setMaxLength(30);
    txtSampleID->setMinimumWidth(txtSampleID->fontMetrics().horizontalAdvance(QLatin1Char('M')) *
                                 18);
    lblSampleID->setBuddy(txtSampleID);
    cmdOK->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(lblSampleID, 0, 0);
    layout->addWidget(cmdOK, 0, 1);
    layout->addWidget(txtSampleID, 1, 0);
    layout->addWidget(cmdCancel, 1, 1);
    layout->addWidget(chkAutostore, 2, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmSampleID::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSampleID::cmdCancel_Click);
    Form_Load();
}

void frmSampleID::Form_Activate()
{
    chkAutostore->setChecked(Autostore);
}

void frmSampleID::cmdOK_Click()
{
    Autostore = chkAutostore->isChecked();
    busyTrapped([] {});
    accept();
}

void frmSampleID::cmdCancel_Click()
{
    reject();
}
