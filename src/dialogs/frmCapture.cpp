#include "dialogs/frmCapture.h"

#include "dialogs/FormHelpers.h"
#include "link/QuvaneError.h"
#include "link/modGlobals.h"
#include "policy/OffThread.h"
#include "policy/Prompter.h"
#include "policy/ReportError.h"
#include "policy/TransferMessages.h"
#include "store/HistoryError.h"
#include "store/HistorySink.h"
#include "store/SetupVerdicts.h"
#include "transfer/OutputFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>

using namespace quvane;

frmCapture::frmCapture(Prompter &prompter, SensorControl &sensor,
                       std::function<qint16()> datalogCount, InstrumentIdentity identity,
                       TextFormat textFormat, QWidget *parent)
    // A dialog-type window, so that a window manager keeps it over the main window (its
    // transient) and gives the activation back to the main window when it goes.
    : QWidget(parent, Qt::Dialog), m_prompter(prompter), m_sensor(sensor),
      m_datalogCount(std::move(datalogCount)), m_identity(std::move(identity)),
      m_textFormat(std::move(textFormat))
{
    ui.setupUi(this);
    SetFormIcon(*this, m_identity.type);
    resize(width(), sizeHint().height());
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmCapture::cmdCancel_Click);
}

TransferSettings frmCapture::fileSettings() const
{
    TransferSettings settings;
    settings.delimiter = Delimiter.toLatin1();
    settings.text = m_textFormat;
    return settings;
}

BulkTransfers frmCapture::transfers()
{
    TransferSettings settings = fileSettings();
    settings.sensor = &m_sensor;
    settings.retryAfterTimeout = [this](const QuvaneError &error) {
        return AskRetry(m_prompter, error);
    };
    return BulkTransfers(std::move(settings), *this);
}

TransferResult frmCapture::report(const TransferOutcome &outcome)
{
    // The message comes while the window still shows the operation; each public operation
    // unloads the window after its last message.
    const TransferMessage message = describe(outcome);
    if (outcome.result == TransferResult::Failed)
        m_prompter.MsgBox(message.box(), MsgButtons::OK, MsgIcon::Critical, m_identity.mainTitle());
    else if (outcome.result == TransferResult::Refused && !message.failure.isEmpty())
        m_prompter.MsgBox(message.box(), MsgButtons::OK, MsgIcon::Exclamation,
                          m_identity.mainTitle());
    else if (outcome.result == TransferResult::Cancelled && !message.kept.isEmpty())
        m_prompter.MsgBox(message.box(), MsgButtons::OK, MsgIcon::Information,
                          m_identity.mainTitle());
    return outcome.result;
}

TransferResult frmCapture::UploadSetups(const QString &sFileName)
{
    const Unload unload(*this);
    return report(transfers().UploadSetups(sFileName));
}

TransferResult frmCapture::DownloadSetups(const QString &sFileName)
{
    const Unload unload(*this);
    return report(transfers().DownloadSetups(sFileName));
}

TransferResult frmCapture::UploadDatalog(const QString &sFileName)
{
    const Unload unload(*this);
    // A file that cannot be written is said before anything is asked of the instrument.
    try {
        OutputFile::check(sFileName);
    } catch (const QuvaneError &error) {
        m_prompter.MsgBox(error.description(), MsgButtons::OK, MsgIcon::Critical,
                          m_identity.mainTitle());
        return TransferResult::Refused;
    }
    const qint16 count = m_datalogCount();
    if (count <= 0) {
        m_prompter.MsgBox(QCoreApplication::translate("Quvane", "Datalog is empty"), MsgButtons::OK,
                          MsgIcon::Exclamation, m_identity.mainTitle());
        return TransferResult::Refused;
    }
    // The history is opened before the capture: a record goes to it once the file has it.
    std::optional<HistoryStore> store;
    std::unique_ptr<HistorySink> sink;
    QString error;
    if (history.location) {
        try {
            store.emplace(*history.location, history.station);
            store->noteInstrument(m_sensor.SerialNumber(), m_sensor.InstrumentName(),
                                  m_sensor.FirmwareVersion());
            sink = std::make_unique<HistorySink>(*store, MeasurementSource::Capture,
                                                 m_sensor.SerialNumber());
        } catch (const HistoryError &e) {
            error = e.message();
        }
    }
    SetupVerdicts judged;
    const TransferOutcome outcome = transfers().UploadDatalog(
        count, DatalogFile{sFileName},
        sink ? QList<DatalogSink *>{sink.get(), &judged} : QList<DatalogSink *>{});
    // The records stored, judged against their set-ups once the datalog is in.
    if (sink && sink->error().isEmpty() && outcome.result == TransferResult::Completed) {
        try {
            judged.judge(m_sensor, *store, m_sensor.SerialNumber());
        } catch (const HistoryError &e) {
            error = e.message();
        }
    }
    const TransferResult result = report(outcome);
    reportHistory(sink.get(), error, sFileName, outcome.records);
    return result;
}

void frmCapture::reportHistory(const HistorySink *sink, const QString &error, const QString &file,
                               int records)
{
    if (!history.location)
        return;
    const int notStored = sink ? sink->notStored() : records;
    const QString reason = sink ? sink->error() : error;
    if (reason.isEmpty() || notStored == 0)
        return;
    const QString what = notStored == 1
                             ? QCoreApplication::translate("Quvane", "1 record of %1 was")
                             : QCoreApplication::translate("Quvane", "%1 records of %2 were")
                                   .arg(notStored)
                                   .arg(QStringLiteral("%1"));
    m_prompter.MsgBox(QCoreApplication::translate("Quvane",
                                                  "%1 not stored in the history.\n\n%2\n\nThe "
                                                  "file holds them: \"quvane history import\" "
                                                  "adds them to the history later.")
                          .arg(what.arg(QDir::toNativeSeparators(file)), reason),
                      MsgButtons::OK, MsgIcon::Exclamation, m_identity.mainTitle());
}

TransferResult frmCapture::ConvertDatalog(const QString &sSource, const QString &sFileName)
{
    const Unload unload(*this);
    // The conversion never talks to the instrument: it runs on a worker thread, and the window
    // shows its progress and stays live meanwhile.
    // The history's connection belongs to the thread that opens it: the worker's own.
    const TransferSettings settings = fileSettings();
    const HistoryTarget target = history;
    std::unique_ptr<HistorySink> sink;
    std::unique_ptr<HistoryStore> store;
    QString error;
    const TransferOutcome outcome =
        runOffThread<TransferOutcome>(*this, [&](TransferProgress &progress) {
            if (target.location) {
                try {
                    store = std::make_unique<HistoryStore>(*target.location, target.station);
                    sink = std::make_unique<HistorySink>(*store, MeasurementSource::Conversion);
                } catch (const HistoryError &e) {
                    error = e.message();
                }
            }
            TransferOutcome converted = BulkTransfers(settings, progress)
                                            .ConvertDatalog(sSource, DatalogFile{sFileName},
                                                            sink ? QList<DatalogSink *>{sink.get()}
                                                                 : QList<DatalogSink *>{});
            // Closed on the thread that opened it.
            store.reset();
            return converted;
        });
    const TransferResult result = report(outcome);
    reportHistory(sink.get(), error, sFileName, outcome.records);
    if (result == TransferResult::Completed)
        m_prompter.MsgBox(QCoreApplication::translate("Quvane", "Conversion completed"),
                          MsgButtons::OK, MsgIcon::Information, m_identity.mainTitle());
    return result;
}

void frmCapture::start(const QString &caption, int maximum)
{
    setWindowTitle(caption);
    ui.sbMessage->clearMessage();
    ui.barCompleted->setRange(0, std::max(maximum, 1));
    ui.barCompleted->setValue(0);
    m_cancel = false;
    m_running = true;
    show();
    raise();
    // The operator's keys come here: Esc (or Enter, Space) is Cancel.
    activateWindow();
    ui.cmdCancel->setFocus();
}

void frmCapture::setMessage(const QString &text)
{
    ui.sbMessage->showMessage(text);
}

void frmCapture::setValue(int value)
{
    ui.barCompleted->setValue(value);
}

void frmCapture::yield()
{
    QCoreApplication::processEvents();
}

void frmCapture::finish()
{
    // Unloaded by the public operation once its message, if any, has been shown.
    m_running = false;
}

void frmCapture::unload()
{
    hide();
    setWindowTitle(QString());
}

void frmCapture::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A window that goes before the window manager has activated it (a restore refused at its
    // first line) can be activated after it went; the main window, which the window manager
    // has already given the keys back to, then hears no F1, F2 or Alt until the operator
    // clicks elsewhere and back. It takes the activation at once.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isVisible() &&
        parentWidget())
        QApplication::setActiveWindow(parentWidget());
}

void frmCapture::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    QWidget::keyPressEvent(event);
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
