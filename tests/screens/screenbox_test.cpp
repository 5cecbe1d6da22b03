// The on-screen message box: its slide, its keys and buttons, its answers,
// the menu resting behind it, and a quit while it waits.
#include "screens_support.h"

#include "game/flow.h"
#include "game/game.h"
#include "screens/ac_button.h"
#include "screens/menus.h"
#include "screens/screenbox.h"
#include "shell/settings.h"
#include "support/textres.h"

#include <string>

using namespace screenstest;

namespace {
std::vector<LONG> g_tops;  // the panel's top at each slide position
std::vector<long> g_steps; // the slide positions seen

int Chain(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    MenuService(w, code, wParam, lParam);
    MessageBoxService(w, code, wParam, lParam);
    if (code == svcawSequence && wParam == 50) {
        g_steps.push_back(lParam);
        if (ScreenBox().pPanel) {
            RECT r;
            ScreenBox().pPanel->GetRect(&r);
            g_tops.push_back(r.top);
        }
    }
    return 1;
}

class Box : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        SetLanguage(LANG_ENGLISH_TEXTS);
        SettingsDefaults(&g.Settings);
        SettingsKeepInMemory(true);
        SetMenuWindow(aw);
        g_chain = &Chain;
        g_tops.clear();
        g_steps.clear();
    }
    void TearDown() override
    {
        ReleaseMenus();
        SetMenuWindow(nullptr);
        FlowSeams() = FLOWSEAMS{};
        SettingsKeepInMemory(false);
        ScreensTest::TearDown();
    }

    // True on the idle calls of the box's own frame loop: the panel has
    // arrived and the slide's last frame is over (keys released while the
    // panel slides in are not the box's).
    bool Waiting()
    {
        if (!ScreenBox().pPanel || ScreenBox().lStep != 50 || ScreenBox().nAnswer) {
            m_arrived = 0;
            return false;
        }
        return ++m_arrived > 1;
    }

    // Once the box waits, the keys are released one per idle call.
    void KeysWhenOpen(std::vector<int> keys)
    {
        m_keys = std::move(keys);
        m_arrived = 0;
        g_onIdle = [this] {
            if (Waiting() && !m_keys.empty()) {
                PostKeyUp(m_keys.front());
                m_keys.erase(m_keys.begin());
            }
        };
    }

    std::vector<int> m_keys;
    int m_arrived = 0;
};
} // namespace

TEST_F(Box, YesNoKeysAnswerYesOrNo)
{
    const std::vector<std::pair<int, int>> cases{{'Y', mbaYes},      {'J', mbaYes}, {VK_RETURN, mbaYes},
                                                 {VK_SPACE, mbaYes}, {'N', mbaNo},  {VK_ESCAPE, mbaNo}};
    for (const auto& [key, answer] : cases) {
        KeysWhenOpen({key});
        EXPECT_EQ(ScreenMessageBox(mbtYesNo, idsResumeQuestion, nullptr), answer) << "key " << key;
        EXPECT_EQ(ScreenBox().pPanel, nullptr);
    }
    KeysWhenOpen({VK_ESCAPE});
    EXPECT_EQ(ScreenMessageBox(mbtOkCancel, idsResumeQuestion, nullptr), mbaCancel);
    KeysWhenOpen({VK_RETURN});
    EXPECT_EQ(ScreenMessageBox(mbtOkCancel, idsResumeQuestion, nullptr), mbaOk);
}

TEST_F(Box, ACloseBoxIgnoresEscapeAndNAndClosesWithReturn)
{
    int stillOpen = 0;
    KeysWhenOpen({VK_ESCAPE, 'N', 'X', VK_RETURN});
    auto post = g_onIdle;
    g_onIdle = [&] {
        // When Return is about to be released the box still waits.
        if (m_keys.size() == 1 && ScreenBox().pPanel && ScreenBox().nAnswer == 0)
            ++stillOpen;
        post();
    };
    EXPECT_EQ(ScreenMessageBox(mbtClose, 38, nullptr), mbaOk);
    EXPECT_GT(stillOpen, 0);
    EXPECT_TRUE(m_keys.empty());
}

TEST_F(Box, ThePanelSlidesInToTheCentreAndOutAtTheBottomWithTheTextFormatted)
{
    std::string text;
    g_onIdle = [&] {
        if (Waiting() && text.empty()) {
            text = ScreenBox().pszText;
            MessageBoxCommand(kBoxFirstButton);
        }
    };
    EXPECT_EQ(ScreenMessageBox(mbtClose, 38, nullptr), mbaOk);
    EXPECT_EQ(text, "There are no video modes which match the requested criteria.");
    const std::vector<long> expected{1, 7, 13, 19, 25, 31, 37, 43, 49, 50, 51, 57, 63, 69, 75, 81, 87, 93, 99, 100};
    EXPECT_EQ(g_steps, expected);
    ASSERT_EQ(g_tops.size(), 19u); // at 100 the panel is gone
    const LONG centre = (kHeight - kBoxHeight) / 2;
    EXPECT_LT(g_tops.front(), -kBoxHeight + 5);
    EXPECT_EQ(g_tops[9], centre);
    EXPECT_GT(g_tops[18], kHeight - 5);
    for (std::size_t i = 1; i < g_tops.size(); ++i)
        EXPECT_GE(g_tops[i], g_tops[i - 1]);
    // Eased: slow at both ends of each half, fast in the middle.
    EXPECT_LT(g_tops[1] - g_tops[0], g_tops[5] - g_tops[4]);
    EXPECT_EQ(aw->FindObject(nullptr), nullptr);
}

TEST_F(Box, TheButtonsAnswerWhenClickedAndStandAtThePanelsLowerRight)
{
    RECT panel{}, first{}, second{};
    g_onIdle = [&] {
        const SCREENBOX& b = ScreenBox();
        if (!Waiting() || panel.right)
            return;
        b.pPanel->GetRect(&panel);
        b.apButtons[0]->GetRect(&first);
        b.apButtons[1]->GetRect(&second);
        EXPECT_STREQ(b.apButtons[0]->Text(), "   Yes   ");
        EXPECT_STREQ(b.apButtons[1]->Text(), "   No   ");
        const int x = (second.left + second.right) / 2, y = (second.top + second.bottom) / 2;
        Mouse(WM_LBUTTONDOWN, x, y);
        Mouse(WM_LBUTTONUP, x, y);
    };
    EXPECT_EQ(ScreenMessageBox(mbtYesNo, idsResumeQuestion, nullptr), mbaNo);
    EXPECT_EQ(panel.right - panel.left, kBoxWidth);
    EXPECT_EQ(panel.left, (kWidth - kBoxWidth) / 2);
    EXPECT_EQ(second.right, panel.left + 340);
    EXPECT_EQ(second.bottom, panel.top + 108);
    EXPECT_EQ(first.right, second.left - 5);
    EXPECT_EQ(first.bottom, panel.top + 108);
}

TEST_F(Box, TheMenuRestsWhileTheBoxIsShownAndTheFlowAsksThroughIt)
{
    ShowMainMenu();
    InstallMenuSeams();
    bool disabled = false;
    g_onIdle = [&] {
        if (Waiting() && !disabled) {
            disabled = !MainMenu.apButtons[0]->fIsEnabled() && !Menus().pLanguage->fIsEnabled();
            // The menu's keys rest too: Down moves no focus.
            KeyUp(VK_DOWN);
            EXPECT_EQ(GetFocusControl(), nullptr);
            PostKeyUp('Y');
        }
    };
    ASSERT_NE(FlowSeams().pfnAskYesNo, nullptr);
    EXPECT_TRUE(FlowSeams().pfnAskYesNo(idsResumeQuestion));
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(MainMenu.apButtons[0]->fIsEnabled());
    EXPECT_EQ(Menus().pCurrent, &MainMenu);
}

TEST_F(Box, AQuitWhileTheBoxWaitsTakesItAwayWithTheCancellingAnswer)
{
    g_onIdle = [&] {
        if (Waiting())
            PostQuitMessage(0);
    };
    EXPECT_EQ(ScreenMessageBox(mbtYesNo, idsResumeQuestion, nullptr), mbaNo);
    EXPECT_EQ(ScreenBox().pPanel, nullptr);
    EXPECT_EQ(aw->FindObject(nullptr), nullptr);
    // Only one box at a time; without a window none at all.
    SetMenuWindow(nullptr);
    EXPECT_EQ(ScreenMessageBox(mbtClose, 38, nullptr), 0);
}

TEST_F(Box, WithoutTheSlideServiceTheBoxStillOpensAndCloses)
{
    g_chain = nullptr;
    KeysWhenOpen({VK_RETURN});
    EXPECT_EQ(ScreenMessageBox(mbtClose, 38, nullptr), mbaOk);
    EXPECT_EQ(aw->FindObject(nullptr), nullptr);
}

namespace {
std::vector<UINT> g_behind; // input that reached a hook behind the box
LRESULT BehindHook(HWND, UINT msg, WPARAM, LPARAM)
{
    if ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST))
        g_behind.push_back(msg);
    return 0;
}
} // namespace

// While the box is shown nothing behind it sees a key or the mouse: a hook
// of the window (as the menus' and the editor's are) gets none of them.
TEST_F(Box, TheBoxHoldsEveryKeyAndTheMouseOutsideItsPanel)
{
    g_behind.clear();
    aw->SetHook(&BehindHook, 0xFFFF);
    KeyUp(VK_DOWN);
    ASSERT_EQ(g_behind.size(), 1u); // the hook works without a box
    g_behind.clear();
    int stage = 0;
    g_onIdle = [&] {
        if (!Waiting() || stage++ != 0)
            return;
        SendMessageA(m_child, WM_KEYDOWN, VK_ESCAPE, 0);
        KeyUp(VK_ESCAPE); // a Close box ignores Escape, and so does what is behind it
        KeyUp(VK_DOWN);
        KeyUp('X');
        Mouse(WM_MOUSEMOVE, 5, 5);
        Mouse(WM_LBUTTONDOWN, 5, 5);
        Mouse(WM_LBUTTONUP, 5, 5);
        PostKeyUp(VK_RETURN);
    };
    EXPECT_EQ(ScreenMessageBox(mbtClose, 38, nullptr), mbaOk);
    EXPECT_EQ(stage > 0, true);
    EXPECT_TRUE(g_behind.empty()) << g_behind.size() << " messages got through";
    // Once the box has gone, keys reach the hook again.
    KeyUp(VK_DOWN);
    EXPECT_EQ(g_behind.size(), 1u);
    aw->RemoveHook(&BehindHook);
}

TEST_F(Box, AYesNoCancelBoxAnswersWithItsThreeButtonsAndKeys)
{
    const std::vector<std::pair<int, int>> cases{{'Y', mbaYes}, {VK_RETURN, mbaYes}, {'N', mbaNo}, {VK_ESCAPE, mbaCancel}};
    for (const auto& [key, answer] : cases) {
        KeysWhenOpen({key});
        EXPECT_EQ(ScreenMessageBox(mbtYesNoCancel, idsResumeQuestion, nullptr), answer) << "key " << key;
    }
    RECT panel{}, yes{}, no{}, cancel{};
    std::string labels;
    g_onIdle = [&] {
        const SCREENBOX& b = ScreenBox();
        if (!Waiting() || panel.right)
            return;
        b.pPanel->GetRect(&panel);
        b.apButtons[0]->GetRect(&yes);
        b.apButtons[1]->GetRect(&no);
        b.apButtons[2]->GetRect(&cancel);
        labels = std::string(b.apButtons[0]->Text()) + "|" + b.apButtons[1]->Text() + "|" + b.apButtons[2]->Text();
        const int x = (cancel.left + cancel.right) / 2, y = (cancel.top + cancel.bottom) / 2;
        Mouse(WM_LBUTTONDOWN, x, y);
        Mouse(WM_LBUTTONUP, x, y);
    };
    EXPECT_EQ(ScreenMessageBox(mbtYesNoCancel, idsResumeQuestion, nullptr), mbaCancel);
    EXPECT_EQ(labels, "   Yes   |   No   |   Cancel   ");
    EXPECT_EQ(cancel.right, panel.left + 340);
    EXPECT_EQ(no.right, cancel.left - 5);
    EXPECT_EQ(yes.right, no.left - 5);
    EXPECT_GE(yes.left, panel.left);
    // Taken away by a quit, it answers Cancel.
    g_onIdle = [&] {
        if (Waiting())
            PostQuitMessage(0);
    };
    EXPECT_EQ(ScreenMessageBox(mbtYesNoCancel, idsResumeQuestion, nullptr), mbaCancel);
}
