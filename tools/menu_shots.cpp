// Shows each menu and the on-screen message box over a plain background at
// 800 by 600 and saves a picture of each as a PNG file, to look at the
// menus as the player sees them: menu_shots [folder] (default: the current
// folder). Settings and language choices go to a store of the tool's own.
#include "anim/animwin.h"
#include "anim/display.h"
#include "game/flow.h"
#include "game/game.h"
#include "platform/ddraw/presenter.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "screens/menus.h"
#include "screens/screenbox.h"
#include "shell/settings.h"
#include "support/textres.h"

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

// ---- a PNG writer with stored (uncompressed) deflate blocks -----------------------

std::uint32_t Crc(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0xFFFFFFFFu)
{
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    Put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

bool SavePng(const std::string& path, const std::vector<std::uint32_t>& pixels, int w, int h)
{
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(h) * (w * 3 + 1));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * w + x];
            raw.push_back(static_cast<std::uint8_t>(p >> 16));
            raw.push_back(static_cast<std::uint8_t>(p >> 8));
            raw.push_back(static_cast<std::uint8_t>(p));
        }
    }
    std::vector<std::uint8_t> z{0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size(); at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n));
        z.push_back(static_cast<std::uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                 raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    Put32(z, (b << 16) | a);
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Put32(header, static_cast<std::uint32_t>(w));
    Put32(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

std::string g_folder;
int g_failures = 0;

void Shot(const char* name)
{
    int w = 0, h = 0;
    const auto& picture = presenter::LastPicture(&w, &h);
    const std::string path = g_folder + "/" + name + ".png";
    if (w <= 0 || !SavePng(path, picture, w, h)) {
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
    SetMenuWindow(nullptr);
    Display->RestoreVideoMode();
    DestroyWindow(main);
    return g_failures ? 1 : 0;
}
