#pragma once

#include "support/ScriptedPrompter.h"
#include "support/SimFixture.h"

namespace quvane {

// SimFixture for the utility's windows: every prompt is answered from a script.
class UiFixture : public SimFixture
{
protected:
    ScriptedPrompter prompts;
};

} // namespace quvane
