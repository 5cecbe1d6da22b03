// The library's last error and its assertion function. Every library
// operation that fails returns the failure value of its return type and
// leaves a code here; the helpers below do both in one expression.
#pragma once

#include <cstdint>

// The library's own error codes.
enum : int {
    errNoPalette = 0x20AA0001,
    errDuplicateDisplay = 0x20AA0002,
    errDepthTooGreat = 0x20AA0003,
    errEmptyGraphic = 0x20AA0004,
    errUnsupportedBitmap = 0x20AA0005,
    errChildGraphic = 0x20AA0006,
    errPaletteSlotTaken = 0x20AA0007,
    errNoTransparentColor = 0x20AA0008,
    errNoDirectDraw = 0x20AA0009,
    errNotFlipping = 0x20AA000A,
    errNoWindow = 0x20AA000B,
    errNotAnimWindow = 0x20AA000C,
    errNotFound = 0x20AA000D,
    errNotInWindow = 0x20AA000E,
    errBadReference = 0x20AA000F,
    errNoCollision = 0x20AA0010,
    errNoMainWindow = 0x20AA0011,
    errBadCutSheet = 0x20AA0012,
    errSurfaceTooWide = 0x20AA0013,
    errObjectFixed = 0x20AA0014,
    errNo3d = 0x20AA0015,
    errNoDirect3d = 0x20AA0016,
    errChildTexture = 0x20AA0017,
};

// The colour value that colour getters return on failure: no colour.
constexpr unsigned long clrOPAQUE = 0xFFFFFFFFul;

// Stores code as the last error; -1 stores the system's own last error
// instead.
void ZephaneSetLastError(int code);
int ZephaneGetLastError();

int TRUE_SetLastError(int code);
int FALSE_SetLastError(int code);
long ZERO_SetLastError(int code);
long MINUSONE_SetLastError(int code);
long HINVALID_SetLastError(int code);
unsigned long clrOPAQUE_SetLastError(int code);

// The host's assertion handler: (fOK, expression, file, line) -> result.
using ZEPHANEASSERTPROC = int (*)(int fOK, const char* expression, const char* file, unsigned long line);

// Checks fOK: passes it through the installed handler when there is one;
// otherwise returns fOK when it holds, and reports the failed check in a
// system message box and returns 0 when it does not.
int ZephaneAssertFunction(int fOK, const char* expression, const char* file, unsigned long line);
// Installs a handler; null restores the built-in behaviour.
void ZephaneSetAssertFunction(ZEPHANEASSERTPROC hook);
// The simpler check: 1 when fOK holds, else a message box and 0.
int AssertFn(int fOK, const char* expression, int line, const char* module);

// The display restores the desktop's video mode before an assertion message
// is shown, so that the message can be seen; it registers how here.
void ZephaneSetAssertVideoRestore(void (*restore)());

// Internal checks of the library: the expression text is passed with a
// leading "!!", as the report shows it.
#define ZASSERT(expr, module) \
    (static_cast<bool>(expr) || ZephaneAssertFunction(0, "!!" #expr, module, __LINE__) != 0)
