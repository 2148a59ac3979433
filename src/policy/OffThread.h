#pragma once

#include "transfer/TransferProgress.h"

#include <functional>

namespace quvane {

// Runs long work that never talks to the instrument (a conversion, an import, a report) on a
// worker thread, while the calling thread (the window's) goes on with its events. The work
// reports to a progress of its own, which passes what it is told on to `shown` on the calling
// thread and learns there whether `shown` asks to stop. Returns when the work has ended; an
// exception the work throws reaches the caller.
void runOffThread(TransferProgress &shown, const std::function<void(TransferProgress &)> &work);

// The same for work with a result.
template <typename Result>
Result runOffThread(TransferProgress &shown, const std::function<Result(TransferProgress &)> &work)
{
    Result result{};
    runOffThread(shown, [&](TransferProgress &progress) { result = work(progress); });
    return result;
}

} // namespace quvane
