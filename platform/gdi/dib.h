// Records of device-independent bitmaps, as bitmap files store them and as
// the drawing services take them: the bitmap headers and colour table
// entries.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi.h"

struct BITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // negative: the rows run from the top down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// A colour table entry: blue, green, red and a zero byte.
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

// A header followed by its colour table.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// Uncompressed pixel rows.
constexpr DWORD BI_RGB = 0;
// The colour table holds colours (not palette indices).
constexpr UINT DIB_RGB_COLORS = 0;
