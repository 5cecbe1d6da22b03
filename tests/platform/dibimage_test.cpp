// Bitmap resources decoded into pixels for the scene's textures.
#include "platform/resources/dibimage.h"
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

void Put32(std::string& s, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

// A header, a colour table and rows as given (each already padded).
std::string Dib(int width, int height, unsigned bits, const std::vector<std::uint32_t>& table, const std::string& rows)
{
    std::string s;
    Put32(s, 40);
    Put32(s, static_cast<std::uint32_t>(width));
    Put32(s, static_cast<std::uint32_t>(height));
    Put16(s, 1);
    Put16(s, bits);
    Put32(s, 0);
    Put32(s, static_cast<std::uint32_t>(rows.size()));
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, static_cast<std::uint32_t>(table.size()));
    Put32(s, 0);
    for (std::uint32_t c : table)
        Put32(s, c); // 0x00RRGGBB is blue, green, red, 0 in memory
    return s + rows;
}

} // namespace

TEST(DibImage, PaletteRowsComeOutTopFirstInTheirColours)
{
    // 3 x 2 at 8 bits, stored bottom-up: the first stored row is the lower.
    const std::string rows = std::string("\x01\x00\x02\x00", 4) + std::string("\x02\x02\x01\x00", 4);
    const std::string dib = Dib(3, 2, 8, {0x000000, 0xFF0000, 0x00FF80}, rows);
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(DecodeDib(dib.data(), dib.size(), &w, &h, &px));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(px, (std::vector<std::uint32_t>{0xFF00FF80, 0xFF00FF80, 0xFFFF0000, 0xFFFF0000, 0xFF000000, 0xFF00FF80}));
}

TEST(DibImage, SmallAndTrueColourDepthsAndTopDownRows)
{
    // 1 bit: 10 pixels in two bytes, padded to four.
    const std::string mono = Dib(10, 1, 1, {0x000000, 0xFFFFFF}, std::string("\xA0\x40\x00\x00", 4));
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(DecodeDib(mono.data(), mono.size(), &w, &h, &px));
    EXPECT_EQ(px[0], 0xFFFFFFFFu);
    EXPECT_EQ(px[1], 0xFF000000u);
    EXPECT_EQ(px[2], 0xFFFFFFFFu);
    EXPECT_EQ(px[9], 0xFFFFFFFFu);
    // 4 bits, top-down (negative height).
    const std::string nibble =
        Dib(2, -2, 4, {0x000000, 0x0000FF, 0x00FF00}, std::string("\x12\x00\x00\x00\x21\x00\x00\x00", 8));
    ASSERT_TRUE(DecodeDib(nibble.data(), nibble.size(), &w, &h, &px));
    EXPECT_EQ(h, 2);
    EXPECT_EQ(px, (std::vector<std::uint32_t>{0xFF0000FF, 0xFF00FF00, 0xFF00FF00, 0xFF0000FF}));
    // 24 bits: blue, green, red per pixel, rows padded.
    const std::string rgb = Dib(1, 1, 24, {}, std::string("\x10\x20\x30\x00", 4));
    ASSERT_TRUE(DecodeDib(rgb.data(), rgb.size(), &w, &h, &px));
    EXPECT_EQ(px[0], 0xFF302010u);
}

TEST(DibImage, DamagedDataIsRefused)
{
    const std::string good = Dib(3, 2, 8, {0, 0xFFFFFF}, std::string(8, '\0'));
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    EXPECT_FALSE(DecodeDib(good.data(), good.size() - 1, &w, &h, &px));
    EXPECT_FALSE(DecodeDib(good.data(), 20, &w, &h, &px));
    std::string compressed = good;
    compressed[16] = 1;
    EXPECT_FALSE(DecodeDib(compressed.data(), compressed.size(), &w, &h, &px));
    std::string sixteen = good;
    sixteen[14] = 16;
    EXPECT_FALSE(DecodeDib(sixteen.data(), sixteen.size(), &w, &h, &px));
    // More colours than the depth allows.
    const std::string table = Dib(1, 1, 1, {0, 1, 2}, std::string(4, '\0'));
    EXPECT_FALSE(DecodeDib(table.data(), table.size(), &w, &h, &px));
    // An index past a short table shows black.
    const std::string shortTable = Dib(1, 1, 8, {0xFFFFFF}, std::string("\x05\x00\x00\x00", 4));
    ASSERT_TRUE(DecodeDib(shortTable.data(), shortTable.size(), &w, &h, &px));
    EXPECT_EQ(px[0], 0xFF000000u);
}

TEST(DibImage, TheGamesBitmapResourcesLoad)
{
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(LoadResourceImage(nullptr, MAKEINTRESOURCEA(104), MAKEINTRESOURCEA(2), &w, &h, &px));
    EXPECT_EQ(w, 256);
    EXPECT_EQ(px.size(), 256u * 256u);
    ASSERT_TRUE(LoadResourceImage(nullptr, MAKEINTRESOURCEA(120), MAKEINTRESOURCEA(2), &w, &h, &px));
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 32);
    EXPECT_FALSE(LoadResourceImage(nullptr, MAKEINTRESOURCEA(9999), MAKEINTRESOURCEA(2), &w, &h, &px));
}
