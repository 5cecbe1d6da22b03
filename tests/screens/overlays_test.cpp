// The overlays over the scene: the hint panel following the hint's show,
// hide and time-out, "Game Over" during the game-over wait, the tutorial's
// lines and Skip Tutorial button, their places and fonts at two screen
// sizes, and their texts after a language switch.
#include "screens_support.h"

#include "editor/tutorial.h"
#include "game/flow.h"
#include "game/game.h"
#include "game/hint.h"
#include "screens/ac_button.h"
#include "screens/menus.h"
#include "screens/acpaint.h"
#include "screens/overlays.h"
#include "shell/settings.h"
#include "support/textres.h"

#include <string>

using namespace screenstest;

namespace {

std::string Text(UINT id)
{
    char buffer[256];
    LoadText(id, buffer, sizeof buffer);
    return buffer;
}

RECT RectOf(AC_CONTROL* c)
{
    RECT r{};
    c->GetRect(&r);
    return r;
}

LOGFONTA FontOf(AC_CONTROL* c)
{
    LOGFONTA lf{};
    GetObjectA(c->GetFont(), sizeof lf, &lf);
    return lf;
}

bool g_gameTick = false;

int Chain(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    if (g_gameTick && code == svcawDrawFrame)
        GameTick();
    return OverlayService(w, code, wParam, lParam);
}

class Overlay : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        SetLanguage(LANG_ENGLISH_TEXTS);
        SettingsKeepInMemory(true);
        SettingsDefaults(&g.Settings);
        FlowSeams() = FLOWSEAMS{};
        g.Hint = HINTPANEL{};
        g.lGameState = gsPlaying;
        g.fTutorial = FALSE;
        g_gameTick = false;
        InitOverlays(aw);
        g_chain = &Chain;
    }

    void TearDown() override
    {
        HideHint();
        SetTutorialDisplay(FALSE);
        g.Tutorial.lUpperId = g.Tutorial.lLowerId = 0;
        g.fTutorial = FALSE;
        g.lGameState = gsStartup;
        ReleaseOverlays();
        InitOverlays(nullptr);
        HintSeams() = HINTSEAMS{};
        TutorialSeams() = TUTORIALSEAMS{};
        FlowSeams() = FLOWSEAMS{};
        SettingsKeepInMemory(false);
        SetLanguage(LANG_ENGLISH_TEXTS);
        ScreensTest::TearDown();
    }

    // A label centred horizontally on the window with its top at y.
    void ExpectCentredAt(AC_CONTROL* c, LONG top)
    {
        ASSERT_NE(c, nullptr);
        const RECT r = RectOf(c);
        EXPECT_EQ(r.top, top);
        EXPECT_LE(std::abs((r.left + r.right) - static_cast<LONG>(aw->GetWidth())), 1) << c->Text();
        EXPECT_GT(r.right - r.left, 0) << c->Text();
    }

    void ExpectHintLayout(LONG width, LONG height)
    {
        ASSERT_EQ(aw->GetWidth(), width);
        ASSERT_EQ(aw->GetHeight(), height);
        const OVERLAYS& o = Overlays();
        ExpectCentredAt(o.pHintTitle, height / 8);
        ExpectCentredAt(o.pHintText, height / 5);
        EXPECT_EQ(FontOf(o.pHintTitle).lfHeight, -(height / 20));
        EXPECT_EQ(FontOf(o.pHintText).lfHeight, -(height / 30));
    }

    // The tutorial's lines above the bottom edge and the button at the right
    // edge, centred on them.
    void ExpectTutorialLayout(LONG width, LONG height)
    {
        const OVERLAYS& o = Overlays();
        ASSERT_NE(o.pTutorialUpper, nullptr);
        ASSERT_NE(o.pTutorialLower, nullptr);
        ASSERT_NE(o.pSkip, nullptr);
        const LONG line = o.lTutorialLineHeight;
        EXPECT_GT(line, height / 30 - 1);
        const RECT lower = RectOf(o.pTutorialLower), upper = RectOf(o.pTutorialUpper), skip = RectOf(o.pSkip);
        EXPECT_EQ(lower.top + line, height - 15);
        EXPECT_EQ(upper.top + line, lower.top - 10);
        EXPECT_EQ(skip.right, width - 10);
        EXPECT_LE(std::abs((skip.top + skip.bottom) - (upper.top + lower.top + line)), 1);
        // The lines keep clear of the button.
        EXPECT_LE(upper.right, skip.left - 10);
        EXPECT_LE(lower.right, skip.left - 10);
        EXPECT_EQ(FontOf(o.pTutorialUpper).lfHeight, -(height / 30));
        EXPECT_EQ(FontOf(o.pSkip).lfHeight, -(height / 50));
    }
};

TEST_F(Overlay, HintPanelFollowsShowHideAndItsTimeOut)
{
    ShowHint(idsHintOutOfMines, idsHintOutOfMinesText, 0);
    const OVERLAYS& o = Overlays();
    ASSERT_NE(o.pHintTitle, nullptr);
    ASSERT_NE(o.pHintText, nullptr);
    EXPECT_STREQ(o.pHintTitle->Text(), "Out Of Mines");
    EXPECT_EQ(std::string(o.pHintText->Text()), Text(idsHintOutOfMinesText));
    EXPECT_EQ(o.pHintTitle->Object()->GetDepth(), kOverlayDepth);
    EXPECT_EQ(o.pHintText->Object()->GetDepth(), kOverlayDepth);
    EXPECT_EQ(o.pHintTitle->GetColor(acFace), kclrNone);
    EXPECT_EQ(o.pHintTitle->GetColor(acText), clrHintTitle);
    EXPECT_EQ(o.pHintText->GetColor(acText), clrHintText);
    ExpectHintLayout(640, 480);

    // A second show while shown changes nothing; a frame keeps the places.
    AC_LABEL* title = o.pHintTitle;
    ShowHint(idsHintCubeFell, idsHintCubeFellText, 0);
    Frames(2);
    EXPECT_EQ(o.pHintTitle, title);
    ExpectHintLayout(640, 480);

    HideHint();
    EXPECT_EQ(o.pHintTitle, nullptr);
    EXPECT_EQ(o.pHintText, nullptr);

    // The keyboard hint goes by itself after its time.
    ShowHint(idsHintKeyboard, idsHintKeyboardText, 7500);
    EXPECT_STREQ(o.pHintTitle->Text(), "Space Bar Places, Detonates Mines");
    clock_control::Advance(7499);
    StepHint();
    EXPECT_NE(o.pHintTitle, nullptr);
    clock_control::Advance(1);
    StepHint();
    EXPECT_EQ(o.pHintTitle, nullptr);
    EXPECT_EQ(o.pHintText, nullptr);
}

TEST_F(Overlay, HintShownWithoutAWindowAppearsWhenTheWindowComes)
{
    InitOverlays(nullptr);
    ShowHint(idsHintForbidden, idsHintForbiddenText, 0);
    EXPECT_EQ(Overlays().pHintTitle, nullptr);
    InitOverlays(aw);
    ASSERT_NE(Overlays().pHintTitle, nullptr);
    EXPECT_EQ(std::string(Overlays().pHintTitle->Text()), Text(idsHintForbidden));
    ExpectHintLayout(640, 480);
}

TEST_F(Overlay, GameOverShownDuringTheWaitAndGoneAfterIt)
{
    // The puzzle failed on the last life: the failure hint is still up.
    ShowHint(idsHintCubeFell, idsHintCubeFellText, 0);
    g.lLives = 0;
    g.lGameState = gsGameOver;
    g.ActivePuzzle.dwStateEnd = GetTickCount() + 2000;
    g_gameTick = true;
    Frames(1);
    const OVERLAYS& o = Overlays();
    ASSERT_NE(o.pGameOver, nullptr);
    EXPECT_STREQ(o.pGameOver->Text(), "Game Over");
    EXPECT_EQ(o.pGameOver->GetColor(acText), clrHintTitle);
    EXPECT_EQ(FontOf(o.pGameOver).lfHeight, -(480 / 20));
    const RECT over = RectOf(o.pGameOver), hint = RectOf(o.pHintText);
    EXPECT_LE(std::abs(over.left + over.right - 640), 1);
    EXPECT_LE(std::abs(over.top + over.bottom - 480), 1);
    // Both readable: "Game Over" starts below the hint's text line.
    EXPECT_GT(over.top, hint.bottom);

    for (int i = 0; i < 79; ++i) {
        clock_control::Advance(25);
        Frames(1);
    }
    EXPECT_EQ(g.lGameState, gsGameOver);
    EXPECT_NE(o.pGameOver, nullptr);
    clock_control::Advance(25);
    Frames(2);
    EXPECT_EQ(g.lGameState, gsMenu);
    EXPECT_EQ(o.pGameOver, nullptr);
    EXPECT_EQ(o.pHintTitle, nullptr);
}

TEST_F(Overlay, TutorialLinesAndButtonComeAndGoWithTheDisplay)
{
    g.fTutorial = TRUE;
    SetTutorialDisplay(TRUE);
    ShowTutorialText(77, 78);
    const OVERLAYS& o = Overlays();
    ASSERT_NE(o.pSkip, nullptr);
    EXPECT_EQ(std::string(o.pTutorialUpper->Text()), "The object of the game is to destroy all the cubes,");
    EXPECT_EQ(std::string(o.pTutorialLower->Text()), "before they fall off the end of the playing field.");
    EXPECT_EQ(std::string(o.pSkip->Text()), " Skip Tutorial (Tab) ");
    EXPECT_EQ(o.pSkip->GetId(), kSkipTutorialCommand);
    EXPECT_EQ(o.pSkip->GetStyle(), static_cast<DWORD>(bsCentred));
    EXPECT_EQ(o.pSkip->Object()->GetDepth(), kSkipButtonDepth);
    EXPECT_EQ(o.pTutorialUpper->Object()->GetDepth(), kOverlayDepth);
    EXPECT_EQ(o.pTutorialUpper->GetColor(acFace), kclrNone);
    EXPECT_EQ(o.pTutorialUpper->GetColor(acText), clrTutorialText);
    EXPECT_EQ(o.pSkip->GetColor(acText), clrSkipText);
    ExpectTutorialLayout(640, 480);

    // The button's face shows in its face colour.
    Frames(2);
    const RECT skip = RectOf(o.pSkip);
    EXPECT_EQ(Shown(skip.left + 3, skip.top + 3), Xrgb(clrSkipFace));

    // The longest line still keeps clear of the button.
    ShowTutorialText(85, 86);
    ExpectTutorialLayout(640, 480);

    // Another tutorial puzzle keeps the lines; the first one clears them.
    AC_BUTTON* button = o.pSkip;
    StartTutorialPuzzle(2);
    EXPECT_EQ(o.pSkip, button);
    EXPECT_EQ(std::string(o.pTutorialUpper->Text()), Text(85));
    StartTutorialPuzzle(1);
    EXPECT_STREQ(o.pTutorialUpper->Text(), "");
    EXPECT_STREQ(o.pTutorialLower->Text(), "");

    // The flow switches the display off at the end of the tutorial.
    FlowSeams().pfnTutorialDisplayOff();
    EXPECT_EQ(o.pTutorialUpper, nullptr);
    EXPECT_EQ(o.pTutorialLower, nullptr);
    EXPECT_EQ(o.pSkip, nullptr);
    EXPECT_FALSE(g.Tutorial.fDisplay);
}

TEST_F(Overlay, TutorialLinesStepAsideForThePauseMenuAndReturnWithTheirTexts)
{
    g.fTutorial = TRUE;
    SetTutorialDisplay(TRUE);
    ShowTutorialText(79, 80);
    const OVERLAYS& o = Overlays();
    ASSERT_NE(o.pSkip, nullptr);

    g.lGameState = gsPaused;
    Frames(1);
    EXPECT_EQ(o.pTutorialUpper, nullptr);
    EXPECT_EQ(o.pTutorialLower, nullptr);
    EXPECT_EQ(o.pSkip, nullptr);
    EXPECT_TRUE(g.Tutorial.fDisplay);

    // A language switch from the pause menu keeps them away, in the new
    // language once they return.
    MenuCommand(mcSwitchLanguage);
    ASSERT_EQ(GetLanguage(), LANG_ESPERANTO_TEXTS);
    Frames(1);
    EXPECT_EQ(o.pTutorialUpper, nullptr);
    EXPECT_EQ(o.pSkip, nullptr);

    g.lGameState = gsPlaying;
    Frames(1);
    ASSERT_NE(o.pTutorialUpper, nullptr);
    EXPECT_EQ(std::string(o.pTutorialUpper->Text()), Text(79));
    EXPECT_EQ(std::string(o.pTutorialLower->Text()), Text(80));
    EXPECT_EQ(std::string(o.pSkip->Text()), Text(idsSkipTutorial));
    ExpectTutorialLayout(640, 480);
}

TEST_F(Overlay, SkipButtonPostsItsCommandToTheMainWindow)
{
    g.fTutorial = TRUE;
    SetTutorialDisplay(TRUE);
    ShowTutorialText(79, 80);
    Frames(1);
    const RECT r = RectOf(Overlays().pSkip);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    // Pressed, dragged off and released: no command.
    Mouse(WM_LBUTTONDOWN, x, y);
    Mouse(WM_MOUSEMOVE, 5, 5);
    Mouse(WM_LBUTTONUP, 5, 5);
    Pump();
    EXPECT_TRUE(g_mainMessages.empty());
    Mouse(WM_LBUTTONDOWN, x, y);
    Mouse(WM_LBUTTONUP, x, y);
    Pump();
    ASSERT_EQ(g_mainMessages.size(), 1u);
    EXPECT_EQ(g_mainMessages[0].first, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(g_mainMessages[0].second, static_cast<WPARAM>(kSkipTutorialCommand));
    // A click on a line does nothing.
    const RECT line = RectOf(Overlays().pTutorialUpper);
    Mouse(WM_LBUTTONDOWN, line.left + 2, line.top + 2);
    Mouse(WM_LBUTTONUP, line.left + 2, line.top + 2);
    Pump();
    EXPECT_EQ(g_mainMessages.size(), 1u);
}

TEST_F(Overlay, EverythingIsLaidOutAgainForANewVideoMode)
{
    ShowHint(idsHintKeyboard, idsHintKeyboardText, 0);
    g.fTutorial = TRUE;
    SetTutorialDisplay(TRUE);
    ShowTutorialText(95, 96);
    ExpectHintLayout(640, 480);
    ExpectTutorialLayout(640, 480);

    ASSERT_TRUE(Display->SetVideoMode(1024, 768, 32, amFlip));
    // The window's service told the chain of the new mode.
    ExpectHintLayout(1024, 768);
    ExpectTutorialLayout(1024, 768);
    EXPECT_EQ(std::string(Overlays().pTutorialUpper->Text()), Text(95));
    EXPECT_EQ(std::string(Overlays().pHintTitle->Text()), Text(idsHintKeyboard));

    HideHint();
    SetTutorialDisplay(FALSE);
    g.fTutorial = FALSE;
    g.lGameState = gsGameOver;
    Frames(1);
    ASSERT_NE(Overlays().pGameOver, nullptr);
    EXPECT_EQ(FontOf(Overlays().pGameOver).lfHeight, -(768 / 20));
    const RECT over = RectOf(Overlays().pGameOver);
    EXPECT_LE(std::abs(over.left + over.right - 1024), 1);
    EXPECT_LE(std::abs(over.top + over.bottom - 768), 1);
}

TEST_F(Overlay, TextsFollowALanguageSwitch)
{
    ShowHint(idsHintOutOfMines, idsHintOutOfMinesText, 0);
    g.fTutorial = TRUE;
    g.lGameState = gsPlaying;
    SetTutorialDisplay(TRUE);
    ShowTutorialText(81, 82);
    const std::string englishTitle = Overlays().pHintTitle->Text();

    // The language button of the menus switches to Esperanto.
    MenuCommand(mcSwitchLanguage);
    ASSERT_EQ(GetLanguage(), LANG_ESPERANTO_TEXTS);
    const OVERLAYS& o = Overlays();
    ASSERT_NE(o.pHintTitle, nullptr);
    EXPECT_EQ(std::string(o.pHintTitle->Text()), Text(idsHintOutOfMines));
    EXPECT_NE(std::string(o.pHintTitle->Text()), englishTitle);
    EXPECT_EQ(std::string(o.pHintText->Text()), Text(idsHintOutOfMinesText));
    EXPECT_EQ(std::string(o.pTutorialUpper->Text()), Text(81));
    EXPECT_EQ(std::string(o.pTutorialLower->Text()), Text(82));
    EXPECT_EQ(std::string(o.pSkip->Text()), Text(idsSkipTutorial));
    EXPECT_EQ(std::string(o.pSkip->Text()), " Preterlasu Lernilon (Tab) ");
    ExpectHintLayout(640, 480);
    ExpectTutorialLayout(640, 480);

    // "Game Over" in the other language too.
    HideHint();
    SetTutorialDisplay(FALSE);
    g.fTutorial = FALSE;
    g.lGameState = gsGameOver;
    SyncOverlays();
    ASSERT_NE(o.pGameOver, nullptr);
    EXPECT_EQ(std::string(o.pGameOver->Text()), Text(idsGameOver));
    SetLanguage(LANG_ENGLISH_TEXTS);
    RefreshOverlayTexts();
    ASSERT_NE(o.pGameOver, nullptr);
    EXPECT_STREQ(o.pGameOver->Text(), "Game Over");
}

} // namespace

TEST(SkipButton, ItsTextStandsOutFromItsFace)
{
    EXPECT_GE(acpaint::Contrast(clrSkipText, clrSkipFace), 4.5);
}
