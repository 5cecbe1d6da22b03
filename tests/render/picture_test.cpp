// What the player sees, drawn by the OpenGL renderer at 800 x 600 and
// compared, at a fifth of the size, with the reference pictures made by
// tools/scene_shots: play at the best and the fastest display quality, the
// title cubes and the level introduction. Software rasterisers may differ
// in a few edge pixels; the comparison allows for that.
#include "platform/glrender/glrender.h"
#include "platform/resources/dibimage.h"
#include "tools/scene_shots/stage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace sceneshots;

namespace {

// A BMP file read back: the file header skipped, the bitmap decoded.
bool ReadReference(const std::string& name, Picture* p)
{
    const auto path = std::filesystem::path(__FILE__).parent_path() / "reference" / (name + ".bmp");
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 14 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    std::vector<std::uint32_t> pixels;
    if (!DecodeDib(bytes.data() + 14, bytes.size() - 14, &p->width, &p->height, &pixels))
        return false;
    p->pixels.resize(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        p->pixels[i] = pixels[i] & 0xFFFFFF;
    return true;
}

class Pictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_system::Reset();
        ASSERT_TRUE(stage.Open(800, 600, 32));
        if (!GlRenderIsInstalled())
            GTEST_SKIP() << "No OpenGL context here: " << GlRenderGetError();
    }
    void TearDown() override
    {
        stage.Close();
        window_system::Reset();
    }

    // Every channel within 24 of the reference at all but 1.5% of the
    // pixels, and within 3 on average.
    void Compare(const std::string& name, const Picture& shot)
    {
        Picture reference;
        ASSERT_TRUE(ReadReference(name, &reference)) << name;
        const Picture small = Shrink(shot, 5);
        ASSERT_EQ(small.width, reference.width);
        ASSERT_EQ(small.height, reference.height);
        size_t off = 0;
        double total = 0;
        for (size_t i = 0; i < small.pixels.size(); ++i) {
            int worst = 0;
            for (int shift : {0, 8, 16}) {
                const int d = std::abs(static_cast<int>((small.pixels[i] >> shift) & 0xFF) -
                                       static_cast<int>((reference.pixels[i] >> shift) & 0xFF));
                worst = std::max(worst, d);
                total += d;
            }
            off += worst > 24;
        }
        const double n = static_cast<double>(small.pixels.size());
        EXPECT_LE(static_cast<double>(off) / n, 0.015) << name << ": " << off << " pixels differ";
        EXPECT_LE(total / (3 * n), 3.0) << name;
        if (HasFailure())
            SaveBmp(::testing::TempDir() + name + "_actual.bmp", small);
    }

    Stage stage;
};

// A picture that must show something: several distinct colours.
bool HasContent(const Picture& p)
{
    std::vector<std::uint32_t> seen;
    for (size_t i = 0; i < p.pixels.size() && seen.size() < 50; i += 97)
        if (std::find(seen.begin(), seen.end(), p.pixels[i]) == seen.end())
            seen.push_back(p.pixels[i]);
    return seen.size() >= 10;
}

} // namespace

TEST_F(Pictures, PlayAtTheBestAndTheFastestDisplayQuality)
{
    stage.Play(7);
    const Picture best = stage.Shot();
    EXPECT_TRUE(HasContent(best));
    Compare("play_quality5", best);
    stage.Play(0);
    Compare("play_quality1", stage.Shot());
}

TEST_F(Pictures, TheTitleCubesAndTheLevelIntroduction)
{
    stage.Title();
    const Picture title = stage.Shot();
    EXPECT_TRUE(HasContent(title));
    Compare("title", title);
    stage.Intro();
    Compare("intro", stage.Shot());
}
