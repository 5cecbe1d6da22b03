// The status bars: their size on each screen, the grouped numbers, which
// texts they carry in each situation and language, and what the window shows
// of them as the game's values change.
#include "anim/animobj.h"
#include "anim/animwin.h"
#include "anim/animwin_iface.h"
#include "anim/display.h"
#include "anim/graphic.h"
#include "game/flow.h"
#include "game/game.h"
#include "platform/clock/clock.h"
#include "platform/ddraw/ddraw.h"
#include "platform/registry/registry.h"
#include "platform/window/window.h"
#include "screens/status.h"
#include "tests/test_windows.h"
#include "support/textres.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::string Grouped(LONG n)
{
    char buffer[40];
    FormatGroupedNumber(n, buffer, sizeof buffer);
    return buffer;
}

TEST(StatusBarHeight, FollowsTheScreenWidthBands)
{
    EXPECT_EQ(StatusBarHeightFor(640, 480), 21);
    EXPECT_EQ(StatusBarHeightFor(800, 600), 24);
    EXPECT_EQ(StatusBarHeightFor(1024, 768), 27);
    EXPECT_EQ(StatusBarHeightFor(1152, 864), 30);
    // The band edges: 799 still divides by 22, 1023 by 25.
    EXPECT_EQ(StatusBarHeightFor(799, 600), 27);
    EXPECT_EQ(StatusBarHeightFor(1023, 600), 24);
    EXPECT_EQ(StatusBarHeightFor(1024, 600), 21);
}

TEST(StatusNumbers, AreGroupedInThousands)
{
    EXPECT_EQ(Grouped(0), "0");
    EXPECT_EQ(Grouped(999), "999");
    EXPECT_EQ(Grouped(1000), "1,000");
    EXPECT_EQ(Grouped(1005), "1,005");
    EXPECT_EQ(Grouped(250000), "250,000");
    EXPECT_EQ(Grouped(1000000), "1,000,000");
    EXPECT_EQ(Grouped(1234567), "1,234,567");
    // Beyond the millions every group still gets its comma, and a negative
    // number keeps its sign in front of grouped digits.
    EXPECT_EQ(Grouped(INT32_MAX), "2,147,483,647");
    EXPECT_EQ(Grouped(-1234), "-1,234");
    EXPECT_EQ(Grouped(INT32_MIN), "-2,147,483,648");

    char small[4];
    EXPECT_EQ(FormatGroupedNumber(123456, small, sizeof small), 3);
    EXPECT_STREQ(small, "123");
}

// The game's values, the language store and the flow's seams, fresh for
// every test.
class StatusValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        config = std::filesystem::temp_directory_path() / ("varno-status-" + std::to_string(::getpid()));
        std::filesystem::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        registry_store::Reload();
        SetLanguage(LANG_ENGLISH_TEXTS);
        FlowSeams() = FLOWSEAMS{};
        g = GAME{};
        g.Settings.lHighScore = 250000;
        g.Settings.dwDifficulty = diffNormal;
        NewGameValues();
    }
    void TearDown() override
    {
        FlowSeams() = FLOWSEAMS{};
        registry_store::Reload();
        std::filesystem::remove_all(config);
    }

    // A game at level 3, puzzle 2 with 2 mines left.
    void InGame()
    {
        g.lGameState = gsPlaying;
        ShowPuzzle(3, 2, 2);
    }

    STATUSTEXTS Texts()
    {
        STATUSTEXTS t;
        GetStatusTexts(&t);
        return t;
    }

    std::filesystem::path config;
};

TEST_F(StatusValues, AGameShowsEveryValueInBothLanguages)
{
    InGame();
    g.lScore = 1234567;
    g.lHighScore = 1234567;
    STATUSTEXTS t = Texts();
    EXPECT_STREQ(t.szLevel, "Level 3, Puzzle 2");
    EXPECT_STREQ(t.szHighScore, "High Score: 1,234,567");
    EXPECT_STREQ(t.szScore, "Current Score: 1,234,567");
    EXPECT_STREQ(t.szLives, "Lives Remaining: 4");
    EXPECT_STREQ(t.szMines, "Mines Remaining: 2");
    EXPECT_TRUE(t.fBottomBar);

    SetLanguage(LANG_ESPERANTO_TEXTS);
    t = Texts();
    EXPECT_STREQ(t.szLevel, "Fazo 3, Konfuzo 2");
    EXPECT_STREQ(t.szHighScore, "Plej Alta Poentaro: 1,234,567");
    EXPECT_STREQ(t.szScore, "Nuna Poentaro: 1,234,567");
    EXPECT_STREQ(t.szLives, "Restantaj Vivoj: 4");
    EXPECT_STREQ(t.szMines, "Restantaj Minoj: 2");
}

TEST_F(StatusValues, HiddenValuesLeaveTheirTextsOut)
{
    InGame();
    // No mine count: the lives are still shown.
    SetMinesRemaining(-1);
    g.lHighScore = 0;
    STATUSTEXTS t = Texts();
    EXPECT_STREQ(t.szMines, "");
    EXPECT_STREQ(t.szLives, "Lives Remaining: 4");
    EXPECT_STREQ(t.szHighScore, "");
    EXPECT_STREQ(t.szScore, "Current Score: 0");

    // Level 0 outside the tutorial: no level text, no bottom-bar texts, but
    // the bottom bar itself.
    ShowPuzzle(0, 0, 3);
    t = Texts();
    EXPECT_STREQ(t.szLevel, "");
    EXPECT_STREQ(t.szLives, "");
    EXPECT_STREQ(t.szMines, "");
    EXPECT_TRUE(t.fBottomBar);
}

TEST_F(StatusValues, TheEditorShowsItsPuzzleWithoutScoresOrBottomBar)
{
    g.lScore = 5000;
    g.lGameState = gsEditor;
    EditorStatus(4, 7);
    EXPECT_EQ(g.lLives, -1);
    EXPECT_EQ(g.lMinesRemaining, -1);
    STATUSTEXTS t = Texts();
    EXPECT_STREQ(t.szLevel, "Edit Level 4, Puzzle 7");
    EXPECT_STREQ(t.szHighScore, "");
    EXPECT_STREQ(t.szScore, "");
    EXPECT_FALSE(t.fBottomBar);
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_STREQ(Texts().szLevel, "Redakto: Fazo 4, Konfuzo 7");

    // Testing the puzzle: its own title, still no scores, but lives and
    // mines at the bottom.
    SetLanguage(LANG_ENGLISH_TEXTS);
    NewGameValues();
    g.ActivePuzzle.bTesting = TRUE;
    ShowPuzzle(4, 7, 3);
    t = Texts();
    EXPECT_STREQ(t.szLevel, "Test Level 4, Puzzle 7");
    EXPECT_STREQ(t.szHighScore, "");
    EXPECT_STREQ(t.szScore, "");
    EXPECT_STREQ(t.szMines, "Mines Remaining: 3");
}

TEST_F(StatusValues, TheTutorialShowsOnlyItsTitleAndEarnsNothing)
{
    g.fTutorial = TRUE;
    g.lGameState = gsPuzzleStart;
    ShowPuzzle(0, 2, 1);
    AddScore(500);
    EXPECT_EQ(g.lScore, 0);
    EXPECT_EQ(g.lHighScore, 250000);
    STATUSTEXTS t = Texts();
    EXPECT_STREQ(t.szLevel, "Tutorial");
    EXPECT_STREQ(t.szScore, "");
    EXPECT_FALSE(t.fBottomBar);
    SetLanguage(LANG_ESPERANTO_TEXTS);
    EXPECT_STREQ(Texts().szLevel, "Lernilo");
}

TEST_F(StatusValues, ScoresRaiseTheShownHighScoreAndMinesCount)
{
    InGame();
    EXPECT_STREQ(Texts().szHighScore, "High Score: 250,000");
    AddScore(249999);
    EXPECT_STREQ(Texts().szHighScore, "High Score: 250,000");
    AddScore(2);
    EXPECT_STREQ(Texts().szHighScore, "High Score: 250,001");
    EXPECT_STREQ(Texts().szScore, "Current Score: 250,001");
    DecreaseMinesRemaining();
    DecreaseMinesRemaining();
    EXPECT_STREQ(Texts().szMines, "Mines Remaining: 0");
    IncreaseMinesRemaining();
    EXPECT_STREQ(Texts().szMines, "Mines Remaining: 1");
}

// The bars in an 800 by 600 animation window over a grey background.
class StatusBars : public StatusValues {
protected:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr COLORREF kGrey = RGB(128, 128, 128);

    void SetUp() override
    {
        StatusValues::SetUp();
        ASSERT_NE(Display, nullptr);
        window_system::Reset();
        clock_control::UseSteppedClock(1000);
        const TestWindows t = OpenTestWindows(
            "StatusTestMain", [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return DefWindowProcA(h, m, w, l); },
            kWidth, kHeight, &Service);
        main = t.main;
        child = t.child;
        aw = t.aw;
        ASSERT_NE(aw, nullptr);
        ASSERT_EQ(aw->SetBackground(kGrey, 0, 0, 0x80000000, 0x80000000), 1);
        InitStatusDisplay(aw);
        EXPECT_EQ(FlowSeams().pfnRefreshStatus, &RefreshStatus);
    }
    void TearDown() override
    {
        InitStatusDisplay(nullptr);
        Display->RestoreVideoMode();
        Display->SetMainWindow(nullptr);
        window_system::Reset();
        clock_control::UseRealClock();
        StatusValues::TearDown();
    }

    static int Service(ANIMWINDOW*, svcAnimWindow, unsigned, long) { return 1; }

    std::uint32_t Shown(int x, int y)
    {
        IDirectDrawSurface* primary = Display->GetSurface(1);
        POINT p{x, y};
        ::ClientToScreen(child, &p);
        return primary->Pixels()[static_cast<std::size_t>(p.y) * primary->Width() + p.x] & 0xFFFFFF;
    }
    static std::uint32_t Xrgb(COLORREF c)
    {
        return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
               GetBValue(c);
    }
    // Pixels of the rectangle that are neither black nor grey: the text.
    int Inked(int left, int top, int right, int bottom)
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const std::uint32_t p = Shown(x, y);
                n += p != 0 && p != Xrgb(kGrey);
            }
        return n;
    }
    // A checksum of the rectangle, to see whether its picture changed.
    std::uint64_t Picture(int left, int top, int right, int bottom)
    {
        std::uint64_t sum = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                sum = sum * 1099511628211ull + Shown(x, y);
        return sum;
    }
    // Whether a pixel near the colour lies in the rectangle.
    bool HasColour(int left, int top, int right, int bottom, COLORREF c)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const std::uint32_t p = Shown(x, y);
                if (std::abs(static_cast<int>((p >> 16) & 0xFF) - GetRValue(c)) < 8 &&
                    std::abs(static_cast<int>((p >> 8) & 0xFF) - GetGValue(c)) < 8 &&
                    std::abs(static_cast<int>(p & 0xFF) - GetBValue(c)) < 8)
                    return true;
            }
        return false;
    }

    HWND main = nullptr;
    HWND child = nullptr;
    ANIMWINDOW* aw = nullptr;
};

TEST_F(StatusBars, AGameDrawsBothBarsWithTheirLinesAndTexts)
{
    InGame();
    ASSERT_EQ(StatusBarHeight(), 24);
    ASSERT_EQ(StatusBottomBarHeight(), 24);
    aw->RenderFrame();
    const int h = 24;
    // Black fill, the two lines near the inner edges, grey between the bars.
    EXPECT_EQ(Shown(2, 2), 0u);
    EXPECT_EQ(Shown(400, h - 4), Xrgb(clrStatusLine));
    EXPECT_EQ(Shown(400, h - 3), Xrgb(clrStatusLineShadow));
    EXPECT_EQ(Shown(2, h - 4), 0u); // the lines start a little in
    EXPECT_EQ(Shown(400, h), Xrgb(kGrey));
    EXPECT_EQ(Shown(400, kHeight - h - 1), Xrgb(kGrey));
    EXPECT_EQ(Shown(400, kHeight - h + 3), Xrgb(clrStatusLine));
    EXPECT_EQ(Shown(400, kHeight - h + 4), Xrgb(clrStatusLineShadow));
    EXPECT_EQ(Shown(kWidth - 1, kHeight - 1), 0u);
    // Each text in its place and colour.
    EXPECT_TRUE(HasColour(5, 0, 200, h - 5, clrStatusLevel));
    EXPECT_TRUE(HasColour(300, 0, 500, h - 5, clrStatusHighScore));
    EXPECT_TRUE(HasColour(600, 0, kWidth - 5, h - 5, clrStatusScore));
    EXPECT_TRUE(HasColour(5, kHeight - h + 5, 200, kHeight, clrStatusLives));
    EXPECT_TRUE(HasColour(600, kHeight - h + 5, kWidth - 5, kHeight, clrStatusMines));
    // The score ends 5 pixels before the right edge.
    EXPECT_EQ(Inked(kWidth - 5, 0, kWidth, h - 5), 0);
    EXPECT_GT(Inked(kWidth - 20, 0, kWidth - 5, h - 5), 0);
}

TEST_F(StatusBars, AChangedValueShowsInTheNextFrame)
{
    InGame();
    aw->RenderFrame();
    const std::uint64_t score = Picture(600, 0, kWidth, 20);
    const std::uint64_t mines = Picture(600, kHeight - 20, kWidth, kHeight);
    aw->RenderFrame();
    EXPECT_EQ(Picture(600, 0, kWidth, 20), score);
    AddScore(1000);
    aw->RenderFrame();
    EXPECT_NE(Picture(600, 0, kWidth, 20), score);
    EXPECT_EQ(Picture(600, kHeight - 20, kWidth, kHeight), mines);
    DecreaseMinesRemaining();
    aw->RenderFrame();
    EXPECT_NE(Picture(600, kHeight - 20, kWidth, kHeight), mines);
    // No mine count: the right of the bottom bar is empty, the lives stay.
    SetMinesRemaining(-1);
    aw->RenderFrame();
    EXPECT_EQ(Inked(400, kHeight - 19, kWidth, kHeight), 0);
    EXPECT_GT(Inked(0, kHeight - 19, 400, kHeight), 0);
}

TEST_F(StatusBars, EditorAndTutorialHaveTheTopBarOnly)
{
    g.lGameState = gsEditor;
    EditorStatus(4, 7);
    EXPECT_EQ(StatusBarHeight(), 24);
    EXPECT_EQ(StatusBottomBarHeight(), 0);
    aw->RenderFrame();
    EXPECT_EQ(Shown(400, kHeight - 1), Xrgb(kGrey));
    EXPECT_GT(Inked(0, 0, 300, 20), 0);
    EXPECT_EQ(Inked(300, 0, kWidth, 20), 0); // no scores

    g.lGameState = gsPuzzleStart;
    NewGameValues();
    g.fTutorial = TRUE;
    ShowPuzzle(0, 1, 1);
    EXPECT_EQ(StatusBottomBarHeight(), 0);
    aw->RenderFrame();
    EXPECT_EQ(Shown(400, kHeight - 1), Xrgb(kGrey));
    EXPECT_GT(Inked(0, 0, 300, 20), 0);
}

TEST_F(StatusBars, TheBarsGoWhenTheGameEndsAndFollowTheWindowSize)
{
    InGame();
    aw->RenderFrame();
    ASSERT_EQ(Shown(2, 2), 0u);
    // The end of a game refreshes the status display on the menu screen.
    g.lGameState = gsMenu;
    FlowSeams().pfnRefreshStatus();
    EXPECT_EQ(StatusBarHeight(), 0);
    EXPECT_EQ(StatusBottomBarHeight(), 0);
    aw->RenderFrame();
    EXPECT_EQ(Shown(2, 2), Xrgb(kGrey));
    EXPECT_EQ(Shown(2, kHeight - 2), Xrgb(kGrey));

    // A smaller screen gets thinner bars once they are rebuilt.
    g.lGameState = gsPlaying;
    MoveWindow(child, 0, 0, 640, 480, TRUE);
    ASSERT_EQ(aw->SetBackground(kGrey, 0, 0, 0x80000000, 0x80000000), 1); // the resize made a new one
    RebuildStatusBars();
    EXPECT_EQ(StatusBarHeight(), 21);
    aw->RenderFrame();
    EXPECT_EQ(Shown(2, 20), 0u);
    EXPECT_EQ(Shown(2, 21), Xrgb(kGrey));
    EXPECT_EQ(Shown(2, 479), 0u);
    EXPECT_EQ(Shown(2, 458), Xrgb(kGrey));
}

TEST_F(StatusBars, TheBarsLieOverTheSceneAndUnderNearerObjects)
{
    InGame();
    // A red square behind the bars' depth and a green one in front, both
    // reaching into the top bar.
    auto solid = [](COLORREF c) {
        auto graphic = std::make_unique<GRAPHIC>(50, 50, 32, 0xFFFFFFFFul);
        for (long y = 0; y < 50; ++y)
            for (long x = 0; x < 50; ++x)
                graphic->SetPixel(x, y, c, 1);
        return graphic;
    };
    auto red = solid(RGB(255, 0, 0)), green = solid(RGB(0, 255, 0));
    ANIMOBJECT behind(aw, 100, red.get(), 0);
    ANIMOBJECT front(aw, 3, green.get(), 0);
    behind.SetPosition(100, 0);
    front.SetPosition(200, 0);
    aw->RenderFrame();
    EXPECT_EQ(Shown(120, 2), 0u);         // the bar covers the object behind it
    EXPECT_EQ(Shown(120, 30), 0xFF0000u); // below the bar it shows
    EXPECT_EQ(Shown(220, 2), 0x00FF00u);  // the nearer object stays on top
    AddScore(10);
    aw->RenderFrame();
    EXPECT_EQ(Shown(220, 2), 0x00FF00u);
}

} // namespace

TEST_F(StatusValues, ADifficultyOtherThanNormalShowsInTheBottomBar)
{
    InGame();
    g.Settings.dwDifficulty = diffNormal;
    EXPECT_STREQ(Texts().szDifficulty, "");
    g.Settings.dwDifficulty = diffHard;
    EXPECT_STREQ(Texts().szDifficulty, "Difficulty: Hard");
    g.Settings.dwDifficulty = diffEasy;
    EXPECT_STREQ(Texts().szDifficulty, "Difficulty: Easy");
    SetLanguage(LANG_ESPERANTO_TEXTS);
    g.Settings.dwDifficulty = diffImpossible;
    EXPECT_STREQ(Texts().szDifficulty, "Malfacileco: Neebla");
    // The editor has no bottom bar and no difficulty.
    EditorStatus(1, 1);
    EXPECT_STREQ(Texts().szDifficulty, "");
}

TEST_F(StatusBars, ANoticeFillsTheTopBarForItsTimeEvenOverTheMenus)
{
    // Over the main menu there are no bars: the notice brings a top bar.
    g.lGameState = gsMenu;
    RefreshStatus();
    ASSERT_EQ(StatusBarHeight(), 0);
    ShowStatusNotice("Screenshot saved: /tmp/shot.bmp", 2000);
    ASSERT_STREQ(StatusNotice(), "Screenshot saved: /tmp/shot.bmp");
    EXPECT_GT(StatusBarHeight(), 0);
    EXPECT_EQ(StatusBottomBarHeight(), 0);
    aw->RenderFrame();
    const int h = StatusBarHeight();
    EXPECT_GT(Inked(kWidth / 4, 0, kWidth * 3 / 4, h - 5), 0);

    clock_control::Advance(1999);
    StatusNoticeService(aw, svcawBeginFrame);
    EXPECT_NE(StatusNotice(), nullptr);
    clock_control::Advance(1);
    StatusNoticeService(aw, svcawBeginFrame);
    EXPECT_EQ(StatusNotice(), nullptr);
    EXPECT_EQ(StatusBarHeight(), 0);

    // In a game it takes the top bar's place and then gives it back.
    InGame();
    ShowStatusNotice("Screenshot saved: /tmp/shot.bmp", 2000);
    aw->RenderFrame();
    const std::uint64_t withNotice = Picture(0, 0, kWidth, h);
    clock_control::Advance(2000);
    StatusNoticeService(aw, svcawBeginFrame);
    aw->RenderFrame();
    EXPECT_NE(Picture(0, 0, kWidth, h), withNotice);
    EXPECT_GT(StatusBarHeight(), 0);
    EXPECT_GT(StatusBottomBarHeight(), 0);
}
