#include "policy/ReportError.h"

#include "link/modGlobals.h"
#include "policy/ProgramControl.h"
#include "policy/Prompter.h"

using namespace quvane;

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

bool quvane::AskRetryAfterTimeout()
{
    return MsgBox(QStringLiteral("Communications Timeout"), MsgButtons::RetryCancel,
                  MsgIcon::Critical, modGlobals::AppTitle) == MsgAnswer::Retry;
}
