#pragma once

#include "app/MeasurementLog.h"
#include "dialogs/InstrumentWindow.h"
#include "link/InstrumentOperations.h"
#include "link/InstrumentSession.h"
#include "link/SensorControl.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"
#include "transfer/RemovableDrives.h"

#include <QList>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class frmCapture;
class QChartView;
class QVLog;
class QVMeasure;
class QMenu;
class QTableWidget;
namespace quvane {
class ReflectanceView;
}

// The main window: owns the instrument link, offers the instrument operations to the rest of
// the program and starts everything else from its five menus.
class frmUtility : public QMainWindow, public quvane::InstrumentWindow
{
    Q_OBJECT

public:
    explicit frmUtility(quvane::LinkOptions link = {}, QWidget *parent = nullptr);
    ~frmUtility() override;

    // Shows the window, loads the preferences and connects to the instrument; ends the program
    // when no usable instrument answers.
    void Form_Load();

    void mnuFileItem_Click(int Index);
    void mnuSensorItem_Click(int Index);
    void mnuMeasureItem_Click(int Index);
    void mnuDatalogItem_Click(int Index);
    void mnuHelpItem_Click(int Index);

    // Instrument operations. Those with the busy cursor trap errors for ReportError;
    // StdzTimestamp and SetDateAndTime raise to their callers, which trap.
    void GetInstrumentType();
    void GetInstrumentName();
    bool InstrumentSupported();
    qint32 InstrumentFlavor();
    qint16 DatalogCount() override;
    double StdzTimestamp() override { return m_operations.StdzTimestamp(); }
    void SetDateAndTime() override { m_operations.SetDateAndTime(); }
    SensorControl &sensor() override { return qvSensor; }
    const quvane::InstrumentIdentity &identity() const override { return m_session.identity(); }
    void ClearDatalog();
    void ReadBlack();
    void ReadWhite();

    // Reads one measurement, shows it and logs it.
    void Measure();
    void LogMeasurement();
    void ClearMeasurements();
    // Fetches the record with "K", shows its spectrum and logs it; an instrument that refuses
    // the record (an empty datalog) gives "The Datalog is empty".
    bool GetDatalogRecord(qint16 aRecordNumber) override;
    bool IsDatalogEmpty();
    void Standardize();

    // The launchers: ask for a file and run a bulk transfer in the progress window.
    void ArchiveSetups();
    void RestoreSetups();
    void CaptureDatalog();
    void ConvertDatalogFile();

    // The instrument dialogs, shown modally through the prompter.
    void showIdentification();
    void showClock();
    void showDatalogViewer();
    void showScreenCapture();
    void showAbout();
    void showSetupEditor();
    frmCapture &progressWindow();

    // The spectrum display: the grid and the graph.
    void ViewMeasurement(const QVMeasure &aMeasurement);
    void ViewDatalogRecord(const QVLog &aRecord);
    void ClearMeasurement();

    // The measurement log: each writer puts the record text on the clipboard and appends it
    // as one line to the log file, when one is named.
    void WriteMeasurement();
    void WriteProductSetup() override;
    void WriteDatalogRecord();
    QString logFileName() const { return m_log.fileName(); }

    std::array<float, 31> Spectrum{};

private:
    // Declared before qvSensor, which is its control.
    quvane::InstrumentSession m_session;

public:
    SensorControl &qvSensor = m_session.sensor();
    bool SampleIDPrompt = false;
    // The roots of the removable drives the conversion looks through; tests replace it.
    std::function<QStringList()> RemovableDriveRoots = [] {
        return quvane::RemovableDrives::roots();
    };

    QMenu *mnuFile;
    QMenu *mnuSensor;
    QMenu *mnuMeasure;
    QMenu *mnuDatalog;
    QMenu *mnuHelp;
    QList<QAction *> mnuFileItem;
    QList<QAction *> mnuSensorItem;
    QList<QAction *> mnuMeasureItem;
    QList<QAction *> mnuDatalogItem;
    QList<QAction *> mnuHelpItem;

    QTableWidget *fgSpectrum;
    QChartView *cwgSpectrum;

    // The design caption, which the main title extends.
    static QString designCaption() { return QStringLiteral("Utility"); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Unload();
    // While a transfer runs the window takes no input; a close waits for the transfer's end.
    void setTransferRunning(bool running);
    void buildMenus();
    void LoadPreferences();
    void LoadDelimiterSetting();
    void SaveDelimiterSetting();
    void showPreferences();
    void chooseLogFile(bool newFile);
    void showLogCaption();
    void askSampleID();
    QString askTransferFile(const QString &title, quvane::FileDialogRequest::Kind kind);
    template <typename Transfer> void runTransfer(Transfer &&transfer);

    quvane::InstrumentOperations &m_operations = m_session.operations();
    quvane::DelimiterSettings m_delimiterSettings;
    quvane::ReflectanceView *m_display = nullptr;
    // Where the log file name is kept apart from the transfer files: see MeasurementLog.
    quvane::MeasurementLog m_log;
    std::unique_ptr<frmCapture> m_capture;
    quvane::LinkOptions m_link;
    bool m_transferRunning = false;
    bool m_closeAfterTransfer = false;
};
