#include "anim/graphic.h"
#include "platform/ddraw/presenter.h"
#include "shell/screenshot.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

TEST(Screenshot, NameCarriesDateAndTimeWithLeadingZeros)
{
    std::tm t {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 3;
    t.tm_sec = 9;
    EXPECT_EQ(ScreenshotName(t), "varno-20260105-070309.bmp");
}

class ScreenshotFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("varno-shots-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "home");
        const char* home = std::getenv("HOME");
        savedHome = home ? home : "";
        const char* xdg = std::getenv("XDG_PICTURES_DIR");
        hadXdg = xdg != nullptr;
        savedXdg = xdg ? xdg : "";
        setenv("HOME", (root / "home").c_str(), 1);
        unsetenv("XDG_PICTURES_DIR");
    }
    void TearDown() override
    {
        setenv("HOME", savedHome.c_str(), 1);
        if (hadXdg)
            setenv("XDG_PICTURES_DIR", savedXdg.c_str(), 1);
        std::filesystem::remove_all(root);
    }
    std::filesystem::path root;
    std::string savedHome, savedXdg;
    bool hadXdg = false;
};

TEST_F(ScreenshotFolders, PicturesFolderIsPreferredInOrderAndMissingOnesAreSkipped)
{
    // Neither exists: not the home folder's missing Pictures.
    EXPECT_EQ(ScreenshotFolder().find((root / "home" / "Pictures").string()), std::string::npos);

    std::filesystem::create_directories(root / "home" / "Pictures");
    EXPECT_EQ(ScreenshotFolder(), (root / "home" / "Pictures").string() + "/");

    setenv("XDG_PICTURES_DIR", (root / "nowhere").c_str(), 1);
    EXPECT_EQ(ScreenshotFolder(), (root / "home" / "Pictures").string() + "/");

    std::filesystem::create_directories(root / "xdg");
    setenv("XDG_PICTURES_DIR", (root / "xdg").c_str(), 1);
    EXPECT_EQ(ScreenshotFolder(), (root / "xdg").string() + "/");
}

TEST_F(ScreenshotFolders, SavedPictureReadsBackWithItsPixelsAndLeavesNoTemporaryFile)
{
    std::filesystem::create_directories(root / "home" / "Pictures");
    // Present a small picture with a distinct corner so that row order shows.
    std::vector<std::uint32_t> pixels(8 * 4, 0x00102030u);
    pixels[0] = 0x00FF0000u; // top-left red
    presenter::Present(pixels.data(), 8, 4, 8, 32, nullptr);

    const std::string path = SaveScreenshot();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::path(path).parent_path(), root / "home" / "Pictures");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    GRAPHIC back(path.c_str(), 0xFFFFFFFFul);
    ASSERT_FALSE(back.fEmpty());
    EXPECT_EQ(back.GetWidth(), 8);
    EXPECT_EQ(back.GetHeight(), 4);
    EXPECT_EQ(back.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(back.GetPixel(7, 3), RGB(0x10, 0x20, 0x30));
}

} // namespace
