// The data folder, the scrambled form, and reading and saving the level file
// of the data folder.
#include "game/game.h"
#include "levelfile/datafile.h"
#include "levelfile_support.h"
#include "platform/base/syserror.h"
#include "platform/msgbox/msgbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using leveltest::MessageCapture;
using leveltest::ReadBytes;
using leveltest::WriteBytes;
namespace fs = std::filesystem;

namespace {

bool SameFolder(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(fs::path(a), fs::path(b), ec);
}

std::string TextOf(const LEVELLIST* list)
{
    char* text = BuildLevelText(list);
    std::string s = text ? text : "";
    std::free(text);
    return s;
}

// A program folder with the level list of the game record released after
// each test.
class LevelFileOnDisk : public testing::Test {
protected:
    ~LevelFileOnDisk() override { ReleaseLevelList(&g.Levels); }

    std::string LevelFile() const { return folder / "bin/Data/VARNO.LEV"; }

    leveltest::ProgramFolder folder;
    MessageCapture messages;
};

} // namespace

TEST(ScrambledForm, EveryByteTurnsIntoItsComplementOf0xF7AndBack)
{
    std::string plain = "L";
    for (int b = 0; b < 256; ++b)
        plain += static_cast<char>(b);
    std::string text = plain;
    ScrambleText(text.data(), text.size());
    EXPECT_TRUE(IsScrambledText(text.data(), text.size()));
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(static_cast<BYTE>(text[i]), static_cast<BYTE>(0xF7 - static_cast<BYTE>(plain[i]))) << i;

    // Scrambling a scrambled text, or unscrambling a plain one, changes nothing.
    const std::string scrambled = text;
    ScrambleText(text.data(), text.size());
    EXPECT_EQ(text, scrambled);
    UnscrambleText(text.data(), text.size());
    EXPECT_EQ(text, plain); // the zero that 0xF7 becomes does not cut it short
    UnscrambleText(text.data(), text.size());
    EXPECT_EQ(text, plain);
}

TEST(ScrambledForm, TheFirstByteTellsTheForm)
{
    // What a level file starts with scrambles to a byte of 0x80 or more.
    for (const char* start : {"Level", " ", "\t", "\r\n", ";", "/", "l"}) {
        std::string text = start;
        EXPECT_FALSE(IsScrambledText(text.data(), text.size())) << start;
        ScrambleText(text.data(), text.size());
        EXPECT_TRUE(IsScrambledText(text.data(), text.size())) << start;
    }
    // A plain text that starts with such a byte, like a byte-order mark,
    // already counts as scrambled.
    std::string bom = "\xEF\xBB\xBFLevel";
    EXPECT_TRUE(IsScrambledText(bom.data(), bom.size()));
    ScrambleText(bom.data(), bom.size());
    EXPECT_EQ(bom, "\xEF\xBB\xBFLevel");
    EXPECT_FALSE(IsScrambledText("", 0));
}

TEST(DataFolder, TheFirstCandidateHoldingTheLevelFileWins)
{
    leveltest::ProgramFolder folder;
    const std::string bin = folder.program();
    // None holds it: the program folder.
    EXPECT_TRUE(SameFolder(DataFilePath(""), bin));

    struct CASE {
        const char* file;     // below the root
        const char* expected; // the data folder, below the root
    } cases[] = {
        {"share/varno/VARNO.LEV", "share/varno"}, {"Data/varno.lev", "Data"}, {"VARNO.LEV", ""},
        {"bin/DATA/Varno.Lev", "bin/DATA"},       {"bin/VARNO.LEV", "bin"},
    };
    // Each file added comes earlier in the order than the ones before.
    for (const CASE& c : cases) {
        WriteBytes(folder / c.file, "Level {}");
        ResetDataFolder((bin + "/").c_str());
        EXPECT_TRUE(SameFolder(DataFilePath(""), folder / c.expected)) << c.file << " -> " << DataFilePath("");
    }
    // The folder is found once; names are appended as they are.
    fs::remove(folder / "bin/VARNO.LEV");
    EXPECT_TRUE(SameFolder(DataFilePath(""), bin));
    EXPECT_EQ(DataFilePath("sounds/boom.wav"), DataFilePath("") + "sounds/boom.wav");
}

TEST(DataFolder, AFolderNamedLikeTheLevelFileIsPassedOver)
{
    leveltest::ProgramFolder folder;
    fs::create_directories(folder / "bin/varno.lev");
    WriteBytes(folder / "bin/data/VARNO.LEV", "Level {}");
    EXPECT_TRUE(SameFolder(DataFilePath(""), folder / "bin/data"));
}

TEST(DataFolder, LevelFileNamesWithoutAFolderLieInTheDataFolder)
{
    leveltest::ProgramFolder folder;
    WriteBytes(folder / "bin/Data/VARNO.LEV", "1");
    WriteBytes(folder / "bin/Data/My.Lev", "2");
    EXPECT_EQ(ReadBytes(FindLevelFile(nullptr)), "1");
    EXPECT_EQ(ReadBytes(FindLevelFile("")), "1");
    EXPECT_EQ(ReadBytes(FindLevelFile("my.lev")), "2");
    EXPECT_EQ(ReadBytes(FindLevelFile((folder / "BIN/data/MY.LEV").c_str())), "2");
    SetLastError(0);
    EXPECT_EQ(FindLevelFile("other.lev"), "");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindLevelFile((folder / "bin/Data/VARNO.LEV/x.lev").c_str()), "");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(LevelFileOnDisk, PlainAndScrambledFilesRead)
{
    WriteBytes(LevelFile(), leveltest::SampleLevelText());
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(g.Levels.cLevels, 2);
    EXPECT_FALSE(g.Levels.fScrambled);
    const std::string text = TextOf(&g.Levels);

    WriteBytes(LevelFile(), leveltest::Scrambled(leveltest::SampleLevelText()));
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_EQ(g.Levels.cLevels, 2); // the list was released first
    EXPECT_TRUE(g.Levels.fScrambled);
    EXPECT_EQ(TextOf(&g.Levels), text);
    EXPECT_TRUE(MessageCapture::Shown().empty());
}

TEST_F(LevelFileOnDisk, UnreadableFilesShowTheDamagedFileMessage)
{
    const std::string cases[] = {
        "",                                                         // empty
        "; nothing but a comment\r\n",                              // no level
        std::string("\xEF\xBB\xBF") + leveltest::SampleLevelText(), // byte-order mark: taken as scrambled
        "Level { Puzzle { Mines = 1 Cubes { f } } }",               // nothing to destroy
    };
    for (const std::string& bytes : cases) {
        WriteBytes(LevelFile(), bytes);
        MessageCapture::Shown().clear();
        EXPECT_FALSE(ReadLevelFile()) << bytes;
        ASSERT_EQ(MessageCapture::Shown().size(), 1u) << bytes;
        EXPECT_EQ(MessageCapture::Shown()[0].uType & MB_ICONMASK, MB_ICONERROR);
        EXPECT_EQ(MessageCapture::Shown()[0].idCaption, idsVarnoCaption);
        EXPECT_EQ(MessageCapture::Shown()[0].idText, idsLevelFileDamaged);
    }
    fs::remove(LevelFile());
    MessageCapture::Shown().clear();
    EXPECT_FALSE(ReadLevelFile());
    EXPECT_EQ(MessageCapture::Shown().size(), 1u);
}

TEST_F(LevelFileOnDisk, SavesInEitherFormAndReadsBack)
{
    WriteBytes(LevelFile(), leveltest::SampleLevelText());
    ASSERT_TRUE(ReadLevelFile());
    const std::string text = TextOf(&g.Levels);

    ASSERT_TRUE(SaveLevelFile(FALSE));
    EXPECT_EQ(ReadBytes(LevelFile()), text);
    EXPECT_FALSE(g.Levels.fScrambled);

    EXPECT_EQ(SaveLevelFileInOtherForm(), idsLevelFileNowScrambled);
    EXPECT_EQ(ReadBytes(LevelFile()), leveltest::Scrambled(text));
    EXPECT_TRUE(g.Levels.fScrambled);
    ASSERT_TRUE(ReadLevelFile());
    EXPECT_TRUE(g.Levels.fScrambled);
    EXPECT_EQ(TextOf(&g.Levels), text);

    EXPECT_EQ(SaveLevelFileInOtherForm(), idsLevelFileNowPlain);
    EXPECT_EQ(ReadBytes(LevelFile()), text);
    EXPECT_FALSE(g.Levels.fScrambled);
    EXPECT_EQ(leveltest::CountEntries(folder / "bin/Data"), 1); // no temporary file left
}

TEST_F(LevelFileOnDisk, AFailedSaveLeavesTheFileWhole)
{
    WriteBytes(LevelFile(), leveltest::SampleLevelText());
    ASSERT_TRUE(ReadLevelFile());
    // A longer list than the disk will take.
    std::string big;
    for (int i = 0; i < 200; ++i)
        big += "Level { Puzzle { Mines = 1 Cubes { n n n n n n n n n n n n } } }\r\n";
    ReleaseLevelList(&g.Levels);
    ASSERT_TRUE(ParseLevelText(big.c_str(), &g.Levels));
    {
        leveltest::FileSizeLimit limit(4096);
        EXPECT_EQ(SaveLevelFileInOtherForm(), idsLevelFileNotSaved);
    }
    EXPECT_FALSE(g.Levels.fScrambled); // the file on disk is still plain
    EXPECT_EQ(ReadBytes(LevelFile()), leveltest::SampleLevelText());
    EXPECT_EQ(leveltest::CountEntries(folder / "bin/Data"), 1);

    // An empty list is not written at all.
    ReleaseLevelList(&g.Levels);
    EXPECT_FALSE(SaveLevelFile(FALSE));
    EXPECT_EQ(ReadBytes(LevelFile()), leveltest::SampleLevelText());
}

TEST(FileMessages, WithoutARouteTheEnglishTextIsShownInASystemBox)
{
    msgbox::Request seen;
    auto previous = msgbox::SetHandler([&](const msgbox::Request& r) {
        seen = r;
        return IDOK;
    });
    ShowFileMessage(MB_OK | MB_ICONERROR, idsErrorCaption, idsConvertFailed, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(seen.caption, "Error - Varno");
    EXPECT_EQ(seen.text, "The file you specified either could not be read or could not be re-written.\n\n"
                         "Error 2; There is no file of that name.");
    EXPECT_EQ(seen.type & MB_ICONMASK, MB_ICONERROR);

    ShowFileMessage(MB_OK | MB_ICONERROR, idsVarnoCaption, idsLevelFileDamaged);
    EXPECT_EQ(seen.caption, "Varno");
    EXPECT_EQ(seen.text.rfind("The VARNO.LEV file could not be read properly, or has been damaged.\n\n", 0), 0u);
    msgbox::SetHandler(previous);
}
