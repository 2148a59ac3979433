#include "app/frmSampleID.h"

#include "policy/ReportError.h"

#include <QCoreApplication>
#include <QPushButton>

using namespace quvane;

frmSampleID::frmSampleID(Prompter &prompter, InstrumentIdentity identity, QWidget *parent)
    : QvDialog(QCoreApplication::translate("Quvane", "Sample ID - "), std::move(identity), parent),
      m_prompter(prompter)
{
    ui.setupUi(this);
    connect(ui.cmdOK, &QPushButton::clicked, this, &frmSampleID::cmdOK_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmSampleID::cmdCancel_Click);
    Form_Load();
}

void frmSampleID::Form_Activate()
{
    ui.chkAutostore->setChecked(Autostore);
}

void frmSampleID::cmdOK_Click()
{
    Autostore = ui.chkAutostore->isChecked();
    busyTrapped(m_prompter, [] {});
    accept();
}

void frmSampleID::cmdCancel_Click()
{
    reject();
}
