// The conversion switches of the command line, in-process and through the
// program itself.
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
using leveltest::Scrambled;
using leveltest::WriteBytes;
namespace fs = std::filesystem;

namespace {

const std::string kPlain = "Level { Puzzle { Mines = 1 Cubes { n } } }\r\n";

// A program folder whose data folder holds a level file and a second file,
// and a working folder of its own.
class CommandLine : public testing::Test {
protected:
    CommandLine()
    {
        WriteBytes(DataFile("VARNO.LEV"), kPlain);
        WriteBytes(DataFile("my.lev"), kPlain);
        WriteBytes(folder / "work/my.lev", kPlain);
        m_oldCwd = fs::current_path();
        fs::current_path(folder / "work");
    }
    ~CommandLine() override { fs::current_path(m_oldCwd); }

    std::string DataFile(const std::string& name) const { return folder / ("bin/data/" + name); }
    std::string WorkFile(const std::string& name) const { return folder / ("work/" + name); }

    // Handles the text; the one message it showed.
    leveltest::SHOWN Handle(const std::string& text)
    {
        MessageCapture::Shown().clear();
        EXPECT_TRUE(HandleCommandLine(text.c_str())) << text;
        EXPECT_EQ(MessageCapture::Shown().size(), 1u) << text;
        return MessageCapture::Shown().empty() ? leveltest::SHOWN{} : MessageCapture::Shown().back();
    }
    static void ExpectSuccess(const leveltest::SHOWN& shown, UINT idText)
    {
        EXPECT_EQ(shown.uType & MB_ICONMASK, MB_ICONINFORMATION);
        EXPECT_EQ(shown.idCaption, idsVarnoCaption);
        EXPECT_EQ(shown.idText, idText);
    }
    static void ExpectFailure(const leveltest::SHOWN& shown, DWORD dwError)
    {
        EXPECT_EQ(shown.uType & MB_ICONMASK, MB_ICONERROR);
        EXPECT_EQ(shown.idCaption, idsErrorCaption);
        EXPECT_EQ(shown.idText, idsConvertFailed);
        EXPECT_EQ(shown.dwError, dwError);
    }

    leveltest::ProgramFolder folder;
    MessageCapture messages;

private:
    fs::path m_oldCwd;
};

} // namespace

TEST(CommandLineText, ArgumentsAreJoinedBySingleBlanks)
{
    const char* argv[] = {"varno", "-e", "my file.lev", "x"};
    EXPECT_EQ(JoinCommandLine(4, argv), "-e my file.lev x");
    EXPECT_EQ(JoinCommandLine(1, argv), "");
}

TEST_F(CommandLine, AnythingButASwitchStartsTheGame)
{
    for (const char* text : {"", "   \t", "my.lev", "varno.lev -e", "/ex", "/e-x", "/tmp/my.lev", "/1", "//e", "e"}) {
        MessageCapture::Shown().clear();
        EXPECT_FALSE(HandleCommandLine(text)) << text;
        EXPECT_TRUE(MessageCapture::Shown().empty()) << text;
    }
    EXPECT_FALSE(HandleCommandLine(nullptr));
    EXPECT_EQ(ReadBytes(DataFile("VARNO.LEV")), kPlain);
}

TEST_F(CommandLine, AnUnknownSwitchIsInvalid)
{
    for (const char* text : {"-x", "/X", "-", " -1 my.lev", "/q my.lev"}) {
        const leveltest::SHOWN shown = Handle(text);
        EXPECT_EQ(shown.uType & MB_ICONMASK, MB_ICONERROR) << text;
        EXPECT_EQ(shown.idCaption, idsErrorCaption) << text;
        EXPECT_EQ(shown.idText, idsBadCommandLine) << text;
    }
    EXPECT_EQ(ReadBytes(DataFile("VARNO.LEV")), kPlain);
    EXPECT_EQ(ReadBytes(DataFile("my.lev")), kPlain);
}

TEST_F(CommandLine, SwitchesAloneConvertTheLevelFile)
{
    for (const char* scramble : {"/e", "-E", "-c", "/C", "  -encrypt", "-e -d", "/e /d my.lev", "-c\t"}) {
        WriteBytes(DataFile("VARNO.LEV"), kPlain);
        ExpectSuccess(Handle(scramble), idsFileScrambled);
        EXPECT_EQ(ReadBytes(DataFile("VARNO.LEV")), Scrambled(kPlain)) << scramble;
    }
    for (const char* unscramble : {"/D", "-d", "\t-decrypt  ", "/d -e"}) {
        WriteBytes(DataFile("VARNO.LEV"), Scrambled(kPlain));
        ExpectSuccess(Handle(unscramble), idsFileUnscrambled);
        EXPECT_EQ(ReadBytes(DataFile("VARNO.LEV")), kPlain) << unscramble;
    }
    EXPECT_EQ(ReadBytes(DataFile("my.lev")), kPlain);
    EXPECT_EQ(leveltest::CountEntries(folder / "bin/data"), 2); // no temporary file left
}

TEST_F(CommandLine, ANamedFileIsConverted)
{
    // A bare name lies in the data folder, matched without regard to case.
    ExpectSuccess(Handle("-e MY.LEV"), idsFileScrambled);
    EXPECT_EQ(ReadBytes(DataFile("my.lev")), Scrambled(kPlain));
    EXPECT_EQ(ReadBytes(WorkFile("my.lev")), kPlain);
    EXPECT_EQ(ReadBytes(DataFile("VARNO.LEV")), kPlain);

    // A name with a folder is a path of its own, relative to the working
    // folder; either separator works.
    ExpectSuccess(Handle("-e ./my.lev"), idsFileScrambled);
    EXPECT_EQ(ReadBytes(WorkFile("my.lev")), Scrambled(kPlain));
    WriteBytes(WorkFile("sub/b.lev"), kPlain);
    ExpectSuccess(Handle("/E sub\\b.lev"), idsFileScrambled);
    EXPECT_EQ(ReadBytes(WorkFile("sub/b.lev")), Scrambled(kPlain));

    // An absolute path, and a name with blanks taken as it stands.
    WriteBytes(folder / "else/my level.lev", Scrambled(kPlain));
    ExpectSuccess(Handle("/d " + (folder / "else/my level.lev")), idsFileUnscrambled);
    EXPECT_EQ(ReadBytes(folder / "else/my level.lev"), kPlain);
}

TEST_F(CommandLine, AFileAlreadyInTheWantedFormStaysAsItIs)
{
    WriteBytes(DataFile("my.lev"), Scrambled(kPlain));
    ExpectSuccess(Handle("-e my.lev"), idsFileScrambled);
    EXPECT_EQ(ReadBytes(DataFile("my.lev")), Scrambled(kPlain));
    // Any file converts, level text or not; a byte-order mark counts as scrambled.
    const std::string bom = "\xEF\xBB\xBFLevel";
    WriteBytes(DataFile("my.lev"), bom);
    ExpectSuccess(Handle("-e my.lev"), idsFileScrambled);
    EXPECT_EQ(ReadBytes(DataFile("my.lev")), bom);
    ExpectSuccess(Handle("-d my.lev"), idsFileUnscrambled);
    EXPECT_EQ(ReadBytes(DataFile("my.lev")), Scrambled(bom));
}

TEST_F(CommandLine, FilesThatCannotBeConverted)
{
    // Missing: reported, and no empty file is left behind.
    ExpectFailure(Handle("-e nothere.lev"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(fs::exists(DataFile("nothere.lev")));
    // A folder on the way is a file.
    ExpectFailure(Handle("-e " + DataFile("my.lev") + "/x.lev"), ERROR_PATH_NOT_FOUND);
    // Empty.
    WriteBytes(WorkFile("empty.lev"), "");
    ExpectFailure(Handle("-e ./empty.lev"), ERROR_INVALID_DATA);
    EXPECT_EQ(ReadBytes(WorkFile("empty.lev")), "");
    // A folder.
    fs::create_directories(WorkFile("dir.lev"));
    ExpectFailure(Handle("-d ./dir.lev"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_directory(WorkFile("dir.lev")));
}

TEST_F(CommandLine, AFailedWriteLeavesTheOriginalWhole)
{
    const std::string big = "Level" + std::string(9000, ' ');
    WriteBytes(DataFile("VARNO.LEV"), big);
    {
        leveltest::FileSizeLimit limit(4096);
        ExpectFailure(Handle("-e"), ERROR_DISK_FULL);
    }
    EXPECT_EQ(ReadBytes(DataFile("VARNO.LEV")), big);
    EXPECT_EQ(leveltest::CountEntries(folder / "bin/data"), 2);
}

TEST(CommandLineProgram, ConvertsWithoutADisplayAndEnds)
{
    // The program beside this test's executable.
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "varno";
    if (!fs::exists(program))
        GTEST_SKIP() << "the program is not built";
    leveltest::TempFolder t;
    WriteBytes(t / "a.lev", kPlain);
    const std::string quiet = " 2>" + (t / "err.txt");
    EXPECT_EQ(std::system(("SDL_VIDEODRIVER=offscreen " + program.string() + " -e " + (t / "a.lev") + quiet).c_str()),
              0);
    EXPECT_EQ(ReadBytes(t / "a.lev"), Scrambled(kPlain));
    EXPECT_NE(ReadBytes(t / "err.txt").find("The file you specified has been encrypted."), std::string::npos);

    EXPECT_EQ(std::system(("SDL_VIDEODRIVER=offscreen " + program.string() + " /d " + (t / "a.lev") + quiet).c_str()),
              0);
    EXPECT_EQ(ReadBytes(t / "a.lev"), kPlain);
    EXPECT_NE(ReadBytes(t / "err.txt").find("The file you specified has been decrypted."), std::string::npos);

    EXPECT_EQ(std::system(("SDL_VIDEODRIVER=offscreen " + program.string() + " -x" + quiet).c_str()), 0);
    EXPECT_NE(ReadBytes(t / "err.txt").find("The command-line you specified is invalid."), std::string::npos);
}
