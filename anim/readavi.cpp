#include "anim/readavi.h"

#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "platform/base/syserror.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace {
constexpr const char* kModule = "readavi.cpp";
constexpr unsigned long kNone = 0xFFFFFFFFul;
constexpr unsigned kMainHeaderMax = 56;

DWORD Le32(const unsigned char* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

bool fIs(const unsigned char* p, const char* fourcc)
{
    return std::memcmp(p, fourcc, 4) == 0;
}

// Chunks are padded to an even length.
long Padded(DWORD size)
{
    return static_cast<long>(size) + (size & 1);
}
} // namespace

int ReadAVI(FILEMAP& f, GRAPHIC*** papgr, unsigned* pn)
{
    if (!papgr || !pn)
        return FALSE_SetLastError(ERROR_INVALID_PARAMETER);
    *papgr = nullptr;
    *pn = 0;
    const long start = f.GetPosition();
    GRAPHIC** frames = nullptr;
    unsigned count = 0, capacity = 0;
    auto fail = [&](int error) {
        for (unsigned i = 0; i < count; ++i)
            delete frames[i];
        if (frames)
            MemMgr_FreeMemory(frames, kModule, __LINE__);
        if (start >= 0)
            f.Seek(start, 0);
        return FALSE_SetLastError(error);
    };

    unsigned char chunk[12];
    if (!f.Read(chunk, 12) || !fIs(chunk, "RIFF") || !fIs(chunk + 8, "AVI "))
        return fail(ERROR_BAD_FORMAT);
    if (!f.Read(chunk, 12) || !fIs(chunk, "LIST") || !fIs(chunk + 8, "hdrl") || Le32(chunk + 4) < 4)
        return fail(ERROR_BAD_FORMAT);
    const long headerListEnd = f.GetPosition() + Padded(Le32(chunk + 4)) - 4;

    // The main header: the frame size at bytes 32 and 36.
    if (!f.Read(chunk, 8) || !fIs(chunk, "avih"))
        return fail(ERROR_BAD_FORMAT);
    const DWORD mainSize = Le32(chunk + 4);
    unsigned char mainHeader[kMainHeaderMax] = {};
    const unsigned take = mainSize < kMainHeaderMax ? mainSize : kMainHeaderMax;
    if (take < 40 || !f.Read(mainHeader, take))
        return fail(ERROR_BAD_FORMAT);
    const DWORD width = Le32(mainHeader + 32), height = Le32(mainHeader + 36);
    if (width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF)
        return fail(ERROR_BAD_FORMAT);

    // Past the rest of the header list, then on to the movie list.
    if (!f.Seek(headerListEnd, 0) || f.GetPosition() != headerListEnd)
        return fail(ERROR_BAD_FORMAT);
    for (;;) {
        if (!f.Read(chunk, 8))
            return fail(ERROR_BAD_FORMAT);
        const DWORD size = Le32(chunk + 4);
        if (fIs(chunk, "LIST") && size >= 4) {
            if (!f.Read(chunk + 8, 4))
                return fail(ERROR_BAD_FORMAT);
            if (fIs(chunk + 8, "movi"))
                break;
            if (!f.Seek(Padded(size) - 4, 1))
                return fail(ERROR_BAD_FORMAT);
        } else if (!f.Seek(Padded(size), 1)) {
            return fail(ERROR_BAD_FORMAT);
        }
    }

    // Consecutive uncompressed frames of stream 0; the first chunk of
    // another kind or size ends them.
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    while (f.Read(chunk, 8) && fIs(chunk, "00db")) {
        const DWORD size = Le32(chunk + 4);
        unsigned bytesPerPixel = 0;
        bool padded = false;
        for (unsigned bpp = 2; bpp <= 4 && !bytesPerPixel; ++bpp) {
            const std::uint64_t rowSize = (static_cast<std::uint64_t>(width) * bpp + 3) / 4 * 4;
            if (size == pixels * bpp) {
                bytesPerPixel = bpp;
            } else if (size == rowSize * height) {
                bytesPerPixel = bpp;
                padded = true;
            }
        }
        if (!bytesPerPixel)
            break;
        // A frame the file does not hold is refused before its room is made.
        const long total = f.GetSize(), here = f.GetPosition();
        if (total >= 0 && here >= 0 && size > static_cast<std::uint64_t>(total - here))
            return fail(ERROR_BAD_FORMAT);
        GRAPHIC* g = new (std::nothrow) GRAPHIC();
        if (!g)
            return fail(ERROR_NOT_ENOUGH_MEMORY);
        if (!GrowTable(&frames, &capacity, count + 1, 1, kModule, __LINE__)) {
            delete g;
            return fail(ERROR_NOT_ENOUGH_MEMORY);
        }
        frames[count++] = g;
        if (!g->Realloc(static_cast<long>(width), static_cast<long>(height),
                        static_cast<unsigned short>(bytesPerPixel * 8), static_cast<RGBQUAD*>(nullptr), kNone))
            return fail(ZephaneGetLastError());
        auto* bits = static_cast<unsigned char*>(g->GetPixelBuffer());
        const unsigned long rowSize = g->GetBytesPerLine();
        const unsigned long rowBytes = width * bytesPerPixel;
        if (padded || rowSize == rowBytes) {
            if (!f.Read(bits, size))
                return fail(ERROR_BAD_FORMAT);
        } else {
            // Rows stored without padding: each goes to its padded place.
            for (DWORD y = 0; y < height; ++y)
                if (!f.Read(bits + y * rowSize, rowBytes))
                    return fail(ERROR_BAD_FORMAT);
        }
        if ((size & 1) && !f.Seek(1, 1))
            return fail(ERROR_BAD_FORMAT);
        g->SetTransparentColor(g->GetPixel(0, 0));
    }
    if (count == 0)
        return fail(ERROR_BAD_FORMAT);
    *papgr = frames;
    *pn = count;
    return 1;
}
