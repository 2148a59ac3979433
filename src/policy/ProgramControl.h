#pragma once

#include <functional>

namespace quvane {

// Ends the program at once: no window is unloaded and the link is not closed. Tests replace the
// ending with a handler that throws, so that they can observe it; a handler must not return.
[[noreturn]] void EndProgram(int exitCode = 1);
void setEndProgramHandler(std::function<void(int)> handler);

// The screen's mouse pointer, as the busy cursor of instrument operations sets it.
namespace MousePointer {
constexpr int Default = 0;
constexpr int Hourglass = 11;
} // namespace MousePointer

void SetMousePointer(int pointer);
int GetMousePointer();
void setMousePointerHandler(std::function<void(int)> handler);

} // namespace quvane
