// Shows each menu and the on-screen message box over a plain background at
// 800 by 600 and saves a picture of each as a PNG file, to look at the
// menus as the player sees them: menu_shots [folder] (default: the current
// folder). Then the texts shown over the scene during play (a hint, the
// tutorial's lines with their button, "Game Over") over a grey background.
// Settings and language choices go to a store of the tool's own.
#include "anim/animwin.h"
#include "anim/display.h"
#include "game/flow.h"
#include "game/game.h"
#include "game/hint.h"
#include "platform/ddraw/presenter.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "editor/tutorial.h"
#include "screens/menus.h"
#include "screens/overlays.h"
#include "screens/screenbox.h"
#include "shell/settings.h"
#include "support/textres.h"
#include "tools/shots_host.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 600;

int WindowService(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    MenuService(w, code, wParam, lParam);
    MessageBoxService(w, code, wParam, lParam);
    OverlayService(w, code, wParam, lParam);
    shots::IdleStep(code);
    return 1;
}

using shots::Shot;

// A night sky over a dark plain: bands from deep blue to black.
void PlainBackground(ANIMWINDOW* aw)
{
    for (int y = 0; y < kHeight; y += 8) {
        const int t = y * 255 / kHeight;
        const BYTE r = static_cast<BYTE>(8 + t / 12), g = static_cast<BYTE>(14 + t / 10),
                   b = static_cast<BYTE>(70 - t / 5);
        aw->SetBackground(RGB(r, g, b), 0, y, static_cast<int>(0x80000000), 8);
    }
}

// A box shown over what is on screen, answered with its first button.
void BoxShot(int type, LONG idText, const char* name)
{
    shots::BoxShot(type, idText, name, kBoxFirstButton);
}

// The overlays of play over a plain grey scene: a hint, the tutorial's
// lines with the Skip Tutorial button, and "Game Over" under the failure
// hint it follows.
void OverlayShots(ANIMWINDOW* aw)
{
    aw->SetBackground(RGB(128, 128, 128), 0, 0, static_cast<int>(0x80000000), static_cast<int>(0x80000000));
    InitOverlays(aw);
    const auto frames = [&](long n) { aw->Animate(n); };

    g.lGameState = gsPlaying;
    ShowHint(idsHintKeyboard, idsHintKeyboardText, 0);
    frames(3);
    Shot("overlay_hint");
    HideHint();

    g.fTutorial = TRUE;
    SetTutorialDisplay(TRUE);
    ShowTutorialText(85, 86);
    frames(3);
    Shot("overlay_tutorial");
    MenuCommand(mcSwitchLanguage);
    frames(3);
    Shot("overlay_tutorial_esperanto");
    MenuCommand(mcSwitchLanguage);
    SetTutorialDisplay(FALSE);
    g.fTutorial = FALSE;

    ShowHint(idsHintCubeFell, idsHintCubeFellText, 0);
    g.lGameState = gsGameOver;
    frames(3);
    Shot("overlay_gameover");
    HideHint();
    g.lGameState = gsMenu;
    frames(1);
    ReleaseOverlays();
    InitOverlays(nullptr);
}

void KeyUp(HWND child, int vk)
{
    SendMessageA(child, WM_KEYUP, static_cast<WPARAM>(vk), 0);
}
} // namespace

int main(int argc, char** argv)
{
    HWND child = nullptr;
    HWND main = shots::OpenShotWindow("menu_shots", argc, argv, kWidth, kHeight, &WindowService, &child);
    if (!main)
        return 1;
    ANIMWINDOW* aw = ANIMWINDOW::GetAnimWindow(child);
    if (!aw || !Display->SetVideoMode(kWidth, kHeight, 32, amFlip)) {
        std::fprintf(stderr, "menu_shots: cannot set 800x600x32\n");
        return 1;
    }
    SetActiveWindow(main);
    aw->SetTargetFrameRate(0);
    PlainBackground(aw);
    // The cursor rests in a corner, over no entry.
    input_store::SetCursor(kWidth - 1, kHeight - 1);

    SettingsKeepInMemory(true);
    SettingsDefaults(&g.Settings);
    g.Levels.cLevels = 12;
    g.lGameState = gsMenu;
    SetLanguage(LANG_ENGLISH_TEXTS);
    SetMenuWindow(aw);
    InstallMenuSeams();

    const auto frames = [&](long n) { aw->Animate(n); };
    ShowMainMenu();
    frames(30);
    Shot("main");
    KeyUp(child, VK_DOWN);
    KeyUp(child, VK_DOWN);
    frames(12);
    Shot("main_focus");
    BoxShot(mbtYesNo, idsResumeQuestion, "box_yesno");
    frames(4);
    ShowMenu(&OptionsMenu);
    frames(60);
    Shot("options");
    ShowMenu(&VideoMenu);
    frames(90);
    Shot("video");
    BoxShot(mbtClose, 38, "box_close");
    ShowPauseMenu();
    KeyUp(child, VK_DOWN);
    frames(20);
    Shot("pause");
    ShowEditorMenu();
    frames(20);
    Shot("editor");
    ShowMainMenu();
    MenuCommand(mcSwitchLanguage);
    frames(30);
    Shot("main_esperanto");
    BoxShot(mbtOkCancel, idsResumeQuestion, "box_okcancel_esperanto");
    MenuCommand(mcSwitchLanguage);
    ReleaseMenus();

    OverlayShots(aw);

    SetMenuWindow(nullptr);
    Display->RestoreVideoMode();
    DestroyWindow(main);
    return shots::Current().failures ? 1 : 0;
}
