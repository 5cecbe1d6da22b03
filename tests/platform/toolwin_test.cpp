#include "platform/gdi/gdi.h"
#include "platform/input/input.h"
#include "platform/window/toolctl.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct Heard {
    std::vector<std::pair<WORD, WORD>> commands;  // id, code
    std::vector<NMTOOLLIST> notes;
};
Heard* g_heard = nullptr;

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_heard && msg == WM_COMMAND)
        g_heard->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    if (g_heard && msg == WM_NOTIFY)
        g_heard->notes.push_back(*reinterpret_cast<const NMTOOLLIST*>(lParam));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A child that paints itself red.
LRESULT RedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &rc, red);
        DeleteObject(red);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    toolwin::Refresh();
}

class ToolWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_system::Reset();
        ASSERT_TRUE(RegisterToolControls());
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
        wc.lpszClassName = "ToolHost";
        RegisterClassA(&wc);
        wc.lpfnWndProc = RedProc;
        wc.hbrBackground = nullptr;
        wc.lpszClassName = "RedChild";
        RegisterClassA(&wc);
        g_heard = &heard;
        host = CreateWindowExA(0, "ToolHost", "Tools", WS_OVERLAPPEDWINDOW, 100, 50, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(host, nullptr);
        ASSERT_TRUE(toolwin::Attach(host));
    }
    void TearDown() override
    {
        g_heard = nullptr;
        window_system::Reset();
        toolwin::Refresh();
    }
    HWND Make(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h)
    {
        return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, host,
                               reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
    }
    std::uint32_t Pixel(int x, int y)
    {
        std::vector<std::uint32_t> p;
        int w = 0, h = 0;
        EXPECT_TRUE(toolwin::ReadPixels(host, &p, &w, &h));
        return p[static_cast<std::size_t>(y * w + x)] & 0xFFFFFF;
    }
    Heard heard;
    HWND host = nullptr;
};

std::string Cell(HWND list, int row, int column)
{
    char buffer[64] = "";
    TLTEXT t{buffer, sizeof buffer};
    SendMessageA(list, TLM_GETITEMTEXT, MAKEWPARAM(static_cast<WORD>(row), static_cast<WORD>(column)),
                 reinterpret_cast<LPARAM>(&t));
    return buffer;
}

HWND ListWithRows(HWND list, const std::vector<std::pair<std::string, std::string>>& rows)
{
    const TLCOLUMN a{"Name", 80}, b{"Value", 60};
    SendMessageA(list, TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&a));
    SendMessageA(list, TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&b));
    LPARAM n = 0;
    for (const auto& [x, y] : rows) {
        const char* texts[2] = {x.c_str(), y.c_str()};
        const TLITEM item{2, texts, n++};
        SendMessageA(list, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
    return list;
}
}  // namespace

TEST_F(ToolWindows, TheClientAreaIsTheWholeWindowAndChildrenPaintIntoItsPicture)
{
    RECT rc;
    GetClientRect(host, &rc);
    EXPECT_EQ(rc.right, 300);
    EXPECT_EQ(rc.bottom, 200);
    const HWND red = Make("RedChild", "", 0, 1, 20, 30, 40, 10);
    ShowWindow(host, SW_SHOWNA);
    Pump();
    EXPECT_EQ(Pixel(25, 35), 0xFF0000u);
    EXPECT_EQ(Pixel(19, 35), 0xC0C0C0u);
    EXPECT_EQ(Pixel(60, 35), 0xC0C0C0u);
    // Only the parent is out of date: the child is painted again over it.
    InvalidateRect(host, nullptr, TRUE);
    Pump();
    EXPECT_EQ(Pixel(25, 35), 0xFF0000u);
    // Moved, the child leaves background behind.
    MoveWindow(red, 100, 100, 10, 10, TRUE);
    InvalidateRect(host, nullptr, TRUE);
    Pump();
    EXPECT_EQ(Pixel(25, 35), 0xC0C0C0u);
    EXPECT_EQ(Pixel(105, 105), 0xFF0000u);
    // The display's mouse never finds a tool window.
    EXPECT_EQ(WindowFromPoint(POINT{150, 100}), nullptr);
}

TEST_F(ToolWindows, AResizedWindowGetsAPictureOfItsNewSize)
{
    ShowWindow(host, SW_SHOWNA);
    Pump();
    SetWindowPos(host, nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    std::vector<std::uint32_t> p;
    int w = 0, h = 0;
    ASSERT_TRUE(toolwin::ReadPixels(host, &p, &w, &h));
    EXPECT_EQ(w, 120);
    EXPECT_EQ(h, 90);
    EXPECT_EQ(p.back() & 0xFFFFFF, 0xC0C0C0u);
}

TEST_F(ToolWindows, TheListKeepsItsRowsSortedByTheChosenColumn)
{
    const HWND list = ListWithRows(Make(TOOLCTL_LIST, "", 0, 7, 0, 0, 300, 200),
                                   {{"pear", "3"}, {"apple", "10"}, {"fig", "2"}});
    EXPECT_EQ(SendMessageA(list, TLM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(Cell(list, 0, 0), "pear");  // unsorted: as inserted
    SendMessageA(list, TLM_SETSORTCOLUMN, 0, 0);
    EXPECT_EQ(Cell(list, 0, 0), "apple");
    EXPECT_EQ(Cell(list, 2, 0), "pear");
    // New rows go to their place.
    const char* texts[2] = {"banana", "7"};
    const TLITEM item{2, texts, 99};
    EXPECT_EQ(SendMessageA(list, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item)), 1);
    EXPECT_EQ(SendMessageA(list, TLM_GETITEMPARAM, 1, 0), 99);
    // The caller's order: the values as numbers.
    SendMessageA(list, TLM_SETCOMPARE, 0,
                 reinterpret_cast<LPARAM>(+[](LPARAM a, LPARAM b, int, void*) { return a < b ? -1 : (a > b ? 1 : 0); }));
    EXPECT_EQ(Cell(list, 0, 0), "pear");
    EXPECT_EQ(Cell(list, 3, 0), "banana");
}

TEST_F(ToolWindows, AClickOnAColumnHeaderSortsByItAndTellsTheParent)
{
    const HWND list = ListWithRows(Make(TOOLCTL_LIST, "", 0, 7, 0, 0, 300, 200),
                                   {{"pear", "3"}, {"apple", "10"}, {"fig", "2"}});
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 4));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(100, 4));
    EXPECT_EQ(SendMessageA(list, TLM_GETSORTCOLUMN, 0, 0), 1);
    EXPECT_EQ(Cell(list, 0, 1), "10");  // text order
    EXPECT_EQ(Cell(list, 2, 1), "3");
    ASSERT_EQ(heard.notes.size(), 1u);
    EXPECT_EQ(heard.notes[0].hdr.code, TLN_COLUMNCLICK);
    EXPECT_EQ(heard.notes[0].hdr.idFrom, 7u);
    EXPECT_EQ(heard.notes[0].iColumn, 1);
    // Pressed on one header and let go over another: nothing.
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 4));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(100, 4));
    EXPECT_EQ(SendMessageA(list, TLM_GETSORTCOLUMN, 0, 0), 1);
    EXPECT_EQ(heard.notes.size(), 1u);
    // The divider is dragged; the width never goes below a few pixels.
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 4));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-200, 4));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(-200, 4));
    EXPECT_EQ(SendMessageA(list, TLM_GETCOLUMNWIDTH, 0, 0), 8);
    ASSERT_EQ(heard.notes.size(), 2u);
    EXPECT_EQ(heard.notes[1].hdr.code, TLN_COLUMNRESIZED);
}

TEST_F(ToolWindows, TheListScrollsWithTheWheelAndKeys)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < 100; ++i)
        rows.emplace_back("row" + std::to_string(i), "");
    const HWND list = ListWithRows(Make(TOOLCTL_LIST, "", 0, 7, 0, 0, 300, 200), rows);
    EXPECT_EQ(SendMessageA(list, TLM_GETTOPINDEX, 0, 0), 0);
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(SendMessageA(list, TLM_GETTOPINDEX, 0, 0), 3);
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    const auto last = SendMessageA(list, TLM_GETTOPINDEX, 0, 0);
    EXPECT_GT(last, 80);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessageA(list, TLM_GETTOPINDEX, 0, 0), last);
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(SendMessageA(list, TLM_GETTOPINDEX, 0, 0), 0);
}

TEST_F(ToolWindows, ButtonsClickOnReleaseInsideAndCheckBoxesToggle)
{
    const HWND button = Make(TOOLCTL_BUTTON, "Go", BS_PUSHBUTTON, 11, 10, 10, 60, 24);
    const HWND check = Make(TOOLCTL_BUTTON, "Option", BS_AUTOCHECKBOX, 12, 10, 40, 80, 20);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(heard.commands.size(), 1u);
    EXPECT_EQ(heard.commands[0], std::make_pair(WORD{11}, BN_CLICKED));
    // Let go outside: no click.
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    EXPECT_EQ(heard.commands.size(), 1u);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(heard.commands.size(), 3u);
    EXPECT_EQ(heard.commands[2].first, 12);
}

TEST_F(ToolWindows, DialogKeysMoveTheFocusAndPressButtons)
{
    const HWND group = Make(TOOLCTL_BUTTON, "Group", BS_GROUPBOX, 20, 0, 0, 300, 100);
    const HWND a = Make(TOOLCTL_BUTTON, "A", BS_PUSHBUTTON | WS_TABSTOP, 21, 10, 20, 50, 20);
    Make(TOOLCTL_STATIC, "label", SS_LEFT, 22, 10, 50, 50, 20);
    const HWND b = Make(TOOLCTL_BUTTON, "B", BS_DEFPUSHBUTTON | WS_TABSTOP, 23, 70, 20, 50, 20);
    (void)group;
    ShowWindow(host, SW_SHOWNA);
    SetFocus(a);
    MSG tab{a, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(IsToolDialogMessage(host, &tab));
    EXPECT_EQ(GetFocus(), b);
    tab.hwnd = b;
    EXPECT_TRUE(IsToolDialogMessage(host, &tab));
    EXPECT_EQ(GetFocus(), a);
    MSG enter{a, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_TRUE(IsToolDialogMessage(host, &enter));
    MSG escape{a, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(IsToolDialogMessage(host, &escape));
    ASSERT_EQ(heard.commands.size(), 2u);
    EXPECT_EQ(heard.commands[0].first, 23);  // the default button
    EXPECT_EQ(heard.commands[1].first, 2);   // cancel
    MSG other{a, WM_KEYDOWN, 'X', 0, 0, {0, 0}};
    EXPECT_FALSE(IsToolDialogMessage(host, &other));
    // Keys of other windows are not the dialog's.
    MSG foreign{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_FALSE(IsToolDialogMessage(host, &foreign));
}

TEST_F(ToolWindows, TheTextViewScrollsToItsEnd)
{
    const HWND view = Make(TOOLCTL_TEXTVIEW, "", 0, 30, 0, 0, 300, 200);
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "line " + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
    SendMessageA(view, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    EXPECT_EQ(SendMessageA(view, TVM_GETLINECOUNT, 0, 0), 100);
    EXPECT_EQ(SendMessageA(view, WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(text.size()));
    EXPECT_EQ(SendMessageA(view, TVM_GETFIRSTVISIBLE, 0, 0), 0);
    SendMessageA(view, TVM_SCROLLTOEND, 0, 0);
    const auto visible = SendMessageA(view, TVM_GETVISIBLELINES, 0, 0);
    EXPECT_GT(visible, 3);
    EXPECT_EQ(SendMessageA(view, TVM_GETFIRSTVISIBLE, 0, 0), 100 - visible);
    SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
    EXPECT_EQ(SendMessageA(view, TVM_GETFIRSTVISIBLE, 0, 0), 100 - visible - 3);
    // The picture: dark text on the button face.
    ShowWindow(host, SW_SHOWNA);
    Pump();
    int dark = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            dark += (Pixel(x, y) & 0xFF) < 0x40 ? 1 : 0;
    EXPECT_GT(dark, 20);
    EXPECT_EQ(Pixel(250, 10), 0xC0C0C0u);
}

TEST_F(ToolWindows, TheRealWindowsEventsBecomeTheWindowsMessages)
{
    const HWND group = Make(TOOLCTL_BUTTON, "Group", BS_GROUPBOX, 20, 0, 0, 300, 200);
    const HWND button = Make(TOOLCTL_BUTTON, "Go", BS_PUSHBUTTON, 11, 10, 20, 60, 24);
    (void)group;
    ShowWindow(host, SW_SHOWNA);
    Pump();
    if (toolwin::RealWindowCount() == 0)
        GTEST_SKIP() << "no real windows without a video device";
    // The real window of the host is the one SDL made last.
    SDL_Window* real = nullptr;
    for (Uint32 id = 1; id < 1000; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id); w && SDL_GetWindowTitle(w) == std::string("Tools"))
            real = w;
    ASSERT_NE(real, nullptr);
    const Uint32 id = SDL_GetWindowID(real);
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = id;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 20;
    e.button.y = 30;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e.type = SDL_MOUSEBUTTONUP;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    Pump();
    Pump();
    // Through the group box to the button under it.
    ASSERT_EQ(heard.commands.size(), 1u);
    EXPECT_EQ(heard.commands[0].first, 11);
    EXPECT_EQ(GetFocus(), button);
    // A size chosen on the desktop becomes the window's size.
    SDL_Event s{};
    s.type = SDL_WINDOWEVENT;
    s.window.windowID = id;
    s.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    s.window.data1 = 220;
    s.window.data2 = 150;
    ASSERT_EQ(SDL_PushEvent(&s), 1);
    Pump();
    RECT rc;
    GetWindowRect(host, &rc);
    EXPECT_EQ(rc.right - rc.left, 220);
    EXPECT_EQ(rc.bottom - rc.top, 150);
    // Closing it on the desktop closes the window.
    s.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&s), 1);
    Pump();
    EXPECT_FALSE(IsWindow(host));
    Pump();
    EXPECT_EQ(toolwin::RealWindowCount(), 0);
}

TEST(ToolWorkArea, TheWorkAreaIsADesktopRectangle)
{
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_GT(area.right - area.left, 0);
    EXPECT_GT(area.bottom - area.top, 0);
    EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &area, 0));
}
