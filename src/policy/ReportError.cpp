#include "policy/ReportError.h"

#include <QCoreApplication>

#include "link/modGlobals.h"
#include "policy/Prompter.h"

using namespace quvane;

void ReportError(Prompter &prompter, const QuvaneError &error)
{
    if (error.isRetryable()) {
        if (AskRetry(prompter, error))
            return;
        prompter.EndProgram();
    }
    prompter.MsgBox(QCoreApplication::translate("Quvane", "Fatal Error #%1\n\n%2")
                        .arg(error.number())
                        .arg(error.description()),
                    MsgButtons::OK, MsgIcon::Critical, modGlobals::AppTitle());
    prompter.EndProgram();
}

bool quvane::AskRetry(Prompter &prompter, const QuvaneError &error)
{
    // A reply garbled on the line is offered Retry as a timeout is, naming what went wrong.
    const QString text = error.isTimeout()
                             ? QCoreApplication::translate("Quvane", "Communications Timeout")
                             : QCoreApplication::translate("Quvane", "Communications Error\n\n%1")
                                   .arg(error.description());
    return prompter.MsgBox(text, MsgButtons::RetryCancel, MsgIcon::Critical,
                           modGlobals::AppTitle()) == MsgAnswer::Retry;
}
