#include "policy/ProgramControl.h"

#include <cstdio>
#include <cstdlib>

namespace quvane {

namespace {
std::function<void(int)> &endHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

std::function<void(int)> &pointerHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

int g_pointer = MousePointer::Default;
} // namespace

void EndProgram(int exitCode)
{
    if (endHandler())
        endHandler()(exitCode);
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void setEndProgramHandler(std::function<void(int)> handler)
{
    endHandler() = std::move(handler);
}

void SetMousePointer(int pointer)
{
    if (pointer == g_pointer)
        return;
    g_pointer = pointer;
    if (pointerHandler())
        pointerHandler()(pointer);
}

int GetMousePointer()
{
    return g_pointer;
}

void setMousePointerHandler(std::function<void(int)> handler)
{
    pointerHandler() = std::move(handler);
}

} // namespace quvane
