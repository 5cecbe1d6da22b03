#include "platform/clock/clock.h"
#include "platform/ddraw/presenter.h"
#include "platform/input/input.h"
#include "platform/window/events.h"
#include "platform/window/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> g_seen;
std::vector<std::string> g_chain;
WNDPROC g_previous = nullptr;

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_seen.push_back({hwnd, msg, wParam, lParam});
    if (msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (cs->lpCreateParams == reinterpret_cast<void*>(0xBAD))
            return -1;
    }
    if (msg == WM_USER + 1)
        g_chain.push_back("base");
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_USER + 1)
        g_chain.push_back("sub");
    return CallWindowProcA(g_previous, hwnd, msg, wParam, lParam);
}

LRESULT DialogProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_seen.push_back({nullptr, msg, wParam, lParam});
    return msg == WM_INITDIALOG ? TRUE : (msg == WM_COMMAND ? TRUE : FALSE);
}

std::vector<UINT> MessagesOf(HWND hwnd)
{
    std::vector<UINT> out;
    for (const auto& s : g_seen)
        if (s.hwnd == hwnd)
            out.push_back(s.msg);
    return out;
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform_events::EnsureSdl());
        platform_events::Reset();
        window_system::Reset();
        input_store::Reset();
        g_seen.clear();
        g_chain.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.cbWndExtra = 8;
        wc.lpszClassName = "TestClass";
        ASSERT_NE(RegisterClassA(&wc), 0);
    }
    void TearDown() override
    {
        platform_events::Reset();
        window_system::Reset();
        input_store::Reset();
        presenter::SetFullScreen(true);
    }

    HWND Top(int x = 0, int y = 0, int w = 200, int h = 100)
    {
        return CreateWindowExA(0, "TestClass", "top", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr,
                               nullptr);
    }
    HWND Child(HWND parent, int id, int x, int y, int w, int h)
    {
        return CreateWindowExA(0, "TestClass", "", WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
    }
    static std::vector<MSG> Drain()
    {
        std::vector<MSG> out;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_PAINT) {
                DispatchMessageA(&m);
                continue;
            }
            out.push_back(m);
        }
        return out;
    }
    static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
    static void Key(SDL_Keycode sym, bool down, Uint16 mod = 0, SDL_Scancode sc = SDL_SCANCODE_UNKNOWN)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = sc == SDL_SCANCODE_UNKNOWN ? SDL_GetScancodeFromKey(sym) : sc;
        e.key.keysym.mod = mod;
        Push(e);
    }
};

TEST_F(Windows, CreationRunsTheClassProcedureAndCanBeRefused)
{
    HWND w = Top();
    ASSERT_TRUE(IsWindow(w));
    const auto msgs = MessagesOf(w);
    ASSERT_GE(msgs.size(), 3u);
    EXPECT_EQ(msgs[0], WM_NCCREATE);
    EXPECT_EQ(msgs[1], WM_CREATE);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetActiveWindow(), w);

    HWND refused = CreateWindowExA(0, "TestClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                   reinterpret_cast<void*>(0xBAD));
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(window_system::WindowCount(), 1);

    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_FALSE(UnregisterClassA("TestClass", nullptr));  // a window of it lives
    DestroyWindow(w);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(UnregisterClassA("TestClass", nullptr));
}

TEST_F(Windows, WindowLongsAndSubclassingChain)
{
    HWND w = Top();
    EXPECT_EQ(SetWindowLongA(w, 0, 1234), 0);
    EXPECT_EQ(SetWindowLongA(w, 4, -5), 0);
    EXPECT_EQ(GetWindowLongA(w, 0), 1234);
    EXPECT_EQ(GetWindowLongA(w, 4), -5);
    EXPECT_EQ(GetWindowLongA(w, 8), 0);  // past the class's extra bytes
    int value = 0;
    SetWindowLongA(w, 0, reinterpret_cast<LONG_PTR>(&value));  // a whole pointer fits
    EXPECT_EQ(reinterpret_cast<int*>(GetWindowLongA(w, 0)), &value);
    SetWindowLongA(w, GWL_USERDATA, 77);
    EXPECT_EQ(GetWindowLongA(w, GWL_USERDATA), 77);

    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongA(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    EXPECT_EQ(g_previous, RecordingProc);
    SendMessageA(w, WM_USER + 1, 0, 0);
    EXPECT_EQ(g_chain, (std::vector<std::string>{"sub", "base"}));
    SetWindowLongA(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
    g_chain.clear();
    SendMessageA(w, WM_USER + 1, 0, 0);
    EXPECT_EQ(g_chain, (std::vector<std::string>{"base"}));
}

TEST_F(Windows, SendRunsAtOncePostWaitsForDispatchInOrder)
{
    HWND w = Top();
    Drain();
    g_seen.clear();
    PostMessageA(w, WM_USER + 10, 1, 0);
    SendMessageA(w, WM_USER + 11, 0, 0);
    PostMessageA(w, WM_USER + 12, 2, 0);
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_USER + 11}));
    window_system::PostInput(w, WM_KEYDOWN, 'A', 0);
    PostMessageA(w, WM_USER + 13, 3, 0);
    PostQuitMessage(5);
    // Posted messages first, in their order, then the quit, then input.
    MSG m;
    std::vector<UINT> order;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        order.push_back(m.message);
        if (m.message == WM_QUIT) {
            EXPECT_EQ(m.wParam, 5u);
        }
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 10, WM_USER + 12, WM_USER + 13, WM_QUIT, WM_KEYDOWN}));
    // Peeking without removing leaves the message.
    PostMessageA(w, WM_USER + 20, 0, 0);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 20);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Windows, GeometryOfFramedParentAndChild)
{
    HWND top = CreateWindowExA(0, "TestClass", "t", WS_POPUP | WS_CAPTION, 10, 20, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
    HWND child = Child(top, 5, 4, 6, 50, 40);
    RECT rc;
    GetClientRect(top, &rc);
    const int frame = GetSystemMetrics(SM_CXDLGFRAME), cap = GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(rc.right, 300 - 2 * frame);
    EXPECT_EQ(rc.bottom, 200 - 2 * frame - cap);
    GetWindowRect(child, &rc);
    EXPECT_EQ(rc.left, 10 + frame + 4);
    EXPECT_EQ(rc.top, 20 + frame + cap + 6);
    EXPECT_EQ(rc.right - rc.left, 50);
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetDlgItem(top, 5), child);
    EXPECT_EQ(GetWindow(top, GW_CHILD), child);

    // Moving the parent carries the child; resizing the child tells it.
    MoveWindow(top, 0, 0, 300, 200, FALSE);
    GetWindowRect(child, &rc);
    EXPECT_EQ(rc.left, frame + 4);
    g_seen.clear();
    SetWindowPos(child, nullptr, 0, 0, 80, 30, SWP_NOMOVE | SWP_NOZORDER);
    bool sized = false;
    for (const auto& s : g_seen) {
        if (s.hwnd == child && s.msg == WM_SIZE)
            sized = LOWORD(static_cast<std::uintptr_t>(s.lParam)) == 80 && HIWORD(static_cast<std::uintptr_t>(s.lParam)) == 30;
    }
    EXPECT_TRUE(sized);
    EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(child));
    // Destroying the parent destroys the child.
    DestroyWindow(top);
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(Windows, InvalidatedWindowGetsOnePaintAfterTheQueue)
{
    HWND w = Top();
    Drain();
    RECT part{5, 5, 10, 10};
    InvalidateRect(w, &part, FALSE);
    RECT more{20, 20, 30, 25};
    InvalidateRect(w, &more, FALSE);
    RECT upd;
    ASSERT_TRUE(GetUpdateRect(w, &upd, FALSE));
    EXPECT_EQ(upd.left, 5);
    EXPECT_EQ(upd.bottom, 25);
    PostMessageA(w, WM_USER, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    DispatchMessageA(&m);  // the default procedure validates
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Windows, DialogFromTemplateHoldsItsControlAndFocusesIt)
{
    const DIALOGITEM items[] = {{"TestClass", "", WS_CHILD | WS_VISIBLE, 0, 0, 184, 133, 1000}};
    const DIALOGTEMPLATE tmpl{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, nullptr, "Varno", "MS Sans Serif", 8,
                              0,   0, 184, 133, items, 1};
    HWND dlg = CreateDialogIndirectParamA(nullptr, &tmpl, nullptr, DialogProc, 42);
    ASSERT_TRUE(IsWindow(dlg));
    HWND ctl = GetDlgItem(dlg, 1000);
    ASSERT_TRUE(IsWindow(ctl));
    char name[32];
    GetClassNameA(ctl, name, sizeof(name));
    EXPECT_STREQ(name, "TestClass");
    bool init = false;
    for (const auto& s : g_seen) {
        if (s.msg == WM_INITDIALOG)
            init = s.lParam == 42 && reinterpret_cast<HWND>(s.wParam) == ctl;
    }
    EXPECT_TRUE(init);
    EXPECT_EQ(GetFocus(), ctl);
    // The control covers the whole client area.
    RECT client, crect;
    GetClientRect(dlg, &client);
    GetClientRect(ctl, &crect);
    EXPECT_EQ(client.right, crect.right);
    EXPECT_EQ(client.bottom, crect.bottom);
    // Closing a dialog asks its procedure to cancel rather than destroying it.
    g_seen.clear();
    SendMessageA(dlg, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(dlg));
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen.back().msg, WM_COMMAND);
    EXPECT_EQ(LOWORD(g_seen.back().wParam), 2);
}

TEST_F(Windows, AcceleratorsAreTranslatedBeforeDispatch)
{
    const DIALOGITEM items[] = {{"TestClass", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, 1000}};
    const DIALOGTEMPLATE tmpl{WS_POPUP | WS_CAPTION, nullptr, "d", nullptr, 8, 0, 0, 100, 100, items, 1};
    HWND dlg = CreateDialogIndirectParamA(nullptr, &tmpl, nullptr, DialogProc, 0);
    ShowWindow(dlg, SW_SHOW);
    HWND ctl = GetDlgItem(dlg, 1000);
    const ACCEL table[] = {{FVIRTKEY, VK_ESCAPE, 4001},
                           {FVIRTKEY, VK_F10, 4001},
                           {FVIRTKEY | FALT, VK_F4, 2},
                           {FVIRTKEY, VK_F7, 4004}};
    HACCEL acc = CreateAcceleratorTableA(table, 4);
    ASSERT_NE(acc, nullptr);
    Drain();
    g_seen.clear();
    Key(SDLK_ESCAPE, true);
    Key(SDLK_ESCAPE, false);
    Key(SDLK_LALT, true, KMOD_LALT);
    Key(SDLK_F4, true, KMOD_LALT);
    Key(SDLK_F4, false, KMOD_LALT);
    Key(SDLK_LALT, false);
    Key(SDLK_a, true);
    std::vector<WORD> commands;
    std::vector<UINT> dispatched;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        const std::size_t before = g_seen.size();
        if (TranslateAcceleratorA(dlg, acc, &m)) {
            for (std::size_t i = before; i < g_seen.size(); ++i)
                if (g_seen[i].msg == WM_COMMAND)
                    commands.push_back(LOWORD(g_seen[i].wParam));
            continue;
        }
        if (m.hwnd == ctl)
            dispatched.push_back(m.message);
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    EXPECT_EQ(commands, (std::vector<WORD>{4001, 2}));
    // The translated key downs never reached the control; the rest did.
    EXPECT_EQ(dispatched, (std::vector<UINT>{WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP, WM_KEYDOWN, WM_CHAR}));
    DestroyAcceleratorTable(acc);
}

TEST_F(Windows, KeyEventsMakeMessagesAndKeyState)
{
    HWND w = Top();
    Drain();
    Key(SDLK_KP_8, true);
    Key(SDLK_SPACE, true);
    Key(SDLK_LCTRL, true, KMOD_LCTRL);
    std::vector<MSG> msgs = Drain();
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_EQ(msgs[0].hwnd, w);
    EXPECT_EQ(msgs[0].message, WM_KEYDOWN);
    EXPECT_EQ(msgs[0].wParam, static_cast<WPARAM>(VK_NUMPAD8));
    EXPECT_EQ(msgs[2].wParam, static_cast<WPARAM>(VK_CONTROL));
    EXPECT_LT(GetKeyState(VK_NUMPAD8), 0);
    EXPECT_LT(GetKeyState(VK_SPACE), 0);
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    EXPECT_LT(GetKeyState(VK_LCONTROL), 0);
    Key(SDLK_SPACE, true);  // held: repeat marks the previous state
    Key(SDLK_SPACE, false);
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_NE(msgs[0].lParam & (1 << 30), 0);
    EXPECT_EQ(msgs[1].message, WM_KEYUP);
    EXPECT_GE(GetKeyState(VK_SPACE), 0);

    // Losing the focus releases every key and tells the windows.
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    Push(e);
    g_seen.clear();
    Drain();
    EXPECT_GE(GetKeyState(VK_NUMPAD8), 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    bool activateApp = false;
    for (const auto& s : g_seen)
        activateApp = activateApp || (s.hwnd == w && s.msg == WM_ACTIVATEAPP && s.wParam == FALSE);
    EXPECT_TRUE(activateApp);
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Push(e);
    Drain();
    EXPECT_TRUE(window_system::AppActive());
}

TEST_F(Windows, PresenterKeysMakeNoMessagesAndLeaveKeyStateAlone)
{
    Top();
    Drain();
    const bool full = presenter::IsFullScreen();
    Key(SDLK_F11, true);
    Key(SDLK_F11, false);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(GetKeyState(VK_F11), 0);
    EXPECT_NE(presenter::IsFullScreen(), full);

    Key(SDLK_LALT, true, KMOD_LALT);
    Drain();
    Key(SDLK_RETURN, true, KMOD_LALT);
    Key(SDLK_RETURN, false, KMOD_LALT);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(GetKeyState(VK_RETURN), 0);
    EXPECT_EQ(presenter::IsFullScreen(), full);
    Key(SDLK_LALT, false);
    // Return alone is an ordinary key.
    Key(SDLK_RETURN, true);
    const auto msgs = Drain();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[1].message, WM_KEYDOWN);
    EXPECT_EQ(msgs[1].wParam, static_cast<WPARAM>(VK_RETURN));
}

TEST_F(Windows, MouseGoesToTheWindowUnderItOrToTheCapture)
{
    HWND top = Top(0, 0, 400, 300);
    HWND a = Child(top, 1, 0, 0, 100, 100);
    HWND b = Child(top, 2, 200, 100, 100, 100);
    Drain();
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    e.button.x = 50;
    e.button.y = 40;
    Push(e);
    auto msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].hwnd, a);
    EXPECT_EQ(msgs[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(msgs[0].lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(msgs[0].lParam), 40);
    EXPECT_LT(GetKeyState(VK_LBUTTON), 0);

    EXPECT_EQ(SetCapture(b), nullptr);
    EXPECT_EQ(GetCapture(), b);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.state = SDL_RELEASED;
    Push(e);
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].hwnd, b);
    EXPECT_EQ(GET_X_LPARAM(msgs[0].lParam), 50 - 200);  // b's client coordinates
    EXPECT_EQ(GET_Y_LPARAM(msgs[0].lParam), 40 - 100);
    g_seen.clear();
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen.back().msg, WM_CAPTURECHANGED);
    // With the capture gone, a click on nothing's child goes to the parent.
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.x = 150;
    Push(e);
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].hwnd, top);
}

TEST_F(Windows, ClippedCursorMovesByRelativeDeltas)
{
    HWND top = Top(0, 0, 800, 600);
    Drain();
    const RECT box{0, 0, 256, 256};
    ClipCursor(&box);
    SetCursorPos(128, 128);
    Drain();
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 700;  // the absolute position is not what counts
    e.motion.y = 500;
    e.motion.xrel = 10;
    e.motion.yrel = -5;
    Push(e);
    auto msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].hwnd, top);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 138);
    EXPECT_EQ(p.y, 123);
    const DWORD pos = GetMessagePos();
    EXPECT_EQ(static_cast<short>(LOWORD(pos)), 138);
    EXPECT_EQ(static_cast<short>(HIWORD(pos)), 123);
    // Re-centring by the program is seen as a move too, so the next message
    // position is the centre again.
    SetCursorPos(128, 128);
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(static_cast<short>(LOWORD(GetMessagePos())), 128);
    // Deltas beyond the box stop at its edge.
    e.motion.xrel = 1000;
    e.motion.yrel = 0;
    Push(e);
    Drain();
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 255);
    ClipCursor(nullptr);
}

TEST_F(Windows, TimersComeDueWithTheClock)
{
    clock_control::UseSteppedClock(1000);
    HWND w = Top();
    Drain();
    EXPECT_EQ(SetTimer(w, 7, 50, nullptr), 7u);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    clock_control::Advance(50);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_TRUE(KillTimer(w, 7));
    clock_control::Advance(100);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    clock_control::UseRealClock();
}

TEST(Letterbox, PictureIsScaledWithAspectKeptAndMappedBack)
{
    // A 4:3 picture in a 16:9 window: bars left and right.
    const RECT r = presenter::LetterboxRect(1920, 1080, 800, 600);
    EXPECT_EQ(r.left, 240);
    EXPECT_EQ(r.right, 1680);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, 1080);
    POINT p = presenter::MapToDisplay(1920, 1080, 800, 600, 240, 0);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    p = presenter::MapToDisplay(1920, 1080, 800, 600, 960, 540);
    EXPECT_EQ(p.x, 400);
    EXPECT_EQ(p.y, 300);
    p = presenter::MapToDisplay(1920, 1080, 800, 600, 10, 1079);  // on the bar
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 599);
    // A wide picture in a tall window: bars above and below.
    const RECT t = presenter::LetterboxRect(600, 800, 800, 600);
    EXPECT_EQ(t.left, 0);
    EXPECT_EQ(t.top, 175);
    EXPECT_EQ(t.bottom, 625);
}
}  // namespace
