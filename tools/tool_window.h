// The window that the demos, benchmarks and picture tools draw in: a visible
// popup main window handed to the display, with one animation window
// filling it.
#pragma once

#include "anim/animwin.h"
#include "anim/display.h"
#include "platform/window/window.h"

#include <cstdio>

namespace tools {

// Registers mainClass with mainProc and opens the pair at width x height;
// the animation window is served by service (null: no callback). Null after
// a message naming tool when the library made no display or the main window
// cannot be made or handed over.
inline ANIMWINDOW* OpenToolWindow(const char* tool, const char* mainClass, const char* title, WNDPROC mainProc,
                                  int width, int height, ANIMWINDOWCALLBACK service, HWND* main)
{
    if (!Display) {
        std::fprintf(stderr, "%s: the library made no display\n", tool);
        return nullptr;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = mainClass;
    RegisterClassA(&wc);
    *main = CreateWindowExA(0, mainClass, title, WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                            nullptr);
    if (!*main || !Display->SetMainWindow(*main)) {
        std::fprintf(stderr, "%s: no main window\n", tool);
        return nullptr;
    }
    HWND child = CreateWindowExA(0, "AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, width, height, *main, nullptr,
                                 nullptr, reinterpret_cast<void*>(service));
    ANIMWINDOW* aw = ANIMWINDOW::GetAnimWindow(child);
    if (!aw)
        std::fprintf(stderr, "%s: no animation window\n", tool);
    return aw;
}

} // namespace tools
