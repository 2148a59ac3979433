#pragma once

#include "BulkTransfers.h"
#include "TransferProgress.h"

#include <QWidget>

class InstrumentOperations;
class QProgressBar;
class QPushButton;
class QStatusBar;

// The progress window in which the four bulk transfers run. It is not modal: it yields to the
// event loop once per item, which is when a press of Cancel is seen.
class frmCapture : public QWidget, public TransferProgress
{
    Q_OBJECT

public:
    explicit frmCapture(InstrumentOperations &operations, QWidget *parent = nullptr);

    TransferResult UploadSetups(const QString &sFileName);
    TransferResult DownloadSetups(const QString &sFileName);
    TransferResult UploadDatalog(const QString &sFileName);
    TransferResult ConvertDatalog(const QString &sSource, const QString &sFileName);

    QStatusBar *sbMessage;
    QProgressBar *barCompleted;
    QPushButton *cmdCancel;

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

private:
    void cmdCancel_Click() { m_cancel = true; }

    BulkTransfers m_transfers;
    bool m_cancel = false;
    bool m_running = false;
};
