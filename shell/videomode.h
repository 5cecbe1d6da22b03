// Video modes of the game: the modes it accepts, the mode set at start-up
// (with one fallback), the four stepping commands of the video menu, and the
// settings kept in step with the display's mode.
#pragma once

#include "platform/base/types.h"

// One accepted mode.
struct ACCEPTEDMODE {
    DWORD dwWidth;
    DWORD dwHeight;
    WORD wDepth;
};

// The accepted modes in the order the display reports them. The capacity
// comes first: the table grows through the library's memory manager.
struct ACCEPTEDMODELIST {
    unsigned capacity;
    unsigned count;
    ACCEPTEDMODE* aModes;
};

// The game plays in modes deeper than 8 bits, at least 480 lines high and
// narrower than 1280 pixels.
bool fAcceptableMode(long width, long height, unsigned short depth);

// Builds the accepted list from the display's list (once, at start-up); the
// display's list is released right after. Without a display list the
// accepted list stays empty. Returns the number of accepted modes.
unsigned BuildVideoModeList();
// The list built by BuildVideoModeList.
const ACCEPTEDMODELIST& AcceptedVideoModes();
// Empties the list and frees its table.
void FreeVideoModeList();

// Sets the mode of the settings record; failing that 640 x 480 at 16 bits,
// which is then stored in the settings. With neither, shows message 120 in
// a system message box and returns false: the program cannot run.
bool SetStartupVideoMode();

// The entry of the list the stepping commands choose from the display's
// width W and depth D: per direction (-1, 0, +1 each) the nearest width or
// depth that way, or the same with 0; among equals the later entry wins,
// whatever its height. -1 when no entry qualifies.
int FindSteppedMode(const ACCEPTEDMODE* aModes, unsigned count, DWORD W, WORD D, int dw, int dd);

// Lower or Higher Resolution (dw -1 or +1, dd 0) and Lower or Higher Color
// Depth (dw 0, dd -1 or +1). Sets the chosen mode (the display then reports
// the change; see VideoModeChanged). With no mode to choose, shows message
// 38 through the no-mode message seam and leaves the mode as it is. True
// when a mode was set.
bool StepVideoMode(int dw, int dd);

// After the display reports a new mode: its width, height and depth go
// into the settings record, which is saved.
void VideoModeChanged();

// How the stepping commands show message 38 (a string id). The on-screen
// message box with a Close button takes this over once the menus exist;
// until then, and after SetNoModeMessageProc(nullptr), the system message
// box shows it.
using NOMODEMESSAGEPROC = void (*)(UINT idText);
NOMODEMESSAGEPROC SetNoModeMessageProc(NOMODEMESSAGEPROC proc);

// Every mode is set with page flipping over two back buffers.
constexpr long kFallbackWidth = 640;
constexpr long kFallbackHeight = 480;
constexpr unsigned short kFallbackDepth = 16;
