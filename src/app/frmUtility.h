#pragma once

#include "app/MeasurementLog.h"
#include "app/MenuItems.h"
#include "app/TransferLaunchers.h"
#include "app/UtilitySession.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"
#include "records/Measurement.h"
#include "store/HistoryTarget.h"
#include "ui_frmUtility.h" // generated from frmUtility.ui

#include <QList>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class frmCapture;
class frmHistory;
class QChartView;
class QVLog;
class QVMeasure;
class QTableWidget;

// The main window: owns the session with the instrument and starts everything else from its
// five menus (frmUtility.ui). The instrument operations live in the session.
class frmUtility : public QMainWindow
{
    Q_OBJECT

public:
    // The preferences store is read at load (and the colour panel's choices at once) and
    // written as the operator changes them.
    explicit frmUtility(quvane::Prompter &prompter, quvane::LinkOptions link = {},
                        quvane::TextFormat textFormat = quvane::TextFormat(),
                        quvane::PreferencesStore preferences = {}, QWidget *parent = nullptr);
    ~frmUtility() override;

    // Shows the window, loads the preferences and connects to the instrument; ends the program
    // when no usable instrument answers.
    void Form_Load();

    // The menu item arrays' click handlers, by item index.
    void mnuFileItem_Click(int Index);
    void mnuSensorItem_Click(int Index);
    void mnuMeasureItem_Click(int Index);
    void mnuDatalogItem_Click(int Index);
    void mnuHelpItem_Click(int Index);

    quvane::UtilitySession &session() { return m_session; }
    const quvane::InstrumentIdentity &identity() const { return m_session.identity(); }

    // Reads one measurement, shows it and logs it.
    void Measure();
    void LogMeasurement();
    void ClearMeasurements();

    // The launchers of the bulk transfers and their progress window.
    quvane::TransferLaunchers &transfers() { return m_transfers; }
    frmCapture &progressWindow() { return m_transfers.progressWindow(); }

    // The instrument dialogs, shown modally through the prompter.
    void showIdentification();
    void showClock();
    void showDatalogViewer();
    void showScreenCapture();
    void showAbout();
    void showSetupEditor();
    // The History window, opened beside the main window.
    void showHistory();
    // Says at start when the connected instrument's last check against a verification tile is
    // older than the period set in Preferences (nothing when none is set).
    void sayCheckDue();
    frmHistory *historyWindow() { return m_history.get(); }
    // A stored measurement in the display and the colour panel.
    void ViewStoredMeasurement(const quvane::StoredMeasurement &stored);

    // The spectrum display: the grid and the graph.
    void ViewMeasurement(const QVMeasure &aMeasurement);
    void ViewDatalogRecord(const QVLog &aRecord);
    void ClearMeasurement();

    // The measurement log: each writer puts the record text on the clipboard and appends it
    // as one line to the log file, when one is named.
    void WriteMeasurement();
    void WriteProductSetup();
    void WriteDatalogRecord();
    QString logFileName() const { return m_log.fileName(); }

    std::array<float, 31> Spectrum{};

    // The history: where it is (a file or a postgresql:// address; empty for none) and who
    // stores, as main() found them. The preferences turn it on and off.
    void setHistory(const QString &location, const quvane::Station &station);
    quvane::HistoryTarget historyTarget() const;
    // Stores a measurement; what the history could not take is said.
    // Stores a measurement in the history; false when it could not (which is said).
    bool storeMeasurement(const quvane::Measurement &measurement);

private:
    quvane::Prompter &m_prompter;
    quvane::UtilitySession m_session;
    quvane::PreferencesStore m_preferences;

public:
    SensorControl &qvSensor = m_session.sensor();
    bool SampleIDPrompt = false;

    Ui::frmUtility ui;
    // The menus' item arrays, separators included, in the order of their indexes.
    QList<QAction *> mnuFileItem;
    QList<QAction *> mnuSensorItem;
    QList<QAction *> mnuMeasureItem;
    QList<QAction *> mnuDatalogItem;
    QList<QAction *> mnuHelpItem;
    QTableWidget *fgSpectrum;
    QChartView *cwgSpectrum;

    // The Measure menu's Sample ID item, which toggles the prompt after each Sample.
    static constexpr int SampleIdItem = quvane::MeasureSampleId;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Unload();
    void connectMenus();
    void LoadPreferences();
    void LoadDelimiterSetting();
    void SaveDelimiterSetting();
    void showPreferences();
    void chooseLogFile(bool newFile);
    void showLogCaption();
    // The ID the operator gave the Sample; empty when none was given.
    QString askSampleID();

    quvane::DelimiterSettings m_delimiterSettings;
    QString m_historyLocation;
    quvane::Station m_station;
    bool m_historyOn = true;
    // The last Sample as a value, for the history.
    // The Sample's readings, and their mean when there are several.
    QList<quvane::Measurement> m_lastSample;
    int m_readingsAveraged = 1;
    // Where the log file name is kept apart from the transfer files: see MeasurementLog.
    quvane::MeasurementLog m_log;
    quvane::TransferLaunchers m_transfers{m_session, *this};
    std::unique_ptr<frmHistory> m_history;
};
