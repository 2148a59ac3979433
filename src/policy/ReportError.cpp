#include "policy/ReportError.h"

#include <QCoreApplication>

#include "link/modGlobals.h"
#include "policy/ProgramControl.h"
#include "policy/Prompter.h"

using namespace quvane;

void ReportError(const QuvaneError &error)
{
    if (error.isRetryable()) {
        if (AskRetry(error))
            return;
        EndProgram();
    }
    MsgBox(QCoreApplication::translate("Quvane", "Fatal Error #%1\n\n%2")
               .arg(error.number())
               .arg(error.description()),
           MsgButtons::OK, MsgIcon::Critical, modGlobals::AppTitle());
    EndProgram();
}

bool quvane::AskRetry(const QuvaneError &error)
{
    // A reply garbled on the line is offered Retry as a timeout is, naming what went wrong.
    const QString text = error.isTimeout()
                             ? QCoreApplication::translate("Quvane", "Communications Timeout")
                             : QCoreApplication::translate("Quvane", "Communications Error\n\n%1")
                                   .arg(error.description());
    return MsgBox(text, MsgButtons::RetryCancel, MsgIcon::Critical, modGlobals::AppTitle()) ==
           MsgAnswer::Retry;
}
