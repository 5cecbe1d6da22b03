#include "platform/resources/dibimage.h"

#include "platform/resources/resources.h"

#include <cstring>

namespace {

std::uint32_t U32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

unsigned U16(const unsigned char* p)
{
    return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8;
}

std::uint32_t Xrgb(unsigned r, unsigned g, unsigned b)
{
    return 0xFF000000u | r << 16 | g << 8 | b;
}

} // namespace

bool DecodeDib(const void* data, std::size_t size, int* pWidth, int* pHeight, std::vector<std::uint32_t>* pPixels)
{
    const auto* p = static_cast<const unsigned char*>(data);
    if (!p || size < 40 || !pWidth || !pHeight || !pPixels)
        return false;
    const std::uint32_t headerSize = U32(p);
    const auto width = static_cast<std::int32_t>(U32(p + 4));
    const auto rawHeight = static_cast<std::int32_t>(U32(p + 8));
    const unsigned planes = U16(p + 12), bits = U16(p + 14);
    const std::uint32_t compression = U32(p + 16);
    std::uint32_t colours = U32(p + 32);
    if (headerSize < 40 || headerSize > size || planes != 1 || compression != 0 || width <= 0 || rawHeight == 0 ||
        width > 16384 || rawHeight > 16384 || rawHeight < -16384)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return false;
    const bool topDown = rawHeight < 0;
    const int height = topDown ? -rawHeight : rawHeight;
    if (bits <= 8) {
        if (colours == 0)
            colours = 1u << bits;
        if (colours > (1u << bits))
            return false;
    } else {
        colours = 0;
    }
    const std::size_t table = headerSize;
    const std::size_t pixelsAt = table + static_cast<std::size_t>(colours) * 4;
    const std::size_t rowSize = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    if (pixelsAt > size || rowSize * static_cast<std::size_t>(height) > size - pixelsAt)
        return false;

    pPixels->assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = p + pixelsAt + rowSize * static_cast<std::size_t>(topDown ? y : height - 1 - y);
        std::uint32_t* out = pPixels->data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) {
            if (bits >= 24) {
                const unsigned char* px = row + static_cast<std::size_t>(x) * (bits / 8);
                out[x] = Xrgb(px[2], px[1], px[0]);
                continue;
            }
            const std::size_t bit = static_cast<std::size_t>(x) * bits;
            const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
            const unsigned index = (row[bit / 8] >> shift) & ((1u << bits) - 1);
            // An index past the table shows black, as the system shows it.
            if (index >= colours) {
                out[x] = Xrgb(0, 0, 0);
                continue;
            }
            const unsigned char* e = p + table + static_cast<std::size_t>(index) * 4;
            out[x] = Xrgb(e[2], e[1], e[0]);
        }
    }
    *pWidth = width;
    *pHeight = height;
    return true;
}

bool LoadResourceImage(HMODULE module, const char* name, const char* type, int* pWidth, int* pHeight,
                       std::vector<std::uint32_t>* pPixels)
{
    HRSRC found = FindResourceA(module, name, type ? type : RT_BITMAP);
    if (!found)
        return false;
    HGLOBAL handle = LoadResource(module, found);
    const void* data = handle ? LockResource(handle) : nullptr;
    return data && DecodeDib(data, SizeofResource(module, found), pWidth, pHeight, pPixels);
}
