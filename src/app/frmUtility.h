#pragma once

#include "InstrumentOperations.h"
#include "SensorControl.h"
#include "modGlobals.h"

#include <QList>
#include <QMainWindow>

#include <array>

class QAction;
class QChartView;
class QMenu;
class QTableWidget;

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

    InstrumentOperations m_operations{qvSensor};
    modGlobals::DelimiterSettings m_delimiterSettings;
};
