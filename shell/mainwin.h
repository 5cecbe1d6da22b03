// The spine of the game program: start-up, the main window hosting the
// animation window, the frame callback that drives every subsystem once per
// frame, pause and resume, and shutdown.
#pragma once

#include "anim/animwin.h"
#include "platform/base/types.h"

// Commands of the main window.
enum : WORD {
    cmdQuit = 2,
    cmdSkipTutorial = 1033,
    cmdPauseBack = 4001,
    cmdMessageBox1 = 4002,
    cmdMessageBox2 = 4003,
    cmdNothing = 4004,
    cmdScreenshot = 4005,
};

// Runs the whole program; returns the exit code (always 0).
int RunVarno(int argc, char** argv);

// The main window with its animation window (g.App), invisible and made
// the display's main window; null when it cannot be made.
HWND CreateMainWindow();

// Sets the quit flag and posts the quit message.
void RequestQuit();
// Takes one waiting message, if any: the quit message sets the quit flag,
// others pass the accelerators and are then dispatched. 1 while the quit
// flag is clear, 0 once it is set.
int PumpOneMessage();
// Escape, F10 and Resume Game: back in the main menus, pause in play, resume
// when paused, back to the editor from a test.
void PauseOrBack();
// A command reaching the main window (menus post theirs here too).
void HandleMainCommand(WORD id);

// The callback installed on the animation window.
int VarnoFrameCallback(ANIMWINDOW* window, svcAnimWindow code, unsigned wParam, long lParam);

// The accelerator table of the main window, made on first use.
HACCEL VarnoAccelerators();
