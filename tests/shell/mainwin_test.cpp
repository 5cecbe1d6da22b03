#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/memmgr.h"
#include "game/game.h"
#include "platform/clock/clock.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "screens/menus.h"
#include "screens/status.h"
#include "shell/cursor.h"
#include "shell/intro.h"
#include "levelfile/datafile.h"
#include "screens/screenbox.h"
#include "shell/mainwin.h"
#include "support/textres.h"
#include "tests/support/support_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

TEST(Intro, CaptionFadesInHoldsAndFadesOut)
{
    EXPECT_EQ(IntroLightness(0), 0);
    EXPECT_EQ(IntroLightness(375), 127);
    EXPECT_EQ(IntroLightness(749), 254);
    EXPECT_EQ(IntroLightness(750), 255);
    EXPECT_EQ(IntroLightness(1149), 255);
    EXPECT_EQ(IntroLightness(1525), 127);
    EXPECT_EQ(IntroLightness(1900), 0);
    EXPECT_EQ(IntroLightness(2899), 0);
    EXPECT_EQ(IntroLightness(60000), 0);
}

// The real main window with its animation window, on the stepped clock, and
// the menus drawn in it; no level file, sound or 3D scene.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry = std::make_unique<supporttest::FreshRegistry>();
        window_system::Reset();
        AnimWindow_RegisterClass();
        clock_control::UseSteppedClock(5000);
        g = GAME{};
        SettingsDefaults(&g.Settings);
        g.Settings.fSound = FALSE;
        hwnd = CreateMainWindow();
        ASSERT_NE(hwnd, nullptr);
        ASSERT_NE(g.App.pAnimWin, nullptr);
        GetWindowRect(hwnd, &hiddenRect);
        ASSERT_EQ(Display->SetVideoMode(640, 480, 32, amFlip), 1);
        SetMenuWindow(g.App.pAnimWin);
        InstallMenuSeams();
        g.App.pAnimWin->SetTargetFrameRate(0);
    }
    void TearDown() override
    {
        EndIntro();
        ReleaseMenus();
        RemoveStatusBars();
        Display->RestoreVideoMode();
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        clock_control::UseRealClock();
        g = GAME{};
        registry.reset();
    }
    // A key pressed and released on the animation window, as the window
    // system queues it, then the queue pumped the way the idle call does.
    void Key(int vk)
    {
        PostMessageA(g.App.pAnimWin->GetWindow(), WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
        PostMessageA(g.App.pAnimWin->GetWindow(), WM_KEYUP, static_cast<WPARAM>(vk), 0);
        while (PumpOneMessage() && HasMessages()) {
        }
    }
    static bool HasMessages()
    {
        MSG msg;
        return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
    }
    void DrawFrameAt(DWORD tick)
    {
        clock_control::SetTick(tick);
        g.App.pAnimWin->RenderFrame();
    }

    std::unique_ptr<supporttest::FreshRegistry> registry;
    HWND hwnd = nullptr;
    RECT hiddenRect{};
};

TEST_F(MainWindow, StaysOutOfSightAndHostsTheAnimationWindowWithTheCallback)
{
    // Before any mode it lies beyond the screen's top-left corner.
    EXPECT_LE(hiddenRect.right, 0);
    EXPECT_LE(hiddenRect.bottom, 0);
    EXPECT_EQ(g.App.pAnimWin->GetCallback(), &VarnoFrameCallback);
    EXPECT_EQ(Display->GetMainWindow(), hwnd);
    // A video mode puts the main window over the screen; the animation
    // window covers it.
    RECT client{};
    GetClientRect(g.App.pAnimWin->GetWindow(), &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
}

TEST_F(MainWindow, QuitStopsTheLoopAtTheNextIdleCall)
{
    EXPECT_EQ(VarnoFrameCallback(g.App.pAnimWin, svcawIdle, 0, 0), 1);
    HandleMainCommand(cmdQuit);
    EXPECT_TRUE(g.App.fQuit);
    EXPECT_EQ(VarnoFrameCallback(g.App.pAnimWin, svcawIdle, 0, 0), 0);
}

TEST_F(MainWindow, ClosingTheWindowAndAltF4RequestQuit)
{
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(g.App.fQuit);

    g.App.fQuit = FALSE;
    MSG msg{};
    msg.hwnd = g.App.pAnimWin->GetWindow();
    msg.message = WM_SYSKEYDOWN;
    msg.wParam = VK_F4;
    input_store::SetKeyDown(VK_MENU, true);
    EXPECT_NE(TranslateAcceleratorA(hwnd, VarnoAccelerators(), &msg), 0);
    input_store::SetKeyDown(VK_MENU, false);
    EXPECT_TRUE(g.App.fQuit);
}

TEST_F(MainWindow, EscapePausesPlayAndASecondEscapeResumesWithTheSameTimeLeft)
{
    g.lGameState = gsPlaying;
    g.ActivePuzzle.dwRollStart = 5000 + 700;
    g.ActivePuzzle.dwStateEnd = 5000 + 1500;
    Key(VK_ESCAPE);
    ASSERT_EQ(g.lGameState, gsPaused);
    EXPECT_EQ(Menus().pCurrent, &PauseMenu);

    clock_control::SetTick(9000);  // four seconds in the pause menu
    Key(VK_F10);
    EXPECT_EQ(g.lGameState, gsPlaying);
    EXPECT_EQ(Menus().pCurrent, nullptr);
    EXPECT_EQ(g.ActivePuzzle.dwRollStart, 9000u + 700);
    EXPECT_EQ(g.ActivePuzzle.dwStateEnd, 9000u + 1500);
}

TEST_F(MainWindow, EscapeGoesBackFromTheOptionsMenuAndDoesNothingOnTheMainMenu)
{
    g.lGameState = gsMenu;
    ShowMenu(&OptionsMenu);
    Key(VK_ESCAPE);
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
    Key(VK_ESCAPE);
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
    EXPECT_EQ(g.lGameState, gsMenu);
}

TEST_F(MainWindow, SkipTutorialCommandIsIgnoredOutsideTheTutorial)
{
    g.lGameState = gsPlaying;
    g.fTutorial = FALSE;
    g.lLevel = 3;
    HandleMainCommand(cmdSkipTutorial);
    EXPECT_EQ(g.lGameState, gsPlaying);
    EXPECT_EQ(g.lLevel, 3);
}

TEST_F(MainWindow, IntroShowsTheCaptionThenTheMainMenuWithTheCursor)
{
    StartIntro();
    EXPECT_EQ(g.lGameState, gsIntro);
    EXPECT_TRUE(fIntroCaptionShown());
    EXPECT_FALSE(fCursorWanted());

    DrawFrameAt(10000);  // the fade is measured from the first drawn frame
    DrawFrameAt(10000 + 2899);
    EXPECT_TRUE(fIntroCaptionShown());
    EXPECT_EQ(Menus().pCurrent, nullptr);

    DrawFrameAt(10000 + 2900);
    EXPECT_FALSE(fIntroCaptionShown());
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
    EXPECT_EQ(g.lGameState, gsIntro);
    EXPECT_TRUE(fCursorWanted());

    // Escape on the main menu of the intro changes nothing.
    Key(VK_ESCAPE);
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
}

TEST_F(MainWindow, AModeChangeBringsTheStatusBarsBackOnlyWhereTheyBelong)
{
    InitStatusDisplay(g.App.pAnimWin);
    g.lGameState = gsMenu;
    ASSERT_EQ(Display->SetVideoMode(800, 600, 32, amFlip), 1);
    EXPECT_EQ(StatusBarHeight(), 0);

    g.lGameState = gsPlaying;
    g.lLevel = 2;
    g.lLives = 3;
    ASSERT_EQ(Display->SetVideoMode(1024, 768, 32, amFlip), 1);
    EXPECT_EQ(StatusBarHeight(), StatusBarHeightFor(1024, 768));
}

TEST_F(MainWindow, F8OpensTheMemoryStatisticsWindowInsteadOfReachingTheGame)
{
    ASSERT_EQ(MemoryManagerWindow(), nullptr);
    PostMessageA(g.App.pAnimWin->GetWindow(), WM_KEYDOWN, VK_F8, 0);
    EXPECT_EQ(PumpOneMessage(), 1);
    HWND statistics = MemoryManagerWindow();
    EXPECT_NE(statistics, nullptr);
    if (statistics)
        DestroyWindow(statistics);
}

} // namespace

namespace {
TEST_F(MainWindow, TabSkipsTheTutorial)
{
    ASSERT_TRUE(ParseLevelText("Level { Puzzle { Mines = 1 Cubes { n } } }", &g.Levels));
    g.Settings.lStartLevel = 1;
    g.lGameState = gsPlaying;
    g.fTutorial = TRUE;
    g.lLevel = 0;
    Key(VK_TAB);
    EXPECT_FALSE(g.fTutorial);
    EXPECT_EQ(g.lLevel, 1);
    ReleaseLevelList(&g.Levels);
}

TEST_F(MainWindow, EscapeDoesNotReachTheMenuBehindAMessageBox)
{
    g.lGameState = gsMenu;
    ShowMenu(&OptionsMenu);
    const HWND aw = g.App.pAnimWin->GetWindow();
    PostMessageA(aw, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(aw, WM_KEYUP, VK_ESCAPE, 0);
    PostMessageA(aw, WM_KEYDOWN, VK_F10, 0);
    PostMessageA(aw, WM_KEYUP, VK_F10, 0);
    PostQuitMessage(0); // takes the box away once the keys were pumped
    EXPECT_EQ(ScreenMessageBox(mbtClose, 38, nullptr), mbaOk);
    EXPECT_EQ(Menus().pCurrent, &OptionsMenu);
}

TEST_F(MainWindow, F12TellsWhereTheScreenshotWentInTheTopBar)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("varno-f12-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const char* old = std::getenv("XDG_PICTURES_DIR");
    const std::string saved = old ? old : "";
    setenv("XDG_PICTURES_DIR", folder.c_str(), 1);
    InitStatusDisplay(g.App.pAnimWin);
    g.lGameState = gsMenu;
    DrawFrameAt(6000);
    for (WORD language : {LANG_ENGLISH_TEXTS, LANG_ESPERANTO_TEXTS}) {
        SetLanguage(language);
        HandleMainCommand(cmdScreenshot);
        ASSERT_NE(StatusNotice(), nullptr);
        const std::string notice = StatusNotice();
        const std::string start = language == LANG_ENGLISH_TEXTS ? "Screenshot saved: " : "Ekrankopio konservita: ";
        ASSERT_EQ(notice.rfind(start, 0), 0u) << notice;
        EXPECT_TRUE(std::filesystem::exists(notice.substr(start.size()))) << notice;
        EXPECT_GT(StatusBarHeight(), 0);
        // Two seconds later the line has gone, and with it the bar of the menu screen.
        clock_control::SetTick(GetTickCount() + 2000);
        VarnoFrameCallback(g.App.pAnimWin, svcawBeginFrame, 0, 0);
        EXPECT_EQ(StatusNotice(), nullptr);
        EXPECT_EQ(StatusBarHeight(), 0);
    }
    SetLanguage(LANG_ENGLISH_TEXTS);
    if (old)
        setenv("XDG_PICTURES_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_PICTURES_DIR");
    std::filesystem::remove_all(folder);
}
} // namespace
