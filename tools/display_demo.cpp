// Opens the display at 800 by 600, draws shapes and text through a device
// context on the back buffer, flips, and saves what the screen shows as a
// 24-bit BMP file (the first argument, default display_demo.bmp). With a
// second argument "window" (or "fullscreen", which shows it on the whole
// screen) it also saves what the real window shows, scaled and letterboxed,
// next to it as <name>-window.bmp.
#include "anim/display.h"
#include "platform/clock/clock.h"
#include "platform/ddraw/presenter.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "tools/shots_bmp.h"
#include "tools/tool_window.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

using shots::SaveBmp;

HFONT Font(const char* face, int pixels, bool bold, bool italic)
{
    return CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

void Draw(HDC dc)
{
    // A dark blue sky fading down to violet, in bands.
    for (int y = 0; y < 600; y += 10) {
        const RECT band{0, y, 800, y + 10};
        HBRUSH b = CreateSolidBrush(RGB(static_cast<BYTE>(y / 6), static_cast<BYTE>(20 + y / 12), 90));
        FillRect(dc, &band, b);
        DeleteObject(b);
    }
    // A panel as the game's message box draws it.
    const RECT panel{225, 360, 575, 475};
    HBRUSH face = CreateSolidBrush(RGB(1, 142, 225));
    FillRect(dc, &panel, face);
    DeleteObject(face);
    HPEN light = CreatePen(PS_SOLID, 1, RGB(5, 193, 255));
    HPEN dark = CreatePen(PS_SOLID, 1, RGB(96, 3, 202));
    HGDIOBJ oldPen = SelectObject(dc, light);
    MoveToEx(dc, panel.left, panel.bottom - 1, nullptr);
    LineTo(dc, panel.left, panel.top);
    LineTo(dc, panel.right, panel.top);
    SelectObject(dc, dark);
    MoveToEx(dc, panel.right - 1, panel.top, nullptr);
    LineTo(dc, panel.right - 1, panel.bottom - 1);
    LineTo(dc, panel.left - 1, panel.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(light);
    DeleteObject(dark);

    // Coloured squares, framed, one of them with a focus frame.
    const COLORREF cubes[] = {RGB(128, 128, 128), RGB(0, 170, 0), RGB(200, 0, 0), RGB(20, 20, 20), RGB(0, 60, 220)};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    for (int i = 0; i < 5; ++i) {
        const RECT r{130 + i * 110, 250, 200 + i * 110, 320};
        HBRUSH b = CreateSolidBrush(cubes[i]);
        FillRect(dc, &r, b);
        FrameRect(dc, &r, white);
        DeleteObject(b);
    }
    const RECT focus{128 + 2 * 110, 248, 202 + 2 * 110, 322};
    DrawFocusRect(dc, &focus);
    DeleteObject(white);

    SetBkMode(dc, TRANSPARENT);
    HFONT title = Font("Times New Roman", 64, true, true);
    HGDIOBJ oldFont = SelectObject(dc, title);
    SetTextColor(dc, RGB(255, 220, 80));
    RECT top{0, 30, 800, 130};
    DrawTextA(dc, "Varno", -1, &top, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    HFONT sans = Font("Arial Eo", 22, false, false);
    SelectObject(dc, sans);
    SetTextColor(dc, RGB(220, 230, 255));
    RECT sub{0, 130, 800, 170};
    DrawTextA(dc,
              "\xC4\x88"
              "u vi \xC5\x9D"
              "atas la kubojn? \xE2\x80\x94 Telmar Software Presents",
              -1, &sub, DT_SINGLELINE | DT_CENTER);
    HFONT mono = Font("Courier New", 16, false, false);
    SelectObject(dc, mono);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    TextOutA(dc, 10, 570, "800 x 600 x 32  amFlip", -1);
    SetBkMode(dc, TRANSPARENT);
    HFONT box = Font("Arial", 18, true, true);
    SelectObject(dc, box);
    SetTextColor(dc, RGB(0, 0, 64));
    RECT text{panel.left + 10, panel.top + 7, panel.right - 10, panel.bottom - 25};
    DrawTextA(dc, "There are no video modes which match the requested criteria. The words wrap inside the panel.", -1,
              &text, DT_WORDBREAK | DT_CENTER);
    SelectObject(dc, oldFont);
    for (HFONT f : {title, sans, mono, box})
        DeleteObject(f);
}
} // namespace

int main(int argc, char** argv)
{
    const std::string out = argc > 1 ? argv[1] : "display_demo.bmp";
    const bool fullScreen = argc > 2 && std::strcmp(argv[2], "fullscreen") == 0;
    const bool window = fullScreen || (argc > 2 && std::strcmp(argv[2], "window") == 0);
    if (!Display) {
        std::fprintf(stderr, "display_demo: the library made no display\n");
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = "DisplayDemo";
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "DisplayDemo", "Varno display demo", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                nullptr, nullptr, nullptr);
    if (!main || !Display->SetMainWindow(main) || !Display->SetVideoMode(800, 600, 32, amFlip)) {
        std::fprintf(stderr, "display_demo: cannot set 800x600x32\n");
        return 1;
    }
    presenter::SetFullScreen(fullScreen);
    IDirectDrawSurface* back = Display->GetSurface(0);
    HDC dc = nullptr;
    if (!back || back->GetDC(&dc) != DD_OK) {
        std::fprintf(stderr, "display_demo: no back buffer\n");
        return 1;
    }
    Draw(dc);
    back->ReleaseDC(dc);
    Display->Flip();
    MSG msg;
    // Let the window system settle the window at its size.
    for (int i = 0; i < 30; ++i) {
        Sleep(10);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    // Present once more now that the window has settled at its size.
    Display->Flip();
    Display->Flip();
    int w = 0, h = 0;
    const auto& picture = presenter::LastPicture(&w, &h);
    if (!SaveBmp(out, picture, w, h)) {
        std::fprintf(stderr, "display_demo: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %dx%d\n", out.c_str(), w, h);
    if (window) {
        std::vector<std::uint32_t> shown;
        if (presenter::ReadWindow(&shown, &w, &h)) {
            const std::string name = out.substr(0, out.rfind('.')) + "-window.bmp";
            SaveBmp(name, shown, w, h);
            std::printf("%s: %dx%d\n", name.c_str(), w, h);
        } else {
            std::printf("no window to read back\n");
        }
    }
    Display->RestoreVideoMode();
    DestroyWindow(main);
    return 0;
}
