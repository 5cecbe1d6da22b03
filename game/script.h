// Scripts that play a puzzle: a list of elements run one per frame, as the
// tutorial walks its figure, plants and detonates. Written as blank-separated
// elements: "1:x,z" walk to square, "2" plant, "3:x,z" wait for a cube on the
// square with no roll under way, "4" detonate, "5:a,b" text, "6:n" narration,
// "w:N" wait N frames, "r" roll now, "c" clear the mines.
#pragma once

#include "platform/base/types.h"

#include <string>
#include <vector>

enum : LONG {
    seEnd = 0,
    seWalk = 1,
    sePlant = 2,
    seWaitCube = 3,
    seDetonate = 4,
    seText = 5,
    seNarration = 6,
    seWaitFrames = 7,
    seRoll = 8,
    seClear = 9,
};

struct SCRIPTELEMENT {
    LONG lKind;
    LONG a, b;
};

// Reads the written form; false with the offending element in *pError.
bool ParseScript(const char* pszText, std::vector<SCRIPTELEMENT>* pOut, std::string* pError);

// What the text and narration elements do; null does nothing.
struct SCRIPTACTIONS {
    void (*pfnText)(LONG idUpper, LONG idLower);
    void (*pfnNarration)(LONG n);
};

struct SCRIPTRUN {
    const SCRIPTELEMENT* pElements;
    LONG cElements;
    LONG lStep;      // the current element; -1 before the first
    LONG lWaitLeft;  // frames left of a wait element
    SCRIPTACTIONS Actions;
};

void ScriptStart(SCRIPTRUN* pRun, const SCRIPTELEMENT* pElements, LONG cElements);
// One frame: waits for the cubes to finish growing before the first
// element, holds on a walk or wait whose condition is not met, else goes on
// to the next element and does its action. Elements with an action last one
// frame.
void ScriptStep(SCRIPTRUN* pRun);
// Past the last element (or at an end element).
bool ScriptDone(const SCRIPTRUN* pRun);
