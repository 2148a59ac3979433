#include "dialogs/frmConfig.h"

#include "dialogs/InstrumentWindow.h"
#include "link/InstrumentOperations.h"
#include "link/SensorControl.h"
#include "link/modGlobals.h"
#include "policy/ReportError.h"
#include "transfer/TextFormat.h"

using namespace quvane;

frmConfig::frmConfig(InstrumentWindow &main, QWidget *parent)
    : QvDialog(QString(), main.identity(), parent), m_main(main)
{
    ui.setupUi(this);
    connect(ui.cmdOK, &QPushButton::clicked, this, &frmConfig::cmdOK_Click);
    Form_Load();
}

void frmConfig::Form_Load()
{
    QvDialog::Form_Load();
    m_main.prompter().SetMousePointer(MousePointer::Hourglass);
    const SensorControl &sensor = m_main.sensor();
    ui.lblFirmware->setText(QStringLiteral("Firmware: ") + sensor.FirmwareVersion());
    ui.lblSerialNumber->setText(sensor.SerialNumber());
    ui.lblFlavor->setText(InstrumentOperations::GeometryText(sensor.Flavor(), identity().type));
    // The same general date as the datalog files write.
    const double stdz = busyTrapped(m_main.prompter(), [this] { return m_main.StdzTimestamp(); });
    ui.lblDateTime->setText(m_main.textFormat().generalDate(modGlobals::FromPcDate(stdz)));
    ui.lblLogCount->setText(InstrumentOperations::DatalogFillText(m_main.DatalogCount()));
    m_main.prompter().SetMousePointer(MousePointer::Default);
}
