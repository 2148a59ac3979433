#include "policy/Prompter.h"

#include <cstdio>
#include <cstdlib>

namespace quvane {

namespace {
Prompter *g_prompter = nullptr;
}

Prompter &prompter()
{
    if (!g_prompter) {
        std::fputs("Quvane: no prompter installed\n", stderr);
        std::abort();
    }
    return *g_prompter;
}

void setPrompter(Prompter *p)
{
    g_prompter = p;
}

MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title)
{
    return prompter().messageBox({text, title, icon, buttons});
}

} // namespace quvane
