#pragma once

namespace quvane {

// What every program's --version says after its name and version.
inline constexpr const char *LicenceLines =
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

} // namespace quvane
