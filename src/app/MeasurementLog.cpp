#include "app/MeasurementLog.h"

#include "link/QuvaneError.h"
#include "policy/Prompter.h"
#include "transfer/OutputFile.h"
#include "transfer/TextFormat.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

namespace quvane {

void MeasurementLog::write(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    if (m_fileName.isEmpty())
        return;
    OutputFile::append(m_fileName, TextFormat::latin1(text) + "\r\n");
}

void MeasurementLog::choose(bool newFile, const DelimiterSettings &delimiter,
                            const QString &caption)
{
    const QString previous = m_fileName;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    if (delimiter.CustomDelimiter)
        request.filter = QCoreApplication::translate("Quvane", "All Files (*.*)|*.*");
    else if (delimiter.TabDelimiter)
        request.filter =
            QCoreApplication::translate("Quvane", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
    else
        request.filter =
            QCoreApplication::translate("Quvane", "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*");
    request.filterIndex = 1;
    request.hideReadOnly = true;
    request.title = newFile ? QStringLiteral("New") : QStringLiteral("Open");
    request.fileMustExist = !newFile;
    request.fileName = newFile ? QString() : previous;

    QString name = m_prompter.fileDialog(request);
    for (;;) {
        if (name.isEmpty()) {
            name = previous;
            break;
        }
        if (!newFile || !QFile::exists(name))
            break;
        const MsgAnswer answer = m_prompter.MsgBox(
            name + QStringLiteral(" already exists.\n\nPress Yes to overwrite the file\n"
                                  "Press No to append to the file\nPress Cancel to select "
                                  "another filename"),
            MsgButtons::YesNoCancel, MsgIcon::Question, caption);
        if (answer == MsgAnswer::Yes) {
            OutputFile emptied(name); // the old log stays whole until the empty one replaces it
            emptied.commit();
            break;
        }
        if (answer == MsgAnswer::No)
            break;
        request.fileName.clear();
        name = m_prompter.fileDialog(request);
    }
    m_fileName = name;
}

} // namespace quvane
