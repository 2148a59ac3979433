#include "app/frmUtility.h"

#include "app/ReflectanceView.h"
#include "app/frmPreferences.h"
#include "app/frmSampleID.h"
#include "dialogs/FormHelpers.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBitmap.h"
#include "dialogs/frmCapture.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmDatalog.h"
#include "dialogs/frmDateTime.h"
#include "link/QuvaneError.h"
#include "policy/ProgramControl.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "records/QVLog.h"
#include "records/QVMeasure.h"
#include "setup_editor/frmSetup.h"
#include "transfer/RemovableDrives.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QShortcut>

using namespace quvane;

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

frmUtility::frmUtility(LinkOptions link, QWidget *parent)
    : QMainWindow(parent), m_link(std::move(link))
{
    setWindowTitle(designCaption());
    buildMenus();
    // Tools the menus keep hidden, each behind a shortcut of the main window.
    const std::pair<QKeySequence, void (frmUtility::*)()> hidden[] = {
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), &frmUtility::showDatalogViewer},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &frmUtility::showScreenCapture},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), &frmUtility::showSetupEditor},
    };
    for (const auto &[keys, show] : hidden) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, show = show] {
            try {
                (this->*show)();
            } catch (const QuvaneError &error) {
                ReportError(error);
            }
        });
    }

    m_display = new ReflectanceView;
    fgSpectrum = m_display->fgSpectrum;
    cwgSpectrum = m_display->cwgSpectrum;
    setCentralWidget(m_display);
    resize(860, m_display->gridHeight() + 80);
}

frmUtility::~frmUtility() = default;

void frmUtility::buildMenus()
{
    auto build = [this](const char *title, const auto &items, QList<QAction *> &actions,
                        void (frmUtility::*handler)(int)) {
        QMenu *menu = menuBar()->addMenu(tr(title));
        int index = 0;
        for (const MenuItem &item : items) {
            // A separator is drawn as a line alone: it carries no text that a style could show.
            QAction *action = qstrcmp(item.caption, "-") == 0 ? menu->addSeparator()
                                                              : menu->addAction(tr(item.caption));
            action->setVisible(item.visible);
            action->setShortcut(item.shortcut);
            const int itemIndex = index++;
            // An error no operation trapped (a log file that cannot be written) must not
            // escape into the event loop: it is reported, and ends the program, like any other.
            connect(action, &QAction::triggered, this, [this, handler, itemIndex] {
                try {
                    (this->*handler)(itemIndex);
                } catch (const QuvaneError &error) {
                    ReportError(error);
                }
            });
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

    qvSensor.ConnectOption = SensorControl::ConnectByOptions;
    qvSensor.Connect(m_link);
    if (!qvSensor.IsConnected()) {
        // A serial port the user may not open is said, with what to do about it.
        QString text = QStringLiteral("Instrument not connected or turned off");
        if (!qvSensor.accessProblem().isEmpty())
            text += QStringLiteral("\n\n") + qvSensor.accessProblem();
        MsgBox(text, MsgButtons::OK, MsgIcon::None, modGlobals::AppTitle());
        EndProgram();
    }
    if (!qvSensor.FirmwareSupported()) {
        MsgBox(QStringLiteral("The firmware in the attached instrument is not compatible with "
                              "this program\n\nPlease contact Velmora to obtain upgrade "
                              "information"),
               MsgButtons::OK, MsgIcon::Critical, modGlobals::AppTitle());
        EndProgram();
    }

    mnuMeasureItem[6]->setChecked(SampleIDPrompt);
    GetInstrumentName();
    GetInstrumentType();
    SetFormIcon(*this, identity().type);
    setWindowTitle(identity().mainTitle());
}

void frmUtility::closeEvent(QCloseEvent *event)
{
    // A transfer owns the link until it ends: stop it as Cancel does, and close once the
    // record in transfer is done and its file is closed.
    if (m_transferRunning) {
        m_closeAfterTransfer = true;
        m_capture->requestCancel();
        event->ignore();
        return;
    }
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
        frmPreferences dialog(identity(), this);
        dialog.TabDelimiter = m_delimiterSettings.TabDelimiter;
        dialog.CustomDelimiter = m_delimiterSettings.CustomDelimiter;
        dialog.Delimiter = m_delimiterSettings.Delimiter;
        prompter().showModal(dialog);
        m_delimiterSettings = {dialog.TabDelimiter, dialog.CustomDelimiter, dialog.Delimiter};
        SaveDelimiterSetting();
    }
}

void frmUtility::mnuFileItem_Click(int Index)
{
    switch (Index) {
    case 0:
    case 1:
        chooseLogFile(Index == 0);
        break;
    case 2:
        m_log.stop();
        showLogCaption();
        break;
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
    switch (Index) {
    case 0:
        ArchiveSetups();
        break;
    case 1:
        RestoreSetups();
        break;
    case 3:
        showIdentification();
        break;
    case 4:
        showClock();
        break;
    case 6:
        showScreenCapture();
        break;
    default:
        break;
    }
}

void frmUtility::showIdentification()
{
    frmConfig dialog(*this, this);
    prompter().showModal(dialog);
}

void frmUtility::showClock()
{
    frmDateTime dialog(*this, this);
    prompter().showModal(dialog);
}

void frmUtility::showDatalogViewer()
{
    frmDatalog dialog(*this, this);
    prompter().showModal(dialog);
}

void frmUtility::showScreenCapture()
{
    frmBitmap dialog(qvSensor, identity(), this);
    prompter().showModal(dialog);
}

void frmUtility::showSetupEditor()
{
    frmSetup dialog(*this, this);
    prompter().showModal(dialog);
}

void frmUtility::showAbout()
{
    frmAbout dialog(identity(), this);
    prompter().showModal(dialog);
}

frmCapture &frmUtility::progressWindow()
{
    // A window of its own, not a child: the main window is disabled while a transfer runs,
    // and the progress window's Cancel must stay usable.
    if (!m_capture)
        m_capture = std::make_unique<frmCapture>(
            qvSensor, [this] { return DatalogCount(); }, identity());
    m_capture->Delimiter = modGlobals::GetDelimiter(m_delimiterSettings);
    return *m_capture;
}

QString frmUtility::askTransferFile(const QString &title, FileDialogRequest::Kind kind)
{
    FileDialogRequest request;
    request.kind = kind;
    request.title = title;
    request.filter = QStringLiteral("All Files|*.*");
    request.filterIndex = 1;
    request.fileName.clear();
    request.hideReadOnly = true;
    request.overwritePrompt = kind == FileDialogRequest::Kind::Save;
    request.fileMustExist = kind == FileDialogRequest::Kind::Open;
    return prompter().fileDialog(request);
}

void frmUtility::setTransferRunning(bool running)
{
    m_transferRunning = running;
    setEnabled(!running);
}

// The main window takes no input while a transfer runs: the progress window yields to the event
// loop, and no second exchange may start in the middle of the transfer's.
template <typename Transfer> void frmUtility::runTransfer(Transfer &&transfer)
{
    setTransferRunning(true);
    try {
        transfer(progressWindow());
    } catch (...) {
        setTransferRunning(false);
        throw;
    }
    setTransferRunning(false);
    if (m_closeAfterTransfer)
        close();
}

void frmUtility::ArchiveSetups()
{
    const QString file =
        askTransferFile(QStringLiteral("Archive Product Setups"), FileDialogRequest::Kind::Save);
    if (!file.isEmpty())
        runTransfer([&file](frmCapture &capture) { capture.UploadSetups(file); });
}

void frmUtility::RestoreSetups()
{
    const QString file =
        askTransferFile(QStringLiteral("Restore Product Setups"), FileDialogRequest::Kind::Open);
    if (!file.isEmpty())
        runTransfer([&file](frmCapture &capture) { capture.DownloadSetups(file); });
}

void frmUtility::CaptureDatalog()
{
    const QString file =
        askTransferFile(QStringLiteral("Capture Datalog"), FileDialogRequest::Kind::Save);
    if (!file.isEmpty())
        runTransfer([&file](frmCapture &capture) { capture.UploadDatalog(file); });
}

void frmUtility::ConvertDatalogFile()
{
    QString source;
    for (;;) {
        source = RemovableDrives::findFile(RemovableDriveRoots(), QStringLiteral("DATALOG.QV3"));
        if (!source.isEmpty())
            break;
        if (MsgBox(QStringLiteral("Please connect the USB thumb drive containing the datalog file"),
                   MsgButtons::OKCancel, MsgIcon::Information,
                   identity().mainTitle()) == MsgAnswer::Cancel)
            return;
    }
    const QString file = askTransferFile(QStringLiteral("Convert Datalog File - Save As"),
                                         FileDialogRequest::Kind::Save);
    if (!file.isEmpty())
        runTransfer([&](frmCapture &capture) { capture.ConvertDatalog(source, file); });
}

void frmUtility::mnuMeasureItem_Click(int Index)
{
    switch (Index) {
    case 0:
        Standardize();
        break;
    case 1:
        Measure();
        if (SampleIDPrompt)
            askSampleID();
        break;
    case 2:
        ClearMeasurements();
        break;
    case 4:
        LogMeasurement();
        break;
    case 6: {
        // The state lives in SampleIDPrompt: Qt has already toggled the checkable item when
        // it was triggered from the menu, so the check mark is set, not toggled.
        SampleIDPrompt = !SampleIDPrompt;
        mnuMeasureItem[6]->setChecked(SampleIDPrompt);
        modGlobals::SavePreference(QStringLiteral("Sample ID"),
                                   SampleIDPrompt ? QStringLiteral("Yes") : QStringLiteral("No"));
        break;
    }
    default:
        break;
    }
}

void frmUtility::askSampleID()
{
    frmSampleID dialog(identity(), this);
    dialog.Autostore = modGlobals::GetPreference(QStringLiteral("Autostore"),
                                                 QStringLiteral("No")) == QLatin1String("Yes");
    prompter().showModal(dialog);
    modGlobals::SavePreference(QStringLiteral("Autostore"),
                               dialog.Autostore ? QStringLiteral("Yes") : QStringLiteral("No"));
}

void frmUtility::Standardize()
{
    const qint32 flavor = InstrumentFlavor();
    const QString black = flavor == 0 || flavor == 2 ? QStringLiteral("Mount Black Glass")
                                                     : QStringLiteral("Mount Light Trap");
    // One guided reading: the prompt, then readings until one succeeds or the operator gives up.
    auto reading = [this](const QString &prompt, void (frmUtility::*read)(),
                          const QString &failure) {
        if (MsgBox(prompt, MsgButtons::OKCancel, MsgIcon::Information, identity().mainTitle()) ==
            MsgAnswer::Cancel)
            return false;
        for (;;) {
            (this->*read)();
            if (qvSensor.LastError() == 0)
                return true;
            if (MsgBox(failure, MsgButtons::RetryCancel, MsgIcon::Exclamation,
                       identity().mainTitle()) == MsgAnswer::Cancel)
                return false;
        }
    };
    if (!reading(black, &frmUtility::ReadBlack, QStringLiteral("Black Standardization Failed")))
        return;
    if (!reading(QStringLiteral("Mount White Tile"), &frmUtility::ReadWhite,
                 QStringLiteral("White Standardization Failed")))
        return;
    MsgBox(QStringLiteral("Standardization Completed"), MsgButtons::OK, MsgIcon::Information,
           identity().mainTitle());
}

void frmUtility::GetInstrumentType()
{
    // The flag is set with the name: the instrument answered as one of its type.
    busyTrapped([this] { m_session.readIdentity(); });
}

void frmUtility::GetInstrumentName()
{
    busyTrapped([this] { m_session.readIdentity(); });
}

bool frmUtility::InstrumentSupported()
{
    return busyTrapped([this] { return qvSensor.FirmwareSupported(); });
}

qint32 frmUtility::InstrumentFlavor()
{
    return busyTrapped([this] { return static_cast<qint32>(qvSensor.Flavor()); });
}

qint16 frmUtility::DatalogCount()
{
    return busyTrapped([this] { return m_operations.DatalogCount(); });
}

void frmUtility::ClearDatalog()
{
    busyTrapped([this] { m_operations.ClearDatalog(); });
}

void frmUtility::ReadBlack()
{
    busyTrapped([this] { qvSensor.ReadBlack(); });
}

void frmUtility::ReadWhite()
{
    busyTrapped([this] { qvSensor.ReadWhite(); });
}

void frmUtility::Measure()
{
    busyTrapped([this] {
        QVMeasure measurement(qvSensor);
        measurement.Measure();
        ViewMeasurement(measurement);
    });
    // The log write is trapped on its own, so that a Retry cannot take a second measurement.
    trapped([this] { WriteMeasurement(); });
}

void frmUtility::LogMeasurement()
{
    busyTrapped([] {});
}

void frmUtility::ClearMeasurements()
{
    busyTrapped([] {});
    ClearMeasurement();
}

bool frmUtility::IsDatalogEmpty()
{
    busyTrapped([] {});
    if (qvSensor.LastError() <= 0)
        return false;
    MsgBox(QStringLiteral("The Datalog is empty"), MsgButtons::OK, MsgIcon::Exclamation,
           identity().mainTitle());
    return true;
}

bool frmUtility::GetDatalogRecord(qint16 aRecordNumber)
{
    QVLog record(qvSensor);
    const bool fetched = busyTrapped([&] {
        try {
            record.GetRecord(aRecordNumber);
            return true;
        } catch (const QuvaneError &error) {
            // A record the instrument does not hold is refused, and LastError says so.
            if (error.number() != ErrorNumber::InstrumentRefused)
                throw;
            return false;
        }
    });
    if (!fetched && qvSensor.LastError() > 0) {
        MsgBox(QStringLiteral("The Datalog is empty"), MsgButtons::OK, MsgIcon::Exclamation,
               identity().mainTitle());
        return false;
    }
    ViewDatalogRecord(record);
    trapped([this] { WriteDatalogRecord(); });
    return true;
}

void frmUtility::ViewMeasurement(const QVMeasure &aMeasurement)
{
    for (int i = 1; i <= 31; ++i)
        Spectrum[static_cast<size_t>(i - 1)] = aMeasurement.Spectrum(i);
    m_display->plot(Spectrum);
    m_display->tabulate(Spectrum);
}

void frmUtility::ViewDatalogRecord(const QVLog &aRecord)
{
    if (!aRecord.Spectral) {
        m_display->clearGraph();
        return;
    }
    for (int i = 1; i <= 31; ++i)
        Spectrum[static_cast<size_t>(i - 1)] = aRecord.Spectrum(i);
    m_display->plot(Spectrum);
}

void frmUtility::ClearMeasurement()
{
    m_display->clearGraph();
    m_display->clearGrid();
}

void frmUtility::WriteMeasurement()
{
    m_log.write(QString());
}

void frmUtility::WriteProductSetup()
{
    m_log.write(QString());
}

void frmUtility::WriteDatalogRecord()
{
    m_log.write(QString());
}

void frmUtility::chooseLogFile(bool newFile)
{
    m_log.choose(newFile, m_delimiterSettings, identity().mainTitle());
    showLogCaption();
}

void frmUtility::showLogCaption()
{
    const QString title = identity().mainTitle();
    setWindowTitle(m_log.fileName().isEmpty() ? title
                                              : title + QStringLiteral(" - ") + m_log.fileName());
}

void frmUtility::mnuDatalogItem_Click(int Index)
{
    if (Index == 0)
        CaptureDatalog();
    else if (Index == 1)
        ConvertDatalogFile();
    else if (Index == 2) {
        if (MsgBox(QStringLiteral("Proceed to clear the Datalog?"), MsgButtons::YesNo,
                   MsgIcon::Question, identity().mainTitle()) != MsgAnswer::No)
            ClearDatalog();
    }
}

void frmUtility::mnuHelpItem_Click(int Index)
{
    if (Index == 0)
        showAbout();
}
