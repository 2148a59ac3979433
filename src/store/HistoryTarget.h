#pragma once

#include "store/HistoryLocation.h"
#include "store/HistoryStore.h"

#include <optional>

namespace quvane {

// Where a front end stores what it reads, and who stores: none when the history is off.
struct HistoryTarget
{
    std::optional<HistoryLocation> location;
    Station station;
};

} // namespace quvane
