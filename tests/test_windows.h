// The window pair that the window tests of every folder stand on: a visible
// popup main window of a class of the test's own, handed to the display,
// with an "AnimWindow" child filling it. The caller resets the window system
// first and takes the windows down itself.
#pragma once

#include "anim/animwin.h"
#include "anim/display.h"
#include "platform/window/window.h"

struct TestWindows {
    HWND main = nullptr;
    HWND child = nullptr;
    ANIMWINDOW* aw = nullptr; // null when any step failed
};

inline TestWindows OpenTestWindows(const char* mainClass, WNDPROC mainProc, int width, int height,
                                   ANIMWINDOWCALLBACK service)
{
    TestWindows t;
    if (!Display)
        return t;
    AnimWindow_RegisterClass();
    WNDCLASSA wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = mainClass;
    RegisterClassA(&wc);
    t.main = CreateWindowExA(0, mainClass, "test", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                             nullptr, nullptr);
    if (!IsWindow(t.main) || Display->SetMainWindow(t.main) != 1)
        return t;
    t.child = CreateWindowExA(0, "AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, width, height, t.main, nullptr, nullptr,
                              reinterpret_cast<void*>(service));
    t.aw = ANIMWINDOW::GetAnimWindow(t.child);
    return t;
}
