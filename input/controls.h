// The play screen's controls: the control device read once per frame while
// a real puzzle is played, and the mouse capture held for a real puzzle.
#pragma once

#include "platform/base/types.h"

// Reads the chosen control device and issues the figure's and the mines'
// commands.
void PollControls();
// Takes the mouse for a field of lWidth by lLength squares (ending a capture
// still active first).
void BeginMouseCapture(LONG lWidth, LONG lLength);
// Gives the mouse back.
void EndMouseCapture();
