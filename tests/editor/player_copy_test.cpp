// The player's own level file: with a data folder that cannot be written,
// the editor's save and the Encryption entry write the copy in the user's
// data folder, the shipped file stays byte for byte as it was, the next start
// reads the copy, and a damaged copy falls back to the shipped file with a
// message naming it.
//
// Root writes wherever it likes, so a folder without write permission holds
// it back only when the test runs as another user: ctest runs these cases a
// second time as an unprivileged user (player_copy_unprivileged), and as
// root they are skipped.
#include "editor_support.h"

#include "platform/files/files.h"
#include "player_copy_support.h"

#include <optional>

using namespace edtest;

namespace {

class PlayerCopyTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        if (HasFatalFailure())
            return;
        // The installed data folder: the level file and a sound, read-only.
        testfs::WriteText(shipped, kLevels);
        testfs::WriteText(dataFolder / "land.wav", "RIFF");
        readOnly.emplace(dataFolder.path());
        data.emplace(home.path());
        ResetDataFolder((dataFolder.path() + "/").c_str());
        if (files::CanWriteFolder(dataFolder.path())) {
            if (playercopy::MustRun())
                FAIL() << "the data folder can be written: the fallback is not exercised";
            GTEST_SKIP() << "root writes a read-only folder; run as another user (player_copy_unprivileged)";
        }
        copy = home.path() + "/varno/VARNO.LEV";
    }
    void TearDown() override
    {
        data.reset();
        readOnly.reset();
        EditorTest::TearDown();
    }

    testfs::TempFolder dataFolder, home;
    std::string shipped = dataFolder / "VARNO.LEV";
    std::string copy;
    std::optional<playercopy::ReadOnlyFolder> readOnly;
    std::optional<playercopy::DataHome> data;
};

TEST_F(PlayerCopyTest, EditorSaveWritesTheCopyWhichTheNextStartReads)
{
    playercopy::PathMessages shown;
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(LevelFileInUse(), shipped);
    Open(1, 3);
    PickSquare(3, 1);
    ClickCell(true);
    ASSERT_TRUE(SavePuzzle());

    EXPECT_EQ(testfs::ReadText(shipped), kLevels) << "the shipped file is unchanged";
    ASSERT_TRUE(files::IsFile(copy));
    EXPECT_EQ(LevelFileInUse(), copy);
    // Told once where the levels went, instead of the usual message.
    EXPECT_EQ(record.pathMessages, (std::vector<std::pair<LONG, std::string>>{{idsLevelFileCopyMade, copy}}));
    EXPECT_TRUE(record.messages.empty());

    // The next save goes to the copy without a word about it.
    PickSquare(4, 1);
    ClickCell(true);
    ASSERT_TRUE(SavePuzzle());
    EXPECT_EQ(record.pathMessages.size(), 1u);
    EXPECT_EQ(record.messages, std::vector<LONG>{idsEditorSaved});
    EXPECT_EQ(testfs::ReadText(shipped), kLevels);

    // The next start reads the copy, and sounds still come from the data
    // folder.
    CloseEditor();
    ResetDataFolder((dataFolder.path() + "/").c_str());
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(LevelFileInUse(), copy);
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[2].aFormation[1][3], ckGray);
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[2].aFormation[1][4], ckGray);
    EXPECT_EQ(DataFilePath("land.wav"), dataFolder / "land.wav");
    EXPECT_TRUE(shown.Get().empty());
}

TEST_F(PlayerCopyTest, EncryptionWritesAScrambledCopyAndLeavesTheShippedFile)
{
    ASSERT_TRUE(ReadLevelFile());
    Open(1, 1);
    EncryptionCommand();
    EXPECT_EQ(record.messages, std::vector<LONG>{static_cast<LONG>(idsLevelFileNowScrambled)});
    EXPECT_EQ(record.pathMessages, (std::vector<std::pair<LONG, std::string>>{{idsLevelFileCopyMade, copy}}));
    EXPECT_GE(static_cast<unsigned char>(testfs::ReadText(copy)[0]), 0x80);
    EXPECT_EQ(testfs::ReadText(shipped), kLevels);
    EXPECT_TRUE(g.Levels.fScrambled);
}

TEST_F(PlayerCopyTest, ADamagedCopyFallsBackToTheShippedFileAndIsKept)
{
    testfs::WriteText(copy, "Level { Puzzle { Mines = 1 Cubes { f } } }\r\n");
    const std::string damaged = testfs::ReadText(copy);
    playercopy::PathMessages shown;
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(shown.Get(), (std::vector<std::pair<UINT, std::string>>{{idsLevelFileCopyDamaged, copy}}));
    EXPECT_EQ(LevelFileInUse(), shipped);
    ASSERT_EQ(g.Levels.cLevels, 2) << "the shipped levels are played";
    EXPECT_EQ(testfs::ReadText(copy), damaged) << "nothing is deleted";

    // Saving then keeps the damaged copy aside under a name of its own.
    Open(1, 1);
    PickSquare(0, 2);
    ClickCell(true);
    ASSERT_TRUE(SavePuzzle());
    EXPECT_EQ(testfs::ReadText(copy + ".damaged"), damaged);
    EXPECT_EQ(record.pathMessages, (std::vector<std::pair<LONG, std::string>>{{idsLevelFileCopyMade, copy}}));
    EXPECT_EQ(testfs::ReadText(shipped), kLevels);
    ResetDataFolder((dataFolder.path() + "/").c_str());
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(LevelFileInUse(), copy);
    EXPECT_EQ(g.Levels.pLevels[0].pPuzzles[0].aFormation[2][0], ckGray);
}

} // namespace
