// The graphic's surroundings on the library's own bitmap store: bitmap
// sections are blocks of this library, and a memory device context is a
// record of the bitmap selected into it. There is no display and there are
// no palette groups yet, so graphics take their default colours from the
// system palette and belong to no group.
#include "anim/graphicenv.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
struct DibSection {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};
    unsigned nColours = 0;
    unsigned char* pBits = nullptr;
};

struct MemoryDC {
    DibSection* pSelected = nullptr;
};

DibSection* AsDib(HBITMAP b) { return reinterpret_cast<DibSection*>(b); }
MemoryDC* AsDC(HDC dc) { return reinterpret_cast<MemoryDC*>(dc); }
}  // namespace

namespace graphicenv {

HBITMAP CreateDIBSection(const BITMAPINFO* info, void** bits)
{
    if (!info || !bits)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biCompression != BI_RGB)
        return nullptr;
    const std::uint64_t rowSize = (static_cast<std::uint64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    const std::uint64_t height = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    const std::uint64_t bytes = rowSize * height;
    if (bytes == 0 || bytes > 0x7FFFFFFFull)
        return nullptr;
    auto* dib = new (std::nothrow) DibSection;
    if (!dib)
        return nullptr;
    dib->pBits = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(bytes), 1));
    if (!dib->pBits) {
        delete dib;
        return nullptr;
    }
    dib->header = h;
    if (h.biBitCount <= 8) {
        dib->nColours = 1u << h.biBitCount;
        std::memcpy(dib->colours, info->bmiColors, dib->nColours * sizeof(RGBQUAD));
    }
    *bits = dib->pBits;
    return reinterpret_cast<HBITMAP>(dib);
}

void DeleteBitmap(HBITMAP bitmap)
{
    DibSection* dib = AsDib(bitmap);
    if (!dib)
        return;
    std::free(dib->pBits);
    delete dib;
}

HDC CreateMemoryDC() { return reinterpret_cast<HDC>(new (std::nothrow) MemoryDC); }

void DeleteMemoryDC(HDC dc) { delete AsDC(dc); }

HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap)
{
    MemoryDC* m = AsDC(dc);
    if (!m)
        return nullptr;
    HBITMAP old = reinterpret_cast<HBITMAP>(m->pSelected);
    m->pSelected = AsDib(bitmap);
    return old;
}

UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colours)
{
    MemoryDC* m = AsDC(dc);
    if (!m || !m->pSelected || !colours || start >= m->pSelected->nColours)
        return 0;
    if (count > m->pSelected->nColours - start)
        count = m->pSelected->nColours - start;
    std::memcpy(colours, m->pSelected->colours + start, count * sizeof(RGBQUAD));
    return count;
}

UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colours)
{
    MemoryDC* m = AsDC(dc);
    if (!m || !m->pSelected || !colours || start >= m->pSelected->nColours)
        return 0;
    if (count > m->pSelected->nColours - start)
        count = m->pSelected->nColours - start;
    std::memcpy(m->pSelected->colours + start, colours, count * sizeof(RGBQUAD));
    return count;
}

unsigned short DisplayDepth() { return 0; }

PALETTEGROUP* DisplayPaletteGroup() { return nullptr; }

void GetSystemPalette(PALETTEENTRY entries[256])
{
    // The twenty static colours: ten at the start, ten at the end.
    static const BYTE low[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                                    {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    static const BYTE high[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
                                     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 256; ++i)
        entries[i] = PALETTEENTRY{0, 0, 0, 0};
    for (int i = 0; i < 10; ++i) {
        entries[i] = PALETTEENTRY{low[i][0], low[i][1], low[i][2], 0};
        entries[246 + i] = PALETTEENTRY{high[i][0], high[i][1], high[i][2], 0};
    }
    // Between them a 6 x 6 x 6 cube of colours (216 entries from index 10 on)
    // and a short grey ramp in the rest.
    int i = 10;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries[i++] = PALETTEENTRY{static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51),
                                            static_cast<BYTE>(b * 51), 0};
    for (int k = 0; i < 246; ++i, ++k) {
        const BYTE v = static_cast<BYTE>(12 + k * 12);
        entries[i] = PALETTEENTRY{v, v, v, 0};
    }
}

// No palette group exists yet: nothing can join one, and nothing is a member.
int GetGroupEntries(PALETTEGROUP*, PALETTEENTRY*) { return 0; }
int JoinGroup(PALETTEGROUP*, GRAPHIC*) { return 0; }
void LeaveGroup(PALETTEGROUP*, GRAPHIC*) {}
void GroupUnincorporate(PALETTEGROUP*, GRAPHIC*) {}
void GroupExportChanges(PALETTEGROUP*, GRAPHIC*) {}

}  // namespace graphicenv
