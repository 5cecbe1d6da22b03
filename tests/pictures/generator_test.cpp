// The picture generator: the same bytes on every run, the same as the
// pictures the program carries, and its palette and bitmap writing.
#include "picture_reader.h"

#include "tools/pictures/canvas.h"
#include "tools/pictures/pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

namespace {

// The bytes of a file of the source tree.
std::string SourceFile(const std::string& path)
{
    std::ifstream in(std::string(VARNO_SOURCE_DIR) + "/" + path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Big32(const std::string& s, std::size_t at)
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

TEST(DesktopIcons, TheInstalledIconsAreWhatTheGeneratorDrawsAtEverySize)
{
    std::string appId = SourceFile("dist/app-id");
    appId.erase(appId.find_last_not_of("\n") + 1);
    ASSERT_FALSE(appId.empty());
    const auto icons = pictures::MakeDesktopIcons(appId);
    ASSERT_EQ(icons.size(), std::size(pictures::kDesktopIconSizes));
    for (std::size_t i = 0; i < icons.size(); ++i) {
        const int size = pictures::kDesktopIconSizes[i];
        const std::string& png = icons[i].bytes;
        SCOPED_TRACE(icons[i].path);
        EXPECT_EQ(icons[i].path,
                  "hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/" + appId + ".png");
        // A changed generator shows here: run tools/make_pictures.sh.
        EXPECT_TRUE(SourceFile("dist/icons/" + icons[i].path) == png) << "the committed icon differs";

        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ(png.substr(12, 4), "IHDR");
        EXPECT_EQ(Big32(png, 16), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Big32(png, 20), static_cast<std::uint32_t>(size));
        EXPECT_EQ(png[24], 8) << "8 bits a channel";
        EXPECT_EQ(png[25], 6) << "RGBA";
        EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");

        // Stored blocks: the rows can be read straight out of the data. The
        // corners are transparent, the middle of the cube opaque, as in the
        // program's own icon.
        const std::size_t data = 33 + 8 + 2; // IDAT length and type, zlib header
        const std::size_t row = static_cast<std::size_t>(size) * 4 + 1;
        const auto alpha = [&](int x, int y) {
            std::size_t offset = static_cast<std::size_t>(y) * row + 1 + static_cast<std::size_t>(x) * 4 + 3;
            // Each stored block of 65535 bytes has a 5-byte header.
            offset += 5 * (offset / 65535 + 1);
            return static_cast<unsigned char>(png[data + offset]);
        };
        EXPECT_EQ(alpha(0, 0), 0);
        EXPECT_EQ(alpha(size - 1, 0), 0);
        EXPECT_EQ(alpha(size / 2, size / 2), 255);
    }
}

} // namespace
