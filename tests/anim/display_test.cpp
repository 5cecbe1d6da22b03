#include "anim/display.h"
#include "anim/lasterror.h"
#include "platform/ddraw/presenter.h"
#include "platform/msgbox/msgbox.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
std::vector<UINT> g_dialogMessages;

LRESULT AnimProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcA(hwnd, msg, wParam, lParam); }

LRESULT MainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    g_dialogMessages.push_back(msg);
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Display, nullptr);
        window_system::Reset();
        WNDCLASSA wc{};
        wc.lpfnWndProc = AnimProc;
        wc.cbWndExtra = 4;
        wc.lpszClassName = "AnimWindow";
        RegisterClassA(&wc);
        static const DIALOGITEM items[] = {{"AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 184, 133, 1000}};
        static const DIALOGTEMPLATE tmpl{WS_POPUP | WS_CAPTION | WS_SYSMENU, nullptr, "Varno", "MS Sans Serif", 8,
                                         0,   0, 184, 133, items, 1};
        g_dialogMessages.clear();
        m_main = CreateDialogIndirectParamA(nullptr, &tmpl, nullptr, MainDialogProc, 0);
        ASSERT_TRUE(IsWindow(m_main));
        ShowWindow(m_main, SW_SHOW);
        ASSERT_EQ(Display->SetMainWindow(m_main), 1);
        GetWindowRect(m_main, &m_mainBefore);
    }
    void TearDown() override
    {
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        msgbox::SetHandler(nullptr);
        ZephaneSetAssertFunction(nullptr);
    }
    HWND m_main = nullptr;
    RECT m_mainBefore{};
};

TEST_F(DisplayTest, TheLiveInstanceStartsWindowedAtTheDesktopMode)
{
    EXPECT_EQ(DISPLAY::fThereCanBeOnlyOne, 1);
    const presenter::Mode desk = presenter::DesktopMode();
    EXPECT_EQ(Display->GetWidth(), desk.width);
    EXPECT_EQ(Display->GetHeight(), desk.height);
    EXPECT_EQ(Display->GetDepth(), desk.depth);
    EXPECT_EQ(Display->GetGDIDepth(), desk.depth);
    EXPECT_EQ(Display->fFullScreen(), 0);
    EXPECT_EQ(Display->GetAnimMethod(), amBlit);
    EXPECT_EQ(Display->GetPitch(), desk.width);
    EXPECT_EQ(Display->GetMainWindow(), m_main);
    EXPECT_NE(Display->GetDirectDraw(), nullptr);
    EXPECT_EQ(Display->fCanCreateWideSurfaces(), 1);
    RECT rc;
    ASSERT_EQ(Display->GetRect(&rc), 1);
    EXPECT_EQ(rc.right, desk.width);
    EXPECT_NE(GetZephaneInstance(), nullptr);
}

TEST_F(DisplayTest, ASecondDisplayFailsEverythingAndLeavesTheFirstAlone)
{
    auto* second = new DISPLAY();
    EXPECT_EQ(ZephaneGetLastError(), errDuplicateDisplay);
    ZephaneSetLastError(0);
    EXPECT_EQ(second->GetWidth(), -1);
    EXPECT_EQ(ZephaneGetLastError(), errDuplicateDisplay);
    EXPECT_EQ(second->GetDepth(), 0xFFFF);
    EXPECT_EQ(second->fFullScreen(), 0);
    EXPECT_EQ(second->fChangingVideoModes(), 0);
    EXPECT_EQ(second->GetVideoModeList(), nullptr);
    EXPECT_EQ(second->SetVideoMode(640, 480, 16, amFlip), 0);
    EXPECT_EQ(second->GetSurface(1), nullptr);
    delete second;
    EXPECT_EQ(ZephaneGetLastError(), errDuplicateDisplay);
    EXPECT_EQ(DISPLAY::fThereCanBeOnlyOne, 1);
    EXPECT_NE(Display, nullptr);
    EXPECT_EQ(Display->GetWidth(), presenter::DesktopMode().width);
}

TEST_F(DisplayTest, ModeListHoldsTheClassicModesInEnumerationOrder)
{
    VIDEOMODELIST* list = Display->GetVideoModeList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count, 12u);
    EXPECT_EQ(+list->entries[0].lWidth, 640);
    EXPECT_EQ(+list->entries[0].lHeight, 480);
    EXPECT_EQ(+list->entries[0].wDepth, 8);
    bool has800x600x16 = false;
    for (std::uint32_t i = 0; i < list->count; ++i)
        has800x600x16 = has800x600x16 || (list->entries[i].lWidth == 800 && list->entries[i].lHeight == 600 &&
                                          list->entries[i].wDepth == 16);
    EXPECT_TRUE(has800x600x16);
    EXPECT_EQ(+list->entries[11].lWidth, 1152);
    EXPECT_EQ(+list->entries[11].wDepth, 32);
    DISPLAY::FreeVideoModeList(list);
    DISPLAY::FreeVideoModeList(nullptr);
}

TEST_F(DisplayTest, FullScreenModeCoversTheScreenWithTheAnimationWindow)
{
    ASSERT_EQ(Display->SetVideoMode(800, 600, 16, amFlipTriple), 1);
    EXPECT_EQ(Display->fFullScreen(), 1);
    EXPECT_EQ(Display->GetWidth(), 800);
    EXPECT_EQ(Display->GetHeight(), 600);
    EXPECT_EQ(Display->GetDepth(), 16);
    EXPECT_EQ(Display->GetAnimMethod(), amFlipTriple);
    EXPECT_EQ(Display->fChangingVideoModes(), 0);
    // The animation window's top-left is at the screen origin, and the main
    // window grew by what the animation window lacked of the screen size.
    HWND anim = GetDlgItem(m_main, 1000);
    RECT a, m;
    GetWindowRect(anim, &a);
    GetWindowRect(m_main, &m);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(m.right - m.left, m_mainBefore.right - m_mainBefore.left + 800 - (a.right - a.left));
    EXPECT_EQ(m.bottom - m.top, m_mainBefore.bottom - m_mainBefore.top + 600 - (a.bottom - a.top));
    IDirectDrawSurface* back = Display->GetSurface(0);
    IDirectDrawSurface* front = Display->GetSurface(1);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(front, nullptr);
    EXPECT_NE(back, front);
    EXPECT_EQ(Display->GetPitch(), 800 * 4);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);

    // A flip shows what was drawn into the back buffer.
    DDBLTFX fx{sizeof(fx), 0x00FF0000};
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    ASSERT_EQ(Display->Flip(), 1);
    int w = 0, h = 0;
    const auto& shown = presenter::LastPicture(&w, &h);
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
    EXPECT_EQ(shown[0], 0xFF0000u);
    EXPECT_EQ(Display->GetSurface(1)->Pixels()[0], 0xFF0000u);
}

TEST_F(DisplayTest, RefusedModeKeepsTheOldOne)
{
    ASSERT_EQ(Display->SetVideoMode(640, 480, 32, amFlip), 1);
    EXPECT_EQ(Display->SetVideoMode(123, 45, 16, amFlip), 0);
    EXPECT_EQ(ZephaneGetLastError(), DDERR_INVALIDMODE);
    EXPECT_EQ(Display->GetWidth(), 640);
    EXPECT_EQ(Display->GetHeight(), 480);
    EXPECT_EQ(Display->GetDepth(), 32);
    EXPECT_EQ(Display->fFullScreen(), 1);
    // The surfaces went with the attempt; they come back with the next mode.
    EXPECT_EQ(Display->GetSurface(1), nullptr);
    ASSERT_EQ(Display->SetVideoMode(640, 480, 32, amFlip), 1);
    EXPECT_NE(Display->GetSurface(1), nullptr);

    // Refused while windowed: still windowed.
    ASSERT_EQ(Display->RestoreVideoMode(), 1);
    EXPECT_EQ(Display->SetVideoMode(1280, 1024, 32, amFlip), 0);
    EXPECT_EQ(Display->fFullScreen(), 0);
    EXPECT_EQ(Display->GetWidth(), presenter::DesktopMode().width);
}

TEST_F(DisplayTest, SurfacesPerMethod)
{
    ASSERT_EQ(Display->SetVideoMode(640, 480, 16, amBlit), 1);
    EXPECT_EQ(Display->GetSurface(0), nullptr);  // no back buffer when blitting
    EXPECT_NE(Display->GetSurface(1), nullptr);
    EXPECT_EQ(Display->Flip(), 0);
    ASSERT_EQ(Display->SetVideoMode(640, 480, 16, amFlip), 1);
    IDirectDrawSurface* back = Display->GetSurface(0);
    ASSERT_NE(back, nullptr);
    DDSCAPS caps{};
    back->GetCaps(&caps);
    EXPECT_NE(caps.dwCaps & DDSCAPS_BACKBUFFER, 0u);
    // Windowed, both ask for the primary surface.
    ASSERT_EQ(Display->RestoreVideoMode(), 1);
    EXPECT_EQ(Display->GetSurface(0), Display->GetSurface(1));
    EXPECT_EQ(Display->Flip(), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNotFlipping);
}

TEST_F(DisplayTest, RestoreVideoModeWhileWindowedChangesNothing)
{
    RECT before;
    GetWindowRect(m_main, &before);
    IDirectDrawSurface* primary = Display->GetSurface(1);
    EXPECT_EQ(Display->RestoreVideoMode(), 1);
    EXPECT_EQ(Display->GetSurface(1), primary);
    RECT after;
    GetWindowRect(m_main, &after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof(RECT)), 0);

    // After a full-screen mode the window goes back where it was.
    ASSERT_EQ(Display->SetVideoMode(1024, 768, 32, amFlipTriple), 1);
    ASSERT_EQ(Display->RestoreVideoMode(), 1);
    GetWindowRect(m_main, &after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof(RECT)), 0);
    EXPECT_EQ(Display->fFullScreen(), 0);
    EXPECT_EQ(Display->GetAnimMethod(), amBlit);
    EXPECT_EQ(presenter::IsShown(), false);
}

TEST_F(DisplayTest, MainWindowIsSubclassedOnceAndMenuCountStaysAtOrAboveZero)
{
    ASSERT_EQ(Display->SetMainWindow(m_main), 1);  // the same window again
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(m_main, GWL_WNDPROC)), &DISPLAY::MainWindowProc);
    g_dialogMessages.clear();
    SendMessageA(m_main, WM_USER + 3, 0, 0);
    ASSERT_EQ(g_dialogMessages.size(), 1u);  // passed on exactly once
    EXPECT_EQ(g_dialogMessages[0], WM_USER + 3);

    SendMessageA(m_main, WM_EXITMENULOOP, 0, 0);
    EXPECT_EQ(Display->GetMenuCount(), 0);
    SendMessageA(m_main, WM_ENTERMENULOOP, 0, 0);
    EXPECT_EQ(Display->GetMenuCount(), 1);
    SendMessageA(m_main, WM_EXITMENULOOP, 0, 0);
    SendMessageA(m_main, WM_EXITMENULOOP, 0, 0);
    EXPECT_EQ(Display->GetMenuCount(), 0);

    SendMessageA(m_main, WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(Display->fActive(), 0);
    SendMessageA(m_main, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(Display->fActive(), 1);

    // Handing over to another window gives the first its own procedure back.
    ASSERT_EQ(Display->SetMainWindow(nullptr), 1);
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongA(m_main, GWL_WNDPROC)), &DISPLAY::MainWindowProc);
}

TEST_F(DisplayTest, SettingTheMainWindowInFullScreenIsAnAssertion)
{
    ASSERT_EQ(Display->SetVideoMode(640, 480, 16, amFlip), 1);
    int asserted = 0;
    static int* s_count;
    s_count = &asserted;
    ZephaneSetAssertFunction([](int fOK, const char*, const char*, unsigned long) {
        ++*s_count;
        return fOK;
    });
    EXPECT_EQ(Display->SetMainWindow(m_main), 0);
    EXPECT_EQ(ZephaneGetLastError(), errNoMainWindow);
    EXPECT_EQ(asserted, 1);
}

TEST_F(DisplayTest, AFailedAssertionRestoresTheDesktopMode)
{
    ASSERT_EQ(Display->SetVideoMode(800, 600, 32, amFlipTriple), 1);
    bool fullWhenShown = true;
    static bool* s_full;
    s_full = &fullWhenShown;
    msgbox::SetHandler([](const msgbox::Request&) {
        *s_full = Display->fFullScreen() != 0;
        return IDOK;
    });
    EXPECT_EQ(ZephaneAssertFunction(0, "!!test", "display_test.cpp", 1), 0);
    EXPECT_FALSE(fullWhenShown);
    EXPECT_EQ(Display->fFullScreen(), 0);
}

TEST(DisplayWithoutDirectDraw, QueriesThatNeedItFail)
{
    window_system::Reset();
    delete Display;
    ASSERT_EQ(Display, nullptr);
    EXPECT_EQ(DISPLAY::fThereCanBeOnlyOne, 0);
    ddraw_control::SetCreateFails(true);
    auto* d = new DISPLAY();
    ddraw_control::SetCreateFails(false);
    EXPECT_EQ(d->GetVideoModeList(), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errNoDirectDraw);
    EXPECT_EQ(d->GetDirectDraw(), nullptr);
    EXPECT_EQ(d->GetDirect3d(), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errNoDirectDraw);
    EXPECT_EQ(d->SetVideoMode(640, 480, 16, amFlip), 0);
    EXPECT_EQ(d->GetWidth(), presenter::DesktopMode().width);  // queries of the mode still work
    delete d;
    Display = new DISPLAY();
    EXPECT_EQ(DISPLAY::fThereCanBeOnlyOne, 1);
    EXPECT_NE(Display->GetDirectDraw(), nullptr);
}
}  // namespace
