#include "ReportError.h"

#include "ProgramControl.h"
#include "Prompter.h"
#include "modGlobals.h"

void ReportError(const QuvaneError &error)
{
    if (error.isTimeout()) {
        if (AskRetryAfterTimeout())
            return;
        EndProgram();
    }
    MsgBox(QStringLiteral("Fatal Error #%1\n\n%2").arg(error.number()).arg(error.description()),
           MsgButtons::OK, MsgIcon::Critical, modGlobals::AppTitle);
    EndProgram();
}

bool AskRetryAfterTimeout()
{
    return MsgBox(QStringLiteral("Communications Timeout"), MsgButtons::RetryCancel,
                  MsgIcon::Critical, modGlobals::AppTitle) == MsgAnswer::Retry;
}
