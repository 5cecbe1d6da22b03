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

bool SaveBmp(const std::string& path, const std::vector<std::uint32_t>& pixels, int w, int h)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * h);
    std::uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, std::uint32_t v) { std::memcpy(header + at, &v, 4); };
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    header[26] = 1;
    header[28] = 24;
    put32(34, dataSize);
    const std::string tmp = path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes), 0);
    for (int y = h - 1; y >= 0 && ok; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * w + x];
            row[static_cast<std::size_t>(x) * 3] = static_cast<std::uint8_t>(p);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

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
    if (!Display) {
        std::fprintf(stderr, "status_demo: the library made no display\n");
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = "StatusDemo";
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "StatusDemo", "Varno status bars", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                nullptr, nullptr, nullptr, nullptr);
    if (!main || !Display->SetMainWindow(main)) {
        std::fprintf(stderr, "status_demo: no main window\n");
        return 1;
    }
    HWND child = CreateWindowExA(0, "AnimWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, main, nullptr,
                                 nullptr, reinterpret_cast<void*>(&WindowService));
    ANIMWINDOW* aw = ANIMWINDOW::GetAnimWindow(child);
    if (!aw || !Display->SetVideoMode(kWidth, kHeight, 32, amFlip)) {
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
