#include "anim/memmgr.h"
#include "anim/memmgr_internal.h"
#include "platform/clock/clock.h"
#include "platform/gdi/gdi.h"
#include "platform/input/input.h"
#include "platform/msgbox/msgbox.h"
#include "platform/registry/registry.h"
#include "platform/window/toolctl.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace memmgr_internal;

namespace {
constexpr WPARAM kF8 = 0x77;

MSG Key(UINT message, WPARAM vk) { return MSG{nullptr, message, vk, 0, 0, {0, 0}}; }

void Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    toolwin::Refresh();
}

std::string ClassOf(HWND h)
{
    char name[64] = "";
    GetClassNameA(h, name, sizeof name);
    return name;
}

std::string TextOf(HWND h)
{
    char text[256] = "";
    GetWindowTextA(h, text, sizeof text);
    return text;
}

// The first child of the window with that class (and text, when given).
HWND Child(HWND parent, const char* cls, const char* text = nullptr)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == cls && (!text || TextOf(c) == text))
            return c;
    return nullptr;
}

std::string Cell(HWND list, int row, int column)
{
    char buffer[256] = "";
    TLTEXT t{buffer, sizeof buffer};
    SendMessageA(list, TLM_GETITEMTEXT, MAKEWPARAM(static_cast<WORD>(row), static_cast<WORD>(column)),
                 reinterpret_cast<LPARAM>(&t));
    return buffer;
}

int RowNamed(HWND list, const char* expression)
{
    const int n = static_cast<int>(SendMessageA(list, TLM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < n; ++r)
        if (Cell(list, r, 3) == expression)
            return r;
    return -1;
}

// The value shown in a row ("Dynamic:", ...) of the statistics, column 0
// count, 1 size, 2 average: the labels are laid out in rows.
std::string Statistic(HWND window, const char* rowLabel, int column)
{
    HWND label = Child(window, TOOLCTL_STATIC, rowLabel);
    if (!label)
        return "?";
    RECT lr;
    GetWindowRect(label, &lr);
    std::vector<std::pair<LONG, HWND>> row;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        if (c != label && ClassOf(c) == TOOLCTL_STATIC && r.top == lr.top)
            row.emplace_back(r.left, c);
    }
    std::sort(row.begin(), row.end());
    return column < static_cast<int>(row.size()) ? TextOf(row[static_cast<std::size_t>(column)].second) : "?";
}

class MemMgrWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 (std::string("memmgr_window_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld = old != nullptr;
        saved = old ? old : "";
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        registry_store::Reload();
        clock_control::UseSteppedClock(100000);
        msgbox::SetHandler([](const msgbox::Request&) { return IDOK; });
    }
    void TearDown() override
    {
        if (HWND w = MemoryManagerWindow())
            DestroyWindow(w);
        Pump();
        window_system::Reset();
        msgbox::SetHandler({});
        clock_control::UseRealClock();
        if (hadOld)
            setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        registry_store::Reload();
        std::filesystem::remove_all(folder);
    }
    HWND Open()
    {
        MSG f8 = Key(WM_KEYDOWN, kF8);
        EXPECT_EQ(IsMemoryManagerMessage(&f8), 1);
        Pump();
        return MemoryManagerWindow();
    }
    std::filesystem::path folder;
    std::string saved;
    bool hadOld = false;
};
}  // namespace

TEST_F(MemMgrWindow, FEightOpensTheWindowAndIsLeftToTheHostWhileItIsOpen)
{
    MSG other = Key(WM_KEYDOWN, 0x76);
    EXPECT_EQ(IsMemoryManagerMessage(&other), 0);
    MSG up = Key(WM_KEYUP, kF8);
    EXPECT_EQ(IsMemoryManagerMessage(&up), 0);
    EXPECT_EQ(MemoryManagerWindow(), nullptr);

    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(TextOf(w), "Memory Manager");
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_TRUE(toolwin::IsAttached(w));
    MSG f8 = Key(WM_KEYDOWN, kF8);
    EXPECT_EQ(IsMemoryManagerMessage(&f8), 0);
    EXPECT_EQ(MemoryManagerWindow(), w);
    EXPECT_EQ(ShowMemoryManager(), 1);
    EXPECT_EQ(MemoryManagerWindow(), w);

    // Closed with its button, it opens again with the key.
    SendMessageA(Child(w, TOOLCTL_BUTTON, "Close"), BM_CLICK, 0, 0);
    EXPECT_EQ(MemoryManagerWindow(), nullptr);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(IsMemoryManagerMessage(&f8), 1);
    EXPECT_NE(MemoryManagerWindow(), nullptr);
}

TEST_F(MemMgrWindow, TheControlsAreThere)
{
    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_NE(Child(w, TOOLCTL_BUTTON, "Allocation Statistics"), nullptr);
    for (const char* label : {"Dynamic:", "Combined:", "Tared:", "Count", "Size", "Average"})
        EXPECT_NE(Child(w, TOOLCTL_STATIC, label), nullptr) << label;
    for (const char* button : {"Tare", "Restore", "Close", "Details"})
        EXPECT_NE(Child(w, TOOLCTL_BUTTON, button), nullptr) << button;
    const HWND list = Child(w, TOOLCTL_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, TLM_GETCOLUMNCOUNT, 0, 0), 6);
    const int widths[6] = {70, 40, 100, 110, 50, 80};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(SendMessageA(list, TLM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0), widths[c]);
    // Sorted by size to begin with.
    EXPECT_EQ(SendMessageA(list, TLM_GETSORTCOLUMN, 0, 0), 1);
    EXPECT_EQ(SendMessageA(Child(w, TOOLCTL_BUTTON, "Details"), BM_GETCHECK, 0, 0), BST_CHECKED);
    RECT rc;
    GetWindowRect(w, &rc);
    EXPECT_EQ(rc.right - rc.left, 510);
    EXPECT_EQ(rc.bottom - rc.top, 440);
}

TEST_F(MemMgrWindow, TheListShowsEveryBlockWithWhereItCameFrom)
{
    void* live = MemMgr_AllocateMemory(5000, "liveBlock", "src\\anim\\shown.cpp", 321);
    void* freed = MemMgr_AllocateMemory(10, "freedBlock", "gone.cpp", 9);
    MemMgr_FreeMemory(freed, "gone.cpp", 10);
    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    const HWND list = Child(w, TOOLCTL_LIST);
    const int r = RowNamed(list, "liveBlock");
    ASSERT_GE(r, 0);
    char address[32];
    std::snprintf(address, sizeof address, "0x%08lX", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(live)));
    EXPECT_EQ(Cell(list, r, 0), address);
    EXPECT_EQ(Cell(list, r, 1), "4.88 kb");
    EXPECT_EQ(Cell(list, r, 2), "shown.cpp, 321");
    EXPECT_EQ(Cell(list, r, 4), "   ");
    EXPECT_EQ(Cell(list, r, 5).size() >= 10u, true);
    const int f = RowNamed(list, "freedBlock");
    ASSERT_GE(f, 0);
    EXPECT_EQ(Cell(list, f, 4), "  F");
    // Biggest first.
    const int n = static_cast<int>(SendMessageA(list, TLM_GETITEMCOUNT, 0, 0));
    ASSERT_GT(n, 1);
    EXPECT_GT(r, -1);
    EXPECT_LT(r, f);
    MemMgr_FreeMemory(live, "t", 1);
}

TEST_F(MemMgrWindow, AllocationsShowUpWhenTheWindowReadsItsMessages)
{
    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    const HWND list = Child(w, TOOLCTL_LIST);
    const long long before = GetTotals().dynamic.count;
    EXPECT_EQ(Statistic(w, "Dynamic:", 0), std::to_string(before));
    clock_control::Advance(1000);
    void* late = MemMgr_AllocateMemory(64, "lateBlock", "late.cpp", 1);
    EXPECT_EQ(RowNamed(list, "lateBlock"), -1);
    Pump();
    EXPECT_GE(RowNamed(list, "lateBlock"), 0);
    EXPECT_EQ(Statistic(w, "Dynamic:", 0), std::to_string(before + 1));
    // Many changes close together make one refresh, and the timer catches up
    // with the rest.
    void* more = MemMgr_AllocateMemory(64, "moreBlock", "late.cpp", 2);
    Pump();
    EXPECT_EQ(Statistic(w, "Dynamic:", 0), std::to_string(before + 2));
    clock_control::Advance(600);
    Pump();
    EXPECT_GE(RowNamed(list, "moreBlock"), 0);
    MemMgr_FreeMemory(late, "late.cpp", 3);
    MemMgr_FreeMemory(more, "late.cpp", 4);
}

TEST_F(MemMgrWindow, TareAndRestoreMoveTheBaseline)
{
    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    SendMessageA(Child(w, TOOLCTL_BUTTON, "Tare"), BM_CLICK, 0, 0);
    EXPECT_EQ(Statistic(w, "Tared:", 0), "0");
    EXPECT_EQ(Statistic(w, "Tared:", 1), "0 b");
    void* p = MemMgr_AllocateMemory(4096, "tared", "t.cpp", 1);
    clock_control::Advance(1000);
    Pump();
    EXPECT_EQ(Statistic(w, "Tared:", 0), "1");
    EXPECT_EQ(Statistic(w, "Tared:", 1), "4.00 kb");
    EXPECT_EQ(Statistic(w, "Tared:", 2), "4.00 kb");
    SendMessageA(Child(w, TOOLCTL_BUTTON, "Restore"), BM_CLICK, 0, 0);
    EXPECT_EQ(Statistic(w, "Tared:", 0), Statistic(w, "Combined:", 0));
    MemMgr_FreeMemory(p, "t.cpp", 2);
}

TEST_F(MemMgrWindow, AClickedColumnSortsTheListAndIsRememberedWithTheColumnWidths)
{
    void* a = MemMgr_AllocateMemory(1, "zzzLast", "s.cpp", 1);
    void* b = MemMgr_AllocateMemory(1, "aaaFirst", "s.cpp", 2);
    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    const HWND list = Child(w, TOOLCTL_LIST);
    // The header of "Expression" (the fourth column) is clicked.
    const int x = 70 + 40 + 100 + 30, y = 5;
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_EQ(SendMessageA(list, TLM_GETSORTCOLUMN, 0, 0), 3);
    const int n = static_cast<int>(SendMessageA(list, TLM_GETITEMCOUNT, 0, 0));
    for (int r = 1; r < n; ++r)
        ASSERT_LE(Cell(list, r - 1, 3), Cell(list, r, 3)) << r;
    EXPECT_LT(RowNamed(list, "aaaFirst"), RowNamed(list, "zzzLast"));
    // The divider after "Size" is dragged 25 pixels to the right.
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, y));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(135, y));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(135, y));
    EXPECT_EQ(SendMessageA(list, TLM_GETCOLUMNWIDTH, 1, 0), 65);
    MoveWindow(w, 30, 40, 600, 500, TRUE);
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(MemoryManagerWindow(), nullptr);
    const SETTINGS s = ReadSettings();
    EXPECT_EQ(s.sortBy, 2);
    EXPECT_EQ(s.widths[1], 65);
    EXPECT_EQ(s.rc.left, 30);
    EXPECT_EQ(s.rc.right, 630);
    // Opened again, it is where and as it was left.
    const HWND again = Open();
    ASSERT_NE(again, nullptr);
    RECT rc;
    GetWindowRect(again, &rc);
    EXPECT_EQ(rc.left, 30);
    EXPECT_EQ(rc.bottom, 540);
    EXPECT_EQ(SendMessageA(Child(again, TOOLCTL_LIST), TLM_GETSORTCOLUMN, 0, 0), 3);
    MemMgr_FreeMemory(a, "s.cpp", 3);
    MemMgr_FreeMemory(b, "s.cpp", 4);
}

TEST_F(MemMgrWindow, DetailsHidesTheListAndEscapeCloses)
{
    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    const HWND list = Child(w, TOOLCTL_LIST);
    EXPECT_TRUE(IsWindowVisible(list));
    SendMessageA(Child(w, TOOLCTL_BUTTON, "Details"), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(list));
    // Escape, through the dialog keys of the window's own loop.
    PostMessageA(Child(w, TOOLCTL_BUTTON, "Tare"), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(WhileMemoryManagerShowing(), 0);
    EXPECT_EQ(MemoryManagerWindow(), nullptr);
    EXPECT_EQ(ReadSettings().fDetails, 0);
    const HWND again = Open();
    EXPECT_FALSE(IsWindowVisible(Child(again, TOOLCTL_LIST)));
}

TEST_F(MemMgrWindow, AQuitRequestEndsTheWindowsLoopAndStaysForTheHost)
{
    ASSERT_NE(Open(), nullptr);
    PostQuitMessage(3);
    EXPECT_EQ(WhileMemoryManagerShowing(), 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(MemMgrWindow, TheWindowIsPaintedInItsOwnPicture)
{
    const HWND w = Open();
    ASSERT_NE(w, nullptr);
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(toolwin::ReadPixels(w, &pixels, &width, &height));
    EXPECT_EQ(width, 510);
    EXPECT_EQ(height, 440);
    const std::uint32_t face = 0xC0C0C0;
    EXPECT_EQ(pixels[static_cast<std::size_t>(2 * width + 2)] & 0xFFFFFF, face);
    // Text of the statistics: dark pixels inside the group.
    int dark = 0;
    for (int y = 10; y < 120; ++y)
        for (int x = 10; x < 300; ++x)
            if ((pixels[static_cast<std::size_t>(y * width + x)] & 0xFF) < 0x40)
                ++dark;
    EXPECT_GT(dark, 100);
    // The list: white rows.
    RECT lr;
    GetWindowRect(Child(w, TOOLCTL_LIST), &lr);
    RECT wr;
    GetWindowRect(w, &wr);
    const int lx = lr.left - wr.left + 5, ly = lr.bottom - wr.top - 5;
    EXPECT_EQ(pixels[static_cast<std::size_t>(ly * width + lx)] & 0xFFFFFF, 0xFFFFFFu);
}
