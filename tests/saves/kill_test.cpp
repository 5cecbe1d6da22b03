// Saves that survive a kill: a child process saves the level file and the
// settings store over and over, and is killed with SIGKILL at random
// moments. After every kill each file holds, byte for byte, the old content
// or the new one, and reads back. Also: a replaced file keeps its
// permissions, and the temporary files of killed saves are removed when the
// next process starts reading.
#include "game/game.h"
#include "levelfile/datafile.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kKills = 520;

// Two level lists that differ, and two settings records.
struct Contents {
    PUZZLE puzzles[2][2] = {};
    LEVEL levels[2][1] = {};

    Contents()
    {
        for (int v = 0; v < 2; ++v) {
            for (int p = 0; p < 2; ++p) {
                PUZZLE& z = puzzles[v][p];
                z.lWidth = 4 + v;
                z.lLength = 8 + p;
                z.lSpeed = 10 * v;
                z.lMines = 1 + p + v;
                for (int x = 0; x < z.lWidth; ++x)
                    z.aFormation[0][x] = 1 + (x + v + p) % 5;
            }
            levels[v][0] = LEVEL{puzzles[v], 2, 4 + v, 8, 0};
        }
    }
    // Makes version v the game's levels and settings.
    void Use(int v)
    {
        g.Levels.pLevels = levels[v];
        g.Levels.cLevels = 1;
        g.Levels.fScrambled = FALSE;
        SettingsDefaults(&g.Settings);
        g.Settings.lHighScore = v ? 123456 : 42;
        g.Settings.dwDifficulty = static_cast<DWORD>(v + 1);
    }
};

class KillDuringSaves : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("varno-kill-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "data");
        fs::create_directories(folder / "config");
        setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        registry_store::Reload();
        SettingsKeepInMemory(false);
        // A level file for the data folder to be found by.
        files::WriteFileAtomically((folder / "data" / "VARNO.LEV").string(), std::string("Level {}"));
        ResetDataFolder(((folder / "data").string() + "/").c_str());
        levelFile = FindLevelFile(nullptr);
        storeFile = registry_store::FileOf(HKEY_CURRENT_USER);
    }
    void TearDown() override
    {
        g.Levels = LEVELLIST{};
        ResetDataFolder(nullptr);
        registry_store::Reload();
        fs::remove_all(folder);
    }

    // Saves version v of both files the way the game does.
    bool Save(int v)
    {
        contents.Use(v);
        return SaveLevelFile(FALSE) && SaveSettings();
    }
    std::string Read(const std::string& path)
    {
        std::string bytes;
        files::ReadWholeFile(path, bytes);
        return bytes;
    }
    int Temporaries()
    {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(folder / "data"))
            n += entry.path().filename().string().find(".tmp-") != std::string::npos;
        for (const auto& entry : fs::directory_iterator(folder / "config" / "varno"))
            n += entry.path().filename().string().find(".tmp-") != std::string::npos;
        return n;
    }

    fs::path folder;
    std::string levelFile, storeFile;
    Contents contents;
};

TEST_F(KillDuringSaves, EveryFileIsTheOldOrTheNewOneAndReadsBack)
{
    ASSERT_TRUE(Save(1));
    const std::string level1 = Read(levelFile), store1 = Read(storeFile);
    ASSERT_TRUE(Save(0));
    const std::string level0 = Read(levelFile), store0 = Read(storeFile);
    ASSERT_NE(level0, level1);
    ASSERT_NE(store0, store1);

    std::mt19937 chance(20261208);
    // Saving one version takes a few milliseconds; the kills fall anywhere
    // in the first twelve, so in all the steps of a save and between saves.
    std::uniform_int_distribution<int> delayUs(0, 12000);
    int tornLevel = 0, tornStore = 0, unreadable = 0, versionsSeen[2] = {0, 0};
    int leftBehind = 0, notRemoved = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int v = 1;; v ^= 1)
                Save(v);
        }
        usleep(static_cast<useconds_t>(delayUs(chance)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        leftBehind += Temporaries();
        const std::string level = Read(levelFile), store = Read(storeFile);
        tornLevel += level != level0 && level != level1;
        tornStore += store != store0 && store != store1;
        ++versionsSeen[level == level1];
        // The game's own readers take both files.
        registry_store::Reload();
        SettingsDefaults(&g.Settings);
        const bool settingsRead = LoadSettings() && (g.Settings.lHighScore == 42 || g.Settings.lHighScore == 123456);
        g.Levels = LEVELLIST{};
        const bool levelsRead = ReadLevelFile() && g.Levels.cLevels == 1;
        ReleaseLevelList(&g.Levels);
        unreadable += !settingsRead || !levelsRead;
        notRemoved += Temporaries();
    }
    EXPECT_EQ(tornLevel, 0);
    EXPECT_EQ(tornStore, 0);
    EXPECT_EQ(unreadable, 0);
    // The kills did fall while both versions were being written.
    EXPECT_GT(versionsSeen[0], 0);
    EXPECT_GT(versionsSeen[1], 0);

    // Some kills fell between writing a temporary file and renaming it;
    // the readers, as at the start of the next process, removed them all.
    EXPECT_GT(leftBehind, 0);
    EXPECT_EQ(notRemoved, 0);
}

TEST_F(KillDuringSaves, AReplacedFileKeepsItsPermissions)
{
    ASSERT_TRUE(Save(0));
    ASSERT_EQ(chmod(levelFile.c_str(), 0640), 0);
    ASSERT_EQ(chmod(storeFile.c_str(), 0600), 0);
    ASSERT_TRUE(Save(1));
    struct stat st;
    ASSERT_EQ(stat(levelFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(stat(storeFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(KillDuringSaves, OnlyTemporariesOfEndedProcessesAreRemoved)
{
    ASSERT_TRUE(Save(0));
    // A process that has ended, one that still runs (this one's parent),
    // and names that only look alike.
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);
    const fs::path data = folder / "data";
    const std::string name = fs::path(levelFile).filename().string();
    const std::vector<std::string> stale = {"." + name + ".tmp-" + std::to_string(ended) + "-0"};
    const std::vector<std::string> kept = {"." + name + ".tmp-" + std::to_string(getppid()) + "-3",
                                           "." + name + ".tmp-" + std::to_string(getpid()) + "-9",
                                           "." + name + ".tmp-x-1", ".other.tmp-" + std::to_string(ended) + "-0",
                                           name + ".tmp-" + std::to_string(ended) + "-0"};
    for (const auto& list : {stale, kept})
        for (const std::string& file : list)
            files::WriteFileAtomically((data / file).string(), std::string("x"));
    EXPECT_EQ(files::RemoveStaleTemporaryFiles(levelFile), 1);
    for (const std::string& file : stale)
        EXPECT_FALSE(fs::exists(data / file)) << file;
    for (const std::string& file : kept)
        EXPECT_TRUE(fs::exists(data / file)) << file;
}

TEST(ReadLimits, FilesClaimingHugeSizesAreRefusedUnread)
{
    const fs::path file = fs::temp_directory_path() / ("varno-huge-" + std::to_string(getpid()));
    // A sparse file of 100 MB: nothing of it is read.
    {
        std::FILE* out = std::fopen(file.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fseek(out, 100L * 1024 * 1024 - 1, SEEK_SET), 0);
        std::fputc('x', out);
        std::fclose(out);
    }
    std::string bytes = "left";
    EXPECT_FALSE(files::ReadWholeFile(file.string(), bytes, kMaxLevelFileBytes));
    EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
    EXPECT_TRUE(bytes.empty());
    fs::remove(file);
}

} // namespace
