// The tutorial: the built-in puzzles' scripts that move the figure, and the
// tutorial's text lines and narration.
#pragma once

#include "platform/base/types.h"

// Once per frame while a tutorial puzzle is played.
void TutorialStep();
// A tutorial puzzle (1 to 4) starts: its script from the first step, the
// tutorial display on (and its text lines cleared for the first puzzle).
void StartTutorialPuzzle(LONG lPuzzle);
