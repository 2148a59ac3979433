#pragma once

#include "dialogs/QvDialog.h"
#include "policy/Prompter.h"
#include "ui_frmBitmap.h" // generated from frmBitmap.ui

class SensorControl;

// The screen capture: a picture of the instrument's display, which can be saved as a bitmap
// file. The picture goes through a temporary file, which is gone however the window closes.
class frmBitmap : public quvane::QvDialog
{
    Q_OBJECT

public:
    frmBitmap(quvane::Prompter &prompter, SensorControl &sensor,
              quvane::InstrumentIdentity identity, QWidget *parent = nullptr);
    ~frmBitmap() override;

    Ui::frmBitmap ui;
    QString sTempPath;
    QString sTempFile;
    QByteArray BitmapHeader;
    QByteArray BitmapBits;

    void done(int result) override;

private:
    void Form_Load();
    void Form_Activate() override { DisplayScreen(); }
    void Form_Unload();
    void CaptureScreen();
    void DisplayScreen();
    void cmdSave_Click();
    void cmdCancel_Click() { reject(); }

    quvane::Prompter &m_prompter;
    SensorControl &m_sensor;
};
