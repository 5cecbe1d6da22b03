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
// palette colours (XRGB) before it is shown. The pixels are copied: the
// caller may free them at once.
void Present(const std::uint32_t* pixels, int width, int height, int pitchPixels, int depth,
             const std::uint32_t* palette256);

// A picture that stays where it is until the presenter is told otherwise:
// the primary surface's pixels. Only the changed rectangles are uploaded,
// straight from these pixels in 32-bit modes, quantised rectangle by
// rectangle in 16- and 8-bit modes; the rest of the screen keeps what it
// showed. The whole picture goes up instead after a change of size, depth
// or palette, a resize, a full-screen toggle or an expose. With no
// rectangle at all nothing changed and nothing is drawn. The owner calls
// SourceGone before the pixels are freed or written without a present.
struct Source {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitchPixels = 0;
    int depth = 32;
    const std::uint32_t* palette256 = nullptr;  // 8-bit modes; read during the call only
};
void PresentChanged(const Source& source, const RECT* changed, int count);
// Whole picture: the same as one rectangle covering it.
void PresentSource(const Source& source);
// The pixels are about to go: what LastPicture needs of them is kept.
void SourceGone(const std::uint32_t* pixels);

// The last presented picture after quantisation, as the screen shows it
// before scaling (for tests and screenshots).
const std::vector<std::uint32_t>& LastPicture(int* width, int* height);

// Whether the window is minimised or hidden by the user (nothing of the
// picture can be seen); the events of the presenter window keep it.
bool IsMinimized();
// The presenter window was minimised or hidden (true), or restored, shown
// or exposed (false); after an expose the whole picture is drawn again.
void NoteMinimized(bool minimized);
void NoteExposed();

// What the presenter did, for tests and benchmarks: picture pixels sent to
// the screen (uploaded to the texture, or scaled onto the window surface),
// pictures shown, and whether the last one was sent whole because the
// screen's copy was out of date (new size, depth or palette, an expose).
struct Stats {
    std::uint64_t uploadedPixels = 0;
    std::uint64_t uploads = 0;
    std::uint64_t shows = 0;
    bool lastWasWhole = false;
};
Stats GetStats();
void ResetStats();

// How the picture reaches the window, scaled with a linear filter: drawn by
// SDL's renderer from a streaming texture (the whole window is drawn and
// swapped each time something changed), or blended by the presenter onto
// the window's own surface, sending only the changed areas (a window whose
// surface has another pixel format falls back to the renderer). Unless
// VARNO_PRESENTER=renderer or =surface or SetPath picks one, the window
// surface is used where OpenGL draws on the processor, the renderer
// elsewhere; tools/present/present_bench measures them against each other.
enum class Path { Renderer, WindowSurface };
void SetPath(Path path);
Path GetPath();
// Reads back what the window shows (scaled, letterboxed), when there is a
// window with a renderer or a window surface; false otherwise.
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
