// What the rules ask of the input handling of the play screen; the
// controls (input/controls.h) answer.
#pragma once

#include "platform/base/types.h"

// Reads the figure's controls once more (at a roll's commit, so that a
// player who stepped aside in this frame is not crushed).
void InputPollFigure();
// Mouse control: whether it is active, and where the figure stands (field
// position times 200).
bool InputMouseActive();
void InputSetFigurePosition(LONG x, LONG y);
