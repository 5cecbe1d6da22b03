// The player's controls during play: one device (keyboard, mouse or
// joystick, chosen by the ControlDevice setting) is sampled once per frame
// and turned into commands for the figure and the mines. The mouse works
// through a capture: the real cursor is held in a small box and its moves
// drive a virtual cursor that spans the field.
#pragma once

#include "platform/base/types.h"

// Action buttons of every device, in the order their commands are issued.
enum : int {
    cbMine = 0,  // plant or detonate
    cbClear = 1, // clear all mines
    cbRoll = 2,  // roll the cubes on now
    cbCount = 3,
};
constexpr int kDeviceCount = 3;

// Virtual cursor units per field square.
constexpr LONG kMouseUnitsPerSquare = 200;
// The box the real cursor is held in while the mouse is captured, and its
// centre, to which it is put back after every read.
constexpr LONG kMouseBoxSize = 256;
constexpr LONG kMouseBoxCentre = 128;

struct CONTROLS {
    // Per device, the action buttons that were down at that device's last
    // poll, so that switching device never makes a false press.
    DWORD afWasDown[kDeviceCount][cbCount];
    // Mouse capture: nesting count, the virtual cursor and its bounds.
    LONG lCaptureCount;
    LONG lMouseX, lMouseY;
    RECT rcBounds;
};

// Once per frame in play (not in the tutorial): reads the chosen device and
// issues its commands. An unknown device value reads nothing.
void PollControls();
// The same poll once more within a frame (at a roll's commit, so that a
// player who stepped aside is not crushed); the mouse steers towards the
// virtual cursor as already read this frame.
void RepollControls();

// Takes the mouse for a field of lWidth by lLength squares (ending a capture
// still active first): the cursor is hidden and held in its box, and the
// virtual cursor starts at the field's centre.
void BeginMouseCapture(LONG lWidth, LONG lLength);
// Gives the mouse back when the last capture ends.
void EndMouseCapture();
BOOL fMouseCaptured();
// The virtual cursor; (0, 0) without a capture.
void ReadMouse(LONG* px, LONG* py);
// Moves the virtual cursor (kept inside the field) and the real cursor back
// to the centre of its box; nothing without a capture.
void SetMousePosition(LONG x, LONG y);

// Distance the figure walks in one frame at full throttle, in squares, for a
// difficulty; also the distance at which the mouse target counts as reached.
float StepLength(DWORD dwDifficulty);
