#include "anim/cutsheet.h"
#include "anim/filemap.h"
#include "anim/graphic.h"
#include "anim/lasterror.h"
#include "imagefiles.h"
#include "platform/base/syserror.h"
#include "platform/files/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using imagefiles::Bytes;
using imagefiles::GifBuilder;
using imagefiles::Put16;
using imagefiles::Put32;
using imagefiles::Rgb;

namespace {
constexpr unsigned long kNone = 0xFFFFFFFFul;

std::vector<Rgb> Table16()
{
    std::vector<Rgb> t;
    for (unsigned i = 0; i < 16; ++i)
        t.push_back(Rgb{static_cast<unsigned char>(i * 16), static_cast<unsigned char>(255 - i * 16),
                        static_cast<unsigned char>(i * 7)});
    return t;
}

// A GIF of n frames of w x h; frame k is filled with colour index k % 16,
// with a one-pixel border of index 15.
Bytes Animation(int n, int w, int h)
{
    GifBuilder gif("89a", w, h, 3, Table16(), 0);
    for (int k = 0; k < n; ++k) {
        std::vector<unsigned char> pixels(static_cast<std::size_t>(w * h), static_cast<unsigned char>(k % 15));
        for (int x = 0; x < w; ++x)
            pixels[static_cast<std::size_t>(x)] = 15;
        gif.Image(0, 0, w, h, pixels, 4);
    }
    return gif.Finish();
}

struct MemoryFile {
    explicit MemoryFile(Bytes b) : bytes(std::move(b)) { map.Open(bytes.data(), static_cast<unsigned>(bytes.size())); }
    Bytes bytes;
    FILEMAP map;
};

RECT Rect(long l, long t, long r, long b)
{
    return RECT{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)};
}

// A sheet of w x h at 8 bits whose pixel (x, y) has index (x + y) % 200.
GRAPHIC* Sheet(long w, long h)
{
    RGBQUAD table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
    auto* g = new GRAPHIC(w, h, 8, table, kNone);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            g->SetPixelValue(x, y, static_cast<unsigned long>((x + y) % 200), 0);
    return g;
}

// A cut-sheet file of the previous version, laid out by hand: an embedded
// bitmap and the given records (rect, colour, collision flag, data, exists).
Bytes PreviousVersionFile(const std::vector<std::vector<std::uint32_t>>& records, bool trailer)
{
    Bytes b;
    imagefiles::PutText(b, "CS");
    Bytes name(260, 0);
    std::memcpy(name.data(), "sheet.bmp", 9);
    b.insert(b.end(), name.begin(), name.end());
    Put16(b, static_cast<unsigned>(records.size()));
    Put16(b, 0xDBDB);
    imagefiles::BitmapLayout layout;
    layout.width = 32;
    layout.height = 16;
    layout.depth = 24;
    const Bytes bmp = imagefiles::BuildBitmap(layout, [](int x, int y) { return static_cast<std::uint32_t>(x * 8 << 16 | y * 16); });
    b.insert(b.end(), bmp.begin(), bmp.end());
    for (const auto& r : records)
        for (std::uint32_t v : r)
            Put32(b, v);
    if (trailer)
        imagefiles::PutText(b, "SC");
    return b;
}

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string("cutsheet_test_") + name)).string();
}
}  // namespace

// ---- animations laid out on a sheet --------------------------------------------------

TEST(CutSheetAnimation, TwelveSmallFramesFillEightColumnsOfTwoRows)
{
    MemoryFile gif(Animation(12, 40, 30));
    CUTSHEET sheet(gif.map, nullptr);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    GRAPHIC* g = sheet.GetGraphic();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->GetWidth(), 320);
    EXPECT_EQ(g->GetHeight(), 60);
    EXPECT_EQ(sheet.FindCutImage(-1), 0);
    long count = 0;
    for (long i = sheet.FindCutImage(-1); i >= 0; i = sheet.FindCutImage(i))
        ++count;
    EXPECT_EQ(count, 12);
    RECT rc{};
    ASSERT_TRUE(sheet.GetCutImageRect(9, &rc));
    EXPECT_EQ(rc.left, 40);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right, 80);
    EXPECT_EQ(rc.bottom, 60);
    // Each image's data is its frame number, and its pixels are its frame's.
    EXPECT_EQ(sheet.GetCutImageData(9), 9);
    GRAPHIC* nine = sheet.GetCutImageGraphic(9);
    ASSERT_NE(nine, nullptr);
    EXPECT_EQ(nine->GetWidth(), 40);
    EXPECT_EQ(nine->GetPixelValue(5, 10), 9u);
    EXPECT_EQ(nine->GetPixelValue(5, 0), 15u);
    EXPECT_EQ(g->GetPixelValue(45, 40), 9u);
    EXPECT_EQ(g->GetPixelValue(5, 5), 0u);
    EXPECT_EQ(sheet.FindCutImageByData(11, -1), 11);
    EXPECT_EQ(sheet.FindCutImageByData(11, 11), -1);
}

TEST(CutSheetAnimation, WideFramesTakeAsManyColumnsAsFitThreeHundredAndTwentyPixels)
{
    MemoryFile gif(Animation(3, 200, 100));
    CUTSHEET sheet(gif.map, nullptr);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    ASSERT_NE(sheet.GetGraphic(), nullptr);
    EXPECT_EQ(sheet.GetGraphic()->GetWidth(), 400);
    EXPECT_EQ(sheet.GetGraphic()->GetHeight(), 200);
    RECT rc{};
    ASSERT_TRUE(sheet.GetCutImageRect(2, &rc));
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 100);
    EXPECT_EQ(rc.right, 200);
    EXPECT_EQ(rc.bottom, 200);
    EXPECT_FALSE(sheet.fIsValidCutImage(3));
}

TEST(CutSheetAnimation, AnAnimationWhoseSheetWouldPassFourMillionPixelsIsRefused)
{
    // A few bytes claim two frames of 2048 x 1025: laid out they would make
    // a sheet just over 2048 x 2048 pixels.
    GifBuilder gif("89a", 2048, 1025, 3, Table16(), 0);
    for (int k = 0; k < 2; ++k)
        gif.Image(0, 0, 4, 3, std::vector<unsigned char>(12, static_cast<unsigned char>(k)), 4);
    MemoryFile file(gif.Finish());
    CUTSHEET sheet(file.map, nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errBadCutSheet);
    EXPECT_EQ(sheet.GetGraphic(), nullptr);
    EXPECT_FALSE(sheet.fIsValidCutImage(0));
}

TEST(CutSheetAnimation, ASingleFrameMakesOneColumn)
{
    MemoryFile gif(Animation(1, 10, 10));
    CUTSHEET sheet(gif.map, nullptr);
    ASSERT_NE(sheet.GetGraphic(), nullptr);
    EXPECT_EQ(sheet.GetGraphic()->GetWidth(), 10);
    EXPECT_EQ(sheet.FindCutImage(0), -1);
}

// ---- the cut-sheet file ---------------------------------------------------------------

TEST(CutSheetFile, SavedAndLoadedBackTheRecordsAreAlike)
{
    CUTSHEET sheet;
    ASSERT_TRUE(sheet.SetGraphic(Sheet(64, 32)));
    sheet.SetBitmapName("Esperanto ĉapelo.bmp");
    EXPECT_EQ(sheet.CreateCutImage(Rect(0, 0, 16, 16), RGB(1, 2, 3), 100), 0);
    EXPECT_EQ(sheet.CreateCutImage(Rect(16, 0, 32, 16), kNone, -7), 1);
    EXPECT_EQ(sheet.CreateCutImage(Rect(32, 8, 64, 32), RGB(0, 255, 0), 300), 2);
    ASSERT_TRUE(sheet.GetCutImageGraphic(2)->SetCollisionMesh(1 | 4, 0, 0));
    ASSERT_TRUE(sheet.FreeCutImage(1));

    Bytes bytes(64 * 1024);
    FILEMAP out;
    out.Open(bytes.data(), static_cast<unsigned>(bytes.size()));
    ASSERT_TRUE(sheet.Save(out));
    const long size = out.GetPosition();
    EXPECT_EQ(bytes[0], 'D');
    EXPECT_EQ(bytes[1], 'S');
    EXPECT_EQ(bytes[static_cast<std::size_t>(size) - 2], 'S');
    EXPECT_EQ(bytes[static_cast<std::size_t>(size) - 1], 'C');

    FILEMAP in;
    in.Open(bytes.data(), static_cast<unsigned>(size));
    CUTSHEET back(in, nullptr);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    char name[CUTSHEET::cchBitmapName];
    back.GetBitmapName(name);
    EXPECT_STREQ(name, "Esperanto ĉapelo.bmp");
    EXPECT_EQ(back.GetCutImageCount(), 3);
    EXPECT_TRUE(back.fIsValidCutImage(0));
    EXPECT_FALSE(back.fIsValidCutImage(1)); // freed stays free
    EXPECT_TRUE(back.fIsValidCutImage(2));
    RECT rc{};
    back.GetCutImageRect(2, &rc);
    EXPECT_EQ(rc.left, 32);
    EXPECT_EQ(rc.top, 8);
    EXPECT_EQ(rc.right, 64);
    EXPECT_EQ(rc.bottom, 32);
    EXPECT_EQ(back.GetCutImageData(0), 100);
    EXPECT_EQ(back.GetCutImageData(2), 300);
    EXPECT_EQ(back.GetCutImageTransparentColor(0), RGB(1, 2, 3));
    EXPECT_EQ(back.GetCutImageTransparentColor(2), RGB(0, 255, 0));
    EXPECT_EQ(back.GetCutImageGraphic(2)->GetCollisionMesh(), 5ul);
    EXPECT_EQ(back.GetCutImageGraphic(0)->GetCollisionMesh(), 0ul);
    for (long y = 0; y < 32; ++y)
        for (long x = 0; x < 64; ++x)
            ASSERT_EQ(back.GetGraphic()->GetPixelValue(x, y), static_cast<unsigned long>((x + y) % 200));
    // A new image takes the free slot.
    EXPECT_EQ(back.CreateCutImage(Rect(0, 16, 8, 24), kNone, 5), 1);
}

TEST(CutSheetFile, SavingToAPathReplacesTheFileInOneStep)
{
    const std::string path = TempPath("replace.cut");
    ASSERT_TRUE(files::WriteFileAtomically(path, std::string("old contents")));
    CUTSHEET sheet;
    ASSERT_TRUE(sheet.SetGraphic(Sheet(8, 8)));
    sheet.CreateCutImage(Rect(0, 0, 4, 4), kNone, 1);
    ASSERT_TRUE(sheet.Save(path.c_str()));
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("cutsheet_test_replace.cut", 0) == 0) {
            EXPECT_EQ(name, "cutsheet_test_replace.cut"); // no temporary file left behind
        }
    }
    CUTSHEET back(path.c_str(), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), 0);
    EXPECT_TRUE(back.fIsValidCutImage(0));
    std::filesystem::remove(path);

    // Nothing to save leaves an existing file alone.
    ASSERT_TRUE(files::WriteFileAtomically(path, std::string("keep")));
    CUTSHEET empty;
    EXPECT_FALSE(empty.Save(path.c_str()));
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
    std::string kept;
    ASSERT_TRUE(files::ReadWholeFile(path, kept));
    EXPECT_EQ(kept, "keep");
    std::filesystem::remove(path);
}

TEST(CutSheetFile, APreviousVersionCollisionFlagGivesCoarseAndPixelMeshes)
{
    MemoryFile file(PreviousVersionFile({{0, 0, 8, 8, 0xFFFFFFFF, 1, 42, 1}, {8, 0, 16, 8, 0xFFFFFFFF, 0, 43, 1}}, true));
    CUTSHEET sheet(file.map, nullptr);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    char name[CUTSHEET::cchBitmapName];
    sheet.GetBitmapName(name);
    EXPECT_STREQ(name, "sheet.bmp");
    ASSERT_TRUE(sheet.fIsValidCutImage(0));
    EXPECT_EQ(sheet.GetCutImageGraphic(0)->GetCollisionMesh(), 5ul);
    EXPECT_EQ(sheet.GetCutImageGraphic(1)->GetCollisionMesh(), 0ul);
    EXPECT_EQ(sheet.GetCutImageData(0), 42);
    EXPECT_EQ(sheet.GetCutImageData(1), 43);
}

TEST(CutSheetFile, AMissingTrailerFailsAndLeavesThePositionWhereLoadingBegan)
{
    Bytes bytes{0x11, 0x22};
    const Bytes body = PreviousVersionFile({{0, 0, 8, 8, 0xFFFFFFFF, 0, 1, 1}}, false);
    bytes.insert(bytes.end(), body.begin(), body.end());
    FILEMAP f;
    f.Open(bytes.data(), static_cast<unsigned>(bytes.size()));
    f.Seek(2, 0);
    CUTSHEET sheet;
    EXPECT_FALSE(sheet.Load(f, nullptr));
    EXPECT_EQ(ZephaneGetLastError(), errBadCutSheet);
    EXPECT_EQ(f.GetPosition(), 2);
    EXPECT_EQ(sheet.GetGraphic(), nullptr);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
    EXPECT_FALSE(sheet.fIsValidCutImage(0));
}

TEST(CutSheetFile, DamagedHeadersAreRefused)
{
    // An unknown signature, a short file, an unknown bitmap marker, and a
    // record count larger than the file.
    Bytes unknown{'X', 'Y', 0, 0};
    Bytes shortFile{'D'};
    Bytes marker = PreviousVersionFile({}, true);
    marker[2 + 260 + 2] = 0x12;
    Bytes count = PreviousVersionFile({{0, 0, 8, 8, 0xFFFFFFFF, 0, 1, 1}}, true);
    count[2 + 260] = 0xFF;
    count[2 + 260 + 1] = 0x7F;
    for (Bytes* b : {&unknown, &shortFile, &marker, &count}) {
        FILEMAP f;
        f.Open(b->data(), static_cast<unsigned>(b->size()));
        CUTSHEET sheet;
        EXPECT_FALSE(sheet.Load(f, nullptr));
        EXPECT_EQ(ZephaneGetLastError(), errBadCutSheet);
        EXPECT_EQ(f.GetPosition(), 0);
        EXPECT_EQ(sheet.GetCutImageCount(), 0);
    }
}

TEST(CutSheetFile, APlainBitmapBecomesASheetWithoutImages)
{
    imagefiles::BitmapLayout layout;
    layout.width = 5;
    layout.height = 3;
    layout.depth = 24;
    MemoryFile bmp(imagefiles::BuildBitmap(layout, [](int x, int) { return static_cast<std::uint32_t>(x * 40); }));
    CUTSHEET sheet(bmp.map, nullptr);
    ASSERT_EQ(ZephaneGetLastError(), 0);
    ASSERT_NE(sheet.GetGraphic(), nullptr);
    EXPECT_EQ(sheet.GetGraphic()->GetWidth(), 5);
    EXPECT_EQ(sheet.FindCutImage(-1), -1);
    EXPECT_FALSE(sheet.GetGraphic()->fTransparent());
}

// ---- cut images ------------------------------------------------------------------------

TEST(CutSheetImages, InvalidIndexesFailWithInvalidParameter)
{
    CUTSHEET sheet;
    EXPECT_EQ(sheet.CreateCutImage(Rect(0, 0, 1, 1), kNone, 0), -1);
    EXPECT_EQ(ZephaneGetLastError(), errEmptyGraphic);
    EXPECT_FALSE(sheet.SetGraphic(nullptr));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(sheet.SetGraphic(Sheet(16, 16)));
    const long i = sheet.CreateCutImage(Rect(2, 2, 6, 6), kNone, 9);
    ASSERT_EQ(i, 0);
    for (long bad : {-1L, 1L, 1000L}) {
        ZephaneSetLastError(0);
        EXPECT_EQ(sheet.GetCutImageData(bad), 0);
        EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(sheet.GetCutImageGraphic(bad), nullptr);
        EXPECT_EQ(sheet.GetCutImageTransparentColor(bad), 0xFFFFFFFFul);
        EXPECT_FALSE(sheet.SetCutImageData(bad, 1));
        EXPECT_FALSE(sheet.FreeCutImage(bad));
    }
    EXPECT_TRUE(sheet.GetCutImageRect(0, nullptr));
}

TEST(CutSheetImages, ChangingTheRectOrTheSheetRebuildsTheImagesAndKeepsTheirMeshes)
{
    CUTSHEET sheet;
    ASSERT_TRUE(sheet.SetGraphic(Sheet(32, 32)));
    const long i = sheet.CreateCutImage(Rect(0, 0, 8, 8), kNone, 1);
    ASSERT_TRUE(sheet.GetCutImageGraphic(i)->SetCollisionMesh(2, 0, 0));
    RECT moved = Rect(10, 4, 20, 10);
    ASSERT_TRUE(sheet.SetCutImageRect(i, &moved));
    GRAPHIC* g = sheet.GetCutImageGraphic(i);
    EXPECT_EQ(g->GetWidth(), 10);
    EXPECT_EQ(g->GetPixelValue(0, 0), 14u);
    EXPECT_EQ(g->GetCollisionMesh(), 2ul);
    ASSERT_TRUE(sheet.SetCutImageTransparentColor(i, RGB(9, 9, 9)));
    EXPECT_EQ(sheet.GetCutImageGraphic(i)->GetTransparentColor(), RGB(9, 9, 9));

    GRAPHIC* other = Sheet(40, 40);
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 40; ++x)
            other->SetPixelValue(x, y, 77, 0);
    ASSERT_TRUE(sheet.SetGraphic(other));
    EXPECT_EQ(sheet.GetGraphic(), other);
    g = sheet.GetCutImageGraphic(i);
    EXPECT_EQ(g->GetParent(), other);
    EXPECT_EQ(g->GetPixelValue(0, 0), 77u);
    EXPECT_EQ(g->GetCollisionMesh(), 2ul);
    EXPECT_EQ(g->GetTransparentColor(), RGB(9, 9, 9));
}
