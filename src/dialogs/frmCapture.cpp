#include "frmCapture.h"

#include "FormHelpers.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

frmCapture::frmCapture(InstrumentOperations &operations, QWidget *parent)
    : QWidget(parent, Qt::Window), sbMessage(new QStatusBar(this)),
      barCompleted(new QProgressBar(this)), cmdCancel(new QPushButton(tr("Cancel"), this)),
      m_transfers(operations, *this)
{
    setWindowTitle(QString());
    modGlobals::SetFormIcon(*this);
    cmdCancel->setToolTip(tr("Exit"));
    barCompleted->setTextVisible(false);
    sbMessage->setSizeGripEnabled(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(barCompleted, 0, 0);
    layout->addWidget(cmdCancel, 0, 1);
    layout->addWidget(sbMessage, 1, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    resize(380, sizeHint().height());

    connect(cmdCancel, &QPushButton::clicked, this, &frmCapture::cmdCancel_Click);
}

TransferResult frmCapture::UploadSetups(const QString &sFileName)
{
    return m_transfers.UploadSetups(sFileName);
}

TransferResult frmCapture::DownloadSetups(const QString &sFileName)
{
    return m_transfers.DownloadSetups(sFileName);
}

TransferResult frmCapture::UploadDatalog(const QString &sFileName)
{
    return m_transfers.UploadDatalog(sFileName);
}

TransferResult frmCapture::ConvertDatalog(const QString &sSource, const QString &sFileName)
{
    return m_transfers.ConvertDatalog(sSource, sFileName);
}

void frmCapture::start(const QString &caption, int maximum)
{
    setWindowTitle(caption);
    sbMessage->clearMessage();
    barCompleted->setRange(0, std::max(maximum, 1));
    barCompleted->setValue(0);
    m_cancel = false;
    m_running = true;
    show();
    raise();
}

void frmCapture::setMessage(const QString &text)
{
    sbMessage->showMessage(text);
}

void frmCapture::setValue(int value)
{
    barCompleted->setValue(value);
}

void frmCapture::yield()
{
    QCoreApplication::processEvents();
}

void frmCapture::finish()
{
    m_running = false;
    hide();
    setWindowTitle(QString());
}

void frmCapture::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        m_cancel = true;
        event->ignore();
        return;
    }
    event->accept();
}
