// The command-line conversions with a data folder that cannot be written:
// the converted level file becomes the player's own copy, the shipped file
// stays as it was, and the player is told where the copy went. Run a second
// time as an unprivileged user by ctest (player_copy_unprivileged); skipped
// as root, whom permissions do not hold back.
#include "levelfile_support.h"

#include "platform/files/files.h"
#include "player_copy_support.h"

#include <optional>

using namespace leveltest;

namespace {

constexpr const char* kShipped = "Level {\r\n   Puzzle {\r\n      Mines = 2\r\n      Cubes {\r\n"
                                 "         n - b\r\n      }\r\n   }\r\n}\r\n";

class ConversionCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(data / "VARNO.LEV", kShipped);
        WriteBytes(data / "other.lev", kShipped);
        readOnly.emplace(data.path());
        ResetDataFolder((data.path() + "/").c_str());
        if (files::CanWriteFolder(data.path())) {
            if (playercopy::MustRun())
                FAIL() << "the data folder can be written: the fallback is not exercised";
            GTEST_SKIP() << "root writes a read-only folder; run as another user (player_copy_unprivileged)";
        }
    }
    void TearDown() override
    {
        ResetDataFolder(nullptr);
        readOnly.reset();
    }

    TempFolder data, home;
    playercopy::DataHome dataHome{home.path()};
    std::optional<playercopy::ReadOnlyFolder> readOnly;
    std::string copy = home / "varno/VARNO.LEV";
};

TEST_F(ConversionCopyTest, ScramblingTheShippedFileWritesTheCopyAndSaysWhere)
{
    playercopy::PathMessages shown;
    EXPECT_TRUE(HandleCommandLine("-e"));
    EXPECT_EQ(shown.Others(), std::vector<UINT>{idsFileScrambled});
    EXPECT_EQ(shown.Get(), (std::vector<std::pair<UINT, std::string>>{{idsLevelFileCopyMade, copy}}));
    EXPECT_EQ(ReadBytes(data / "VARNO.LEV"), kShipped) << "the shipped file is unchanged";
    EXPECT_EQ(ReadBytes(copy), Scrambled(kShipped));

    // From now on the copy is the level file: converting again works on it,
    // with no second word about where it is.
    ResetDataFolder((data.path() + "/").c_str());
    EXPECT_EQ(FindLevelFile(nullptr), copy);
    EXPECT_TRUE(HandleCommandLine("/d"));
    EXPECT_EQ(ReadBytes(copy), kShipped);
    EXPECT_EQ(shown.Get().size(), 1u);
    EXPECT_EQ(ReadBytes(data / "VARNO.LEV"), kShipped);
}

TEST_F(ConversionCopyTest, OtherFilesOfTheDataFolderStillFailAsBefore)
{
    playercopy::PathMessages shown;
    EXPECT_TRUE(HandleCommandLine("-e other.lev"));
    EXPECT_EQ(shown.Others(), std::vector<UINT>{idsConvertFailed});
    EXPECT_TRUE(shown.Get().empty());
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(ReadBytes(data / "other.lev"), kShipped);
}

TEST_F(ConversionCopyTest, AnOlderCopyIsKeptAsideWhenTheShippedFileIsNamed)
{
    WriteBytes(copy, "mine");
    EXPECT_TRUE(HandleCommandLine(("-e " + data.path() + "/VARNO.LEV").c_str()));
    EXPECT_EQ(ReadBytes(copy), Scrambled(kShipped));
    EXPECT_EQ(ReadBytes(copy + ".old"), "mine");
}

} // namespace
