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

// The screen's mouse pointer, as the busy cursor of instrument operations sets it.
namespace MousePointer {
constexpr int Default = 0;
constexpr int Hourglass = 11;
} // namespace MousePointer

// How the utility deals with its operator: each main() (and each test) makes one and hands it to
// the windows it opens. Besides the dialogues, it keeps the mouse pointer and ends the program.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual MsgAnswer messageBox(const MessageBoxRequest &request) = 0;
    // The chosen file's full path, or an empty text when the dialog was cancelled.
    virtual QString fileDialog(const FileDialogRequest &request) = 0;
    // Shows the dialog modally and returns its result code.
    virtual int showModal(QDialog &dialog) = 0;

    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title);

    void SetMousePointer(int pointer);
    int GetMousePointer() const { return m_pointer; }

    // Ends the program at once: no window is unloaded and the link is not closed. A test's
    // prompter throws instead, so that the test can observe it; it never returns.
    [[noreturn]] virtual void EndProgram(int exitCode = 1);

protected:
    // Shows the pointer the program asked for, when it changes.
    virtual void showMousePointer(int pointer) { (void)pointer; }

private:
    int m_pointer = MousePointer::Default;
};

} // namespace quvane
