// Objects and contexts shared by the drawing and text halves of the device
// context layer. Not for use outside platform/gdi.
#pragma once

#include "platform/gdi/gdi.h"

#include <cstdint>
#include <vector>

namespace gdi_internal {
enum class Kind { Brush, Pen, Font, Bitmap, Palette };

struct Object {
    Kind kind = Kind::Brush;
    bool stock = false;
    COLORREF colour = 0;
    bool hollow = false;  // null brush or null pen
    int penStyle = PS_SOLID;
    int penWidth = 1;
    LOGFONTA lf{};
    std::vector<std::uint32_t> bits;
    int width = 0;
    int height = 0;
    std::vector<PALETTEENTRY> entries;
    HDC selectedIn = nullptr;
};

struct Context {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
    bool memory = false;
    HWND hwnd = nullptr;
    Object* bitmap = nullptr;
    Object* brush = nullptr;
    Object* pen = nullptr;
    Object* font = nullptr;
    HPALETTE palette = nullptr;
    COLORREF textColour = 0x000000;
    COLORREF bkColour = 0xFFFFFF;
    int bkMode = OPAQUE;
    POINT pos{0, 0};
};

Context* FindDC(HDC hdc);
Object* FindObject(HGDIOBJ h);
// The font a context draws with (its selected font or the default GUI font).
Object* FontOf(Context& dc);

inline std::uint32_t ToPixel(COLORREF c)
{
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}
inline COLORREF FromPixel(std::uint32_t p)
{
    return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
}

// Fills a rectangle clipped to the context.
void Fill(Context& dc, RECT r, std::uint32_t pixel);
}  // namespace gdi_internal
