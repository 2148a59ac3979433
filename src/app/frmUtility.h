#pragma once

#include "InstrumentOperations.h"
#include "MeasurementLog.h"
#include "Prompter.h"
#include "SensorControl.h"
#include "modGlobals.h"

#include <QList>
#include <QMainWindow>

#include <array>

class QAction;
class frmCapture;
class QChartView;
class QVLog;
class QVMeasure;
class QMenu;
class QTableWidget;
class ReflectanceView;

// The main window: owns the instrument link, offers the instrument operations to the rest of
// the program and starts everything else from its five menus.
class frmUtility : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmUtility(QWidget *parent = nullptr);
    ~frmUtility() override;

    // Shows the window, loads the preferences and connects to the instrument; ends the program
    // when no usable instrument answers.
    void Form_Load();

    void mnuFileItem_Click(int Index);
    void mnuSensorItem_Click(int Index);
    void mnuMeasureItem_Click(int Index);
    void mnuDatalogItem_Click(int Index);
    void mnuHelpItem_Click(int Index);

    // Instrument operations.
    void GetInstrumentType() { m_operations.GetInstrumentType(); }
    void GetInstrumentName() { m_operations.GetInstrumentName(); }
    bool InstrumentSupported() { return m_operations.InstrumentSupported(); }
    qint32 InstrumentFlavor() { return m_operations.InstrumentFlavor(); }
    qint16 DatalogCount() { return m_operations.DatalogCount(); }
    double StdzTimestamp() { return m_operations.StdzTimestamp(); }
    void SetDateAndTime() { m_operations.SetDateAndTime(); }
    void ClearDatalog() { m_operations.ClearDatalog(); }
    void ReadBlack() { m_operations.ReadBlack(); }
    void ReadWhite() { m_operations.ReadWhite(); }
    InstrumentOperations &operations() { return m_operations; }

    // Reads one measurement, shows it and logs it.
    void Measure();
    void LogMeasurement();
    void ClearMeasurements();
    bool GetDatalogRecord(qint16 aRecordNumber);
    bool IsDatalogEmpty();
    void Standardize();

    // The launchers: ask for a file and run a bulk transfer in the progress window.
    void ArchiveSetups();
    void RestoreSetups();
    void CaptureDatalog();
    void ConvertDatalogFile();
    frmCapture &progressWindow();

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

    SensorControl qvSensor;
    bool SampleIDPrompt = false;

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
    void buildMenus();
    void LoadPreferences();
    void LoadDelimiterSetting();
    void SaveDelimiterSetting();
    void showPreferences();
    void chooseLogFile(bool newFile);
    void showLogCaption();
    void askSampleID();
    QString askTransferFile(const QString &title, FileDialogRequest::Kind kind);
    template <typename Transfer> void runTransfer(Transfer &&transfer);

    InstrumentOperations m_operations{qvSensor};
    modGlobals::DelimiterSettings m_delimiterSettings;
    ReflectanceView *m_display = nullptr;
    // Where the log file name is kept apart from the transfer files: see MeasurementLog.
    MeasurementLog m_log;
    frmCapture *m_capture = nullptr;
};
