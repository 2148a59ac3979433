#include "frmUtility.h"

#include "FormHelpers.h"
#include "ProgramControl.h"
#include "Prompter.h"
#include "frmPreferences.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QSplitter>
#include <QTableWidget>

namespace {

struct MenuItem
{
    const char *caption;
    bool visible;
    QKeySequence shortcut = {};
};

const MenuItem FileItems[] = {
    {"&New", false},           {"&Open", false}, {"&Stop Logging", false}, {"-", false},
    {"&Preferences...", true}, {"-", true},      {"E&xit", true},
};
const MenuItem SensorItems[] = {
    {"&Archive Product Setups", true}, {"&Restore Product Setups", true}, {"-", true},
    {"&Identification", true},         {"Set &Date and Time...", true},   {"-", false},
    {"&Capture Screen", false},
};
const MenuItem MeasureItems[] = {
    {"S&tandardize", true, QKeySequence(Qt::Key_F1)},
    {"S&ample", true, QKeySequence(Qt::Key_F2)},
    {"&Clear", true},
    {"-", false},
    {"&Log Sample", false},
    {"-", false},
    {"Sample &ID", false},
};
const MenuItem DatalogItems[] = {
    {"Captur&e", true},
    {"Con&vert", true},
    {"&Clear", true},
};
const MenuItem HelpItems[] = {
    {"&About", true},
};

} // namespace

frmUtility::frmUtility(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(designCaption());
    buildMenus();

    fgSpectrum = new QTableWidget(32, 2);
    fgSpectrum->horizontalHeader()->hide();
    fgSpectrum->verticalHeader()->hide();
    fgSpectrum->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cwgSpectrum = new QChartView(new QChart);
    cwgSpectrum->setRenderHint(QPainter::Antialiasing);
    cwgSpectrum->chart()->legend()->hide();

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(fgSpectrum);
    splitter->addWidget(cwgSpectrum);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({170, 560});
    setCentralWidget(splitter);
    resize(760, 520);
}

frmUtility::~frmUtility() = default;

void frmUtility::buildMenus()
{
    auto build = [this](const char *title, const auto &items, QList<QAction *> &actions,
                        void (frmUtility::*handler)(int)) {
        QMenu *menu = menuBar()->addMenu(tr(title));
        int index = 0;
        for (const MenuItem &item : items) {
            QAction *action = menu->addAction(tr(item.caption));
            if (qstrcmp(item.caption, "-") == 0)
                action->setSeparator(true);
            action->setVisible(item.visible);
            action->setShortcut(item.shortcut);
            const int itemIndex = index++;
            connect(action, &QAction::triggered, this,
                    [this, handler, itemIndex] { (this->*handler)(itemIndex); });
            actions.append(action);
        }
        return menu;
    };
    mnuFile = build("&File", FileItems, mnuFileItem, &frmUtility::mnuFileItem_Click);
    mnuSensor = build("&Sensor", SensorItems, mnuSensorItem, &frmUtility::mnuSensorItem_Click);
    mnuMeasure = build("&Measure", MeasureItems, mnuMeasureItem, &frmUtility::mnuMeasureItem_Click);
    mnuDatalog = build("&Datalog", DatalogItems, mnuDatalogItem, &frmUtility::mnuDatalogItem_Click);
    mnuHelp = build("&Help", HelpItems, mnuHelpItem, &frmUtility::mnuHelpItem_Click);
    mnuMeasureItem[6]->setCheckable(true);
}

void frmUtility::Form_Load()
{
    show();
    LoadPreferences();

    qvSensor.ConnectOption = 5;
    qvSensor.Connect();
    if (!qvSensor.IsConnected()) {
        MsgBox(QStringLiteral("Instrument not connected or turned off"), MsgButtons::OK,
               MsgIcon::None, modGlobals::AppTitle);
        EndProgram();
    }
    if (!qvSensor.FirmwareSupported()) {
        MsgBox(QStringLiteral("The firmware in the attached instrument is not compatible with "
                              "this program\n\nPlease contact Velmora to obtain upgrade "
                              "information"),
               MsgButtons::OK, MsgIcon::Critical, modGlobals::AppTitle);
        EndProgram();
    }

    mnuMeasureItem[6]->setChecked(SampleIDPrompt);
    GetInstrumentName();
    GetInstrumentType();
    modGlobals::MainTitle = modGlobals::InstrumentName + QLatin1Char(' ') + designCaption();
    modGlobals::SetFormIcon(*this);
    setWindowTitle(modGlobals::MainTitle);
}

void frmUtility::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmUtility::Form_Unload()
{
    qvSensor.Disconnect();
}

void frmUtility::LoadPreferences()
{
    SampleIDPrompt = modGlobals::GetPreference(QStringLiteral("Sample ID"), QStringLiteral("No")) ==
                     QLatin1String("Yes");
    LoadDelimiterSetting();
    modGlobals::SetDelimiter(m_delimiterSettings.TabDelimiter, m_delimiterSettings.CustomDelimiter,
                             m_delimiterSettings.Delimiter);
}

void frmUtility::LoadDelimiterSetting()
{
    m_delimiterSettings = modGlobals::DecodeDelimiterPreference(
        modGlobals::GetPreference(QStringLiteral("Delimiter"), QStringLiteral("Tab")));
}

void frmUtility::SaveDelimiterSetting()
{
    modGlobals::SavePreference(QStringLiteral("Delimiter"),
                               modGlobals::EncodeDelimiterPreference(m_delimiterSettings));
}

void frmUtility::showPreferences()
{
    LoadDelimiterSetting();
    {
        frmPreferences dialog(this);
        dialog.TabDelimiter = m_delimiterSettings.TabDelimiter;
        dialog.CustomDelimiter = m_delimiterSettings.CustomDelimiter;
        dialog.Delimiter = m_delimiterSettings.Delimiter;
        prompter().showModal(dialog);
        m_delimiterSettings = {dialog.TabDelimiter, dialog.CustomDelimiter, dialog.Delimiter};
        SaveDelimiterSetting();
    }
    modGlobals::SetDelimiter(m_delimiterSettings.TabDelimiter, m_delimiterSettings.CustomDelimiter,
                             m_delimiterSettings.Delimiter);
}

void frmUtility::mnuFileItem_Click(int Index)
{
    switch (Index) {
    case 4:
        showPreferences();
        break;
    case 6:
        close();
        break;
    default:
        break;
    }
}

void frmUtility::mnuSensorItem_Click(int Index)
{
    Q_UNUSED(Index);
}

void frmUtility::mnuMeasureItem_Click(int Index)
{
    Q_UNUSED(Index);
}

void frmUtility::mnuDatalogItem_Click(int Index)
{
    if (Index == 2) {
        if (MsgBox(QStringLiteral("Proceed to clear the Datalog?"), MsgButtons::YesNo,
                   MsgIcon::Question, modGlobals::MainTitle) != MsgAnswer::No)
            ClearDatalog();
    }
}

void frmUtility::mnuHelpItem_Click(int Index)
{
    Q_UNUSED(Index);
}
