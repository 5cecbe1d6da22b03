// The picture generator: the same bytes on every run, the same as the
// pictures the program carries, and its palette and bitmap writing.
#include "picture_reader.h"

#include "tools/pictures/canvas.h"
#include "tools/pictures/pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using picture_test::Dib;

namespace {

TEST(PictureGenerator, DrawsTheSameBytesEveryTime)
{
    const auto first = pictures::MakeAllPictures();
    const auto second = pictures::MakeAllPictures();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].path, second[i].path);
        EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].path;
    }
}

TEST(PictureGenerator, TheProgramCarriesWhatTheGeneratorDraws)
{
    // A picture changed in the generator but not regenerated (or edited by
    // hand) shows here: run tools/make_pictures.sh.
    std::set<std::string> paths;
    for (const pictures::PictureFile& file : pictures::MakeAllPictures()) {
        SCOPED_TRACE(file.path);
        paths.insert(file.path);
        const bool bitmap = file.path.rfind("bitmap/", 0) == 0;
        const int id = std::atoi(file.path.substr(file.path.find('/') + 1).c_str());
        const std::string carried = picture_test::ResourceBytes(bitmap ? RT_BITMAP : RT_GROUP_ICON, id);
        // Bitmap resources are the file without its 14-byte file header.
        const std::string drawn = bitmap ? file.bytes.substr(14) : file.bytes;
        EXPECT_TRUE(carried == drawn) << "the resource differs from the generator's picture";
    }
    std::set<std::string> expected{"icon/103.ico"};
    for (int id = 104; id <= 121; ++id)
        expected.insert("bitmap/" + std::to_string(id) + ".bmp");
    EXPECT_EQ(paths, expected);
}

TEST(PictureGenerator, FewColoursAreKeptExactlyAndManyAreCutToAPaletteNearThem)
{
    pictures::Canvas few(4, 2, {10, 20, 30});
    few.At(1, 0) = {255, 255, 255};
    few.At(3, 1) = {0.4, 99.6, 200.2};
    const pictures::Indexed exact = pictures::Quantise(few);
    EXPECT_EQ(exact.palette.size(), 3u);
    EXPECT_EQ(exact.ColourAt(0, 0), 0x0A141Eu);
    EXPECT_EQ(exact.ColourAt(1, 0), 0xFFFFFFu);
    EXPECT_EQ(exact.ColourAt(3, 1), 0x0064C8u);

    // 64 x 64 distinct colours: a palette of 256 that stays close to each.
    pictures::Canvas many(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            many.At(x, y) = {x * 4.0, y * 4.0, (x + y) * 2.0};
    const pictures::Indexed cut = pictures::Quantise(many);
    EXPECT_EQ(cut.palette.size(), 256u);
    int worst = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t c = cut.ColourAt(x, y);
            const int dr = static_cast<int>(c >> 16) - x * 4, dg = static_cast<int>((c >> 8) & 0xFF) - y * 4,
                      db = static_cast<int>(c & 0xFF) - (x + y) * 2;
            worst = std::max({worst, std::abs(dr), std::abs(dg), std::abs(db)});
        }
    }
    EXPECT_LE(worst, 24);
}

TEST(PictureGenerator, BitmapRowsArePaddedAndStoredFromTheBottomUp)
{
    pictures::Canvas c(5, 3, {0, 0, 255});
    c.At(0, 0) = {255, 0, 0}; // top left
    c.At(4, 2) = {0, 255, 0}; // bottom right
    const std::string file = pictures::EncodeBmp(pictures::Quantise(c));
    ASSERT_GT(file.size(), 14u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(picture_test::U32(file, 2), file.size());
    EXPECT_EQ(picture_test::U32(file, 10), 14u + 40 + 1024) << "pixels right after the colour table";
    const Dib dib(file.substr(14));
    ASSERT_EQ(dib.error, "");
    EXPECT_EQ(dib.rowSize, 8u);
    EXPECT_EQ(dib.At(0, 0), (picture_test::Colour{255, 0, 0}));
    EXPECT_EQ(dib.At(4, 2), (picture_test::Colour{0, 255, 0}));
    EXPECT_EQ(dib.At(2, 1), (picture_test::Colour{0, 0, 255}));
    // The first stored row is the bottom one.
    EXPECT_EQ(dib.Index(4, 2), static_cast<unsigned char>(file[14 + 40 + 1024 + 4]));
}

TEST(PictureGenerator, ShapesAreFilledInProportionToTheirCover)
{
    pictures::Canvas c(4, 1, {0, 0, 0});
    // The left half of pixel 1 and all of pixel 2.
    c.Fill([](double x, double) { return x >= 1.5 && x < 3; }, pictures::Rgb{200, 100, 40});
    EXPECT_DOUBLE_EQ(c.At(0, 0).r, 0);
    EXPECT_DOUBLE_EQ(c.At(1, 0).r, 100);
    EXPECT_DOUBLE_EQ(c.At(2, 0).g, 100);
    EXPECT_DOUBLE_EQ(c.At(3, 0).b, 0);
    EXPECT_TRUE(pictures::InPolygon({{0, 0}, {4, 0}, {0, 4}}, 1, 1));
    EXPECT_FALSE(pictures::InPolygon({{0, 0}, {4, 0}, {0, 4}}, 3, 3));
    EXPECT_DOUBLE_EQ(pictures::SegmentDistance(7, 4, 0, 0, 4, 0), 5.0); // past the end
    EXPECT_DOUBLE_EQ(pictures::SegmentDistance(2, -3, 0, 0, 4, 0), 3.0);
}

} // namespace
