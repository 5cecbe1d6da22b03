// The application's own state: the main window, the animation window inside
// it, the accelerators, the quit request and the cursor wish. It lives in the
// game's state record as g.App and is cleared with it at start-up.
#pragma once

#include "platform/base/types.h"

class ANIMWINDOW;

struct APPSTATE {
    BOOL fQuit;            // a quit was requested or the queue delivered its quit message
    HACCEL hAccel;         // Escape, F10, Alt+F4, F7 (and the screenshot key)
    HWND hwndMain;         // the main window, invisible behind the display
    ANIMWINDOW* pAnimWin;  // the animation window of its control 1000
};
