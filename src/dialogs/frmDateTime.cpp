#include "dialogs/frmDateTime.h"

#include "dialogs/InstrumentWindow.h"
#include "link/modGlobals.h"
#include "policy/ReportError.h"
#include "transfer/TextFormat.h"

using namespace quvane;

frmDateTime::frmDateTime(InstrumentWindow &main, QWidget *parent)
    : QvDialog(QString(), main.identity(), parent), m_main(main)
{
    ui.setupUi(this);
    tmrTimer.setInterval(300);
    connect(&tmrTimer, &QTimer::timeout, this, &frmDateTime::tmrTimer_Timer);
    connect(ui.cmdSet, &QPushButton::clicked, this, &frmDateTime::cmdSet_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmDateTime::cmdCancel_Click);
    Form_Load();
}

void frmDateTime::Form_Load()
{
    QvDialog::Form_Load();
    ShowDateAndTime();
    tmrTimer.start();
}

void frmDateTime::ShowDateAndTime()
{
    ui.lblDateTime->setText(
        m_main.textFormat().generalDate(modGlobals::FromPcDate(modGlobals::Now())));
}

void frmDateTime::cmdSet_Click()
{
    // A Retry sends the time of its own moment: SetDateAndTime reads the clock each time.
    busyTrapped(m_main.prompter(), [this] { m_main.SetDateAndTime(); });
    tmrTimer.stop();
    accept();
}

void frmDateTime::cmdCancel_Click()
{
    tmrTimer.stop();
    reject();
}
