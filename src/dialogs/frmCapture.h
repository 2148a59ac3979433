#pragma once

#include "link/InstrumentSession.h"
#include "policy/Prompter.h"
#include "store/HistoryTarget.h"
#include "transfer/BulkTransfers.h"
#include "transfer/TransferProgress.h"
#include "ui_frmCapture.h" // generated from frmCapture.ui

#include <QWidget>

#include <functional>

class SensorControl;

namespace quvane {
class HistorySink;
}

// The progress window in which the four bulk transfers run. It is not modal: it yields to the
// event loop once per item, which is when a press of Cancel is seen. It turns each transfer's
// outcome into the utility's messages.
class frmCapture : public QWidget, public quvane::TransferProgress
{
    Q_OBJECT

public:
    // datalogCount is the main window's trapped DatalogCount; the files' numbers and dates are
    // written in textFormat.
    frmCapture(quvane::Prompter &prompter, SensorControl &sensor,
               std::function<qint16()> datalogCount, quvane::InstrumentIdentity identity,
               quvane::TextFormat textFormat = quvane::TextFormat(), QWidget *parent = nullptr);

    // The field separator of the files the transfers write, set by the caller before each.
    QString Delimiter = QStringLiteral("\t");
    // The history a capture and a conversion also store their records in, set likewise.
    quvane::HistoryTarget history;

    quvane::TransferResult UploadSetups(const QString &sFileName);
    quvane::TransferResult DownloadSetups(const QString &sFileName);
    quvane::TransferResult UploadDatalog(const QString &sFileName);
    quvane::TransferResult ConvertDatalog(const QString &sSource, const QString &sFileName);

    bool isRunning() const { return m_running; }
    // Asks the running transfer to stop after the item in hand, as Cancel does.
    void requestCancel() { m_cancel = true; }

    Ui::frmCapture ui;

    // TransferProgress
    void start(const QString &caption, int maximum) override;
    void setMessage(const QString &text) override;
    void setValue(int value) override;
    void yield() override;
    bool cancelRequested() const override { return m_cancel; }
    void finish() override;

protected:
    // Closing the window while a transfer runs is taken as Cancel.
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Hides the window when the operation's scope ends, however it ends.
    struct Unload
    {
        explicit Unload(frmCapture &window) : m_window(window) {}
        ~Unload() { m_window.unload(); }
        frmCapture &m_window;
    };
    void unload();
    void cmdCancel_Click() { m_cancel = true; }
    // The delimiter and text format of the files; transfers() adds the link and Retry.
    quvane::TransferSettings fileSettings() const;
    quvane::BulkTransfers transfers();
    // Shows the message an outcome calls for and returns its result.
    quvane::TransferResult report(const quvane::TransferOutcome &outcome);
    // After a capture or a conversion: what the history could not take, and why (error is that
    // of opening it when the sink never ran).
    void reportHistory(const quvane::HistorySink *sink, const QString &error, const QString &file,
                       int records);

    quvane::Prompter &m_prompter;
    SensorControl &m_sensor;
    std::function<qint16()> m_datalogCount;
    quvane::InstrumentIdentity m_identity;
    quvane::TextFormat m_textFormat;
    bool m_cancel = false;
    bool m_running = false;
};
