#pragma once

namespace quvane {

// Qt's own accessible interface of a drop-down list names it, on Linux, by the entry it shows, so
// that a screen reader says "D65 combo box" and never what the list is for. After this call
// every list that is not editable is named by its accessible name (the entry it shows where it
// has none) and gives its entry as its value. Call once, after the QApplication is made.
void installListAccessibility();

} // namespace quvane
