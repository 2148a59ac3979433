#include "policy/Prompter.h"

#include <cstdio>
#include <cstdlib>

namespace quvane {

MsgAnswer Prompter::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                           const QString &title)
{
    return messageBox({text, title, icon, buttons});
}

void Prompter::SetMousePointer(int pointer)
{
    if (pointer == m_pointer)
        return;
    m_pointer = pointer;
    showMousePointer(pointer);
}

void Prompter::EndProgram(int exitCode)
{
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace quvane
