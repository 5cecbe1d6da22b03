#include "screens/acpaint.h"

#include "anim/animobj.h"
#include "anim/graphic.h"
#include "platform/ddraw/ddraw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace acpaint {
HDC BeginObjectDraw(RENDEROBJECT* r)
{
    if (!r)
        return nullptr;
    HDC dc = r->hdc;
    if (r->surface && r->surface->GetDC(&dc) != DD_OK)
        return nullptr;
    return dc;
}

void EndObjectDraw(RENDEROBJECT* r, HDC dc)
{
    if (r && r->surface && dc)
        r->surface->ReleaseDC(dc);
}

namespace {
std::uint32_t Xrgb(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}
} // namespace

void Fill(HDC hdc, const RECT& rc, COLORREF colour)
{
    int w = 0, h = 0, pitch = 0;
    std::uint32_t* pixels = gdi::ContextPixels(hdc, &w, &h, &pitch);
    if (!pixels) {
        // A context without pixels of its own: through a brush.
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(hdc, &rc, brush);
        DeleteObject(brush);
        return;
    }
    const int l = std::max<int>(0, rc.left), r = std::min<int>(w, rc.right);
    const int t = std::max<int>(0, rc.top), b = std::min<int>(h, rc.bottom);
    if (l >= r || t >= b)
        return;
    const std::uint32_t p = Xrgb(colour);
    for (int y = t; y < b; ++y)
        std::fill_n(pixels + static_cast<std::ptrdiff_t>(y) * pitch + l, r - l, p);
}

void HLine(HDC hdc, int x0, int x1, int y, COLORREF colour)
{
    if (x1 < x0)
        std::swap(x0, x1);
    Fill(hdc, RECT{x0, y, x1 + 1, y + 1}, colour);
}

void VLine(HDC hdc, int x, int y0, int y1, COLORREF colour)
{
    if (y1 < y0)
        std::swap(y0, y1);
    Fill(hdc, RECT{x, y0, x + 1, y1 + 1}, colour);
}

void Frame(HDC hdc, const RECT& rc, COLORREF colour)
{
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    HLine(hdc, rc.left, rc.right - 1, rc.top, colour);
    HLine(hdc, rc.left, rc.right - 1, rc.bottom - 1, colour);
    VLine(hdc, rc.left, rc.top, rc.bottom - 1, colour);
    VLine(hdc, rc.right - 1, rc.top, rc.bottom - 1, colour);
}

void Text(HDC hdc, HFONT font, const char* text, RECT rc, UINT format, COLORREF colour)
{
    if (!text || !*text)
        return;
    HGDIOBJ old = SelectObject(hdc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(hdc, colour);
    SetBkMode(hdc, TRANSPARENT);
    if ((format & DT_WORDBREAK) && (format & DT_VCENTER) && !(format & DT_SINGLELINE)) {
        // Wrapped text is centred as a block.
        RECT calc = rc;
        DrawTextA(hdc, text, -1, &calc, (format | DT_CALCRECT) & ~DT_VCENTER);
        const LONG blockHeight = calc.bottom - calc.top;
        rc.top += std::max<LONG>(0, (rc.bottom - rc.top - blockHeight) / 2);
        format &= ~DT_VCENTER;
    }
    DrawTextA(hdc, text, -1, &rc, format | DT_NOPREFIX);
    SelectObject(hdc, old);
}

SIZE TextExtent(HFONT font, const char* text)
{
    SIZE size{0, 0};
    if (!text || !*text)
        return size;
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(screen, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size;
}

void Picture(HDC hdc, GRAPHIC* picture, const RECT& rc)
{
    if (!picture || picture->fEmpty())
        return;
    const long pw = picture->GetWidth(), ph = picture->GetHeight();
    const long rw = rc.right - rc.left, rh = rc.bottom - rc.top;
    if (pw <= 0 || ph <= 0 || rw <= 0 || rh <= 0)
        return;
    // A picture with a transparent colour leaves those pixels out.
    const bool keyed = picture->fTransparent() != 0;
    if (pw == rw && ph == rh && !keyed) {
        picture->DrawDIBTo(hdc, nullptr, rc.left, rc.top, rw, rh, 0, 0);
        return;
    }
    int w = 0, h = 0, pitch = 0;
    std::uint32_t* pixels = gdi::ContextPixels(hdc, &w, &h, &pitch);
    if (!pixels)
        return;
    for (long y = std::max<long>(0, rc.top); y < std::min<long>(h, rc.bottom); ++y) {
        const long sy = (y - rc.top) * ph / rh;
        for (long x = std::max<long>(0, rc.left); x < std::min<long>(w, rc.right); ++x) {
            const long sx = (x - rc.left) * pw / rw;
            if (!keyed || picture->HitTest(sx, sy))
                pixels[y * pitch + x] = Xrgb(picture->GetPixel(sx, sy));
        }
    }
}

double Luminance(COLORREF colour)
{
    auto linear = [](unsigned channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(colour)) + 0.7152 * linear(GetGValue(colour)) + 0.0722 * linear(GetBValue(colour));
}

double Contrast(COLORREF a, COLORREF b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
} // namespace acpaint
