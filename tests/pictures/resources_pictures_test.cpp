// The pictures the program carries as resources: their sizes and format,
// the cube textures' average colours and patterns, the transparent white of
// the size arrows, the flags and the icon.
#include "picture_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

using picture_test::BitmapResource;
using picture_test::Colour;
using picture_test::Dib;

namespace {

struct Expected {
    int id, width, height;
};

// The colour that stands in for each cube texture where textures are off.
const std::map<int, Colour> kCubeColours = {
    {104, {137, 235, 255}}, // Blue
    {105, {162, 109, 124}}, // Red
    {106, {150, 163, 181}}, // Gray
    {107, {70, 70, 100}},   // Black
    {108, {136, 201, 163}}, // Green
};

double Luminance(const Colour& c)
{
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

bool IsWhite(const Colour& c)
{
    return c == Colour{255, 255, 255};
}

TEST(PictureResources, EveryBitmapIsAnEightBitPaletteBitmapOfItsSize)
{
    std::vector<Expected> expected;
    for (int id = 104; id <= 109; ++id)
        expected.push_back({id, 256, 256});
    for (int id = 110; id <= 115; ++id)
        expected.push_back({id, 128, 128});
    expected.push_back({116, 36, 20});
    expected.push_back({117, 36, 20});
    expected.push_back({118, 20, 36});
    expected.push_back({119, 20, 36});
    expected.push_back({120, 48, 32});
    expected.push_back({121, 48, 32});
    for (const Expected& e : expected) {
        SCOPED_TRACE("bitmap " + std::to_string(e.id));
        const Dib dib = BitmapResource(e.id);
        ASSERT_FALSE(dib.data.empty()) << "missing";
        EXPECT_EQ(dib.error, "");
        EXPECT_EQ(dib.width, e.width);
        EXPECT_EQ(dib.height, e.height);
        EXPECT_EQ(dib.bits, 8);
    }
    // Nothing in the other language: the textures are loaded in English.
    EXPECT_EQ(FindResourceExA(nullptr, RT_BITMAP, MAKEINTRESOURCEA(104), 0), nullptr);
}

TEST(PictureResources, CubeTexturesAverageToTheirKindsColours)
{
    for (const auto& [id, colour] : kCubeColours) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        const Dib dib = BitmapResource(id);
        ASSERT_EQ(dib.error, "");
        double r = 0, g = 0, b = 0;
        for (int y = 0; y < dib.height; ++y) {
            for (int x = 0; x < dib.width; ++x) {
                const Colour c = dib.At(x, y);
                r += c.r;
                g += c.g;
                b += c.b;
            }
        }
        const double n = static_cast<double>(dib.width) * dib.height;
        EXPECT_NEAR(r / n, colour.r, 1.0);
        EXPECT_NEAR(g / n, colour.g, 1.0);
        EXPECT_NEAR(b / n, colour.b, 1.0);
    }
}

// The brightness of the face inside its rim, as deviations from its mean in
// units of its spread.
std::vector<double> Pattern(const Dib& dib, double& spread)
{
    std::vector<double> v;
    for (int y = 24; y < dib.height - 24; ++y)
        for (int x = 24; x < dib.width - 24; ++x)
            v.push_back(Luminance(dib.At(x, y)));
    double mean = 0;
    for (double l : v)
        mean += l;
    mean /= static_cast<double>(v.size());
    double var = 0;
    for (double l : v)
        var += (l - mean) * (l - mean);
    spread = std::sqrt(var / static_cast<double>(v.size()));
    for (double& l : v)
        l = (l - mean) / spread;
    return v;
}

TEST(PictureResources, EachCubeKindCarriesAPatternOfItsOwn)
{
    // Players who cannot tell the colours apart tell the kinds by their
    // patterns: each face shows clear contrast, and no two faces share the
    // same pattern of light and dark.
    std::map<int, std::vector<double>> patterns;
    for (const auto& [id, colour] : kCubeColours) {
        double spread = 0;
        patterns[id] = Pattern(BitmapResource(id), spread);
        EXPECT_GT(spread, 10.0) << "bitmap " << id << " is nearly flat";
    }
    for (auto a = patterns.begin(); a != patterns.end(); ++a) {
        for (auto b = std::next(a); b != patterns.end(); ++b) {
            double correlation = 0;
            for (std::size_t i = 0; i < a->second.size(); ++i)
                correlation += a->second[i] * b->second[i];
            correlation /= static_cast<double>(a->second.size());
            EXPECT_LT(std::abs(correlation), 0.5) << "bitmaps " << a->first << " and " << b->first;
        }
    }
}

// The number of arrow (not white) pixels in a row or a column.
int Opaque(const Dib& dib, bool row, int at)
{
    int n = 0;
    const int length = row ? dib.width : dib.height;
    for (int i = 0; i < length; ++i)
        n += IsWhite(row ? dib.At(i, at) : dib.At(at, i)) ? 0 : 1;
    return n;
}

TEST(PictureResources, SizeArrowsStandOnTransparentWhiteAndPointTheirWay)
{
    // 116 width smaller (left), 117 width larger (right), 118 length smaller
    // (up), 119 length larger (down).
    struct Arrow {
        int id;
        bool horizontal, towardsEnd;
    };
    for (const Arrow a : {Arrow{116, true, false}, Arrow{117, true, true}, Arrow{118, false, false},
                          Arrow{119, false, true}}) {
        SCOPED_TRACE("bitmap " + std::to_string(a.id));
        const Dib dib = BitmapResource(a.id);
        ASSERT_EQ(dib.error, "");
        for (const auto& [x, y] : {std::pair{0, 0}, {dib.width - 1, 0}, {0, dib.height - 1},
                                   {dib.width - 1, dib.height - 1}})
            EXPECT_TRUE(IsWhite(dib.At(x, y))) << "corner " << x << "," << y;
        EXPECT_FALSE(IsWhite(dib.At(dib.width / 2, dib.height / 2)));
        // Hard edges: no pale pixel that would show as a fringe once the
        // white is left out.
        for (int y = 0; y < dib.height; ++y) {
            for (int x = 0; x < dib.width; ++x) {
                if (!IsWhite(dib.At(x, y))) {
                    ASSERT_LT(Luminance(dib.At(x, y)), 180) << x << "," << y;
                }
            }
        }
        // The head, the widest part, lies in the half the arrow points to.
        const int length = a.horizontal ? dib.width : dib.height;
        int widest = 0, widestAt = 0;
        for (int i = 0; i < length; ++i) {
            const int n = Opaque(dib, !a.horizontal, i);
            if (n > widest) {
                widest = n;
                widestAt = i;
            }
        }
        EXPECT_EQ(widestAt >= length / 2, a.towardsEnd) << "widest at " << widestAt;
        const int tipSide = a.towardsEnd ? length - 3 : 2;
        EXPECT_GT(Opaque(dib, !a.horizontal, tipSide), 0) << "the tip reaches the edge";
    }
}

bool IsGreen(const Colour& c)
{
    return c.g > 120 && c.r < 60 && c.b < 60;
}
bool IsRed(const Colour& c)
{
    return c.r > 150 && c.g < 90 && c.b < 100;
}
bool IsBlue(const Colour& c)
{
    return c.b > 80 && c.r < 40 && c.g < 60;
}
bool IsNearWhite(const Colour& c)
{
    return c.r > 215 && c.g > 215 && c.b > 215;
}

TEST(PictureResources, GreenFlagHasAWhiteCantonWithAGreenStar)
{
    const Dib dib = BitmapResource(120);
    ASSERT_EQ(dib.error, "");
    EXPECT_TRUE(IsNearWhite(dib.At(1, 1)));
    EXPECT_TRUE(IsNearWhite(dib.At(14, 14)));
    EXPECT_TRUE(IsGreen(dib.At(8, 8))) << "the star's middle";
    EXPECT_TRUE(IsGreen(dib.At(8, 4))) << "its upper point";
    EXPECT_TRUE(IsNearWhite(dib.At(4, 4))) << "between its points";
    EXPECT_TRUE(IsGreen(dib.At(20, 2)));
    EXPECT_TRUE(IsGreen(dib.At(2, 20)));
    EXPECT_TRUE(IsGreen(dib.At(47, 31)));
}

TEST(PictureResources, UnionFlagHasItsCrossesAndCounterchangedDiagonals)
{
    const Dib dib = BitmapResource(121);
    ASSERT_EQ(dib.error, "");
    EXPECT_TRUE(IsRed(dib.At(24, 16)));
    EXPECT_TRUE(IsRed(dib.At(24, 1)));
    EXPECT_TRUE(IsRed(dib.At(1, 16)));
    EXPECT_TRUE(IsNearWhite(dib.At(19, 2))) << "the white edge of the upright";
    EXPECT_TRUE(IsBlue(dib.At(14, 1)));
    EXPECT_TRUE(IsBlue(dib.At(1, 7)));
    EXPECT_TRUE(IsBlue(dib.At(46, 26)));
    // Along each diagonal the red lies on one side of the middle line:
    // below it at the hoist (left), above it at the fly (right), so that the
    // broad white is uppermost at the hoist.
    const double cx = 24, cy = 16;
    struct Quarter {
        double cornerX, cornerY;
        bool redBelow;
    };
    for (const Quarter q : {Quarter{0, 0, true}, Quarter{0, 32, true}, Quarter{48, 0, false}, Quarter{48, 32, false}}) {
        SCOPED_TRACE("corner " + std::to_string(q.cornerX) + "," + std::to_string(q.cornerY));
        const double dx = q.cornerX - cx, dy = q.cornerY - cy, length = std::hypot(dx, dy);
        // A point on the diagonal, and the unit step across it downwards.
        const double px = cx + dx * 0.65, py = cy + dy * 0.65;
        double nx = -dy / length, ny = dx / length;
        if (ny < 0) {
            nx = -nx;
            ny = -ny;
        }
        const auto at = [&](double offset) {
            return dib.At(static_cast<int>(px + nx * offset), static_cast<int>(py + ny * offset));
        };
        const double red = q.redBelow ? 1.2 : -1.2, broadWhite = q.redBelow ? -2.0 : 2.0;
        EXPECT_TRUE(IsRed(at(red)));
        EXPECT_TRUE(IsNearWhite(at(broadWhite)));
        EXPECT_TRUE(IsBlue(at(red * 4)));
        EXPECT_TRUE(IsBlue(at(broadWhite * 2.5)));
    }
}

// Pixels of the gold letter paint.
std::vector<bool> Gold(const Dib& dib)
{
    std::vector<bool> mask;
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x) {
            const Colour c = dib.At(x, y);
            mask.push_back(c.r > 170 && c.g > 100 && c.b < 150 && c.r > c.b + 80);
        }
    return mask;
}

// The share of pixels whose gold matches that of their image under the
// given mapping.
double Symmetry(const std::vector<bool>& mask, int size, bool rotate)
{
    int same = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int mx = size - 1 - x, my = rotate ? size - 1 - y : y;
            same += mask[static_cast<std::size_t>(y * size + x)] == mask[static_cast<std::size_t>(my * size + mx)];
        }
    return static_cast<double>(same) / (size * size);
}

TEST(PictureResources, TitleTilesCarryTheLettersOfTheNameOnThePlainFace)
{
    const Dib plain = BitmapResource(115);
    ASSERT_EQ(plain.error, "");
    const auto plainGold = Gold(plain);
    EXPECT_EQ(std::count(plainGold.begin(), plainGold.end(), true), 0) << "the plain face has no letter";
    std::vector<std::vector<bool>> letters;
    for (int id = 110; id <= 114; ++id) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        const Dib tile = BitmapResource(id);
        ASSERT_EQ(tile.error, "");
        // The rim is the plain face's.
        for (int i = 0; i < 128; i += 3) {
            for (const auto& [x, y] : {std::pair{i, 1}, {1, i}, {i, 126}, {126, i}}) {
                const Colour a = tile.At(x, y), b = plain.At(x, y);
                ASSERT_LE(std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b), 24) << x << "," << y;
            }
        }
        letters.push_back(Gold(tile));
        const auto count = std::count(letters.back().begin(), letters.back().end(), true);
        EXPECT_GT(count, 128 * 128 / 8) << "a bold letter";
    }
    // V, A and O are mirror images of themselves, N its own half turn, R
    // neither.
    EXPECT_GT(Symmetry(letters[0], 128, false), 0.98);
    EXPECT_GT(Symmetry(letters[1], 128, false), 0.98);
    EXPECT_LT(Symmetry(letters[2], 128, false), 0.9);
    EXPECT_LT(Symmetry(letters[3], 128, false), 0.9);
    EXPECT_GT(Symmetry(letters[3], 128, true), 0.98);
    EXPECT_GT(Symmetry(letters[4], 128, false), 0.98);
    EXPECT_GT(Symmetry(letters[4], 128, true), 0.98);
    // V is open at the top, A at the bottom.
    EXPECT_LT(Symmetry(letters[0], 128, true), 0.9);
    EXPECT_LT(Symmetry(letters[1], 128, true), 0.9);
}

TEST(PictureResources, IconHoldsLargeAndSmallCubeImagesWithTransparentCorners)
{
    using picture_test::U16;
    using picture_test::U32;
    const std::string ico = picture_test::ResourceBytes(RT_GROUP_ICON, 103);
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(U16(ico, 4), 2u);
    ASSERT_GE(ico.size(), 6u + 2 * 16);
    std::vector<int> sizes;
    for (int i = 0; i < 2; ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const int size = static_cast<unsigned char>(ico[entry]);
        SCOPED_TRACE("image " + std::to_string(size));
        sizes.push_back(size);
        EXPECT_EQ(static_cast<unsigned char>(ico[entry + 1]), size);
        EXPECT_EQ(U16(ico, entry + 6), 32u);
        const std::uint32_t bytes = U32(ico, entry + 8), at = U32(ico, entry + 12);
        ASSERT_LE(static_cast<std::uint64_t>(at) + bytes, ico.size());
        const std::uint32_t maskRow = ((static_cast<std::uint32_t>(size) + 31) / 32) * 4;
        ASSERT_EQ(bytes, 40 + static_cast<std::uint32_t>(size * size * 4) + maskRow * static_cast<std::uint32_t>(size));
        EXPECT_EQ(U32(ico, at), 40u);
        EXPECT_EQ(U32(ico, at + 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(U32(ico, at + 8), static_cast<std::uint32_t>(2 * size)) << "colour and mask rows";
        EXPECT_EQ(U16(ico, at + 14), 32u);
        // Rows run from the bottom up; each pixel is blue, green, red, alpha.
        const auto alpha = [&](int x, int y) {
            return static_cast<unsigned char>(ico[at + 40 + static_cast<std::size_t>((size - 1 - y) * size + x) * 4 + 3]);
        };
        const auto masked = [&](int x, int y) {
            const std::size_t row = at + 40 + static_cast<std::size_t>(size * size * 4) +
                                    static_cast<std::size_t>(size - 1 - y) * maskRow;
            return (static_cast<unsigned char>(ico[row + static_cast<std::size_t>(x / 8)]) & (0x80 >> (x % 8))) != 0;
        };
        EXPECT_EQ(alpha(0, 0), 0);
        EXPECT_TRUE(masked(0, 0));
        EXPECT_EQ(alpha(size - 1, size - 1), 0);
        EXPECT_EQ(alpha(size / 2, size / 2), 255);
        EXPECT_FALSE(masked(size / 2, size / 2));
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
}

} // namespace
