#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

namespace quvane {

ScriptedPrompter::ScriptedPrompter() = default;
ScriptedPrompter::~ScriptedPrompter() = default;

void ScriptedPrompter::EndProgram(int exitCode)
{
    throw ProgramEnded{exitCode};
}

MsgAnswer ScriptedPrompter::messageBox(const MessageBoxRequest &request)
{
    messages.push_back(request);
    pointersAtMessages.push_back(GetMousePointer());
    QStringList shown;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            shown << window->windowTitle();
    }
    windowsAtMessages.push_back(shown);
    if (m_answers.empty())
        throw std::runtime_error("unexpected message box: " + request.text.toStdString());
    const MsgAnswer answer = m_answers.front();
    m_answers.pop_front();
    if (activateLikeAWindowManager) {
        QWidget *owner = QApplication::activeWindow();
        QWidget box(owner, Qt::Dialog);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        QApplication::setActiveWindow(&box);
        QCoreApplication::processEvents();
        box.hide();
        if (owner)
            QApplication::setActiveWindow(owner);
        QCoreApplication::processEvents();
    }
    return answer;
}

QString ScriptedPrompter::fileDialog(const FileDialogRequest &request)
{
    fileDialogs.push_back(request);
    if (m_files.empty())
        throw std::runtime_error("unexpected file dialog: " + request.title.toStdString());
    const QString file = m_files.front();
    m_files.pop_front();
    return file;
}

int ScriptedPrompter::showModal(QDialog &dialog)
{
    dialogTitles.push_back(dialog.windowTitle());
    if (m_dialogs.empty())
        throw std::runtime_error("unexpected dialog: " + dialog.windowTitle().toStdString());
    const DialogScript script = m_dialogs.front();
    m_dialogs.pop_front();
    dialog.show(); // activation happens here, as when the dialog opens for the user
    script(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

ScriptedPrompter &ScriptedPrompter::answer(MsgAnswer answer)
{
    m_answers.push_back(answer);
    return *this;
}

ScriptedPrompter &ScriptedPrompter::chooseFile(const QString &fileName)
{
    m_files.push_back(fileName);
    return *this;
}

ScriptedPrompter &ScriptedPrompter::onDialog(DialogScript script)
{
    m_dialogs.push_back(std::move(script));
    return *this;
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}

const MessageBoxRequest &ScriptedPrompter::message(size_t n) const
{
    static const MessageBoxRequest none{QStringLiteral("<no message box>"), {}, {}, {}};
    if (n < messages.size())
        return messages[n];
    ADD_FAILURE() << "message box " << n << " was asked for, but " << messages.size()
                  << " were shown";
    return none;
}

QString ScriptedPrompter::lastText() const
{
    return messages.empty() ? QStringLiteral("<no message box>") : messages.back().text;
}

} // namespace quvane
