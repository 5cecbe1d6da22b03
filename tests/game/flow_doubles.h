#pragma once

#include "platform/base/types.h"

#include <vector>

struct FLOWCALLS {
    int cPolls = 0;
    int cCaptures = 0;
    int cReleases = 0;
    int cTutorialSteps = 0;
    std::vector<LONG> tutorialPuzzles;
};
extern FLOWCALLS g_flowCalls;
