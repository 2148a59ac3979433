#include "dialogs/frmBitmap.h"

#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "records/ScreenBitmap.h"
#include "transfer/OutputFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryFile>
#include <QTimer>

using namespace quvane;

frmBitmap::frmBitmap(Prompter &prompter, SensorControl &sensor, InstrumentIdentity identity,
                     QWidget *parent)
    : QvDialog(QString(), std::move(identity), parent), BitmapBits(ScreenBitmap::BitsSize, '\0'),
      m_prompter(prompter), m_sensor(sensor)
{
    ui.setupUi(this);
    connect(ui.cmdSave, &QPushButton::clicked, this, &frmBitmap::cmdSave_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmBitmap::cmdCancel_Click);
    Form_Load();
}

frmBitmap::~frmBitmap()
{
    Form_Unload();
}

void frmBitmap::Form_Load()
{
    QvDialog::Form_Load();
    CaptureScreen();
}

void frmBitmap::CaptureScreen()
{
    busyTrapped(m_prompter, [this] {
        BitmapHeader = ScreenBitmap::header();
        BitmapBits = ScreenBitmap::readBits(m_sensor);
    });
}

void frmBitmap::DisplayScreen()
{
    sTempPath = QDir::tempPath();
    // A new, uniquely named file with the prefix "BMP", kept until the window unloads.
    QTemporaryFile file(QDir(sTempPath).filePath(QStringLiteral("BMPXXXXXX.bmp")));
    file.setAutoRemove(false);
    const QByteArray bitmap = BitmapHeader + BitmapBits;
    if (sTempPath.isEmpty() || !file.open() || file.write(bitmap) != bitmap.size() ||
        !file.flush()) {
        if (!file.fileName().isEmpty())
            QFile::remove(file.fileName());
        m_prompter.MsgBox(QCoreApplication::translate("Quvane", "Error Creating Temporary File"),
                          MsgButtons::OK, MsgIcon::Critical, mainTitle());
        // Closed once the dialog is running, as the window closes itself.
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    sTempFile = file.fileName();
    file.close();
    QPixmap picture(sTempFile);
    ui.imgScreen->setPixmap(picture.scaled(ui.imgScreen->minimumSize(), Qt::KeepAspectRatio));
}

void frmBitmap::cmdSave_Click()
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = QCoreApplication::translate("Quvane", "Save As");
    request.filter = QCoreApplication::translate("Quvane", "Bitmap Files (*.bmp)|*.bmp");
    request.hideReadOnly = true;
    request.overwritePrompt = true;
    const QString target = m_prompter.fileDialog(request);
    if (!target.isEmpty()) {
        // Written beside the target and moved over it: a failure leaves an old file whole.
        try {
            QFile source(sTempFile);
            if (!source.open(QIODevice::ReadOnly))
                throw QuvaneError(
                    ErrorNumber::FileError,
                    QStringLiteral("Cannot read %1: %2")
                        .arg(QDir::toNativeSeparators(sTempFile), source.errorString()));
            OutputFile copy(target);
            copy.write(source.readAll());
            copy.commit();
        } catch (const QuvaneError &error) {
            m_prompter.MsgBox(error.description(), MsgButtons::OK, MsgIcon::Critical, mainTitle());
        }
    }
    accept();
}

void frmBitmap::done(int result)
{
    Form_Unload();
    QvDialog::done(result);
}

void frmBitmap::Form_Unload()
{
    if (!sTempFile.isEmpty()) {
        QFile::remove(sTempFile);
        sTempFile.clear();
    }
}
