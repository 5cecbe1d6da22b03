// Draws the status bars at 800 by 600 over a grey background and saves one
// picture per situation into the folder given as the first argument
// (default: the current folder):
//   status_game_eng.bmp   a game at level 3, in English
//   status_game_esp.bmp   the same in Esperanto
//   status_editor.bmp     the editor (top bar only, no scores)
//   status_test.bmp       a puzzle tested from the editor
//   status_tutorial.bmp   a tutorial puzzle (top bar only)
// The language choices go to a settings folder of the tool's own, never to
// the player's.
#include "anim/animwin.h"
#include "anim/display.h"
#include "game/game.h"
#include "platform/ddraw/presenter.h"
#include "platform/window/window.h"
#include "tools/shots_bmp.h"
#include "tools/tool_window.h"
#include "screens/status.h"
#include "support/textres.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 600;

int WindowService(ANIMWINDOW*, svcAnimWindow, unsigned, long)
{
    return 1;
}

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

using shots::SaveBmp;

// Renders a few frames and saves what the screen shows.
bool Shoot(ANIMWINDOW* aw, const std::string& path)
{
    for (int i = 0; i < 3; ++i)
        aw->RenderFrame();
    int w = 0, h = 0;
    const auto& picture = presenter::LastPicture(&w, &h);
    if (!SaveBmp(path, picture, w, h)) {
        std::fprintf(stderr, "status_demo: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s: %dx%d, bars %ld and %ld pixels high\n", path.c_str(), w, h, static_cast<long>(StatusBarHeight()),
                static_cast<long>(StatusBottomBarHeight()));
    return true;
}

void GameValues()
{
    g = GAME{};
    g.Settings.lHighScore = 250000;
    NewGameValues();
    g.lGameState = gsPlaying;
    g.lLives = 3;
    g.lScore = 1234567;
    g.lHighScore = 1234567;
    ShowPuzzle(3, 2, 2);
}
} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path out = argc > 1 ? argv[1] : ".";
    const std::filesystem::path config = std::filesystem::temp_directory_path() / "varno-status-demo";
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    HWND main = nullptr;
    ANIMWINDOW* aw = tools::OpenToolWindow("status_demo", "StatusDemo", "Varno status bars", MainProc, kWidth, kHeight,
                                           &WindowService, &main);
    if (!aw)
        return 1;
    if (!Display->SetVideoMode(kWidth, kHeight, 32, amFlip)) {
        std::fprintf(stderr, "status_demo: cannot set 800x600x32\n");
        return 1;
    }
    SetActiveWindow(main);
    aw->SetBackground(RGB(128, 128, 128), 0, 0, 0x80000000, 0x80000000);
    InitStatusDisplay(aw);

    bool ok = true;
    SetLanguage(LANG_ENGLISH_TEXTS);
    GameValues();
    ok = Shoot(aw, (out / "status_game_eng.bmp").string()) && ok;

    SetLanguage(LANG_ESPERANTO_TEXTS);
    ok = Shoot(aw, (out / "status_game_esp.bmp").string()) && ok;

    SetLanguage(LANG_ENGLISH_TEXTS);
    g.lGameState = gsEditor;
    EditorStatus(4, 7);
    ok = Shoot(aw, (out / "status_editor.bmp").string()) && ok;

    NewGameValues();
    g.ActivePuzzle.bTesting = TRUE;
    g.lGameState = gsPuzzleStart;
    ShowPuzzle(4, 7, 3);
    ok = Shoot(aw, (out / "status_test.bmp").string()) && ok;

    g.ActivePuzzle.bTesting = FALSE;
    NewGameValues();
    g.fTutorial = TRUE;
    ShowPuzzle(0, 2, 1);
    ok = Shoot(aw, (out / "status_tutorial.bmp").string()) && ok;

    RemoveStatusBars();
    InitStatusDisplay(nullptr);
    Display->RestoreVideoMode();
    DestroyWindow(main);
    std::filesystem::remove_all(config);
    return ok ? 0 : 1;
}
