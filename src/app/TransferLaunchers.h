#pragma once

#include "app/UtilitySession.h"
#include "policy/Prompter.h"
#include "store/HistoryTarget.h"
#include "transfer/RemovableDrives.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;
class frmCapture;

namespace quvane {

// The main window's four launchers: each asks for a file (the conversion first looks for the
// USB drive) and runs its bulk transfer in the progress window. While a transfer runs the window
// takes no input: the progress window yields to the event loop, and no second exchange may start
// in the middle of the transfer's.
class TransferLaunchers
{
public:
    TransferLaunchers(UtilitySession &session, QWidget &window);
    ~TransferLaunchers();

    void ArchiveSetups();
    void RestoreSetups();
    void CaptureDatalog();
    void ConvertDatalogFile();

    frmCapture &progressWindow();
    bool running() const { return m_running; }
    // Stops the running transfer as Cancel does and closes the window once it has ended.
    void closeAfterTransfer();

    // The delimiter of the files the transfers write.
    QString Delimiter = QStringLiteral("\t");
    // The history the capture and the conversion store their records in.
    HistoryTarget History;
    // The roots of the removable drives the conversion looks through; tests replace it.
    std::function<QStringList()> RemovableDriveRoots = [] { return RemovableDrives::roots(); };

private:
    QString askTransferFile(const QString &title, FileDialogRequest::Kind kind);
    void setTransferRunning(bool running);
    template <typename Transfer> void runTransfer(Transfer &&transfer);

    UtilitySession &m_session;
    QWidget &m_window;
    std::unique_ptr<frmCapture> m_capture;
    bool m_running = false;
    bool m_closeAfterTransfer = false;
};

} // namespace quvane
