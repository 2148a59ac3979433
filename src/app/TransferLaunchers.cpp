#include "app/TransferLaunchers.h"

#include "dialogs/frmCapture.h"

#include <QAction>
#include <QCoreApplication>
#include <QWidget>

namespace quvane {

TransferLaunchers::TransferLaunchers(UtilitySession &session, QWidget &window)
    : m_session(session), m_window(window)
{}

TransferLaunchers::~TransferLaunchers() = default;

void TransferLaunchers::closeAfterTransfer()
{
    m_closeAfterTransfer = true;
    m_capture->requestCancel();
}

frmCapture &TransferLaunchers::progressWindow()
{
    // A window of its own over the main window (its transient), which stays usable while the
    // main window's menus and display take no input.
    if (!m_capture)
        m_capture = std::make_unique<frmCapture>(
            m_session.prompter(), m_session.sensor(), [this] { return m_session.DatalogCount(); },
            m_session.identity(), m_session.textFormat(), &m_window);
    m_capture->Delimiter = Delimiter;
    m_capture->history = History;
    return *m_capture;
}

QString TransferLaunchers::askTransferFile(const QString &title, FileDialogRequest::Kind kind)
{
    FileDialogRequest request;
    request.kind = kind;
    request.title = title;
    request.filter = QCoreApplication::translate("Quvane", "All Files|*.*");
    request.filterIndex = 1;
    request.fileName.clear();
    request.hideReadOnly = true;
    request.overwritePrompt = kind == FileDialogRequest::Kind::Save;
    request.fileMustExist = kind == FileDialogRequest::Kind::Open;
    return m_session.prompter().fileDialog(request);
}

void TransferLaunchers::setTransferRunning(bool running)
{
    m_running = running;
    // The main window takes no input; the progress window, a window of its own over it,
    // keeps its Cancel.
    for (QWidget *child : m_window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            child->setEnabled(!running);
    }
    for (QAction *action : m_window.findChildren<QAction *>())
        action->setEnabled(!running);
}

// The main window takes no input while a transfer runs: the progress window yields to the event
// loop, and no second exchange may start in the middle of the transfer's.
template <typename Transfer> void TransferLaunchers::runTransfer(Transfer &&transfer)
{
    setTransferRunning(true);
    try {
        transfer(progressWindow());
    } catch (...) {
        setTransferRunning(false);
        throw;
    }
    setTransferRunning(false);
    if (m_closeAfterTransfer)
        m_window.close();
}

void TransferLaunchers::ArchiveSetups()
{
    const QString file =
        askTransferFile(QCoreApplication::translate("Quvane", "Archive Product Setups"),
                        FileDialogRequest::Kind::Save);
    if (!file.isEmpty())
        runTransfer([&file](frmCapture &capture) { capture.UploadSetups(file); });
}

void TransferLaunchers::RestoreSetups()
{
    const QString file =
        askTransferFile(QCoreApplication::translate("Quvane", "Restore Product Setups"),
                        FileDialogRequest::Kind::Open);
    if (!file.isEmpty())
        runTransfer([&file](frmCapture &capture) { capture.DownloadSetups(file); });
}

void TransferLaunchers::CaptureDatalog()
{
    const QString file = askTransferFile(QCoreApplication::translate("Quvane", "Capture Datalog"),
                                         FileDialogRequest::Kind::Save);
    if (!file.isEmpty())
        runTransfer([&file](frmCapture &capture) { capture.UploadDatalog(file); });
}

void TransferLaunchers::ConvertDatalogFile()
{
    QString source;
    for (;;) {
        source = RemovableDrives::findFile(RemovableDriveRoots(), QStringLiteral("DATALOG.QV3"));
        if (!source.isEmpty())
            break;
        if (m_session.prompter().MsgBox(
                QCoreApplication::translate(
                    "Quvane", "Please connect the USB thumb drive containing the datalog file"),
                MsgButtons::OKCancel, MsgIcon::Information,
                m_session.identity().mainTitle()) == MsgAnswer::Cancel)
            return;
    }
    const QString file =
        askTransferFile(QCoreApplication::translate("Quvane", "Convert Datalog File - Save As"),
                        FileDialogRequest::Kind::Save);
    if (!file.isEmpty())
        runTransfer([&](frmCapture &capture) { capture.ConvertDatalog(source, file); });
}

} // namespace quvane
