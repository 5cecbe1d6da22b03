#include "platform/base/syserror.h"
#include "platform/files/files.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;
using testfs::ReadText;
using testfs::TempFolder;
using testfs::WriteText;

TEST(FindPath, MatchesEveryComponentWithoutRegardToCaseAndEitherSeparator)
{
    TempFolder t;
    WriteText(t / "data/varno.lev", "Level 1\n");
    EXPECT_EQ(files::FindPath(t.path(), "Data\\VARNO.LEV"), t / "data/varno.lev");
    EXPECT_EQ(files::FindPath(t.path(), "DATA/Varno.Lev"), t / "data/varno.lev");
    EXPECT_EQ(files::FindPath(t.path(), "data\\\\/varno.lev"), t / "data/varno.lev");
    EXPECT_EQ(files::FindPath(t.path(), "dAtA"), t / "data");
    EXPECT_EQ(files::FindPath(t.path() + "/", "DATA\\"), t / "data");
    // A name starting with a separator is absolute.
    EXPECT_EQ(files::FindPath("/nowhere", t.path() + "/DATA/VARNO.lev"), t / "data/varno.lev");
}

TEST(FindPath, PrefersTheExactSpellingAndLooksInEveryFolderThatMatches)
{
    TempFolder t;
    WriteText(t / "Data/a.txt", "a");
    WriteText(t / "data/b.txt", "b");
    WriteText(t / "data/A.TXT", "other a");
    EXPECT_EQ(files::FindPath(t.path(), "Data"), t / "Data");
    EXPECT_EQ(files::FindPath(t.path(), "data"), t / "data");
    // Only the lower-case folder holds b.txt, whichever spelling is asked for.
    EXPECT_EQ(files::FindPath(t.path(), "DATA/B.TXT"), t / "data/b.txt");
    EXPECT_EQ(files::FindPath(t.path(), "Data/b.txt"), t / "data/b.txt");
    EXPECT_EQ(files::FindPath(t.path(), "Data/a.txt"), t / "Data/a.txt");
    EXPECT_EQ(files::FindPath(t.path(), "data/A.TXT"), t / "data/A.TXT");
}

TEST(FindPath, MissingNamesGiveAnEmptyPathAndTheReason)
{
    TempFolder t;
    WriteText(t / "data/varno.lev", "x");
    SetLastError(0);
    EXPECT_EQ(files::FindPath(t.path(), "data/other.lev"), "");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files::FindPath(t.path(), "sounds/boom.wav"), "");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    // A file is no folder.
    EXPECT_EQ(files::FindPath(t.path(), "data/VARNO.LEV/x"), "");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(files::FindPath(t / "absent", ""), "");
}

TEST(FindPath, ParentFolderStepsWorkAsInTheDataFolderSearch)
{
    TempFolder t;
    fs::create_directories(t / "bin");
    WriteText(t / "Data/VARNO.LEV", "x");
    const std::string programFolder = t / "bin/";
    const std::string found = files::FindPath(programFolder, "..\\data\\varno.lev");
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(fs::equivalent(found, t / "Data/VARNO.LEV"));
    EXPECT_EQ(files::FindPath(programFolder, "varno.lev"), "");
}

TEST(PathForNewFile, UsesTheExistingFolderSpellingAndAnExistingFileName)
{
    TempFolder t;
    WriteText(t / "Data/Old.lev", "x");
    EXPECT_EQ(files::PathForNewFile(t.path(), "data\\NEW.LEV"), t / "Data/NEW.LEV");
    EXPECT_EQ(files::PathForNewFile(t.path(), "DATA/old.LEV"), t / "Data/Old.lev");
    EXPECT_EQ(files::PathForNewFile(t.path(), "top.txt"), t / "top.txt");
    SetLastError(0);
    EXPECT_EQ(files::PathForNewFile(t.path(), "missing\\new.lev"), "");
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(files::PathForNewFile(t.path(), "Data/Old.lev/inner"), "");
    EXPECT_EQ(files::PathForNewFile(t.path(), "data\\"), "");
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ProgramFolder, IsTheFolderOfTheRunningTest)
{
    const std::string path = files::ProgramPath();
    const std::string folder = files::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(files::IsFolder(folder));
    EXPECT_TRUE(files::IsFile(path));
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.substr(folder.size()), "test_platform");
}

TEST(WriteFileAtomically, CreatesAndReplacesKeepingModeAndLinks)
{
    TempFolder t;
    const std::string file = t / "settings.bin";
    ASSERT_TRUE(files::WriteFileAtomically(file, std::string_view("first", 5)));
    EXPECT_EQ(ReadText(file), "first");
    chmod(file.c_str(), 0640);
    ASSERT_TRUE(files::WriteFileAtomically(file, std::string("second\0bytes", 12)));
    EXPECT_EQ(ReadText(file), std::string("second\0bytes", 12));
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_TRUE(files::WriteFileAtomically(file, std::string_view()));
    EXPECT_EQ(ReadText(file), "");

    // Writing through a link replaces its target; the link stays a link.
    fs::create_symlink("settings.bin", t / "link.bin");
    ASSERT_TRUE(files::WriteFileAtomically(t / "link.bin", std::string_view("via link")));
    EXPECT_TRUE(fs::is_symlink(t / "link.bin"));
    EXPECT_EQ(ReadText(file), "via link");
    EXPECT_EQ(testfs::CountEntries(t.path()), 2); // no temporary file left
}

TEST(WriteFileAtomically, AFailedWriteLeavesTheOldFileWhole)
{
    TempFolder t;
    const std::string file = t / "level.lev";
    const std::string old(4096, 'o');
    ASSERT_TRUE(files::WriteFileAtomically(file, old));
    {
        // The disk fills up half-way through the new contents.
        testfs::FileSizeLimit limit(1000);
        SetLastError(0);
        EXPECT_FALSE(files::WriteFileAtomically(file, std::string(5000, 'n')));
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    }
    EXPECT_EQ(ReadText(file), old);
    EXPECT_EQ(testfs::CountEntries(t.path()), 1);

    // A missing folder or a folder in the way fail cleanly too.
    EXPECT_FALSE(files::WriteFileAtomically(t / "absent/level.lev", std::string_view("x")));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    fs::create_directories(t / "folder");
    EXPECT_FALSE(files::WriteFileAtomically(t / "folder", std::string_view("x")));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(files::IsFolder(t / "folder"));
}

TEST(ReadWholeFile, ReadsEveryByteOrReportsWhy)
{
    TempFolder t;
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(files::WriteFileAtomically(t / "big", bytes));
    std::string read;
    ASSERT_TRUE(files::ReadWholeFile(t / "big", read));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(files::ReadWholeFile(t / "none", read));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(read.empty());
}
