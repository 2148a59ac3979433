#pragma once

#include <QString>

class QDialog;

namespace quvane {

// Every message box, file dialog and modal dialog of the program goes through the one Prompter,
// so that each dialogue can be answered by a script in tests and by the user in production.

enum class MsgIcon
{
    None,
    Critical,
    Question,
    Exclamation,
    Information
};
enum class MsgButtons
{
    OK,
    OKCancel,
    AbortRetryIgnore,
    YesNoCancel,
    YesNo,
    RetryCancel
};
enum class MsgAnswer
{
    OK,
    Cancel,
    Abort,
    Retry,
    Ignore,
    Yes,
    No
};

struct MessageBoxRequest
{
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
};

struct FileDialogRequest
{
    enum class Kind
    {
        Open,
        Save
    };
    Kind kind = Kind::Open;
    QString title;
    // Pairs of description and pattern joined by '|': "Text Files (*.txt)|*.txt|All Files|*.*".
    QString filter;
    int filterIndex = 1; // counted from 1
    QString fileName;
    bool hideReadOnly = false;
    bool overwritePrompt = false;
    bool fileMustExist = false;
};

class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual MsgAnswer messageBox(const MessageBoxRequest &request) = 0;
    // The chosen file's full path, or an empty text when the dialog was cancelled.
    virtual QString fileDialog(const FileDialogRequest &request) = 0;
    // Shows the dialog modally and returns its result code.
    virtual int showModal(QDialog &dialog) = 0;
};

// The program's prompter; set once at start-up (and by each test).
Prompter &prompter();
void setPrompter(Prompter *prompter);

MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title);

} // namespace quvane
