#pragma once

#include "link/QuvaneError.h"
#include "policy/Prompter.h"

#include <type_traits>
#include <utility>

// Reports a trapped error. A communications timeout (or a reply garbled on the line) asks Retry
// or Cancel: Retry returns so that the caller runs the failed step again, Cancel ends the
// program. Any other error is shown as
// "Fatal Error #" with its number and description, and ends the program.
void ReportError(quvane::Prompter &prompter, const quvane::QuvaneError &error);

namespace quvane {

// The "Communications Timeout" question alone (for a garbled reply "Communications Error" and
// the error): true when the operator chose Retry.
bool AskRetry(Prompter &prompter, const QuvaneError &error);

// Runs a step; when it raises, reports the error and runs the step again after Retry. Every
// operation that traps instrument errors goes through here.
template <typename Step> auto trapped(Prompter &prompter, Step &&step) -> decltype(step())
{
    for (;;) {
        try {
            return step();
        } catch (const QuvaneError &error) {
            ReportError(prompter, error);
        }
    }
}

// trapped(), with the hourglass from the step's start to its successful end. A failed step
// leaves the hourglass up while the error is reported, and Retry starts the step over.
template <typename Step> auto busyTrapped(Prompter &prompter, Step &&step) -> decltype(step())
{
    return trapped(prompter, [&] {
        prompter.SetMousePointer(MousePointer::Hourglass);
        if constexpr (std::is_void_v<decltype(step())>) {
            step();
            prompter.SetMousePointer(MousePointer::Default);
        } else {
            auto result = step();
            prompter.SetMousePointer(MousePointer::Default);
            return result;
        }
    });
}

// Runs a handler from the event loop: an error no operation trapped (a log file that cannot be
// written) must not escape into it, and is reported, ending the program, like any other.
template <typename Handler> void reportUntrapped(Prompter &prompter, Handler &&handler)
{
    try {
        handler();
    } catch (const QuvaneError &error) {
        ReportError(prompter, error);
    }
}

} // namespace quvane
