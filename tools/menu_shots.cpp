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
#include "tools/shots_png.h"

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

std::function<void()> g_onIdle;

int WindowService(ANIMWINDOW* w, svcAnimWindow code, unsigned wParam, long lParam)
{
    MenuService(w, code, wParam, lParam);
    MessageBoxService(w, code, wParam, lParam);
    OverlayService(w, code, wParam, lParam);
    if (code == svcawIdle) {
        if (g_onIdle)
            g_onIdle();
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 1;
}

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE || msg == WM_COMMAND)
        return 0;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::string g_folder;
int g_failures = 0;

void Shot(const char* name)
{
    int w = 0, h = 0;
    const auto& picture = presenter::LastPicture(&w, &h);
    const std::string path = g_folder + "/" + name + ".png";
    if (w <= 0 || !shots::SavePng(path, picture, w, h)) {
        std::fprintf(stderr, "menu_shots: cannot write %s\n", path.c_str());
        ++g_failures;
        return;
    }
    std::printf("%s\n", path.c_str());
}

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

// A box shown over what is on screen; its picture is taken once it waits,
// then its first button answers it.
void BoxShot(int type, LONG idText, const char* name)
{
    int waiting = 0;
    g_onIdle = [&] {
        if (!ScreenBox().pPanel || ScreenBox().lStep != 50 || ScreenBox().nAnswer)
            return;
        if (++waiting == 3) {
            Shot(name);
            MessageBoxCommand(kBoxFirstButton);
        }
    };
    ScreenMessageBox(type, idText, nullptr);
    g_onIdle = nullptr;
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
    g_folder = argc > 1 ? argv[1] : ".";
    std::error_code ignored;
    std::filesystem::create_directories(g_folder, ignored);
    const std::string store = (std::filesystem::temp_directory_path() / "varno-menu-shots").string();
    std::filesystem::create_directories(store, ignored);
    setenv("XDG_CONFIG_HOME", store.c_str(), 1);
    if (!Display) {
        std::fprintf(stderr, "menu_shots: the library made no display\n");
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = "MenuShots";
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "MenuShots", "Varno menus", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                                nullptr, nullptr, nullptr);
    if (!main || !Display->SetMainWindow(main)) {
        std::fprintf(stderr, "menu_shots: no main window\n");
        return 1;
    }
    HWND child = CreateWindowExA(0, "AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, main, nullptr,
                                 nullptr, reinterpret_cast<void*>(&WindowService));
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
    return g_failures ? 1 : 0;
}
