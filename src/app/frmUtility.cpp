#include "app/frmUtility.h"

#include "app/ReflectanceView.h"
#include "app/frmHistory.h"
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
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "records/QVLog.h"
#include "records/QVMeasure.h"
#include "setup_editor/frmSetup.h"
#include "store/HistoryError.h"
#include "store/HistoryStore.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QTableWidget>

using namespace quvane;

frmUtility::frmUtility(Prompter &prompter, LinkOptions link, TextFormat textFormat,
                       PreferencesStore preferences, QWidget *parent)
    : QMainWindow(parent), m_prompter(prompter),
      m_session(prompter, std::move(link), std::move(textFormat)), m_preferences(preferences),
      m_log(prompter)
{
    ui.setupUi(this);
    fgSpectrum = ui.display->fgSpectrum;
    cwgSpectrum = ui.display->cwgSpectrum;
    // Room for every row of the grid; on a screen too small for that (1024 x 600), the whole
    // screen, where the window manager fits the frame in.
    const QSize wanted(1180, ui.display->gridHeight() + 80);
    const QSize available = screen() ? screen()->availableGeometry().size() : wanted;
    resize(wanted.boundedTo(available));
    if (wanted.width() > available.width() || wanted.height() > available.height())
        setWindowState(Qt::WindowMaximized);
    // The first key goes to the grid, never to a list of the colour panel, where Down or PgDn
    // would change a stored choice unseen.
    fgSpectrum->setFocus();
    ui.colour->setSession(&m_session);
    ui.colour->setPreferences(&m_preferences);
    ui.colour->setPrompter(m_prompter);
    ui.colour->history = [this] { return historyTarget(); };
    connectMenus();
    m_session.showDatalogRecord = [this](const QVLog &record) {
        ViewDatalogRecord(record);
        trapped(m_prompter, [this] { WriteDatalogRecord(); });
    };
    m_session.writeProductSetup = [this] { WriteProductSetup(); };

    connect(ui.actHistory, &QAction::triggered, this,
            [this] { reportUntrapped(m_prompter, [this] { showHistory(); }); });

    // The hidden tools: actions of the window itself, reached by their shortcuts alone.
    for (const auto &[action, show] :
         {std::pair{ui.actDatalogViewer, &frmUtility::showDatalogViewer},
          {ui.actScreenCapture, &frmUtility::showScreenCapture},
          {ui.actSetupEditor, &frmUtility::showSetupEditor}}) {
        addAction(action);
        connect(action, &QAction::triggered, this,
                [this, show = show] { reportUntrapped(m_prompter, [&] { (this->*show)(); }); });
    }
}

frmUtility::~frmUtility() = default;

void frmUtility::connectMenus()
{
    const std::tuple<QMenu *, QList<QAction *> *, void (frmUtility::*)(int)> menus[] = {
        {ui.mnuFile, &mnuFileItem, &frmUtility::mnuFileItem_Click},
        {ui.mnuSensor, &mnuSensorItem, &frmUtility::mnuSensorItem_Click},
        {ui.mnuMeasure, &mnuMeasureItem, &frmUtility::mnuMeasureItem_Click},
        {ui.mnuDatalog, &mnuDatalogItem, &frmUtility::mnuDatalogItem_Click},
        {ui.mnuHelp, &mnuHelpItem, &frmUtility::mnuHelpItem_Click},
    };
    for (const auto &[menu, items, handler] : menus) {
        *items = menu->actions();
        for (int index = 0; index < items->size(); ++index) {
            QAction *action = items->at(index);
            // An item without a caption is a separator: a line alone, no text a style shows.
            if (action->text().isEmpty())
                action->setSeparator(true);
            connect(action, &QAction::triggered, this, [this, handler = handler, index] {
                reportUntrapped(m_prompter, [&] { (this->*handler)(index); });
            });
        }
    }
}

void frmUtility::Form_Load()
{
    show();
    LoadPreferences();

    if (!m_session.Connect()) {
        // A serial port the user may not open is said, with what to do about it.
        QString text =
            QCoreApplication::translate("Quvane", "Instrument not connected or turned off");
        if (!qvSensor.accessProblem().isEmpty())
            text += QStringLiteral("\n\n") + qvSensor.accessProblem();
        else if (!qvSensor.connectionError().isEmpty())
            text += QStringLiteral("\n\n") + qvSensor.connectionError();
        m_prompter.MsgBox(text, MsgButtons::OK, MsgIcon::None, modGlobals::AppTitle());
        m_prompter.EndProgram();
    }
    if (!qvSensor.FirmwareSupported()) {
        m_prompter.MsgBox(QCoreApplication::translate(
                              "Quvane",
                              "The firmware in the attached instrument is not compatible with "
                              "this program\n\nPlease contact Velmora to obtain upgrade "
                              "information"),
                          MsgButtons::OK, MsgIcon::Critical, modGlobals::AppTitle());
        m_prompter.EndProgram();
    }

    mnuMeasureItem[SampleIdItem]->setChecked(SampleIDPrompt);
    m_session.GetInstrumentName();
    m_session.GetInstrumentType();
    SetFormIcon(*this, identity().type);
    setWindowTitle(identity().mainTitle());
    sayCheckDue();
}

void frmUtility::sayCheckDue()
{
    const int days = m_preferences.checkPeriodDays();
    if (days <= 0 || !m_historyOn || m_historyLocation.isEmpty())
        return;
    const QString serial = qvSensor.SerialNumber();
    std::optional<QDateTime> last;
    try {
        last = HistoryStore(HistoryLocation::parse(m_historyLocation), m_station).lastCheck(serial);
    } catch (const HistoryError &) {
        return; // said when something is stored
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (last && last->addDays(days) >= now)
        return;
    const QString text =
        last ? QCoreApplication::translate(
                   "Quvane", "The last check of this instrument (%1) against a verification tile "
                             "was on %2, %3 days ago; checks are due every %4 days.\n\n"
                             "Measure a verification tile with its name as the sample ID.")
                   .arg(serial, QLocale().toString(*last, QLocale::ShortFormat))
                   .arg(last->daysTo(now))
                   .arg(days)
             : QCoreApplication::translate(
                   "Quvane", "This instrument (%1) has never been checked against a "
                             "verification tile; checks are due every %2 days.\n\n"
                             "Measure a verification tile with its name as the sample ID.")
                   .arg(serial)
                   .arg(days);
    m_prompter.MsgBox(text, MsgButtons::OK, MsgIcon::Information, identity().mainTitle());
}

void frmUtility::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // While a transfer runs the window takes no input: a click on it hands the activation on to
    // the progress window, where Esc is Cancel, and no key falls on this idle window.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_transfers.running() &&
        progressWindow().isVisible())
        progressWindow().activateWindow();
}

void frmUtility::Form_Unload()
{
    m_session.Disconnect();
}

void frmUtility::mnuFileItem_Click(int Index)
{
    switch (Index) {
    case FileNew:
    case FileOpen:
        chooseLogFile(Index == FileNew);
        break;
    case FileStopLogging:
        m_log.stop();
        showLogCaption();
        break;
    case FilePreferences:
        showPreferences();
        break;
    case FileExit:
        close();
        break;
    default:
        break;
    }
}

void frmUtility::mnuSensorItem_Click(int Index)
{
    switch (Index) {
    case SensorArchive:
        m_transfers.ArchiveSetups();
        break;
    case SensorRestore:
        m_transfers.RestoreSetups();
        break;
    case SensorIdentification:
        showIdentification();
        break;
    case SensorClock:
        showClock();
        break;
    case SensorCaptureScreen:
        showScreenCapture();
        break;
    default:
        break;
    }
}

void frmUtility::mnuMeasureItem_Click(int Index)
{
    switch (Index) {
    case MeasureStandardize:
        m_session.Standardize();
        break;
    case MeasureSample: {
        m_lastSample.clear();
        Measure();
        const QString sampleId = SampleIDPrompt ? askSampleID() : QString();
        // Each reading, then (of several) their mean.
        for (Measurement &reading : m_lastSample) {
            reading.sampleId = sampleId;
            if (!storeMeasurement(reading))
                break;
        }
        break;
    }
    case MeasureClear:
        ClearMeasurements();
        break;
    case MeasureLogSample:
        LogMeasurement();
        break;
    case MeasureSampleId:
        // The state lives in SampleIDPrompt: Qt has already toggled the checkable item when
        // it was triggered from the menu, so the check mark is set, not toggled.
        SampleIDPrompt = !SampleIDPrompt;
        mnuMeasureItem[SampleIdItem]->setChecked(SampleIDPrompt);
        m_preferences.SavePreference(QStringLiteral("Sample ID"),
                                     SampleIDPrompt ? QStringLiteral("Yes") : QStringLiteral("No"));
        break;
    default:
        break;
    }
}

void frmUtility::mnuDatalogItem_Click(int Index)
{
    if (Index == DatalogCapture)
        m_transfers.CaptureDatalog();
    else if (Index == DatalogConvert)
        m_transfers.ConvertDatalogFile();
    else if (Index == DatalogClear) {
        if (m_prompter.MsgBox(
                QCoreApplication::translate("Quvane", "Proceed to clear the Datalog?"),
                MsgButtons::YesNo, MsgIcon::Question, identity().mainTitle()) != MsgAnswer::No)
            m_session.ClearDatalog();
    }
}

void frmUtility::mnuHelpItem_Click(int Index)
{
    if (Index == HelpAbout)
        showAbout();
}

void frmUtility::closeEvent(QCloseEvent *event)
{
    // A transfer owns the link until it ends: stop it as Cancel does, and close once the
    // record in transfer is done and its file is closed.
    if (m_transfers.running()) {
        m_transfers.closeAfterTransfer();
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmUtility::LoadPreferences()
{
    SampleIDPrompt = m_preferences.GetPreference(QStringLiteral("Sample ID"),
                                                 QStringLiteral("No")) == QLatin1String("Yes");
    m_historyOn = m_preferences.historyOn();
    m_readingsAveraged = m_preferences.readingsAveraged();
    m_transfers.History = historyTarget();
    LoadDelimiterSetting();
}

void frmUtility::LoadDelimiterSetting()
{
    m_delimiterSettings = m_preferences.delimiter();
    m_transfers.Delimiter = modGlobals::GetDelimiter(m_delimiterSettings);
}

void frmUtility::SaveDelimiterSetting()
{
    m_preferences.SavePreference(QStringLiteral("Delimiter"),
                                 modGlobals::EncodeDelimiterPreference(m_delimiterSettings));
}

void frmUtility::showPreferences()
{
    LoadDelimiterSetting();
    {
        frmPreferences dialog(identity(), m_session.textFormat().decimalPoint(), this);
        dialog.TabDelimiter = m_delimiterSettings.TabDelimiter;
        dialog.CustomDelimiter = m_delimiterSettings.CustomDelimiter;
        dialog.Delimiter = m_delimiterSettings.Delimiter;
        dialog.KeepHistory = m_historyOn;
        dialog.ReadingsAveraged = m_readingsAveraged;
        dialog.CheckPeriodDays = m_preferences.checkPeriodDays();
        m_prompter.showModal(dialog);
        if (dialog.CheckPeriodDays != m_preferences.checkPeriodDays())
            m_preferences.saveCheckPeriodDays(dialog.CheckPeriodDays);
        if (dialog.ReadingsAveraged != m_readingsAveraged) {
            m_readingsAveraged = dialog.ReadingsAveraged;
            m_preferences.saveReadingsAveraged(m_readingsAveraged);
        }
        m_delimiterSettings = {dialog.TabDelimiter, dialog.CustomDelimiter, dialog.Delimiter};
        SaveDelimiterSetting();
        if (dialog.KeepHistory != m_historyOn) {
            m_historyOn = dialog.KeepHistory;
            m_preferences.saveHistoryOn(m_historyOn);
            m_transfers.History = historyTarget();
        }
    }
    m_transfers.Delimiter = modGlobals::GetDelimiter(m_delimiterSettings);
}

void frmUtility::showIdentification()
{
    frmConfig dialog(m_session, this);
    m_prompter.showModal(dialog);
}

void frmUtility::showClock()
{
    frmDateTime dialog(m_session, this);
    m_prompter.showModal(dialog);
}

void frmUtility::showDatalogViewer()
{
    frmDatalog dialog(m_session, this);
    m_prompter.showModal(dialog);
}

void frmUtility::showScreenCapture()
{
    frmBitmap dialog(m_prompter, qvSensor, identity(), this);
    m_prompter.showModal(dialog);
}

void frmUtility::showSetupEditor()
{
    frmSetup dialog(m_session, this);
    m_prompter.showModal(dialog);
}

void frmUtility::showAbout()
{
    frmAbout dialog(m_prompter, identity(), this);
    m_prompter.showModal(dialog);
}

QString frmUtility::askSampleID()
{
    frmSampleID dialog(m_prompter, identity(), this);
    dialog.Autostore = m_preferences.GetPreference(QStringLiteral("Autostore"),
                                                   QStringLiteral("No")) == QLatin1String("Yes");
    m_prompter.showModal(dialog);
    m_preferences.SavePreference(QStringLiteral("Autostore"),
                                 dialog.Autostore ? QStringLiteral("Yes") : QStringLiteral("No"));
    return dialog.result() == QDialog::Accepted ? dialog.ui.txtSampleID->text().trimmed()
                                                : QString();
}

void frmUtility::setHistory(const QString &location, const Station &station)
{
    m_historyLocation = location;
    m_station = station;
    m_transfers.History = historyTarget();
}

HistoryTarget frmUtility::historyTarget() const
{
    HistoryTarget target;
    target.station = m_station;
    if (!m_historyOn || m_historyLocation.isEmpty())
        return target;
    try {
        target.location = HistoryLocation::parse(m_historyLocation);
    } catch (const HistoryError &) {
        // Said when something is to be stored: storeMeasurement opens it by name.
    }
    return target;
}

bool frmUtility::storeMeasurement(const Measurement &measurement)
{
    if (!m_historyOn || m_historyLocation.isEmpty())
        return true;
    try {
        HistoryStore store(HistoryLocation::parse(m_historyLocation), m_station);
        store.noteInstrument(qvSensor.SerialNumber(), qvSensor.InstrumentName(),
                             qvSensor.FirmwareVersion());
        store.add({measurement});
    } catch (const HistoryError &error) {
        m_prompter.MsgBox(QCoreApplication::translate("Quvane",
                                                      "The measurement was not stored in the "
                                                      "history.\n\n%1")
                              .arg(error.message()),
                          MsgButtons::OK, MsgIcon::Exclamation, identity().mainTitle());
        return false;
    }
    return true;
}

void frmUtility::Measure()
{
    busyTrapped(m_prompter, [this] {
        // The readings a Sample averages: a set-up standard's count, else the preference's.
        const int count = ui.colour->standardReadings().value_or(m_readingsAveraged);
        QList<Colour::Spectrum> spectra;
        for (int i = 0; i < count; ++i) {
            QVMeasure measurement(qvSensor);
            measurement.Measure();
            Measurement reading = measurement.measurement();
            // Readings of one millisecond would be one measurement to the history.
            if (!m_lastSample.isEmpty() && reading.taken <= m_lastSample.last().taken)
                reading.taken = m_lastSample.last().taken.addMSecs(1);
            m_lastSample << reading;
            spectra << reading.spectrum;
            if (count == 1)
                ViewMeasurement(measurement);
        }
        if (count > 1) {
            const Colour::Repeatability spread = ui.colour->showReadings(spectra);
            Measurement mean = m_lastSample.last();
            mean.spectrum = spread.mean;
            mean.readings = count;
            mean.taken = mean.taken.addMSecs(1);
            m_lastSample << mean;
            std::copy(spread.mean.begin(), spread.mean.end(), Spectrum.begin());
            ui.display->plot(Spectrum);
            ui.display->tabulate(Spectrum);
        }
    });
    // The log write is trapped on its own, so that a Retry cannot take a second measurement.
    trapped(m_prompter, [this] { WriteMeasurement(); });
}

void frmUtility::LogMeasurement()
{
    busyTrapped(m_prompter, [] {});
}

void frmUtility::ClearMeasurements()
{
    busyTrapped(m_prompter, [] {});
    ClearMeasurement();
}

void frmUtility::ViewMeasurement(const QVMeasure &aMeasurement)
{
    Spectrum = aMeasurement.spectrum();
    ui.display->plot(Spectrum);
    ui.display->tabulate(Spectrum);
    ui.colour->showSpectrum(Spectrum);
}

void frmUtility::ViewDatalogRecord(const QVLog &aRecord)
{
    if (!aRecord.Spectral) {
        ui.display->clearGraph();
        return;
    }
    Spectrum = aRecord.spectrum();
    ui.display->plot(Spectrum);
    ui.colour->showSpectrum(Spectrum);
}

void frmUtility::showHistory()
{
    if (!m_history) {
        m_history = std::make_unique<frmHistory>(identity(), m_prompter, this);
        m_history->showMeasurement = [this](const StoredMeasurement &stored) {
            ViewStoredMeasurement(stored);
        };
    }
    m_history->open(historyTarget());
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void frmUtility::ViewStoredMeasurement(const StoredMeasurement &stored)
{
    Spectrum = stored.value.spectrum;
    ui.display->plot(Spectrum);
    ui.display->tabulate(Spectrum);
    ui.colour->showSpectrum(Spectrum);
}

void frmUtility::ClearMeasurement()
{
    ui.display->clearGraph();
    ui.display->clearGrid();
    ui.colour->clear();
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
