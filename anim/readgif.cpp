#include "anim/readgif.h"

#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {
constexpr const char* kModule = "readgif.cpp";
constexpr unsigned long kNone = 0xFFFFFFFFul;

WORD Le16(const unsigned char* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

struct FrameList {
    GRAPHIC** apgr = nullptr;
    unsigned n = 0;
    unsigned capacity = 0;

    bool Append(GRAPHIC* g)
    {
        if (!GrowTable(&apgr, &capacity, n + 1, 1, kModule, __LINE__))
            return false;
        apgr[n++] = g;
        return true;
    }
    void Free()
    {
        for (unsigned i = 0; i < n; ++i)
            delete apgr[i];
        if (apgr)
            MemMgr_FreeMemory(apgr, kModule, __LINE__);
        apgr = nullptr;
        n = capacity = 0;
    }
};

// Reads data sub-blocks up to their terminator, appending them to out (or
// passing over them when out is null).
bool ReadSubBlocks(FILEMAP& f, std::vector<unsigned char>* out)
{
    unsigned char size = 0;
    unsigned char block[255];
    for (;;) {
        if (!f.Read(&size, 1))
            return false;
        if (size == 0)
            return true;
        if (!f.Read(block, size))
            return false;
        if (out)
            out->insert(out->end(), block, block + size);
    }
}

// Places decoded pixels of one image, left to right and row after row (in the
// four passes of an interlaced image), inside the frame graphic.
class PixelPlacer {
public:
    PixelPlacer(GRAPHIC* g, long left, long top, long width, long height, bool interlaced)
        : g(g), left(left), top(top), width(width)
    {
        frameW = g->GetWidth();
        frameH = g->GetHeight();
        mask = g->GetPixelMask();
        rows.reserve(static_cast<std::size_t>(height));
        if (interlaced) {
            static const int start[4] = {0, 4, 2, 1};
            static const int step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (long r = start[pass]; r < height; r += step[pass])
                    rows.push_back(r);
        } else {
            for (long r = 0; r < height; ++r)
                rows.push_back(r);
        }
    }

    void Put(unsigned value)
    {
        if (row >= rows.size() || width <= 0)
            return; // pixels beyond the image are dropped
        const long x = left + column, y = top + rows[row];
        if (x < frameW && y < frameH)
            g->SetPixelValue(x, y, value & mask, 0);
        if (++column == width) {
            column = 0;
            ++row;
        }
    }

private:
    GRAPHIC* g;
    long left, top, width;
    long frameW = 0, frameH = 0;
    unsigned long mask = 0;
    std::vector<long> rows;
    std::size_t row = 0;
    long column = 0;
};

// Standard GIF LZW: clear code 2^minSize, end code clear + 1, codes from
// minSize + 1 up to 12 bits wide, at most 4096 table entries.
bool DecodeLzw(const std::vector<unsigned char>& data, unsigned minSize, PixelPlacer& out)
{
    if (minSize < 1 || minSize > 11)
        return false;
    const unsigned clear = 1u << minSize, end = clear + 1;
    static thread_local std::uint16_t prefix[4096];
    static thread_local std::uint8_t suffix[4096];
    static thread_local std::uint8_t stack[4097];
    for (unsigned i = 0; i < clear; ++i) {
        prefix[i] = 0xFFFF;
        suffix[i] = static_cast<std::uint8_t>(i);
    }
    unsigned width = minSize + 1, next = clear + 2;
    int prev = -1;
    std::size_t bitPos = 0;
    const std::size_t totalBits = data.size() * 8;

    auto firstOf = [&](unsigned code) {
        while (code >= clear)
            code = prefix[code];
        return static_cast<std::uint8_t>(code);
    };
    auto emit = [&](unsigned code) {
        unsigned depth = 0;
        while (code >= clear) {
            stack[depth++] = suffix[code];
            code = prefix[code];
        }
        stack[depth++] = static_cast<std::uint8_t>(code);
        while (depth)
            out.Put(stack[--depth]);
    };

    while (bitPos + width <= totalBits) {
        unsigned code = 0;
        for (unsigned b = 0; b < width; ++b, ++bitPos)
            code |= ((data[bitPos >> 3] >> (bitPos & 7)) & 1u) << b;
        if (code == clear) {
            width = minSize + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (code == end)
            return true;
        if (prev < 0) {
            if (code >= clear)
                return false;
            emit(code);
            prev = static_cast<int>(code);
            continue;
        }
        std::uint8_t first;
        if (code < next && code != end && code != clear) {
            first = firstOf(code);
            emit(code);
        } else if (code == next && next < 4096) {
            first = firstOf(static_cast<unsigned>(prev));
            emit(static_cast<unsigned>(prev));
            out.Put(first);
        } else {
            return false;
        }
        if (next < 4096) {
            prefix[next] = static_cast<std::uint16_t>(prev);
            suffix[next] = first;
            ++next;
            if (next == (1u << width) && width < 12)
                ++width;
        }
        prev = static_cast<int>(code);
    }
    // Data that stops without an end code keeps what was decoded.
    return true;
}

// Bits per pixel of the frames, from the colour-resolution field, raised
// where needed so that every entry of the global colour table fits.
unsigned short FrameDepth(unsigned resolution, bool hasGlobal, unsigned tableBits)
{
    unsigned depth = resolution == 0 ? 8 : resolution <= 2 ? 1 : resolution == 3 ? 4 : 8;
    if (hasGlobal && tableBits > depth)
        depth = tableBits <= 4 ? 4 : 8;
    return static_cast<unsigned short>(depth);
}
} // namespace

int ReadGIF(FILEMAP& f, GRAPHIC*** papgr, unsigned* pn)
{
    if (!papgr || !pn)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    *papgr = nullptr;
    *pn = 0;
    const long start = f.GetPosition();
    FrameList list;
    auto fail = [&](int error) {
        list.Free();
        if (start >= 0)
            f.Seek(start, 0);
        return FALSE_SetLastError(error);
    };

    unsigned char header[13];
    if (!f.Read(header, sizeof header) || std::memcmp(header, "GIF89a", 6) != 0)
        return fail(ERROR_BAD_FORMAT);
    const long screenW = Le16(header + 6), screenH = Le16(header + 8);
    const unsigned packed = header[10];
    const unsigned background = header[11];
    if (screenW == 0 || screenH == 0)
        return fail(ERROR_BAD_FORMAT);
    // Every image is a frame of the whole logical screen. A screen, or
    // frames together, larger than any animation of the library could use
    // are refused before the room is made: a few bytes of header could
    // otherwise claim gigabytes.
    constexpr std::uint64_t kMostFramePixels = std::uint64_t(1) << 24;
    // Every frame is decoded at the screen's size: the frames together are
    // held to what takes well under a second to decode.
    constexpr std::uint64_t kMostTotalPixels = std::uint64_t(1) << 25;
    const std::uint64_t framePixels = static_cast<std::uint64_t>(screenW) * static_cast<std::uint64_t>(screenH);
    if (framePixels > kMostFramePixels)
        return fail(ERROR_BAD_FORMAT);
    std::uint64_t totalPixels = 0;
    const bool hasGlobal = (packed & 0x80) != 0;
    const unsigned tableBits = (packed & 7) + 1;
    const unsigned short depth = FrameDepth((packed >> 4) & 7, hasGlobal, tableBits);

    RGBQUAD table[256] = {};
    unsigned tableEntries = 0;
    if (hasGlobal) {
        tableEntries = 1u << tableBits;
        unsigned char rgb[256 * 3];
        if (!f.Read(rgb, tableEntries * 3))
            return fail(ERROR_BAD_FORMAT);
        for (unsigned i = 0; i < tableEntries; ++i)
            table[i] = RGBQUAD{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
    }

    unsigned char control[6] = {};
    bool hasControl = false;
    std::vector<unsigned char> data;
    for (;;) {
        unsigned char introducer = 0;
        if (!f.Read(&introducer, 1))
            return fail(ERROR_BAD_FORMAT);
        if (introducer == ';')
            break;
        if (introducer == '!') {
            unsigned char label = 0, skip[13];
            if (!f.Read(&label, 1))
                return fail(ERROR_BAD_FORMAT);
            bool ok;
            switch (label) {
            case 0x01: ok = f.Read(skip, 13) && ReadSubBlocks(f, nullptr); break;
            case 0xF9:
                ok = f.Read(control, 6);
                hasControl = ok;
                break;
            case 0xFE: ok = ReadSubBlocks(f, nullptr); break;
            case 0xFF: ok = f.Read(skip, 12) && ReadSubBlocks(f, nullptr); break;
            default: ok = false; break;
            }
            if (!ok)
                return fail(ERROR_BAD_FORMAT);
            continue;
        }
        if (introducer != ',')
            return fail(ERROR_BAD_FORMAT);

        // One image: a full frame of the logical screen's size.
        totalPixels += framePixels;
        if (totalPixels > kMostTotalPixels)
            return fail(ERROR_BAD_FORMAT);
        GRAPHIC* g = new (std::nothrow) GRAPHIC();
        if (!g)
            return fail(ERROR_NOT_ENOUGH_MEMORY);
        if (!list.Append(g)) {
            delete g;
            return fail(ERROR_NOT_ENOUGH_MEMORY);
        }
        if (!g->Realloc(screenW, screenH, depth, hasGlobal ? table : static_cast<RGBQUAD*>(nullptr), kNone))
            return fail(ZephaneGetLastError());

        unsigned char descriptor[9];
        if (!f.Read(descriptor, sizeof descriptor))
            return fail(ERROR_BAD_FORMAT);
        const long left = Le16(descriptor), top = Le16(descriptor + 2);
        const long width = Le16(descriptor + 4), height = Le16(descriptor + 6);
        const unsigned imagePacked = descriptor[8];
        if (imagePacked & 0x80) {
            // A local colour table is passed over.
            unsigned char rgb[256 * 3];
            if (!f.Read(rgb, (2u << (imagePacked & 7)) * 3))
                return fail(ERROR_BAD_FORMAT);
        }

        if (hasGlobal) {
            unsigned fill = background;
            if (hasControl && (control[1] & 1)) {
                fill = control[4];
                const RGBQUAD& q = table[fill & g->GetPixelMask()];
                g->SetTransparentColor(0x02000000ul | RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
            }
            fill &= g->GetPixelMask();
            const unsigned char byte = depth == 8   ? static_cast<unsigned char>(fill)
                                       : depth == 4 ? static_cast<unsigned char>(fill | (fill << 4))
                                                    : static_cast<unsigned char>(fill ? 0xFF : 0);
            std::memset(g->GetPixelBuffer(), byte, g->GetDataSize());
        }

        unsigned char minSize = 0;
        data.clear();
        if (!f.Read(&minSize, 1) || !ReadSubBlocks(f, &data))
            return fail(ERROR_BAD_FORMAT);
        PixelPlacer placer(g, left, top, width, height, (imagePacked & 0x40) != 0);
        if (!DecodeLzw(data, minSize, placer))
            return fail(ERROR_BAD_FORMAT);
    }
    if (list.n == 0)
        return fail(ERROR_BAD_FORMAT);
    *papgr = list.apgr;
    *pn = list.n;
    return 1;
}
