// Shared set-up of the screen tests: a visible main window with one
// "AnimWindow" child of 640 by 480 bound to the display, the stepped clock,
// frames without waiting, and a host that passes the frame services to the
// menus and the message box and pumps one message per idle call, as the
// game's frame callback does.
#pragma once

#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "platform/clock/clock.h"
#include "platform/ddraw/ddraw.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "tests/test_windows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace screenstest {

// The frame chain of the tests: set by the menu and message box tests.
inline std::function<int(ANIMWINDOW*, svcAnimWindow, unsigned, long)> g_chain;
// Messages the main window received (commands posted by the menus).
inline std::vector<std::pair<UINT, WPARAM>> g_mainMessages;
// Run on every idle call before the message is pumped; lets a test act
// while a nested frame loop runs.
inline std::function<void()> g_onIdle;
// Once the queue delivered its quit message every idle call stops the loop,
// as the game's quit flag does.
inline bool g_quit = false;

inline int Host(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    if (g_chain && !g_chain(w, code, wParam, lParam))
        return 0;
    if (code == svcawIdle) {
        if (g_quit)
            return 0;
        if (g_onIdle)
            g_onIdle();
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                g_quit = true;
                return 0;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 1;
}

inline LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND)
        g_mainMessages.emplace_back(msg, wParam);
    // The display's own window may report a close as the tests tear their
    // windows down; the test windows stay until the test ends.
    if (msg == WM_CLOSE)
        return 0;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

inline LPARAM At(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class ScreensTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    void SetUp() override
    {
        ASSERT_NE(Display, nullptr);
        window_system::Reset();
        clock_control::UseSteppedClock(1000);
        g_mainMessages.clear();
        g_quit = false;
        const TestWindows t = OpenTestWindows("ScreensTestMain", &MainProc, kWidth, kHeight, &Host);
        m_main = t.main;
        m_child = t.child;
        aw = t.aw;
        ASSERT_NE(aw, nullptr);
        aw->SetTargetFrameRate(0);
        input_store::ReleaseAllKeys();
        input_store::SetCursor(kWidth - 1, kHeight - 1);
    }

    void TearDown() override
    {
        g_chain = nullptr;
        g_onIdle = nullptr;
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        clock_control::UseRealClock();
    }

    // Input as the window system delivers it to the animation window.
    void Mouse(UINT msg, int x, int y) { SendMessageA(m_child, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, At(x, y)); }
    void KeyUp(int vk) { SendMessageA(m_child, WM_KEYUP, static_cast<WPARAM>(vk), 0); }
    // A key released later, when the frame loop pumps it.
    void PostKeyUp(int vk) { PostMessageA(m_child, WM_KEYUP, static_cast<WPARAM>(vk), 0); }
    // Dispatches what the queue holds (commands posted to the main window).
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            aw->RenderFrame();
    }

    // The colour the screen shows at a client point of the animation window.
    std::uint32_t Shown(int x, int y)
    {
        IDirectDrawSurface* primary = Display->GetSurface(1);
        POINT p{x, y};
        ::ClientToScreen(m_child, &p);
        return primary->Pixels()[static_cast<std::size_t>(p.y) * primary->Width() + p.x] & 0xFFFFFF;
    }

    HWND m_main = nullptr;
    HWND m_child = nullptr;
    ANIMWINDOW* aw = nullptr;
};

// 0x00RRGGBB of a colour, as surfaces hold it.
constexpr std::uint32_t Xrgb(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}
} // namespace screenstest
