// The menus: layout, labels, the commands of their entries, the navigation
// keys with their wrap, back with Escape, the colours, the language button
// and the editor menu's defaults.
#include "screens_support.h"

#include "editor/editor.h"
#include "game/flow.h"
#include "game/game.h"
#include "game/field.h"
#include "screens/ac_button.h"
#include "screens/acpaint.h"
#include "screens/editorhooks.h"
#include "screens/menuhooks.h"
#include "screens/menus.h"
#include "screens/screenbox.h"
#include "shell/cursor.h"
#include "shell/settings.h"
#include "support/textres.h"

#include <string>

using namespace screenstest;

namespace {
int g_titleShown = 0;
int g_titleHidden = 0;
std::vector<std::pair<int, int>> g_steps;
int g_editorOpened = 0;
int g_editorClosed = 0;

int Chain(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    MenuService(w, code, wParam, lParam);
    MessageBoxService(w, code, wParam, lParam);
    return 1;
}

class Menu : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        SetLanguage(LANG_ENGLISH_TEXTS);
        SettingsDefaults(&g.Settings);
        g.lGameState = gsMenu;
        FlowSeams() = FLOWSEAMS{};
        MenuHooks() = MENUHOOKS{};
        EditorHooks() = EDITORHOOKS{};
        MenuHooks().pfnShowTitleScene = [] { ++g_titleShown; };
        MenuHooks().pfnHideTitleScene = [] { ++g_titleHidden; };
        MenuHooks().pfnStepVideoMode = [](int dw, int dd) { g_steps.emplace_back(dw, dd); };
        g_titleShown = g_titleHidden = g_editorOpened = g_editorClosed = 0;
        g_steps.clear();
        SetCursorWanted(TRUE);
        SetMenuWindow(aw);
        g_chain = &Chain;
    }

    void TearDown() override
    {
        ReleaseMenus();
        SetMenuWindow(nullptr);
        FlowSeams() = FLOWSEAMS{};
        MenuHooks() = MENUHOOKS{};
        EditorHooks() = EDITORHOOKS{};
        SetLanguage(LANG_ENGLISH_TEXTS);
        ScreensTest::TearDown();
    }

    static AC_BUTTON* Entry(const MENUTABLE& m, LONG command)
    {
        for (int i = 0; i < kMenuEntries; ++i)
            if (m.aCommands[i] == command)
                return m.apButtons[i];
        return nullptr;
    }
    static std::string Label(const MENUTABLE& m, LONG command)
    {
        AC_BUTTON* b = Entry(m, command);
        return b ? b->Text() : "(none)";
    }
    void ClickOn(AC_CONTROL* c)
    {
        RECT r;
        c->GetRect(&r);
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        Mouse(WM_LBUTTONDOWN, x, y);
        Mouse(WM_LBUTTONUP, x, y);
    }
};
} // namespace

TEST_F(Menu, EscapeOnTheMainMenuDoesNothingAndInTheOptionsMenuGoesBack)
{
    ShowMainMenu();
    EXPECT_FALSE(MenuBack());
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
    AC_BUTTON* start = Entry(MainMenu, mcStartGame);
    KeyUp(VK_ESCAPE); // the menu keys leave Escape to the main window
    EXPECT_EQ(Entry(MainMenu, mcStartGame), start);

    MenuCommand(mcChangeOptions);
    ASSERT_EQ(Menus().pCurrent, &OptionsMenu);
    EXPECT_EQ(MainMenu.apButtons[0], nullptr); // the main menu's entries went
    EXPECT_TRUE(MenuBack());
    EXPECT_EQ(Menus().pCurrent, &MainMenu);

    MenuCommand(mcChangeVideoMode);
    EXPECT_EQ(Menus().pCurrent, &VideoMenu);
    EXPECT_TRUE(MenuBack());
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
}

TEST_F(Menu, EntriesAreLaidOutInAColumnWithTheTitleFontAndTheirLabels)
{
    ShowMainMenu();
    Frames(1);
    EXPECT_EQ(Menus().lLineHeight, static_cast<LONG>(kHeight * 0.42 / 9));
    EXPECT_EQ(Menus().lTop, kHeight / 2);
    EXPECT_EQ(g_titleShown, 1);
    LONG x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    MainMenu.apButtons[0]->GetPosition(&x0, &y0);
    MainMenu.apButtons[1]->GetPosition(&x1, &y1);
    EXPECT_EQ(x0, static_cast<LONG>(kWidth * 0.3));
    EXPECT_EQ(y0, Menus().lTop);
    EXPECT_EQ(y1, static_cast<LONG>(Menus().lTop + 1.75 * Menus().lLineHeight));
    EXPECT_EQ(Label(MainMenu, mcStartGame), "  Start Game!   ");
    EXPECT_EQ(Label(MainMenu, mcQuitVarno), "  Quit Varno   ");
    EXPECT_EQ(MainMenu.apButtons[5], nullptr);
    EXPECT_NE(Menus().pLanguage, nullptr);

    ShowEditorMenu();
    EXPECT_EQ(Menus().lLineHeight, static_cast<LONG>(kHeight * 0.37 / 9));
    EXPECT_EQ(Menus().lTop, static_cast<LONG>(kHeight * 0.52));
    EXPECT_EQ(Menus().pLanguage, nullptr);
    EXPECT_EQ(g_titleHidden, 1);
    EditorMenu.apButtons[0]->GetPosition(&x0, &y0);
    EXPECT_EQ(x0, static_cast<LONG>(kWidth * 0.02));
    EXPECT_EQ(Label(EditorMenu, mcTestPuzzle), "  Test Puzzle   ");
    EXPECT_EQ(Label(EditorMenu, mcQuitEditor), "  Quit Editor   ");
}

TEST_F(Menu, UpOnTheFirstEntryWrapsToTheLastAndDownOnTheLastToTheFirst)
{
    ShowMainMenu();
    KeyUp(VK_SPACE);
    AC_BUTTON* first = MainMenu.apButtons[0];
    AC_BUTTON* last = MainMenu.apButtons[4];
    EXPECT_EQ(GetFocusControl(), first);
    EXPECT_TRUE(first->fSelected());
    EXPECT_TRUE(fCursorWanted()); // Space leaves the cursor alone

    KeyUp(VK_UP);
    EXPECT_EQ(GetFocusControl(), last);
    EXPECT_TRUE(last->fSelected());
    EXPECT_FALSE(first->fSelected());
    EXPECT_FALSE(fCursorWanted());
    KeyUp(VK_DOWN);
    EXPECT_EQ(GetFocusControl(), first);
    KeyUp(VK_LEFT);
    EXPECT_EQ(GetFocusControl(), last);
    KeyUp(VK_RIGHT);
    KeyUp(VK_RIGHT);
    EXPECT_EQ(GetFocusControl(), MainMenu.apButtons[1]);

    // The keyboard's entry stays hot while the cursor is hidden.
    Frames(2);
    EXPECT_TRUE(MainMenu.apButtons[1]->fHot());
    EXPECT_FALSE(first->fHot());

    // Keys with Control or Shift held are not the menu's.
    input_store::SetKeyDown(VK_SHIFT, true);
    KeyUp(VK_DOWN);
    input_store::SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(GetFocusControl(), MainMenu.apButtons[1]);

    // Return activates the focused entry: Change Options.
    KeyUp(VK_RETURN);
    EXPECT_EQ(Menus().pCurrent, &OptionsMenu);
    // A fresh menu has no focus: Down first takes the first entry, then moves.
    KeyUp(VK_DOWN);
    EXPECT_EQ(GetFocusControl(), OptionsMenu.apButtons[1]);
}

TEST_F(Menu, TheEditorMenuTakesNoNavigationKeys)
{
    ShowEditorMenu();
    KeyUp(VK_DOWN);
    KeyUp(VK_SPACE);
    KeyUp(VK_RETURN);
    EXPECT_EQ(GetFocusControl(), nullptr);
    EXPECT_EQ(Menus().pCurrent, &EditorMenu);
}

TEST_F(Menu, MovingTheMouseBringsTheCursorBackAndAClickRunsTheEntry)
{
    ShowMainMenu();
    KeyUp(VK_DOWN);
    EXPECT_FALSE(fCursorWanted());
    Frames(1);
    Mouse(WM_MOUSEMOVE, 5, 5);
    EXPECT_TRUE(fCursorWanted());
    ClickOn(MainMenu.apButtons[2]); // Change Video Mode
    EXPECT_EQ(Menus().pCurrent, &VideoMenu);
}

TEST_F(Menu, SelectControlsCyclesKeyboardJoystickMouseAndStoresTheChoice)
{
    g.Settings.ControlDevice = cdMouse;
    ShowMenu(&OptionsMenu);
    EXPECT_EQ(Label(OptionsMenu, mcSelectControls), "  Select Controls (Now Mouse)   ");
    MenuCommand(mcSelectControls);
    EXPECT_EQ(g.Settings.ControlDevice, static_cast<DWORD>(cdKeyboard));
    EXPECT_EQ(Label(OptionsMenu, mcSelectControls), "  Select Controls (Now Keyboard)   ");
    MenuCommand(mcSelectControls);
    EXPECT_EQ(Label(OptionsMenu, mcSelectControls), "  Select Controls (Now Joystick)   ");
    MenuCommand(mcSelectControls);
    EXPECT_EQ(g.Settings.ControlDevice, static_cast<DWORD>(cdMouse));
    MenuCommand(mcSelectControls);
    // Stored at once: read back over a changed record.
    g.Settings.ControlDevice = cdJoystick;
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(g.Settings.ControlDevice, static_cast<DWORD>(cdKeyboard));

    MenuCommand(mcSoundEffects);
    EXPECT_FALSE(g.Settings.fSound);
    EXPECT_EQ(Label(OptionsMenu, mcSoundEffects), "  Sound Effects (Now Off)   ");
    MenuCommand(mcShowTutorial);
    EXPECT_EQ(Label(OptionsMenu, mcShowTutorial), "  Show Tutorial (No)   ");
}

TEST_F(Menu, StartAtLevelWrapsAfterTheLastLevelOfTheLevelFile)
{
    const LONG levels = g.Levels.cLevels;
    g.Levels.cLevels = 3;
    g.Settings.lStartLevel = 2;
    ShowMenu(&OptionsMenu);
    EXPECT_EQ(Label(OptionsMenu, mcStartAtLevel), "  Start At Level 2   ");
    MenuCommand(mcStartAtLevel);
    EXPECT_EQ(g.Settings.lStartLevel, 3);
    MenuCommand(mcStartAtLevel);
    EXPECT_EQ(g.Settings.lStartLevel, 1);
    EXPECT_EQ(Label(OptionsMenu, mcStartAtLevel), "  Start At Level 1   ");
    g.Levels.cLevels = levels;
}

TEST_F(Menu, DisplayQualityStepsDownAndWrapsToExcellent)
{
    g.Settings.dwDisplayQuality = DisplayQualityMask(5);
    ShowMenu(&VideoMenu);
    std::vector<std::string> seen{Label(VideoMenu, mcDisplayQuality)};
    for (int i = 0; i < 5; ++i) {
        MenuCommand(mcDisplayQuality);
        seen.push_back(Label(VideoMenu, mcDisplayQuality));
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"  Display Quality (Now Excellent)   ", "  Display Quality (Now Good)   ",
                                        "  Display Quality (Now Moderate)   ", "  Display Quality (Now Faster)   ",
                                        "  Display Quality (Now Fastest)   ", "  Display Quality (Now Excellent)   "}));
    g.Settings.dwDisplayQuality = 3;
    RefreshMenuEntry(mcDisplayQuality);
    EXPECT_EQ(Label(VideoMenu, mcDisplayQuality), "  Display Quality (Now Fastest)   ");
    MenuCommand(mcDisplayQuality);
    EXPECT_EQ(Label(VideoMenu, mcDisplayQuality), "  Display Quality (Now Excellent)   ");
}

TEST_F(Menu, TheVideoEntriesStepTheModeThroughTheHook)
{
    ShowMenu(&VideoMenu);
    EXPECT_EQ(Label(VideoMenu, mcLowerResolution), "  Lower Resolution   ");
    EXPECT_NE(Label(VideoMenu, mcHigherResolution).find("(Now "), std::string::npos);
    MenuCommand(mcHigherResolution);
    MenuCommand(mcLowerResolution);
    MenuCommand(mcHigherColorDepth);
    MenuCommand(mcLowerColorDepth);
    EXPECT_EQ(g_steps, (std::vector<std::pair<int, int>>{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}));

    // A change of mode rebuilds the menu and stores the display's mode.
    AC_BUTTON* before = VideoMenu.apButtons[0];
    aw->CallService(svcawVideoMode, 0, 0);
    EXPECT_EQ(Menus().pCurrent, &VideoMenu);
    EXPECT_NE(VideoMenu.apButtons[0], nullptr);
    EXPECT_NE(VideoMenu.apButtons[0], before);
    EXPECT_EQ(g.Settings.lVideoWidth, Display->GetWidth());
    EXPECT_EQ(g.Settings.wColourDepth, Display->GetDepth());
}

TEST_F(Menu, EntriesShimmerFortyStepsApartAndRepeatEveryTwoHundredFrames)
{
    ShowMainMenu();
    Frames(1);
    std::vector<COLORREF> entry0, entry1;
    for (int i = 0; i < 241; ++i) {
        entry0.push_back(MainMenu.apButtons[0]->GetColor(acText));
        entry1.push_back(MainMenu.apButtons[1]->GetColor(acText));
        Frames(1);
    }
    EXPECT_EQ(entry1[0], entry0[40]);
    EXPECT_EQ(entry1[100], entry0[140]);
    EXPECT_EQ(entry0[0], entry0[200]);
    EXPECT_NE(entry0[0], entry0[100]);
    // The glow pulses once in a thousand frames around a dark teal.
    EXPECT_EQ(MenuHotColour(0), MenuHotColour(500));
    EXPECT_NE(MenuHotColour(250), MenuHotColour(750));
    EXPECT_EQ(MainMenu.apButtons[0]->GetColor(acHot), MenuHotColour(Menus().lPulse - 1));
}

TEST_F(Menu, ThePauseMenuResumesAndQuitsThroughTheMainWindow)
{
    ShowPauseMenu();
    EXPECT_EQ(g_titleShown, 0); // the scene behind it stays as it is
    MenuCommand(mcResumeGame);
    MenuCommand(mcQuitVarno);
    Pump();
    ASSERT_EQ(g_mainMessages.size(), 2u);
    EXPECT_EQ(g_mainMessages[0].second, 4001u);
    EXPECT_EQ(g_mainMessages[1].second, 2u);

    InstallMenuSeams();
    ASSERT_NE(FlowSeams().pfnRemovePauseMenu, nullptr);
    FlowSeams().pfnRemovePauseMenu();
    EXPECT_EQ(Menus().pCurrent, nullptr);
    EXPECT_EQ(aw->FindObject(nullptr), nullptr);
}

TEST_F(Menu, EditPuzzlesShowsTheEditorMenuAndQuitEditorComesBackToTheMainMenu)
{
    ShowMainMenu();
    MenuCommand(mcEditPuzzles);
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_EQ(Menus().pCurrent, &EditorMenu);
    MenuCommand(mcQuitEditor);
    EXPECT_EQ(g.lGameState, gsMenu);
    EXPECT_EQ(Menus().pCurrent, &MainMenu);

    // With the editor connected its entries are called.
    EditorHooks().pfnOpenEditor = [] { ++g_editorOpened; };
    EditorHooks().pfnCloseEditor = [] { ++g_editorClosed; return TRUE; };
    MenuCommand(mcEditPuzzles);
    MenuCommand(mcPreviousMenu);
    EXPECT_EQ(g_editorOpened, 1);
    EXPECT_EQ(g_editorClosed, 1);
    // Previous Menu outside the editor leaves the state alone.
    g.lGameState = gsIntro;
    ShowMenu(&OptionsMenu);
    MenuCommand(mcPreviousMenu);
    EXPECT_EQ(g.lGameState, gsIntro);
    EXPECT_EQ(g_editorClosed, 1);
}

TEST_F(Menu, RemovingAMenuGivesBackTheCursorWishItFound)
{
    SetCursorWanted(FALSE);
    ShowMainMenu();
    EXPECT_TRUE(fCursorWanted());
    ShowMenu(&OptionsMenu);
    RemoveMenu();
    EXPECT_FALSE(fCursorWanted());
    EXPECT_EQ(Menus().pLanguage, nullptr);
}

TEST_F(Menu, TheFlagButtonSwitchesTheLanguageAndShowsTheMenuAgain)
{
    ShowMainMenu();
    AC_BUTTON* flag = Menus().pLanguage;
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->GetId(), mcSwitchLanguage);
    ASSERT_NE(flag->GetImage(), nullptr);
    EXPECT_EQ(flag->GetImage()->GetWidth(), 48);
    LONG x = -1, y = -1, w = 0, h = 0;
    flag->GetPosition(&x, &y);
    flag->GetSize(&w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y + h, kHeight);
    GRAPHIC* english = flag->GetImage();

    const std::string before = Label(MainMenu, mcStartGame);
    ClickOn(flag);
    EXPECT_EQ(GetLanguage(), LANG_ESPERANTO_TEXTS);
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
    EXPECT_NE(Label(MainMenu, mcStartGame), before);
    ASSERT_NE(Menus().pLanguage, nullptr);
    EXPECT_NE(Menus().pLanguage->GetImage(), english);
    MenuCommand(mcSwitchLanguage);
    EXPECT_EQ(GetLanguage(), LANG_ENGLISH_TEXTS);
    EXPECT_EQ(Label(MainMenu, mcStartGame), before);

    // The flag stands on the status bar when there is one.
    MenuHooks().pfnStatusBarHeight = [] { return LONG{24}; };
    ShowPauseMenu();
    Menus().pLanguage->GetPosition(&x, &y);
    EXPECT_EQ(y + h, kHeight - 24);
}

TEST_F(Menu, WithTheEditorLinkedItsCommandsRunTheRealEditor)
{
    InstallEditorLinks();
    ShowMainMenu();
    MenuCommand(mcEditPuzzles);
    EXPECT_TRUE(fEditorOpen());
    EXPECT_EQ(g.lGameState, gsEditor);
    EXPECT_EQ(Menus().pCurrent, &EditorMenu);
    ASSERT_NE(EditorSeams().pfnShowEditorMenu, nullptr);
    EXPECT_EQ(EditorSeams().pWindow, aw);
    MenuCommand(mcQuitEditor);
    EXPECT_FALSE(fEditorOpen());
    EXPECT_EQ(g.lGameState, gsMenu);
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
    EditorSeams() = EDITORSEAMS{};
}

TEST_F(Menu, AfterAModeChangeTheChosenEntryKeepsTheFocus)
{
    ShowMenu(&VideoMenu);
    KeyUp(VK_DOWN); // from the first entry on to Lower Resolution
    ASSERT_EQ(GetFocusControl(), VideoMenu.apButtons[1]);
    aw->CallService(svcawVideoMode, 0, 0);
    EXPECT_EQ(GetFocusControl(), VideoMenu.apButtons[1]);
    EXPECT_TRUE(VideoMenu.apButtons[1]->fSelected());
    g_steps.clear();
    KeyUp(VK_RETURN);
    EXPECT_EQ(g_steps, (std::vector<std::pair<int, int>>{{-1, 0}}));
}

TEST_F(Menu, DifficultyCyclesIsStoredAndReadByTheRules)
{
    g.Settings.dwDifficulty = diffNormal;
    ShowMenu(&OptionsMenu);
    std::vector<std::string> seen{Label(OptionsMenu, mcDifficulty)};
    for (int i = 0; i < 4; ++i) {
        MenuCommand(mcDifficulty);
        seen.push_back(Label(OptionsMenu, mcDifficulty));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"  Difficulty (Now Normal)   ", "  Difficulty (Now Hard)   ",
                                              "  Difficulty (Now Impossible)   ", "  Difficulty (Now Easy)   ",
                                              "  Difficulty (Now Normal)   "}));
    MenuCommand(mcDifficulty);
    ASSERT_EQ(g.Settings.dwDifficulty, static_cast<DWORD>(diffHard));
    // Stored at once, and the rules roll faster at Hard than at Normal.
    g.Settings.dwDifficulty = diffEasy;
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(g.Settings.dwDifficulty, static_cast<DWORD>(diffHard));
    LONG hardRoll = 0, hardPause = 0, normalRoll = 0, normalPause = 0;
    ComputeRollTimes(0, g.Settings.dwDifficulty, &hardRoll, &hardPause);
    ComputeRollTimes(0, diffNormal, &normalRoll, &normalPause);
    EXPECT_LT(hardRoll + hardPause, normalRoll + normalPause);

    SetLanguage(LANG_ESPERANTO_TEXTS);
    RefreshMenuEntry(mcDifficulty);
    EXPECT_EQ(Label(OptionsMenu, mcDifficulty), "  Malfacileco (Nun Malfacila)   ");
    // Seven entries still end above the bottom of the screen.
    RECT all{};
    ASSERT_TRUE(MenuEntriesRect(&all));
    EXPECT_LE(all.bottom, kHeight);
}

// Over the scene, the entries lie on a dark translucent panel: measured on
// the pixels over a white field, every entry's text stands out from what is
// behind it by at least 4.5:1, the focused entry's too.
TEST_F(Menu, OverTheSceneTheEntriesStandOnAPanelOfEnoughContrast)
{
    ASSERT_EQ(aw->SetBackground(RGB(255, 255, 255), 0, 0, 0x80000000, 0x80000000), 1);
    g.lGameState = gsPaused;
    ShowMenu(&PauseMenu);
    ASSERT_NE(Menus().pPanel, nullptr);
    KeyUp(VK_UP); // the last entry glows
    for (int frame = 0; frame < 120; frame += 40) {
        Frames(40);
        RECT all{};
        ASSERT_TRUE(MenuEntriesRect(&all));
        // Between the entries: the panel over white.
        const std::uint32_t gap = Shown(all.left + 2, all.top - 2);
        const COLORREF panel = RGB((gap >> 16) & 0xFF, (gap >> 8) & 0xFF, gap & 0xFF);
        EXPECT_GE(acpaint::Contrast(panel, RGB(255, 255, 255)), 10.0);
        for (AC_BUTTON* b : PauseMenu.apButtons) {
            if (!b)
                continue;
            RECT r{};
            b->GetRect(&r);
            // What is behind the text: the panel, or the glow of the focused entry.
            const std::uint32_t back = Shown(r.left + 3, r.top + 3);
            const COLORREF behind = RGB((back >> 16) & 0xFF, (back >> 8) & 0xFF, back & 0xFF);
            double best = 1;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) {
                    const std::uint32_t p = Shown(x, y);
                    best = std::max(best, acpaint::Contrast(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF), behind));
                }
            EXPECT_GE(best, kMenuContrast) << b->Text();
        }
    }
    // Over the black title screen the menus stay as they were: no panel.
    g.lGameState = gsMenu;
    ShowMainMenu();
    EXPECT_EQ(Menus().pPanel, nullptr);
    EXPECT_EQ(MainMenu.apButtons[0]->GetColor(acText), MenuTextColour(Menus().lHue, 0));
}

TEST(MenuColours, OverTheSceneEveryHueKeepsItsContrast)
{
    const COLORREF panel = MenuPanelOver(RGB(255, 255, 255));
    for (LONG hue = 0; hue < 200; ++hue)
        for (int i = 0; i < kMenuEntries; ++i) {
            const COLORREF c = MenuTextColourOverScene(hue, i);
            EXPECT_GE(acpaint::Contrast(c, panel), kMenuContrast) << hue << " " << i;
            for (LONG pulse = 0; pulse < 1000; pulse += 50)
                EXPECT_GE(acpaint::Contrast(c, MenuHotColourOverScene(pulse)), kMenuContrast) << hue << " " << pulse;
        }
    // White on black is 21:1; a colour against itself 1:1.
    EXPECT_NEAR(acpaint::Contrast(RGB(255, 255, 255), RGB(0, 0, 0)), 21.0, 1e-9);
    EXPECT_NEAR(acpaint::Contrast(RGB(90, 20, 200), RGB(90, 20, 200)), 1.0, 1e-9);
}
