// The graphic's surroundings. Bitmap sections are blocks of this library
// (the drawing services keep 32-bit pictures only); a device context on one
// is a drawing-service context over a 32-bit copy of its picture.
#include "anim/graphicenv.h"

#include "anim/display.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {
struct DibSection {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};
    unsigned nColours = 0;
    unsigned char* pBits = nullptr;
    unsigned rowSize = 0;
    long rows = 0;

    // Row y from the top.
    unsigned char* Row(long y) const
    {
        const long stored = header.biHeight < 0 ? y : rows - 1 - y;
        return pBits + static_cast<std::size_t>(stored) * rowSize;
    }
};

struct DIBContext {
    HDC dc = nullptr;
    std::vector<std::uint32_t> pixels;
};

std::vector<DIBContext*>& Contexts()
{
    static std::vector<DIBContext*> list;
    return list;
}

DibSection* AsDib(HBITMAP b)
{
    return reinterpret_cast<DibSection*>(b);
}

std::uint32_t QuadToXrgb(const RGBQUAD& q)
{
    return (static_cast<std::uint32_t>(q.rgbRed) << 16) | (q.rgbGreen << 8) | q.rgbBlue;
}

unsigned NearestIndex(const DibSection& d, std::uint32_t xrgb)
{
    const int r = (xrgb >> 16) & 0xFF, g = (xrgb >> 8) & 0xFF, b = xrgb & 0xFF;
    unsigned best = 0;
    long bestDistance = -1;
    for (unsigned i = 0; i < d.nColours; ++i) {
        const int dr = d.colours[i].rgbRed - r, dg = d.colours[i].rgbGreen - g, db = d.colours[i].rgbBlue - b;
        const long distance = static_cast<long>(dr) * dr + static_cast<long>(dg) * dg + static_cast<long>(db) * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return best;
}

std::uint32_t ReadXrgb(const DibSection& d, long x, long y)
{
    const unsigned char* row = d.Row(y);
    switch (d.header.biBitCount) {
    case 1: return QuadToXrgb(d.colours[(row[x >> 3] >> (7 - (x & 7))) & 1]);
    case 4: return QuadToXrgb(d.colours[(x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4]);
    case 8: return QuadToXrgb(d.colours[row[x]]);
    case 16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        auto widen = [](unsigned c) { return (c << 3) | (c >> 2); };
        return (widen((v >> 10) & 31) << 16) | (widen((v >> 5) & 31) << 8) | widen(v & 31);
    }
    case 24: return (static_cast<std::uint32_t>(row[3 * x + 2]) << 16) | (row[3 * x + 1] << 8) | row[3 * x];
    default: return (static_cast<std::uint32_t>(row[4 * x + 2]) << 16) | (row[4 * x + 1] << 8) | row[4 * x];
    }
}

void WriteXrgb(const DibSection& d, long x, long y, std::uint32_t c)
{
    unsigned char* row = d.Row(y);
    switch (d.header.biBitCount) {
    case 1: {
        const unsigned char bit = static_cast<unsigned char>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<unsigned char>(NearestIndex(d, c) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        const unsigned v = NearestIndex(d, c);
        unsigned char& b = row[x >> 1];
        b = static_cast<unsigned char>((x & 1) ? (b & 0xF0) | v : (b & 0x0F) | (v << 4));
        break;
    }
    case 8: row[x] = static_cast<unsigned char>(NearestIndex(d, c)); break;
    case 16: {
        const unsigned v = (((c >> 19) & 31) << 10) | (((c >> 11) & 31) << 5) | ((c >> 3) & 31);
        row[2 * x] = static_cast<unsigned char>(v);
        row[2 * x + 1] = static_cast<unsigned char>(v >> 8);
        break;
    }
    default: {
        const int size = d.header.biBitCount / 8;
        row[size * x] = static_cast<unsigned char>(c);
        row[size * x + 1] = static_cast<unsigned char>(c >> 8);
        row[size * x + 2] = static_cast<unsigned char>(c >> 16);
        break;
    }
    }
}
} // namespace

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
    dib->rowSize = static_cast<unsigned>(rowSize);
    dib->rows = static_cast<long>(height);
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

UINT GetDIBColorTable(HBITMAP bitmap, UINT start, UINT count, RGBQUAD* colours)
{
    DibSection* d = AsDib(bitmap);
    if (!d || !colours || start >= d->nColours)
        return 0;
    if (count > d->nColours - start)
        count = d->nColours - start;
    std::memcpy(colours, d->colours + start, count * sizeof(RGBQUAD));
    return count;
}

UINT SetDIBColorTable(HBITMAP bitmap, UINT start, UINT count, const RGBQUAD* colours)
{
    DibSection* d = AsDib(bitmap);
    if (!d || !colours || start >= d->nColours)
        return 0;
    if (count > d->nColours - start)
        count = d->nColours - start;
    std::memcpy(d->colours + start, colours, count * sizeof(RGBQUAD));
    return count;
}

HDC OpenDIBContext(HBITMAP bitmap)
{
    DibSection* d = AsDib(bitmap);
    if (!d)
        return nullptr;
    auto* context = new (std::nothrow) DIBContext;
    if (!context)
        return nullptr;
    const long w = d->header.biWidth, h = d->rows;
    context->pixels.resize(static_cast<std::size_t>(w) * h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            context->pixels[static_cast<std::size_t>(y * w + x)] = ReadXrgb(*d, x, y);
    context->dc =
        gdi::CreateBufferDC(context->pixels.data(), static_cast<int>(w), static_cast<int>(h), static_cast<int>(w));
    if (!context->dc) {
        delete context;
        return nullptr;
    }
    Contexts().push_back(context);
    return context->dc;
}

void CloseDIBContext(HDC dc, HBITMAP bitmap, int fWriteBack)
{
    auto& list = Contexts();
    for (std::size_t i = 0; i < list.size(); ++i) {
        DIBContext* context = list[i];
        if (context->dc != dc)
            continue;
        DibSection* d = AsDib(bitmap);
        if (fWriteBack && d) {
            const long w = d->header.biWidth, h = d->rows;
            for (long y = 0; y < h; ++y)
                for (long x = 0; x < w; ++x) {
                    const std::uint32_t c = context->pixels[static_cast<std::size_t>(y * w + x)] & 0xFFFFFF;
                    if (ReadXrgb(*d, x, y) != c)
                        WriteXrgb(*d, x, y, c);
                }
        }
        DeleteDC(dc);
        list.erase(list.begin() + static_cast<long>(i));
        delete context;
        return;
    }
}

unsigned short DisplayDepth()
{
    return Display ? Display->GetDepth() : 0;
}

PALETTEGROUP* DisplayPaletteGroup()
{
    return Display && Display->fHasPalette() ? Display->GetPaletteGroup() : nullptr;
}

void GetSystemPalette(PALETTEENTRY entries[256])
{
    GetSystemPaletteEntries(nullptr, 0, 256, entries);
}

// No palette group exists yet: nothing can join one, and nothing is a member.
int GetGroupEntries(PALETTEGROUP*, PALETTEENTRY*)
{
    return 0;
}
int JoinGroup(PALETTEGROUP*, GRAPHIC*)
{
    return 0;
}
void LeaveGroup(PALETTEGROUP*, GRAPHIC*) {}
void GroupUnincorporate(PALETTEGROUP*, GRAPHIC*) {}
void GroupExportChanges(PALETTEGROUP*, GRAPHIC*) {}

} // namespace graphicenv
