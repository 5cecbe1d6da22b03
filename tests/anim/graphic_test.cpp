#include "anim/graphic.h"

#include "anim/filemap.h"
#include "anim/lasterror.h"
#include "imagefiles.h"
#include "platform/base/syserror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

using imagefiles::BitmapLayout;
using imagefiles::Bytes;
using imagefiles::Rgb;

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;

// A picture that differs in every row and column, as the raw pixel value at
// a depth (for 24 and 32 bits, 0x00RRGGBB).
std::uint32_t TestPixel(int depth, int x, int y)
{
    switch (depth) {
    case 1: return (x * 3 + y) % 5 == 0 ? 1 : 0;
    case 4: return static_cast<std::uint32_t>(x + 2 * y) % 16;
    case 8: return static_cast<std::uint32_t>(x * 17 + y * 5) % 256;
    case 16: return static_cast<std::uint32_t>(x * 1031 + y * 97) & 0x7FFF;
    default: return (static_cast<std::uint32_t>(x * 20) << 16) | (static_cast<std::uint32_t>(y * 30) << 8) | (x ^ y);
    }
}

std::vector<Rgb> Colours(int depth)
{
    std::vector<Rgb> c;
    for (int i = 0; i < (1 << depth); ++i)
        c.push_back(
            Rgb{static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i), static_cast<unsigned char>(i * 7)});
    return c;
}

// The raw value a graphic reports, with 24 and 32 bits turned into 0x00RRGGBB.
std::uint32_t ValueOf(GRAPHIC& g, int x, int y)
{
    const unsigned long v = g.GetPixelValue(x, y);
    if (g.GetDepth() <= 16)
        return static_cast<std::uint32_t>(v);
    const auto* p = reinterpret_cast<const unsigned char*>(v);
    return (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
}

struct MemoryFile {
    explicit MemoryFile(Bytes bytes) : data(std::move(bytes))
    {
        map.Open(data.data(), static_cast<unsigned>(data.size()));
    }
    Bytes data;
    FILEMAP map;
};

Bytes SaveToBytes(GRAPHIC& g, int fFileHeader)
{
    Bytes buffer(g.GetDataSize() + g.GetPaletteSize() + 54 + 16);
    FILEMAP f;
    f.Open(buffer.data(), static_cast<unsigned>(buffer.size()));
    EXPECT_TRUE(g.Save(f, fFileHeader));
    buffer.resize(static_cast<std::size_t>(f.GetPosition()));
    return buffer;
}
} // namespace

// ---- bitmap files -------------------------------------------------------------------

class BitmapRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(BitmapRoundTrip, LoadsEveryPixelAndSavesTheSameBytes)
{
    const int depth = GetParam();
    BitmapLayout layout;
    layout.width = 13; // rows need padding at every depth
    layout.height = 7;
    layout.depth = depth;
    if (depth <= 8)
        layout.colours = Colours(depth);
    const Bytes file = imagefiles::BuildBitmap(layout, [&](int x, int y) { return TestPixel(depth, x, y); });

    MemoryFile in(file);
    ZephaneSetLastError(12345);
    GRAPHIC g(in.map, kNone);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    EXPECT_EQ(g.GetWidth(), 13);
    EXPECT_EQ(g.GetHeight(), 7);
    EXPECT_EQ(g.GetDepth(), depth);
    EXPECT_EQ(g.fHasPalette(), depth <= 8);
    EXPECT_EQ(g.GetBytesPerLine(), static_cast<unsigned long>(imagefiles::RowBytes(13, depth)));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(ValueOf(g, x, y), TestPixel(depth, x, y)) << x << "," << y;
    if (depth <= 8) {
        const std::uint32_t v = TestPixel(depth, 3, 2);
        EXPECT_EQ(g.GetPixel(3, 2), RGB(layout.colours[v].r, layout.colours[v].g, layout.colours[v].b));
    }
    if (depth >= 24) {
        const std::uint32_t v = TestPixel(depth, 4, 5);
        EXPECT_EQ(g.GetPixel(4, 5), RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)));
    }

    // Saving writes the same layout; with a full-size colour table in the
    // test file the bytes are identical apart from nothing.
    EXPECT_EQ(SaveToBytes(g, 1), file);
    // And the bare form (as resources keep bitmaps) loads back alike.
    MemoryFile bare(SaveToBytes(g, 0));
    GRAPHIC again(bare.map, kNone);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(ValueOf(again, x, y), TestPixel(depth, x, y));
}

INSTANTIATE_TEST_SUITE_P(Depths, BitmapRoundTrip, ::testing::Values(1, 4, 8, 16, 24, 32));

TEST(BitmapLoad, TopDownRowsAndShortColourTables)
{
    BitmapLayout layout;
    layout.width = 5;
    layout.height = -4;
    layout.depth = 8;
    layout.colours = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    const Bytes file =
        imagefiles::BuildBitmap(layout, [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 3); });
    MemoryFile in(file);
    GRAPHIC g(in.map, kNone);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    EXPECT_TRUE(g.fTopDown());
    EXPECT_EQ(g.GetHeight(), 4);
    EXPECT_EQ(g.GetNumColors(), 256u);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(g.GetPixelValue(x, y), static_cast<unsigned long>((x + y) % 3));
    EXPECT_EQ(g.GetPixel(1, 0), RGB(40, 50, 60));
    // Entries the file does not give are black.
    EXPECT_EQ(g.GetPaletteColor(200), RGB(0, 0, 0));
}

TEST(BitmapLoad, TheOldTwelveByteHeaderLoadsWithThreeByteColours)
{
    BitmapLayout layout;
    layout.width = 6;
    layout.height = 3;
    layout.depth = 4;
    layout.colours = Colours(4);
    layout.coreHeader = true;
    const Bytes file =
        imagefiles::BuildBitmap(layout, [](int x, int y) { return static_cast<std::uint32_t>(x * 2 + y); });
    MemoryFile in(file);
    GRAPHIC g(in.map, kNone);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    EXPECT_EQ(g.GetWidth(), 6);
    EXPECT_EQ(g.GetPixelValue(5, 2), 12u);
    EXPECT_EQ(g.GetPixel(5, 2), RGB(12, 243, 84));
}

TEST(BitmapLoad, DamagedAndCompressedFilesLeaveTheGraphicEmpty)
{
    BitmapLayout layout;
    layout.width = 8;
    layout.height = 8;
    layout.depth = 8;
    layout.colours = Colours(8);
    layout.compression = 1;
    {
        MemoryFile in(imagefiles::BuildBitmap(layout, [](int, int) { return 0u; }));
        GRAPHIC g(32, 32, 24, kNone);
        EXPECT_FALSE(g.Load(in.map, kNone));
        EXPECT_EQ(ZephaneGetLastError(), errUnsupportedBitmap);
        EXPECT_TRUE(g.fEmpty());
    }
    layout.compression = 0;
    Bytes good = imagefiles::BuildBitmap(layout, [](int x, int) { return static_cast<std::uint32_t>(x); });
    {
        Bytes cut(good.begin(), good.end() - 5);
        MemoryFile in(cut);
        GRAPHIC g(in.map, kNone);
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
        EXPECT_TRUE(g.fEmpty());
    }
    {
        Bytes odd = good;
        odd[14] = 64; // a header size nobody writes
        MemoryFile in(odd);
        GRAPHIC g(in.map, kNone);
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
        EXPECT_TRUE(g.fEmpty());
    }
    {
        Bytes huge = good;
        huge[18 + 2] = 0x7F; // a width far beyond the data that follows
        MemoryFile in(huge);
        GRAPHIC g(in.map, kNone);
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
        EXPECT_TRUE(g.fEmpty());
    }
}

TEST(BitmapLoad, FromAFileByNameAndTheTransparentColourIsKept)
{
    BitmapLayout layout;
    layout.width = 4;
    layout.height = 4;
    layout.depth = 24;
    const Bytes file = imagefiles::BuildBitmap(layout, [](int x, int) { return x == 0 ? 0xFF00FFu : 0x102030u; });
    const auto path = std::filesystem::temp_directory_path() / ("graphic_test_" + std::to_string(::getpid()) + ".bmp");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<long>(file.size()));
    GRAPHIC g(path.string().c_str(), RGB(255, 0, 255));
    std::filesystem::remove(path);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    EXPECT_EQ(g.GetTransparentColor(), RGB(255, 0, 255));
    EXPECT_EQ(g.HitTest(0, 1), 0);
    EXPECT_EQ(g.HitTest(1, 1), 1);
    EXPECT_EQ(g.HitTest(9, 1), 0);

    GRAPHIC missing((std::filesystem::temp_directory_path() / "graphic-test-no-such.bmp").string().c_str(), kNone);
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(missing.fEmpty());
}

// ---- allocation ---------------------------------------------------------------------

TEST(GraphicAlloc, AnEightBitImageGetsAFullTableFromTheSystemPalette)
{
    ZephaneSetLastError(777);
    GRAPHIC g(32, 16, 8, static_cast<RGBQUAD*>(nullptr), kNone);
    EXPECT_EQ(ZephaneGetLastError(), 0);
    EXPECT_EQ(g.GetNumColors(), 256u);
    EXPECT_EQ(g.GetPaletteSize(), 1024u);
    EXPECT_EQ(g.GetPaletteColor(0), RGB(0, 0, 0));
    EXPECT_EQ(g.GetPaletteColor(255), RGB(255, 255, 255));
    EXPECT_EQ(g.GetDataSize(), 32u * 16u);
    EXPECT_EQ(g.GetHeaderSize(), 40u);
    EXPECT_FALSE(g.fTopDown());
    EXPECT_FALSE(g.fTransparent());
}

TEST(GraphicAlloc, ReallocKeepsALargerImageAndRefusesZeroSizes)
{
    GRAPHIC g(64, 64, 8, static_cast<RGBQUAD*>(nullptr), kNone);
    g.SetPixelValue(5, 5, 42, 0);
    EXPECT_TRUE(g.Realloc(16, 16, 8, kNone));
    EXPECT_EQ(g.GetWidth(), 64);
    EXPECT_EQ(g.GetPixelValue(5, 5), 42u);
    EXPECT_TRUE(g.Realloc(16, 16, 24, kNone));
    EXPECT_EQ(g.GetWidth(), 16);
    EXPECT_EQ(g.GetDepth(), 24);
    EXPECT_FALSE(g.Realloc(0, 16, 24, static_cast<RGBQUAD*>(nullptr), kNone));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(g.GetWidth(), 16); // a refused size changes nothing
    EXPECT_FALSE(g.Realloc(4, 4, 7, static_cast<RGBQUAD*>(nullptr), kNone));
}

TEST(GraphicAlloc, QueriesOnAnEmptyGraphicFail)
{
    GRAPHIC g;
    EXPECT_EQ(g.GetWidth(), 0);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
    EXPECT_EQ(g.GetTransparentColor(), kNone);
    EXPECT_EQ(g.GetPaletteIndex(RGB(1, 2, 3), 0xFFFF), 0xFFFF);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
    EXPECT_EQ(g.HitTest(0, 0), 1);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
    EXPECT_EQ(g.GetDIBDC(), nullptr);
    Bytes buffer(100);
    FILEMAP f;
    f.Open(buffer.data(), 100);
    EXPECT_FALSE(g.Save(f, 1));
}

TEST(GraphicAlloc, EveryGraphicIsListedUntilDestroyedAndFreeSlotsAreReused)
{
    auto slotOf = [](GRAPHIC* g) {
        for (unsigned i = 0; i < GRAPHIC::npgrList; ++i)
            if (GRAPHIC::apgrList[i] == g)
                return static_cast<int>(i);
        return -1;
    };
    auto a = std::make_unique<GRAPHIC>();
    auto b = std::make_unique<GRAPHIC>();
    const int slotA = slotOf(a.get());
    ASSERT_GE(slotA, 0);
    ASSERT_GE(slotOf(b.get()), 0);
    const unsigned length = GRAPHIC::npgrList;
    a.reset();
    EXPECT_EQ(GRAPHIC::apgrList[slotA], nullptr);
    auto c = std::make_unique<GRAPHIC>();
    EXPECT_EQ(slotOf(c.get()), slotA);
    EXPECT_EQ(GRAPHIC::npgrList, length);
}

// ---- children ----------------------------------------------------------------------

TEST(GraphicChild, AChildIsAViewOfItsParentsPixels)
{
    GRAPHIC parent(40, 30, 8, static_cast<RGBQUAD*>(nullptr), kNone);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            parent.SetPixelValue(x, y, static_cast<unsigned long>(x + y * 3) & 0xFF, 0);
    RECT r{10, 10, 20, 20};
    GRAPHIC child(&parent, &r, kNone);
    EXPECT_EQ(ZephaneGetLastError(), 0);
    EXPECT_TRUE(child.fChild());
    EXPECT_EQ(child.GetWidth(), 10);
    EXPECT_EQ(child.GetHeight(), 10);
    EXPECT_EQ(child.GetPixel(0, 0), parent.GetPixel(10, 10));
    EXPECT_EQ(child.GetPixelValue(3, 4), parent.GetPixelValue(13, 14));
    EXPECT_EQ(child.GetBytesPerLine(), 12u);
    EXPECT_EQ(child.GetPixelBuffer(), parent.GetPixelBuffer());
    // Writing through the child changes the parent.
    child.SetPixelValue(1, 2, 200, 0);
    EXPECT_EQ(parent.GetPixelValue(11, 12), 200u);
    // The child saves as an image of its own.
    MemoryFile saved(SaveToBytes(child, 1));
    GRAPHIC copy(saved.map, kNone);
    ASSERT_EQ(copy.GetWidth(), 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(copy.GetPixelValue(x, y), parent.GetPixelValue(x + 10, y + 10));
    EXPECT_EQ(copy.GetPaletteColor(77), parent.GetPaletteColor(77));
}

TEST(GraphicChild, RectanglesAreClippedAndChildrenOfChildrenRefused)
{
    GRAPHIC parent(20, 20, 24, kNone);
    RECT r{15, -5, 50, 8};
    GRAPHIC child(&parent, &r, kNone);
    EXPECT_EQ(child.GetWidth(), 5);
    EXPECT_EQ(child.GetHeight(), 8);
    GRAPHIC whole(&parent, nullptr, RGB(1, 2, 3));
    EXPECT_EQ(whole.GetWidth(), 20);
    EXPECT_EQ(whole.GetTransparentColor(), RGB(1, 2, 3));
    GRAPHIC grandchild(&child, nullptr, kNone);
    EXPECT_EQ(ZephaneGetLastError(), errChildGraphic);
    EXPECT_TRUE(grandchild.fEmpty());
    GRAPHIC empty;
    GRAPHIC ofEmpty(&empty, nullptr, kNone);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
}

TEST(GraphicChild, ReleasingOrReplacingTheParentEmptiesItsChildren)
{
    auto parent = std::make_unique<GRAPHIC>(20, 20, 16, kNone);
    RECT r{0, 0, 4, 4};
    GRAPHIC a(parent.get(), &r, kNone);
    GRAPHIC b(parent.get(), &r, kNone);
    parent->Realloc(30, 30, 16, static_cast<RGBQUAD*>(nullptr), kNone);
    EXPECT_TRUE(a.fEmpty());
    EXPECT_FALSE(a.fChild());
    GRAPHIC c(parent.get(), &r, kNone);
    parent.reset();
    EXPECT_TRUE(c.fEmpty());
    // A child that leaves first is simply gone from its parent's list.
    GRAPHIC p2(8, 8, 8, static_cast<RGBQUAD*>(nullptr), kNone);
    {
        GRAPHIC shortLived(&p2, nullptr, kNone);
    }
    EXPECT_TRUE(p2.Release());
}

// ---- pixels, palette, translucency -----------------------------------------------

TEST(GraphicPixels, ColoursAtEveryDepth)
{
    GRAPHIC g24(3, 3, 24, kNone), g32(3, 3, 32, kNone), g16(3, 3, 16, kNone);
    for (GRAPHIC* g : {&g24, &g32}) {
        EXPECT_TRUE(g->SetPixel(2, 1, RGB(10, 20, 30), 0));
        EXPECT_EQ(g->GetPixel(2, 1), RGB(10, 20, 30));
        EXPECT_EQ(g->GetPixel(1, 1), RGB(0, 0, 0));
    }
    EXPECT_TRUE(g16.SetPixel(0, 0, RGB(255, 0, 8), 0));
    EXPECT_EQ(g16.GetPixelValue(0, 0), 0x7C01u);
    EXPECT_EQ(g16.GetPixel(0, 0), RGB(255, 0, 8));

    RGBQUAD table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    GRAPHIC mono(10, 2, 1, table, kNone);
    EXPECT_TRUE(mono.SetPixel(9, 1, RGB(255, 255, 255), 0));
    EXPECT_EQ(mono.GetPixelValue(9, 1), 1u);
    EXPECT_EQ(mono.GetPixelValue(8, 1), 0u);
    EXPECT_FALSE(mono.SetPixel(0, 0, RGB(1, 2, 3), 0));
    EXPECT_EQ(ZephaneGetLastError(), errNotFound);
}

TEST(GraphicPalette, IndexLookupHonoursAfterAndTheSharedCacheIsVerified)
{
    RGBQUAD table[16] = {};
    table[3] = RGBQUAD{30, 20, 10, 0};
    table[9] = RGBQUAD{30, 20, 10, 0};
    table[5] = RGBQUAD{10, 20, 30, 0}; // same hash as entry 3
    GRAPHIC g(4, 4, 4, table, kNone);
    EXPECT_EQ(g.GetPaletteIndex(RGB(10, 20, 30), 0xFFFF), 3);
    EXPECT_EQ(g.GetPaletteIndex(RGB(10, 20, 30), 3), 9);
    EXPECT_EQ(g.GetPaletteIndex(RGB(30, 20, 10), 0xFFFF), 5);
    EXPECT_EQ(g.GetPaletteIndex(RGB(10, 20, 30), 0xFFFF), 3);
    EXPECT_EQ(g.GetPaletteIndex(RGB(10, 20, 31), 0xFFFF), 0xFFFF);
    EXPECT_EQ(ZephaneGetLastError(), errNotFound);
    EXPECT_EQ(g.GetPaletteIndex(RGB(10, 20, 30), 16), 0xFFFF);
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(g.GetPaletteIndex(kNone, 0xFFFF), 0xFFFF);
    // Another graphic's table is not confused by what the cache remembers.
    RGBQUAD other[16] = {};
    other[12] = RGBQUAD{30, 20, 10, 0};
    GRAPHIC h(4, 4, 4, other, kNone);
    EXPECT_EQ(h.GetPaletteIndex(RGB(10, 20, 30), 0xFFFF), 12);
    EXPECT_EQ(h.GetColorValue(RGB(10, 20, 30)), 12u);
    GRAPHIC deep(2, 2, 24, kNone);
    EXPECT_EQ(deep.GetPaletteIndex(RGB(10, 20, 30), 0xFFFF), 0xFFFF);
    EXPECT_EQ(ZephaneGetLastError(), errNoPalette);
    EXPECT_EQ(deep.GetColorValue(RGB(10, 20, 30)), RGB(10, 20, 30));
}

TEST(GraphicPalette, EntriesAreClampedAndWrittenIntoTheBitmapAndItsHeader)
{
    GRAPHIC g(4, 4, 4, static_cast<RGBQUAD*>(nullptr), kNone);
    PALETTEENTRY set[3] = {{1, 2, 3, 9}, {4, 5, 6, 9}, {7, 8, 9, 9}};
    EXPECT_EQ(g.SetPaletteEntries(14, 3, set), 2); // cut to the 16 entries
    PALETTEENTRY got[4] = {};
    EXPECT_EQ(g.GetPaletteEntries(13, 10, got), 3);
    EXPECT_EQ(got[1].peRed, 1);
    EXPECT_EQ(got[2].peBlue, 6);
    EXPECT_EQ(got[2].peFlags, 0);
    EXPECT_EQ(g.GetPaletteColor(15), RGB(4, 5, 6));
    EXPECT_EQ(g.GetBitmapInfo()->bmiColors[14].rgbBlue, 3);
    EXPECT_FALSE(g.GetPaletteEntries(16, 1, got));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(g.SetPaletteEntries(0, 0, set));
    // The palette is read through the device context that is handed out.
    HDC dc = g.GetDIBDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(g.SetPaletteEntries(0, 1, set), 1);
    EXPECT_EQ(g.GetPaletteColor(0), RGB(1, 2, 3));
    EXPECT_TRUE(g.ReleaseDC(dc, 0));
    // The saved file carries the new colours.
    MemoryFile saved(SaveToBytes(g, 1));
    GRAPHIC copy(saved.map, kNone);
    EXPECT_EQ(copy.GetPaletteColor(15), RGB(4, 5, 6));
}

TEST(GraphicTranslucency, MapsAreFilledWithHalfAlphaAndTheSameTypeChangesNothing)
{
    GRAPHIC g(6, 5, 24, kNone);
    EXPECT_FALSE(g.fTranslucent());
    EXPECT_TRUE(g.SetTranslucent(atConstant, 0));
    EXPECT_FALSE(g.fTranslucent()); // alpha 0 is not translucent
    EXPECT_TRUE(g.SetTranslucent(atConstant, 90));
    EXPECT_EQ(g.GetTranslucencyInfo()->alpha, 0); // same type: alpha ignored
    EXPECT_TRUE(g.SetTranslucent(atMap, 0));
    ALPHAINFO* info = g.GetTranslucencyInfo();
    ASSERT_NE(info->map, nullptr);
    EXPECT_EQ(info->width, 6);
    EXPECT_EQ(info->height, 5);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(info->map[i], 128);
    EXPECT_TRUE(g.fTranslucent());
    // A new image resets the translucency.
    g.Realloc(3, 3, 32, static_cast<RGBQUAD*>(nullptr), kNone);
    EXPECT_EQ(g.GetTranslucencyInfo()->type, atNone);
    EXPECT_EQ(g.GetTranslucencyInfo()->map, nullptr);
}

TEST(GraphicTransparency, HitTestsAndTheMissingColour)
{
    RGBQUAD table[16] = {};
    table[2] = RGBQUAD{0, 255, 0, 0};
    GRAPHIC g(4, 4, 4, table, kNone);
    EXPECT_EQ(g.HitTest(1, 1), 1);
    EXPECT_EQ(ZephaneGetLastError(), errNoTransparentColor);
    EXPECT_EQ(g.GetTransparentColor(), kNone);
    EXPECT_EQ(ZephaneGetLastError(), errNoTransparentColor);
    g.SetTransparentColor(RGB(0, 255, 0));
    g.SetPixelValue(1, 1, 2, 0);
    EXPECT_EQ(g.HitTest(1, 1), 0);
    EXPECT_EQ(g.HitTest(0, 1), 1);
    EXPECT_EQ(ZephaneGetLastError(), 0);
}

TEST(GraphicDeviceContext, UsesAreCountedAndOnlyTheLastReleaseFreesTheContext)
{
    GRAPHIC g(8, 8, 8, static_cast<RGBQUAD*>(nullptr), kNone);
    RECT r{2, 2, 4, 4};
    GRAPHIC child(&g, &r, kNone);
    HDC a = g.GetDIBDC();
    HDC b = child.GetDIBDC();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(g.ReleaseDC(a, 1));
    EXPECT_TRUE(child.ReleaseDC(b, 0));
    EXPECT_FALSE(g.ReleaseDC(a, 0));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_INVALID_PARAMETER));
    HDC c = g.GetDIBDC();
    EXPECT_NE(c, nullptr);
    EXPECT_TRUE(g.ReleaseDC(c, 0));
}

#include "platform/resources/resources.h"

TEST(BitmapLoad, ABitmapResourceLoadsAsStoredWithoutAFileHeader)
{
    BitmapLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.depth = 8;
    layout.colours = Colours(8);
    layout.fileHeader = false;
    static Bytes stored;
    stored = imagefiles::BuildBitmap(layout, [](int x, int y) { return static_cast<std::uint32_t>(x + 10 * y); });
    const resources::ResourceEntry entry{
        2, nullptr, 0, "ARROW", 1033, stored.data(), static_cast<DWORD>(stored.size())};
    HMODULE module = resources::RegisterTable(&entry, 1, "graphic-test-module");
    GRAPHIC g(module, "arrow", kNone);
    EXPECT_EQ(ZephaneGetLastError(), 0);
    EXPECT_EQ(g.GetPixelValue(2, 1), 12u);
    GRAPHIC none(module, "nothing", kNone);
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_TRUE(none.fEmpty());
    resources::UnregisterTable(&entry);
}
