// Contexts, objects and the drawing of shapes and pixels. Text is in
// text.cpp.
#include "platform/gdi/gdi.h"

#include "platform/base/syserror.h"
#include "platform/ddraw/presenter.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/window/toolwin.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>

namespace gdi_internal {
namespace {
struct Tables {
    std::map<HDC, std::unique_ptr<Context>> contexts;
    std::set<Object*> objects;
    std::uintptr_t nextDC = 1;
    Object* stock[18] = {};
};

Tables& tables()
{
    static Tables t;
    return t;
}
}  // namespace

Context* FindDC(HDC hdc)
{
    auto& c = tables().contexts;
    const auto it = c.find(hdc);
    return it == c.end() ? nullptr : it->second.get();
}

Object* FindObject(HGDIOBJ h)
{
    auto* o = static_cast<Object*>(h);
    return tables().objects.count(o) ? o : nullptr;
}

Object* FontOf(Context& dc)
{
    return dc.font ? dc.font : FindObject(GetStockObject(DEFAULT_GUI_FONT));
}

void Fill(Context& dc, RECT r, std::uint32_t pixel)
{
    if (!dc.pixels)
        return;
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, dc.width);
    r.bottom = std::min<LONG>(r.bottom, dc.height);
    for (LONG y = r.top; y < r.bottom; ++y)
        std::fill_n(dc.pixels + static_cast<std::ptrdiff_t>(y) * dc.pitch + r.left, r.right - r.left, pixel);
}
}  // namespace gdi_internal

using namespace gdi_internal;

namespace {
Object* NewObject(Kind kind)
{
    auto* o = new Object();
    o->kind = kind;
    tables().objects.insert(o);
    return o;
}

HDC NewContext(std::unique_ptr<Context> c)
{
    Tables& t = tables();
    const HDC h = reinterpret_cast<HDC>(0x40000 + 16 * t.nextDC++);
    t.contexts.emplace(h, std::move(c));
    return h;
}

void Plot(Context& dc, int x, int y, std::uint32_t pixel)
{
    if (dc.pixels && x >= 0 && y >= 0 && x < dc.width && y < dc.height)
        dc.pixels[static_cast<std::ptrdiff_t>(y) * dc.pitch + x] = pixel;
}

// A pen's dot: a square of the pen's width centred on the point.
void PenDot(Context& dc, int x, int y, const Object& pen)
{
    const std::uint32_t p = ToPixel(pen.colour);
    if (pen.penWidth <= 1) {
        Plot(dc, x, y, p);
        return;
    }
    const int half = pen.penWidth / 2;
    Fill(dc, RECT{x - half, y - half, x - half + pen.penWidth, y - half + pen.penWidth}, p);
}

const Object& CurrentPen(Context& dc)
{
    return dc.pen ? *dc.pen : *FindObject(GetStockObject(BLACK_PEN));
}
}  // namespace

// --- contexts ----------------------------------------------------------------

HDC GetDC(HWND hwnd)
{
    auto c = std::make_unique<Context>();
    c->hwnd = hwnd;
    RECT rc{0, 0, 0, 0};
    if (hwnd)
        GetClientRect(hwnd, &rc);
    else
        rc = {0, 0, presenter::CurrentMode().width, presenter::CurrentMode().height};
    c->width = rc.right;
    c->height = rc.bottom;
    // Tool windows have pictures of their own to draw on.
    if (hwnd)
        toolwin_internal::SurfaceOf(hwnd, &c->pixels, &c->width, &c->height, &c->pitch);
    return NewContext(std::move(c));
}

int ReleaseDC(HWND, HDC hdc) { return DeleteDC(hdc); }

HDC CreateCompatibleDC(HDC)
{
    auto c = std::make_unique<Context>();
    c->memory = true;
    return NewContext(std::move(c));
}

BOOL DeleteDC(HDC hdc)
{
    Context* c = FindDC(hdc);
    if (!c)
        return FALSE;
    if (c->bitmap)
        c->bitmap->selectedIn = nullptr;
    tables().contexts.erase(hdc);
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index)
{
    const presenter::Mode m = presenter::CurrentMode();
    Context* c = FindDC(hdc);
    switch (index) {
    case HORZRES: return c && c->pixels ? c->width : m.width;
    case VERTRES: return c && c->pixels ? c->height : m.height;
    case BITSPIXEL: return c && c->pixels ? 32 : m.depth;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE: return m.depth == 8 ? 256 : 0;
    case RASTERCAPS: return m.depth == 8 ? RC_PALETTE : 0;
    default: return 0;
    }
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long p = static_cast<long long>(number) * numerator;
    // Rounded half away from zero.
    const long long q = (p >= 0) == (denominator > 0) ? (std::llabs(p) + std::llabs(denominator) / 2) / std::llabs(denominator)
                                                      : -((std::llabs(p) + std::llabs(denominator) / 2) / std::llabs(denominator));
    return static_cast<int>(q);
}

// --- objects -----------------------------------------------------------------

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Object* o = NewObject(Kind::Bitmap);
    o->width = width;
    o->height = height;
    o->bits.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return reinterpret_cast<HBITMAP>(o);
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    Object* o = NewObject(Kind::Brush);
    o->colour = colour & 0xFFFFFF;
    return reinterpret_cast<HBRUSH>(o);
}

HPEN CreatePen(int style, int width, COLORREF colour)
{
    Object* o = NewObject(Kind::Pen);
    o->penStyle = style;
    o->penWidth = std::max(1, width);
    o->colour = colour & 0xFFFFFF;
    o->hollow = style == PS_NULL;
    return reinterpret_cast<HPEN>(o);
}

HFONT CreateFontIndirectA(const LOGFONTA* lf)
{
    if (!lf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Object* o = NewObject(Kind::Font);
    o->lf = *lf;
    o->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    return reinterpret_cast<HFONT>(o);
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, const char* faceName)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic ? 1 : 0);
    lf.lfUnderline = static_cast<BYTE>(underline ? 1 : 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut ? 1 : 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index > 17)
        return nullptr;
    Object*& s = tables().stock[index];
    if (s)
        return s;
    switch (index) {
    case WHITE_BRUSH: s = reinterpret_cast<Object*>(CreateSolidBrush(RGB(255, 255, 255))); break;
    case LTGRAY_BRUSH: s = reinterpret_cast<Object*>(CreateSolidBrush(RGB(192, 192, 192))); break;
    case GRAY_BRUSH: s = reinterpret_cast<Object*>(CreateSolidBrush(RGB(128, 128, 128))); break;
    case DKGRAY_BRUSH: s = reinterpret_cast<Object*>(CreateSolidBrush(RGB(64, 64, 64))); break;
    case BLACK_BRUSH: s = reinterpret_cast<Object*>(CreateSolidBrush(RGB(0, 0, 0))); break;
    case NULL_BRUSH:
        s = reinterpret_cast<Object*>(CreateSolidBrush(0));
        s->hollow = true;
        break;
    case WHITE_PEN: s = reinterpret_cast<Object*>(CreatePen(PS_SOLID, 1, RGB(255, 255, 255))); break;
    case BLACK_PEN: s = reinterpret_cast<Object*>(CreatePen(PS_SOLID, 1, RGB(0, 0, 0))); break;
    case NULL_PEN: s = reinterpret_cast<Object*>(CreatePen(PS_NULL, 1, 0)); break;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
        // The dialog face at 8 points: 11 pixels at 96 dots per inch.
        s = reinterpret_cast<Object*>(
            CreateFontA(-11, 0, 0, 0, index == SYSTEM_FONT ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                        0, "MS Sans Serif"));
        break;
    default: return nullptr;
    }
    s->stock = true;
    return s;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    Context* c = FindDC(hdc);
    Object* o = FindObject(object);
    if (!c || !o)
        return nullptr;
    Object* old = nullptr;
    switch (o->kind) {
    case Kind::Brush:
        old = c->brush ? c->brush : FindObject(GetStockObject(WHITE_BRUSH));
        c->brush = o;
        break;
    case Kind::Pen:
        old = c->pen ? c->pen : FindObject(GetStockObject(BLACK_PEN));
        c->pen = o;
        break;
    case Kind::Font:
        old = FontOf(*c);
        c->font = o;
        break;
    case Kind::Bitmap:
        // A bitmap lives in one memory context at a time.
        if (!c->memory || (o->selectedIn && o->selectedIn != hdc))
            return nullptr;
        old = c->bitmap;
        if (old)
            old->selectedIn = nullptr;
        c->bitmap = o;
        o->selectedIn = hdc;
        c->pixels = o->bits.data();
        c->width = o->width;
        c->height = o->height;
        c->pitch = o->width;
        // The first selection gives back the context's own empty bitmap;
        // there is none here, so the bitmap itself stands for "nothing".
        return old ? old : o;
    case Kind::Palette: return nullptr;
    }
    return old;
}

BOOL DeleteObject(HGDIOBJ object)
{
    Object* o = FindObject(object);
    if (!o || o->stock)
        return o ? TRUE : FALSE;
    // Objects still selected into a context are not deleted.
    if (o->selectedIn)
        return FALSE;
    for (auto& [h, c] : tables().contexts)
        if (c->brush == o || c->pen == o || c->font == o)
            return FALSE;
    tables().objects.erase(o);
    delete o;
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, void* out)
{
    Object* o = FindObject(object);
    if (!o)
        return 0;
    if (o->kind == Kind::Font) {
        if (out && size >= static_cast<int>(sizeof(LOGFONTA)))
            std::memcpy(out, &o->lf, sizeof(LOGFONTA));
        return sizeof(LOGFONTA);
    }
    return 0;
}

DWORD GetSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNFACE: return RGB(192, 192, 192);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(0, 0, 0);
    case COLOR_3DLIGHT: return RGB(223, 223, 223);
    case COLOR_HIGHLIGHT: return RGB(0, 0, 128);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    default: return RGB(192, 192, 192);
    }
}

HBRUSH GetSysColorBrush(int index)
{
    static std::map<int, HBRUSH> brushes;
    auto& b = brushes[index];
    if (!b || !FindObject(b)) {
        b = CreateSolidBrush(GetSysColor(index));
        FindObject(b)->stock = true;
    }
    return b;
}

// --- palettes ----------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE* lp)
{
    if (!lp || lp->palNumEntries == 0 || lp->palNumEntries > 256) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Object* o = NewObject(Kind::Palette);
    o->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
    return reinterpret_cast<HPALETTE>(o);
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL)
{
    Context* c = FindDC(hdc);
    if (!c || !FindObject(palette))
        return nullptr;
    const HPALETTE old = c->palette;
    c->palette = palette;
    return old;
}

UINT RealizePalette(HDC hdc)
{
    Context* c = FindDC(hdc);
    Object* p = c ? FindObject(c->palette) : nullptr;
    return p ? static_cast<UINT>(p->entries.size()) : 0;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries)
{
    Object* p = FindObject(palette);
    if (!p || p->kind != Kind::Palette)
        return 0;
    const UINT n = static_cast<UINT>(p->entries.size());
    if (!entries)
        return n;
    if (start >= n)
        return 0;
    const UINT copied = std::min(count, n - start);
    std::copy_n(p->entries.begin() + start, copied, entries);
    return copied;
}

UINT GetSystemPaletteEntries(HDC, UINT start, UINT count, PALETTEENTRY* entries)
{
    // The 20 reserved colours of a palette screen: 10 at each end.
    static const BYTE low[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},
                                    {0, 0, 128},   {128, 0, 128}, {0, 128, 128},   {192, 192, 192},
                                    {192, 220, 192}, {166, 202, 240}};
    static const BYTE high[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                     {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                     {0, 255, 255},   {255, 255, 255}};
    if (!entries)
        return 256;
    UINT n = 0;
    for (UINT i = start; i < 256 && n < count; ++i, ++n) {
        const BYTE* c = i < 10 ? low[i] : (i >= 246 ? high[i - 246] : nullptr);
        entries[n] = c ? PALETTEENTRY{c[0], c[1], c[2], 0} : PALETTEENTRY{0, 0, 0, 0};
    }
    return n;
}

// --- colours and modes -------------------------------------------------------------

COLORREF SetTextColor(HDC hdc, COLORREF colour)
{
    Context* c = FindDC(hdc);
    if (!c)
        return CLR_INVALID;
    const COLORREF old = c->textColour;
    c->textColour = colour & 0xFFFFFF;
    return old;
}

COLORREF GetTextColor(HDC hdc)
{
    Context* c = FindDC(hdc);
    return c ? c->textColour : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF colour)
{
    Context* c = FindDC(hdc);
    if (!c)
        return CLR_INVALID;
    const COLORREF old = c->bkColour;
    c->bkColour = colour & 0xFFFFFF;
    return old;
}

COLORREF GetBkColor(HDC hdc)
{
    Context* c = FindDC(hdc);
    return c ? c->bkColour : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode)
{
    Context* c = FindDC(hdc);
    if (!c || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    const int old = c->bkMode;
    c->bkMode = mode;
    return old;
}

int GetBkMode(HDC hdc)
{
    Context* c = FindDC(hdc);
    return c ? c->bkMode : 0;
}

// --- drawing -------------------------------------------------------------------

int FillRect(HDC hdc, const RECT* rc, HBRUSH brush)
{
    Context* c = FindDC(hdc);
    Object* b = FindObject(brush);
    if (!c || !rc || !b || b->kind != Kind::Brush)
        return 0;
    if (!b->hollow)
        Fill(*c, *rc, ToPixel(b->colour));
    return 1;
}

int FrameRect(HDC hdc, const RECT* rc, HBRUSH brush)
{
    Context* c = FindDC(hdc);
    Object* b = FindObject(brush);
    if (!c || !rc || !b || b->kind != Kind::Brush)
        return 0;
    if (rc->right <= rc->left || rc->bottom <= rc->top || b->hollow)
        return 1;
    const std::uint32_t p = ToPixel(b->colour);
    Fill(*c, {rc->left, rc->top, rc->right, rc->top + 1}, p);
    Fill(*c, {rc->left, rc->bottom - 1, rc->right, rc->bottom}, p);
    Fill(*c, {rc->left, rc->top, rc->left + 1, rc->bottom}, p);
    Fill(*c, {rc->right - 1, rc->top, rc->right, rc->bottom}, p);
    return 1;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rc)
{
    Context* c = FindDC(hdc);
    if (!c || !rc)
        return FALSE;
    if (!c->pixels)
        return TRUE;
    // A dotted frame drawn by inverting every other pixel, so that drawing
    // it twice takes it away again.
    auto flip = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < c->width && y < c->height)
            c->pixels[static_cast<std::ptrdiff_t>(y) * c->pitch + x] ^= 0xFFFFFF;
    };
    const int l = rc->left, t = rc->top, r = rc->right - 1, b = rc->bottom - 1;
    if (r < l || b < t)
        return TRUE;
    for (int x = l; x <= r; ++x) {
        if (((x - l) & 1) == 0) {
            flip(x, t);
            if (b != t)
                flip(x, b);
        }
    }
    for (int y = t + 1; y < b; ++y) {
        if (((y - t) & 1) == 0) {
            flip(l, y);
            if (r != l)
                flip(r, y);
        }
    }
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    Context* c = FindDC(hdc);
    if (!c)
        return FALSE;
    const Object* brush = c->brush ? c->brush : FindObject(GetStockObject(WHITE_BRUSH));
    const Object& pen = CurrentPen(*c);
    const int inset = pen.hollow ? 0 : 1;
    if (!brush->hollow)
        Fill(*c, {left + inset, top + inset, right - inset, bottom - inset}, ToPixel(brush->colour));
    if (!pen.hollow) {
        const std::uint32_t p = ToPixel(pen.colour);
        Fill(*c, {left, top, right, top + 1}, p);
        Fill(*c, {left, bottom - 1, right, bottom}, p);
        Fill(*c, {left, top, left + 1, bottom}, p);
        Fill(*c, {right - 1, top, right, bottom}, p);
    }
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old)
{
    Context* c = FindDC(hdc);
    if (!c)
        return FALSE;
    if (old)
        *old = c->pos;
    c->pos = {x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    Context* c = FindDC(hdc);
    if (!c)
        return FALSE;
    const Object& pen = CurrentPen(*c);
    // Bresenham from the current position up to, not including, the end.
    int x0 = c->pos.x, y0 = c->pos.y;
    const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    int step = 0;
    while (!(x0 == x && y0 == y)) {
        if (!pen.hollow && (pen.penStyle != PS_DOT || (step & 1) == 0))
            PenDot(*c, x0, y0, pen);
        ++step;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    c->pos = {x, y};
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour)
{
    Context* c = FindDC(hdc);
    if (!c || !c->pixels || x < 0 || y < 0 || x >= c->width || y >= c->height)
        return CLR_INVALID;
    Plot(*c, x, y, ToPixel(colour));
    return colour & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    Context* c = FindDC(hdc);
    if (!c || !c->pixels || x < 0 || y < 0 || x >= c->width || y >= c->height)
        return CLR_INVALID;
    return FromPixel(c->pixels[static_cast<std::ptrdiff_t>(y) * c->pitch + x]);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop)
{
    Context* d = FindDC(dest);
    if (!d)
        return FALSE;
    if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY) {
        std::uint32_t p = rop == WHITENESS ? 0xFFFFFF : 0;
        if (rop == PATCOPY) {
            const Object* b = d->brush ? d->brush : FindObject(GetStockObject(WHITE_BRUSH));
            if (b->hollow)
                return TRUE;
            p = ToPixel(b->colour);
        }
        Fill(*d, {x, y, x + width, y + height}, p);
        return TRUE;
    }
    Context* s = FindDC(src);
    if (!s || rop != SRCCOPY)
        return FALSE;
    if (!d->pixels || !s->pixels)
        return TRUE;
    // Clip against both contexts, moving the source with the target.
    if (srcX < 0) {
        x -= srcX;
        width += srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        y -= srcY;
        height += srcY;
        srcY = 0;
    }
    if (x < 0) {
        srcX -= x;
        width += x;
        x = 0;
    }
    if (y < 0) {
        srcY -= y;
        height += y;
        y = 0;
    }
    width = std::min({width, d->width - x, s->width - srcX});
    height = std::min({height, d->height - y, s->height - srcY});
    if (width <= 0 || height <= 0)
        return TRUE;
    const bool overlap = d->pixels == s->pixels;
    for (int row = 0; row < height; ++row) {
        const int r = overlap && y > srcY ? height - 1 - row : row;
        std::memmove(d->pixels + static_cast<std::ptrdiff_t>(y + r) * d->pitch + x,
                     s->pixels + static_cast<std::ptrdiff_t>(srcY + r) * s->pitch + srcX,
                     static_cast<std::size_t>(width) * 4);
    }
    return TRUE;
}

namespace gdi {
HDC CreateBufferDC(std::uint32_t* pixels, int width, int height, int pitchPixels)
{
    if (!pixels || width <= 0 || height <= 0 || pitchPixels < width)
        return nullptr;
    auto c = std::make_unique<Context>();
    c->pixels = pixels;
    c->width = width;
    c->height = height;
    c->pitch = pitchPixels;
    return NewContext(std::move(c));
}

std::uint32_t* ContextPixels(HDC hdc, int* width, int* height, int* pitchPixels)
{
    Context* c = FindDC(hdc);
    if (!c)
        return nullptr;
    if (width)
        *width = c->width;
    if (height)
        *height = c->height;
    if (pitchPixels)
        *pitchPixels = c->pitch;
    return c->pixels;
}
}  // namespace gdi
