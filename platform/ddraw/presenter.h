// The presenter: the one real window on the screen. It shows the finished
// picture of the display (the primary surface) scaled to the window or the
// whole screen with its aspect kept, the rest black. Alt+Enter and F11 toggle
// between full screen and a resizable window; the program never notices.
// Without a usable video device (SDL_VIDEODRIVER=dummy, no display) nothing
// is shown, and every operation still succeeds.
#pragma once

#include "platform/base/types.h"

#include <cstdint>
#include <vector>

namespace presenter {
struct Mode {
    int width = 0;
    int height = 0;
    int depth = 0;
};

// The screen's own mode when the program started (the desktop), or
// 1024 by 768 at 32 bits when no screen can be asked.
Mode DesktopMode();
// The mode whose picture is shown; equal to the desktop mode until the
// display sets another.
Mode CurrentMode();
void SetCurrentMode(const Mode& mode);

// Whether the picture shows (a full-screen mode is in force) and the window
// title.
void SetShown(bool shown, const char* title = nullptr);
bool IsShown();

// The window's icon, from an icon file's bytes (the largest 32-bit image with
// alpha). False when the bytes hold no such image; the icon stays as it was.
bool SetIcon(const void* ico, std::size_t cb);
// The icon as it is given to the window: size x size ARGB pixels, rows from
// the top (size 0 when none was set).
const std::vector<std::uint32_t>& Icon(int* size);

// Full screen or a resizable window: the choice is kept for the run and
// applies whenever the picture is shown.
void SetFullScreen(bool fullScreen);
bool IsFullScreen();
void ToggleFullScreen();

// Shows one finished picture: width x height pixels of 32-bit XRGB. Depth
// 16 quantises each pixel to RGB565 and depth 8 to the nearest of the 256
// palette colours (XRGB) before it is shown.
void Present(const std::uint32_t* pixels, int width, int height, int pitchPixels, int depth,
             const std::uint32_t* palette256);

// The last presented picture after quantisation, as the screen shows it
// before scaling (for tests and screenshots).
const std::vector<std::uint32_t>& LastPicture(int* width, int* height);
// Reads back what the window shows (scaled, letterboxed), when there is a
// window with a renderer; false otherwise.
bool ReadWindow(std::vector<std::uint32_t>* pixels, int* width, int* height);

// The rectangle of the picture inside an output area of outW x outH when a
// picture of picW x picH is scaled with its aspect kept and centred.
RECT LetterboxRect(int outW, int outH, int picW, int picH);
// A point of the real window (window pixels) mapped back to display
// coordinates through the letterbox; points on the bars clamp to the edge.
POINT WindowToDisplay(int x, int y);
// The same mapping for a given window size and picture size.
POINT MapToDisplay(int winW, int winH, int picW, int picH, int x, int y);

// The SDL window id of the presenter window, 0 when there is none.
std::uint32_t WindowId();

// Closes the window and forgets the pictures (tests, shutdown).
void Reset();
}  // namespace presenter
