#pragma once

#include "policy/Prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace quvane {

// Thrown by the test ending of the program, so a test can see that the program would end.
struct ProgramEnded
{
    int exitCode;
};

// A prompter that answers from queues filled by the test and records every prompt it was
// given. A prompt with no queued answer fails the test by throwing.
class ScriptedPrompter : public Prompter
{
public:
    using DialogScript = std::function<void(QDialog &)>;

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    MsgAnswer messageBox(const MessageBoxRequest &request) override;
    QString fileDialog(const FileDialogRequest &request) override;
    int showModal(QDialog &dialog) override;
    // Throws ProgramEnded.
    [[noreturn]] void EndProgram(int exitCode = 1) override;

    ScriptedPrompter &answer(MsgAnswer answer);
    ScriptedPrompter &chooseFile(const QString &fileName);
    ScriptedPrompter &onDialog(DialogScript script);

    // The texts of the message boxes shown so far.
    QStringList texts() const;
    // Message box number n (from 0), or a blank one that fails the test when fewer were shown.
    const MessageBoxRequest &message(size_t n) const;
    // The text of the last message box, or a text that fails the comparison when none was shown.
    QString lastText() const;

    // As a window manager does: each message box takes the activation from the window that was
    // active, and gives it back when it closes.
    bool activateLikeAWindowManager = false;

    std::vector<MessageBoxRequest> messages;
    std::vector<int> pointersAtMessages;        // the mouse pointer while each box was up
    std::vector<QStringList> windowsAtMessages; // the titles of the windows shown meanwhile
    std::vector<FileDialogRequest> fileDialogs;
    std::vector<QString> dialogTitles;

private:
    std::deque<MsgAnswer> m_answers;
    std::deque<QString> m_files;
    std::deque<DialogScript> m_dialogs;
};

} // namespace quvane
