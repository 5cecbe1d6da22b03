// Tool windows: top-level windows of the window system that show on the
// desktop in real windows of their own, beside the display's window. Their
// rectangles are in desktop coordinates; the real window's frame is their
// frame, so their client area is the whole rectangle. They are painted into
// a picture of their own (their device contexts and those of their children
// draw there) and shown whenever the message queue is read; the real
// window's mouse, keyboard, focus, size and close events come back as the
// window's messages. Without a screen the picture is still kept and painted.
#pragma once

#include "platform/base/types.h"

#include <cstdint>
#include <vector>

union SDL_Event;

// The work area of the desktop (SystemParametersInfoA).
constexpr UINT SPI_GETWORKAREA = 0x0030;
BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT winIni);

namespace toolwin {
// Makes a top-level window a tool window; its client area becomes its whole
// rectangle (it hears WM_SIZE). False for a child or an unknown window.
bool Attach(HWND hwnd);
bool IsAttached(HWND hwnd);
// Keeps every real window in step with its window (place, size, title,
// visibility; gone with it), paints the windows that have something to
// paint, whole, parents before children, and shows the pictures. The queue
// calls it whenever it is read.
void Refresh();
// The picture of a tool window's client area (XRGB, row by row).
bool ReadPixels(HWND hwnd, std::vector<std::uint32_t>* pixels, int* width, int* height);
// Number of real windows made (0 without a screen).
int RealWindowCount();
}  // namespace toolwin

namespace toolwin_internal {
// The pixels a device context of hwnd draws on when hwnd is a tool window
// or lies inside one: its client area within the tool window's picture.
bool SurfaceOf(HWND hwnd, std::uint32_t** pixels, int* width, int* height, int* pitch);
// Takes an event that belongs to a tool window's real window; false when it
// belongs to none.
bool HandleEvent(const SDL_Event& e);
// The display's window got the keyboard: activation goes back from a tool
// window to the program's own window.
void DisplayFocused();
}  // namespace toolwin_internal
