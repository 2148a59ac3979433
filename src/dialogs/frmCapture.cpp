#include "dialogs/frmCapture.h"

#include "dialogs/FormHelpers.h"
#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "transfer/OutputFile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

using namespace quvane;

frmCapture::frmCapture(SensorControl &sensor, std::function<qint16()> datalogCount,
                       InstrumentIdentity identity, QWidget *parent)
    : QWidget(parent, Qt::Window), sbMessage(new QStatusBar(this)),
      barCompleted(new QProgressBar(this)), cmdCancel(new QPushButton(tr("Cancel"), this)),
      m_sensor(sensor), m_datalogCount(std::move(datalogCount)), m_identity(std::move(identity))
{
    setWindowTitle(QString());
    SetFormIcon(*this, m_identity.type);
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

BulkTransfers frmCapture::transfers()
{
    TransferSettings settings;
    settings.sensor = &m_sensor;
    settings.delimiter = Delimiter.toLatin1();
    settings.retryAfterTimeout = [](const QuvaneError &error) { return AskRetry(error); };
    return BulkTransfers(std::move(settings), *this);
}

TransferResult frmCapture::report(const TransferOutcome &outcome)
{
    if (outcome.result == TransferResult::Failed)
        MsgBox(outcome.message(), MsgButtons::OK, MsgIcon::Critical, m_identity.mainTitle());
    else if (outcome.result == TransferResult::Refused && !outcome.failure.isEmpty())
        MsgBox(outcome.message(), MsgButtons::OK, MsgIcon::Exclamation, m_identity.mainTitle());
    else if (outcome.result == TransferResult::Cancelled && !outcome.kept.isEmpty())
        MsgBox(outcome.message(), MsgButtons::OK, MsgIcon::Information, m_identity.mainTitle());
    return outcome.result;
}

TransferResult frmCapture::UploadSetups(const QString &sFileName)
{
    return report(transfers().UploadSetups(sFileName));
}

TransferResult frmCapture::DownloadSetups(const QString &sFileName)
{
    return report(transfers().DownloadSetups(sFileName));
}

TransferResult frmCapture::UploadDatalog(const QString &sFileName)
{
    // A file that cannot be written is said before anything is asked of the instrument.
    try {
        OutputFile::check(sFileName);
    } catch (const QuvaneError &error) {
        MsgBox(error.description(), MsgButtons::OK, MsgIcon::Critical, m_identity.mainTitle());
        return TransferResult::Refused;
    }
    const qint16 count = m_datalogCount();
    if (count <= 0) {
        MsgBox(QStringLiteral("Datalog is empty"), MsgButtons::OK, MsgIcon::Exclamation,
               m_identity.mainTitle());
        return TransferResult::Refused;
    }
    return report(transfers().UploadDatalog(count, sFileName));
}

TransferResult frmCapture::ConvertDatalog(const QString &sSource, const QString &sFileName)
{
    const TransferResult result = report(transfers().ConvertDatalog(sSource, sFileName));
    if (result == TransferResult::Completed)
        MsgBox(QStringLiteral("Conversion completed"), MsgButtons::OK, MsgIcon::Information,
               m_identity.mainTitle());
    return result;
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
