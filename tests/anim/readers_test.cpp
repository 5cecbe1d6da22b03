#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "anim/memmgr.h"
#include "anim/readavi.h"
#include "anim/readgif.h"
#include "imagefiles.h"
#include "platform/base/syserror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using imagefiles::Bytes;
using imagefiles::GifBuilder;
using imagefiles::Rgb;

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;

// The frames of one read, destroyed and freed as the caller must.
struct Frames {
    GRAPHIC** apgr = nullptr;
    unsigned n = 0;
    ~Frames()
    {
        for (unsigned i = 0; i < n; ++i)
            delete apgr[i];
        if (apgr)
            MemMgr_FreeMemory(apgr, "readers_test", __LINE__);
    }
    GRAPHIC& operator[](unsigned i) { return *apgr[i]; }
};

// Reads through a memory map whose file starts after three bytes of
// something else, so that the return to the start position is visible.
struct Source {
    explicit Source(const Bytes& file)
    {
        data = Bytes{0xAA, 0xBB, 0xCC};
        data.insert(data.end(), file.begin(), file.end());
        map.Open(data.data(), static_cast<unsigned>(data.size()));
        map.Seek(3, 0);
    }
    Bytes data;
    FILEMAP map;
};

std::vector<Rgb> Table(unsigned n)
{
    std::vector<Rgb> t;
    for (unsigned i = 0; i < n; ++i)
        t.push_back(Rgb{static_cast<unsigned char>(i * 13), static_cast<unsigned char>(i * 5 + 1),
                        static_cast<unsigned char>(255 - i)});
    return t;
}

std::vector<unsigned char> Picture(int w, int h, unsigned colours, unsigned seed = 0)
{
    std::vector<unsigned char> p(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[static_cast<std::size_t>(y * w + x)] =
                static_cast<unsigned char>((x * 7 + y * y * 3 + seed + (x * y) / 5) % colours);
    return p;
}
} // namespace

// ---- GIF ---------------------------------------------------------------------------

TEST(GifReader, InterlacedAndPlainTwinsDecodeToTheSamePixels)
{
    const int w = 13, h = 11;
    const auto pixels = Picture(w, h, 16);
    auto build = [&](bool interlaced) {
        return GifBuilder("89a", w, h, 3, Table(16), 0).Image(0, 0, w, h, pixels, 4, interlaced).Finish();
    };
    Source plain(build(false)), interlaced(build(true));
    Frames a, b;
    ASSERT_TRUE(ReadGIF(plain.map, &a.apgr, &a.n));
    ASSERT_TRUE(ReadGIF(interlaced.map, &b.apgr, &b.n));
    ASSERT_EQ(a.n, 1u);
    ASSERT_EQ(b.n, 1u);
    EXPECT_EQ(a[0].GetDepth(), 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(a[0].GetPixelValue(x, y), pixels[static_cast<std::size_t>(y * w + x)]) << x << "," << y;
            ASSERT_EQ(b[0].GetPixelValue(x, y), a[0].GetPixelValue(x, y)) << x << "," << y;
        }
    EXPECT_EQ(a[0].GetPixel(2, 3), RGB(pixels[3 * w + 2] * 13, pixels[3 * w + 2] * 5 + 1, 255 - pixels[3 * w + 2]));
}

TEST(GifReader, LongCodesAndAFullTableDecode)
{
    // Noise over 256 colours fills the code table several times over.
    const int w = 120, h = 90;
    std::vector<unsigned char> pixels(w * h);
    unsigned state = 99;
    for (auto& p : pixels) {
        state = state * 1103515245u + 12345u;
        p = static_cast<unsigned char>(state >> 16);
    }
    for (int i = 0; i < 500; ++i)
        pixels[static_cast<std::size_t>(i)] = 7; // and a long run
    Source src(GifBuilder("89a", w, h, 7, Table(256), 0).Image(0, 0, w, h, pixels, 8).Finish());
    Frames f;
    ASSERT_TRUE(ReadGIF(src.map, &f.apgr, &f.n));
    EXPECT_EQ(f[0].GetDepth(), 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(f[0].GetPixelValue(x, y), pixels[static_cast<std::size_t>(y * w + x)]) << x << "," << y;
}

TEST(GifReader, VersionEightySevenIsRefusedAndThePositionRestored)
{
    Source src(GifBuilder("87a", 4, 4, 7, Table(4), 0).Image(0, 0, 4, 4, Picture(4, 4, 4), 2).Finish());
    Frames f;
    ZephaneSetLastError(0);
    EXPECT_FALSE(ReadGIF(src.map, &f.apgr, &f.n));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
    EXPECT_EQ(src.map.GetPosition(), 3);
    EXPECT_EQ(f.apgr, nullptr);
    EXPECT_EQ(f.n, 0u);
}

TEST(GifReader, ScreensAndAnimationsLargerThanAnyUseAreRefusedBeforeTheirRoomIsMade)
{
    // A screen over 4096 x 4096 pixels, claimed by a few bytes.
    {
        Source src(GifBuilder("89a", 4097, 4096, 7, Table(4), 0).Image(0, 0, 2, 2, Picture(2, 2, 4), 2).Finish());
        Frames f;
        ZephaneSetLastError(0);
        EXPECT_FALSE(ReadGIF(src.map, &f.apgr, &f.n));
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
        EXPECT_EQ(f.apgr, nullptr);
    }
    // Frames of 4096 x 2048 each: four fit in 32 million pixels, a fifth
    // does not.
    for (int frames : {4, 5}) {
        GifBuilder gif("89a", 4096, 2048, 7, Table(4), 0);
        for (int k = 0; k < frames; ++k)
            gif.Image(0, 0, 2, 2, Picture(2, 2, 4), 2);
        Source src(gif.Finish());
        Frames f;
        ZephaneSetLastError(0);
        EXPECT_EQ(ReadGIF(src.map, &f.apgr, &f.n), frames == 4) << frames;
        if (frames == 5) {
            EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
            EXPECT_EQ(f.apgr, nullptr);
        }
    }
}

TEST(GifReader, AControlBlockMakesEveryLaterImageTransparent)
{
    const auto table = Table(16);
    GifBuilder gif("89a", 10, 8, 3, table, 1);
    gif.Control(true, 6).Comment("three frames").Application();
    for (unsigned k = 0; k < 3; ++k)
        gif.Image(2, 1, 5, 4, Picture(5, 4, 6, k), 4);
    Source src(gif.Finish());
    Frames f;
    ASSERT_TRUE(ReadGIF(src.map, &f.apgr, &f.n));
    ASSERT_EQ(f.n, 3u);
    const COLORREF key = 0x02000000 | RGB(table[6].r, table[6].g, table[6].b);
    for (unsigned k = 0; k < 3; ++k) {
        EXPECT_EQ(f[k].GetTransparentColor(), key) << k;
        EXPECT_EQ(f[k].GetWidth(), 10);
        // Outside the image the frame is filled with the transparent index.
        EXPECT_EQ(f[k].GetPixelValue(0, 0), 6u);
        EXPECT_EQ(f[k].GetPixelValue(9, 7), 6u);
        EXPECT_EQ(f[k].HitTest(0, 0), 0);
        // Frames are not composed: each shows only its own image.
        const auto own = Picture(5, 4, 6, k);
        EXPECT_EQ(f[k].GetPixelValue(2 + 4, 1 + 3), own[3 * 5 + 4]);
        EXPECT_EQ(f[k].GetPixelValue(3, 2), own[1 * 5 + 1]);
    }
}

TEST(GifReader, WithoutTransparencyTheBackgroundFillsAndTheLocalTableIsIgnored)
{
    GifBuilder gif("89a", 6, 6, 7, Table(4), 3);
    gif.Image(1, 1, 2, 2, {0, 1, 2, 0}, 2, false, true);
    Source src(gif.Finish());
    Frames f;
    ASSERT_TRUE(ReadGIF(src.map, &f.apgr, &f.n));
    EXPECT_FALSE(f[0].fTransparent());
    EXPECT_EQ(f[0].GetPixelValue(0, 0), 3u);
    EXPECT_EQ(f[0].GetPixelValue(2, 1), 1u);
    EXPECT_EQ(f[0].GetPixel(1, 2), RGB(26, 11, 253));
}

TEST(GifReader, ColourResolutionChoosesTheDepth)
{
    struct Case {
        unsigned resolution, tableSize, depth;
    } cases[] = {{0, 2, 8}, {1, 2, 1}, {2, 2, 1}, {3, 16, 4}, {4, 2, 8}, {7, 256, 8}, {1, 8, 4}};
    for (const Case& c : cases) {
        const unsigned minSize = c.tableSize <= 4 ? 2 : c.tableSize <= 16 ? 4 : 8;
        Source src(GifBuilder("89a", 3, 2, c.resolution, Table(c.tableSize), 0)
                       .Image(0, 0, 3, 2, Picture(3, 2, c.tableSize), minSize)
                       .Finish());
        Frames f;
        ASSERT_TRUE(ReadGIF(src.map, &f.apgr, &f.n)) << c.resolution;
        EXPECT_EQ(f[0].GetDepth(), c.depth) << c.resolution << " " << c.tableSize;
        EXPECT_EQ(f[0].GetPixelValue(2, 1), Picture(3, 2, c.tableSize)[5]);
    }
}

TEST(GifReader, DamagedFilesFailWholeAndReturnToTheStart)
{
    const Bytes good = GifBuilder("89a", 4, 4, 7, Table(4), 0)
                           .Image(0, 0, 4, 4, Picture(4, 4, 4), 2)
                           .Image(0, 0, 4, 4, Picture(4, 4, 4, 1), 2)
                           .Finish();
    std::vector<Bytes> bad;
    bad.emplace_back(good.begin(), good.end() - 1);                  // no trailer
    bad.emplace_back(good.begin(), good.begin() + 30);               // cut inside the first image
    bad.push_back(GifBuilder("89a", 4, 4, 7, Table(4), 0).Finish()); // no image at all
    bad.push_back(GifBuilder("89a", 4, 4, 7, Table(4), 0).Raw({'!', 0x42, 0}).Image(0, 0, 1, 1, {1}, 2).Finish());
    bad.push_back(GifBuilder("89a", 4, 4, 7, Table(4), 0).Raw({'#'}).Finish());
    // A code that is not yet in the table.
    bad.push_back(GifBuilder("89a", 4, 4, 7, Table(4), 0)
                      .Raw({',', 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 2, 0x74, 0x0F, 0, ';'})
                      .Finish());
    for (std::size_t i = 0; i < bad.size(); ++i) {
        Source src(bad[i]);
        Frames f;
        EXPECT_FALSE(ReadGIF(src.map, &f.apgr, &f.n)) << i;
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT)) << i;
        EXPECT_EQ(src.map.GetPosition(), 3) << i;
    }
}

TEST(GifReader, AGraphicLoadsTheFirstFrameOfAGif)
{
    const auto table = Table(16);
    const auto first = Picture(7, 5, 16);
    Source src(GifBuilder("89a", 7, 5, 3, table, 0)
                   .Control(true, 15)
                   .Image(0, 0, 7, 5, first, 4)
                   .Image(0, 0, 7, 5, Picture(7, 5, 16, 4), 4)
                   .Finish());
    GRAPHIC g(src.map, kNone);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    EXPECT_EQ(g.GetWidth(), 7);
    EXPECT_EQ(g.GetDepth(), 4);
    EXPECT_EQ(g.GetTransparentColor(), 0x02000000 | RGB(table[15].r, table[15].g, table[15].b));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const unsigned v = first[static_cast<std::size_t>(y * 7 + x)];
            ASSERT_EQ(g.GetPixel(x, y), RGB(table[v].r, table[v].g, table[v].b));
        }
}

// ---- AVI ---------------------------------------------------------------------------

namespace {
// Frame bytes of w x h pixels at bytesPerPixel, rows bottom-up and padded to
// four bytes when padRows is set.
Bytes AviFrame(int w, int h, int bytesPerPixel, int seed, bool padRows)
{
    Bytes b;
    const int rowBytes = padRows ? (w * bytesPerPixel + 3) / 4 * 4 : w * bytesPerPixel;
    for (int stored = 0; stored < h; ++stored) {
        const int y = h - 1 - stored;
        Bytes row(static_cast<std::size_t>(rowBytes), 0);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < bytesPerPixel; ++k)
                row[static_cast<std::size_t>(x * bytesPerPixel + k)] =
                    static_cast<unsigned char>(x * 40 + y * 9 + k * 3 + seed);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}
} // namespace

TEST(AviReader, UncompressedFramesAtEachDepth)
{
    for (int bpp : {2, 3, 4}) {
        const int w = 5, h = 3; // 5 pixels leave rows unpadded at 2 and 3 bytes
        Source src(imagefiles::BuildAvi(
            w, h, {{"00db", AviFrame(w, h, bpp, 0, false)}, {"00db", AviFrame(w, h, bpp, 100, false)}}));
        Frames f;
        ASSERT_TRUE(ReadAVI(src.map, &f.apgr, &f.n)) << bpp;
        ASSERT_EQ(f.n, 2u);
        for (unsigned k = 0; k < 2; ++k) {
            EXPECT_EQ(f[k].GetDepth(), bpp * 8);
            EXPECT_EQ(f[k].GetWidth(), w);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const auto* p =
                        bpp == 2 ? nullptr : reinterpret_cast<const unsigned char*>(f[k].GetPixelValue(x, y));
                    const unsigned char expect0 = static_cast<unsigned char>(x * 40 + y * 9 + k * 100);
                    if (bpp == 2)
                        ASSERT_EQ(f[k].GetPixelValue(x, y) & 0xFF, expect0);
                    else
                        ASSERT_EQ(p[0], expect0);
                }
            EXPECT_EQ(f[k].GetTransparentColor(), f[k].GetPixel(0, 0));
        }
    }
}

TEST(AviReader, RowsStoredWithPaddingAreAcceptedToo)
{
    Source src(imagefiles::BuildAvi(5, 2, {{"00db", AviFrame(5, 2, 3, 1, true)}}));
    Frames f;
    ASSERT_TRUE(ReadAVI(src.map, &f.apgr, &f.n));
    const auto* p = reinterpret_cast<const unsigned char*>(f[0].GetPixelValue(4, 1));
    EXPECT_EQ(p[2], static_cast<unsigned char>(4 * 40 + 9 + 6 + 1));
}

TEST(AviReader, CompressedFramesAreRefused)
{
    Bytes squeezed(17, 0x5A);
    for (const auto& frames : {std::vector<std::pair<std::string, Bytes>>{{"00dc", AviFrame(4, 4, 3, 0, false)}},
                               std::vector<std::pair<std::string, Bytes>>{{"00db", squeezed}}}) {
        Source src(imagefiles::BuildAvi(4, 4, frames));
        Frames f;
        EXPECT_FALSE(ReadAVI(src.map, &f.apgr, &f.n));
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
        EXPECT_EQ(src.map.GetPosition(), 3);
    }
    // Frames before a compressed one are kept.
    Source mixed(imagefiles::BuildAvi(4, 4, {{"00db", AviFrame(4, 4, 4, 0, false)}, {"00dc", squeezed}}));
    Frames f;
    ASSERT_TRUE(ReadAVI(mixed.map, &f.apgr, &f.n));
    EXPECT_EQ(f.n, 1u);
}

TEST(AviReader, FilesThatAreNotAviFail)
{
    Bytes good = imagefiles::BuildAvi(4, 4, {{"00db", AviFrame(4, 4, 4, 0, false)}});
    Bytes wave = good;
    wave[8] = 'W'; // "WVI ": another form
    Bytes zeroSize = good;
    zeroSize[12 + 12 + 8 + 32] = 0; // the main header's width
    Bytes cut(good.begin(), good.end() - 10);
    for (const Bytes& b : {wave, zeroSize, cut}) {
        Source src(b);
        Frames f;
        EXPECT_FALSE(ReadAVI(src.map, &f.apgr, &f.n));
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_BAD_FORMAT));
        EXPECT_EQ(src.map.GetPosition(), 3);
    }
}
