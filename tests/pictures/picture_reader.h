// Readers of the pictures the tests look at: a device-independent bitmap as
// a bitmap resource stores it (header, colour table, pixels, no file
// header), and the program's resources by number.
#pragma once

#include "platform/resources/resources.h"

#include <cstdint>
#include <string>

namespace picture_test {

struct Colour {
    int r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

inline std::uint32_t U32(const std::string& s, std::size_t at)
{
    const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}
inline unsigned U16(const std::string& s, std::size_t at)
{
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}

// An 8-bit palette bitmap. `error` is empty when the data is a well-formed
// uncompressed bottom-up 8-bit bitmap whose pixels all name colour table
// entries and whose size is exactly header, table and rows.
struct Dib {
    int width = 0, height = 0, bits = 0;
    std::uint32_t compression = 0, colours = 0;
    std::string error;
    std::string data;
    std::size_t pixelsAt = 0, rowSize = 0;

    explicit Dib(std::string bytes) : data(std::move(bytes))
    {
        if (data.size() < 40 || U32(data, 0) != 40) {
            error = "no 40-byte information header";
            return;
        }
        width = static_cast<int>(U32(data, 4));
        height = static_cast<int>(U32(data, 8));
        bits = static_cast<int>(U16(data, 14));
        compression = U32(data, 16);
        colours = U32(data, 32) ? U32(data, 32) : 256;
        if (U16(data, 12) != 1 || bits != 8 || compression != 0 || width <= 0 || height <= 0 || colours > 256) {
            error = "not an uncompressed bottom-up 8-bit bitmap";
            return;
        }
        rowSize = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
        pixelsAt = 40 + colours * 4;
        if (data.size() != pixelsAt + rowSize * static_cast<std::size_t>(height)) {
            error = "size " + std::to_string(data.size()) + " is not header, table and rows";
            return;
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Index(x, y) >= colours) {
                    error = "a pixel names no colour table entry";
                    return;
                }
    }

    // (x, y) from the top left corner.
    unsigned Index(int x, int y) const
    {
        return static_cast<unsigned char>(
            data[pixelsAt + static_cast<std::size_t>(height - 1 - y) * rowSize + static_cast<std::size_t>(x)]);
    }
    Colour At(int x, int y) const
    {
        const std::size_t e = 40 + Index(x, y) * 4;
        return {static_cast<unsigned char>(data[e + 2]), static_cast<unsigned char>(data[e + 1]),
                static_cast<unsigned char>(data[e])};
    }
};

// The bytes of a resource of the program in language 1033; empty when it
// is missing.
inline std::string ResourceBytes(LPCSTR type, int id)
{
    const HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(static_cast<WORD>(id)), 1033);
    if (!found)
        return {};
    const void* bytes = LockResource(LoadResource(nullptr, found));
    return std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}

inline Dib BitmapResource(int id)
{
    return Dib(ResourceBytes(RT_BITMAP, id));
}

} // namespace picture_test
