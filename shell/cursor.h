// The game's wish for the mouse cursor. In full-screen mode the wish shows or
// hides the system cursor; in a window the cursor stays visible and only the
// wish is remembered, to be applied when the display goes full screen.
#pragma once

#include "platform/base/types.h"

// Shows (TRUE) or hides (FALSE) the cursor when the wish changes and the
// display is full screen; then remembers the wish.
void SetCursorWanted(BOOL fWanted);
// The current wish; TRUE at start-up.
BOOL fCursorWanted();
