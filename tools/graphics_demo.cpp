// Draws loaded bitmaps on the display. It first writes three bitmap files of
// its own (a sprite whose magenta background is its transparent colour, a
// glass panel and a glow) next to the output, loads them back as graphics,
// and draws them at 800 by 600 by 32 bits: the sprites colour-keyed over a
// patterned background, the panel blended with a constant alpha of one half,
// the glow with an alpha per pixel. What the screen shows is saved as a
// 24-bit BMP file (the first argument, default graphics_demo.bmp). Then the
// same sprites are shown at 640 by 480 by 8 bits through one palette group
// shared by the sprites and the background's colours, saved as
// <name>-8bit.bmp.
#include "anim/display.h"
#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/palette.h"
#include "platform/ddraw/presenter.h"
#include "platform/files/filehandle.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;
constexpr int kToEdge = static_cast<int>(0x80000000u);
constexpr COLORREF kKey = RGB(255, 0, 255);

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Writes the graphic as a bitmap file: to a temporary name, then renamed.
bool SaveGraphic(GRAPHIC& g, const std::string& path)
{
    const std::string tmp = path + ".tmp";
    FILEMAP f;
    if (!f.Open(tmp.c_str(), OF_CREATE))
        return false;
    const bool ok = g.Save(f, 1) != 0;
    f.Close();
    return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

// An 8-bit sprite of 64 x 64: a shaded cube face with a bevel on a magenta
// background, in the colours of its own table.
bool WriteSprite(const std::string& path, COLORREF base)
{
    RGBQUAD table[256] = {};
    table[0] = RGBQUAD{255, 0, 255, 0};
    // 1..32: the base colour from dark to light.
    for (int i = 1; i <= 32; ++i) {
        const double k = 0.35 + 0.65 * (i - 1) / 31.0;
        table[i] = RGBQUAD{static_cast<BYTE>(GetBValue(base) * k), static_cast<BYTE>(GetGValue(base) * k),
                           static_cast<BYTE>(GetRValue(base) * k), 0};
    }
    GRAPHIC g(64, 64, 8, table, kNone);
    for (long y = 0; y < 64; ++y)
        for (long x = 0; x < 64; ++x) {
            // A rounded square; outside it the key colour.
            const double dx = std::fabs(x - 31.5) - 20, dy = std::fabs(y - 31.5) - 20;
            const double outside = std::hypot(std::max(dx, 0.0), std::max(dy, 0.0));
            unsigned long v = 0;
            if (outside < 10) {
                // Lit from the top left; the bevel a little brighter.
                double light = 1.0 - (x + y) / 126.0;
                if (outside > 6)
                    light = 1.0 - light * 0.7;
                v = 1 + static_cast<unsigned long>(std::lround(31 * std::clamp(light, 0.0, 1.0)));
            }
            g.SetPixelValue(x, y, v, 0);
        }
    return SaveGraphic(g, path);
}

// A 24-bit panel of 240 x 140: a vertical gradient with a frame.
bool WritePanel(const std::string& path)
{
    GRAPHIC g(240, 140, 24, kNone);
    for (long y = 0; y < 140; ++y)
        for (long x = 0; x < 240; ++x) {
            const bool frame = x < 4 || y < 4 || x >= 236 || y >= 136;
            g.SetPixel(x, y,
                       frame ? RGB(255, 255, 255) : RGB(20, static_cast<BYTE>(120 + y / 2), static_cast<BYTE>(255 - y)),
                       0);
        }
    return SaveGraphic(g, path);
}

// A 24-bit glow of 180 x 180 in warm yellow.
bool WriteGlow(const std::string& path)
{
    GRAPHIC g(180, 180, 24, kNone);
    for (long y = 0; y < 180; ++y)
        for (long x = 0; x < 180; ++x)
            g.SetPixel(x, y, RGB(255, static_cast<BYTE>(200 + (x % 40 < 20 ? 40 : 0)), 60), 0);
    return SaveGraphic(g, path);
}

// The glow's alpha: full at the centre, none at the rim.
void RadialAlpha(GRAPHIC& g)
{
    ALPHAINFO* info = g.GetTranslucencyInfo();
    for (long y = 0; y < info->height; ++y)
        for (long x = 0; x < info->width; ++x) {
            const double r = std::hypot(x - info->width / 2.0, y - info->height / 2.0) / (info->width / 2.0);
            info->map[y * info->width + x] = static_cast<unsigned char>(std::lround(255 * std::clamp(1 - r, 0.0, 1.0)));
        }
}

void Background(HDC dc, int w, int h, bool checks)
{
    for (int y = 0; y < h; y += 8) {
        const RECT band{0, y, w, y + 8};
        HBRUSH b = CreateSolidBrush(RGB(static_cast<BYTE>(10 + y * 40 / h), static_cast<BYTE>(20 + y * 60 / h),
                                        static_cast<BYTE>(70 + y * 100 / h)));
        FillRect(dc, &band, b);
        DeleteObject(b);
    }
    if (!checks)
        return;
    // A chequered floor, to see what the translucent pictures let through.
    HBRUSH light = CreateSolidBrush(RGB(230, 230, 230));
    HBRUSH dark = CreateSolidBrush(RGB(40, 40, 40));
    for (int y = 300; y < h; y += 30)
        for (int x = 0; x < w; x += 30) {
            const RECT r{x, y, x + 30, y + 30};
            FillRect(dc, &r, ((x + y) / 30) % 2 ? light : dark);
        }
    DeleteObject(light);
    DeleteObject(dark);
}

void Label(HDC dc, int x, int y, const char* text)
{
    HFONT font = CreateFontA(-18, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, x, y, text, -1);
    SelectObject(dc, old);
    DeleteObject(font);
}

// Copies what the screen shows into a 24-bit graphic and saves it.
bool SaveScreen(const std::string& path)
{
    int w = 0, h = 0;
    const std::vector<std::uint32_t>& picture = presenter::LastPicture(&w, &h);
    if (w <= 0 || h <= 0)
        return false;
    GRAPHIC shot(w, -h, 24, kNone); // rows from the top
    auto* bits = static_cast<unsigned char*>(shot.GetPixelBuffer());
    const unsigned long stride = shot.GetBytesPerLine();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = picture[static_cast<std::size_t>(y) * w + x];
            unsigned char* px = bits + y * stride + 3 * x;
            px[0] = static_cast<unsigned char>(p);
            px[1] = static_cast<unsigned char>(p >> 8);
            px[2] = static_cast<unsigned char>(p >> 16);
        }
    if (!SaveGraphic(shot, path))
        return false;
    std::printf("%s: %dx%d\n", path.c_str(), w, h);
    return true;
}

void Present()
{
    Display->Flip();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    Display->Flip();
    Display->Flip();
}

int Fail(const char* what)
{
    std::fprintf(stderr, "graphics_demo: %s (error 0x%08X)\n", what, static_cast<unsigned>(ZephaneGetLastError()));
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string out = argc > 1 ? argv[1] : "graphics_demo.bmp";
    const std::string stem = out.substr(0, out.rfind('.'));
    if (!Display)
        return Fail("the library made no display");
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = "GraphicsDemo";
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "GraphicsDemo", "Varno graphics demo", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
    if (!main || !Display->SetMainWindow(main))
        return Fail("no main window");

    const COLORREF bases[] = {RGB(150, 150, 150), RGB(30, 200, 40), RGB(220, 30, 30), RGB(40, 90, 240)};
    std::vector<std::string> spriteFiles;
    for (int i = 0; i < 4; ++i) {
        spriteFiles.push_back(stem + "-sprite" + std::to_string(i) + ".bmp");
        if (!WriteSprite(spriteFiles.back(), bases[i]))
            return Fail("cannot write a sprite");
    }
    const std::string panelFile = stem + "-panel.bmp", glowFile = stem + "-glow.bmp";
    if (!WritePanel(panelFile) || !WriteGlow(glowFile))
        return Fail("cannot write the panel or the glow");

    // ---- 32 bits: colour keys and alpha ----
    if (!Display->SetVideoMode(800, 600, 32, amFlip))
        return Fail("cannot set 800x600x32");
    {
        std::vector<GRAPHIC*> sprites;
        for (const std::string& file : spriteFiles)
            sprites.push_back(new GRAPHIC(file.c_str(), kKey));
        GRAPHIC panel(panelFile.c_str(), kNone);
        GRAPHIC glow(glowFile.c_str(), kNone);
        if (panel.fEmpty() || glow.fEmpty() || sprites[0]->fEmpty())
            return Fail("cannot load the bitmaps back");
        panel.SetTranslucent(atConstant, 128);
        glow.SetTranslucent(atMap, 0);
        RadialAlpha(glow);

        IDirectDrawSurface* back = Display->GetSurface(0);
        HDC dc = nullptr;
        if (!back || back->GetDC(&dc) != DD_OK)
            return Fail("no back buffer");
        Background(dc, 800, 600, true);
        Label(dc, 40, 20, "colour key: loaded 8-bit sprites, magenta left out");
        Label(dc, 40, 250, "constant alpha 128");
        Label(dc, 470, 250, "alpha per pixel");
        back->ReleaseDC(dc);

        for (int i = 0; i < 8; ++i)
            if (!sprites[i % 4]->DrawTo(back, 40 + i * 90, 70 + (i % 2) * 50, kToEdge, kToEdge, 0, 0))
                return Fail("a sprite was not drawn");
        // Sprites behind the panel and the glow show through them.
        sprites[2]->DrawTo(back, 120, 330, kToEdge, kToEdge, 0, 0);
        sprites[3]->DrawTo(back, 560, 360, kToEdge, kToEdge, 0, 0);
        if (!panel.DrawTo(back, 60, 290, kToEdge, kToEdge, 0, 0) ||
            !glow.DrawTo(back, 480, 290, kToEdge, kToEdge, 0, 0))
            return Fail("the translucent pictures were not drawn");
        Present();
        if (!SaveScreen(out))
            return Fail("cannot save the screen");
        for (GRAPHIC* g : sprites)
            delete g;
    }

    // ---- 8 bits: one palette shared by the sprites and the background ----
    {
        PALETTEGROUP group;
        std::vector<GRAPHIC*> sprites;
        if (!Display->SetVideoMode(640, 480, 8, amFlip))
            return Fail("cannot set 640x480x8");
        for (const std::string& file : spriteFiles) {
            sprites.push_back(new GRAPHIC(file.c_str(), kKey));
            if (!group.Add(sprites.back(), 1))
                return Fail("a sprite did not join the palette group");
        }
        // The background's bands, as colours of the group.
        for (int y = 0; y < 480; y += 8)
            group.Add(RGB(static_cast<BYTE>(10 + y * 40 / 480), static_cast<BYTE>(20 + y * 60 / 480),
                          static_cast<BYTE>(70 + y * 100 / 480)));
        group.Add(RGB(255, 255, 255));
        Display->SetPaletteGroup(&group);
        IDirectDrawSurface* back = Display->GetSurface(0);
        HDC dc = nullptr;
        if (!back || back->GetDC(&dc) != DD_OK)
            return Fail("no back buffer at 8 bits");
        Background(dc, 640, 480, false);
        Label(dc, 30, 20, "8 bits: one palette for every sprite");
        back->ReleaseDC(dc);
        for (int i = 0; i < 12; ++i)
            sprites[i % 4]->DrawTo(back, 30 + (i % 6) * 100, 90 + (i / 6) * 150 + (i % 2) * 40, kToEdge, kToEdge, 0, 0);
        Present();
        const bool saved = SaveScreen(stem + "-8bit.bmp");
        Display->SetPaletteGroup(nullptr);
        for (GRAPHIC* g : sprites)
            delete g;
        if (!saved)
            return Fail("cannot save the 8-bit screen");
    }
    Display->RestoreVideoMode();
    DestroyWindow(main);
    return 0;
}
