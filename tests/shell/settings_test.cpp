#include "game/game.h"
#include "platform/ddraw/presenter.h"
#include "platform/registry/registry.h"
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("varno-settings-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        registry_store::Reload();
        g = GAME{};
    }
    void TearDown() override
    {
        registry_store::Reload();
        std::filesystem::remove_all(folder);
    }
    void Store(const std::vector<BYTE>& value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Varno", 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "Settings", 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    std::vector<BYTE> Stored()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Varno", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {};
        std::vector<BYTE> data(256);
        DWORD type = 0, cb = 256;
        const LSTATUS rc = RegQueryValueExA(key, "Settings", nullptr, &type, data.data(), &cb);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            return {};
        EXPECT_EQ(type, REG_BINARY);
        data.resize(cb);
        return data;
    }
    std::filesystem::path folder;
};

std::vector<BYTE> Value(const SETTINGS& s, DWORD tag, size_t size)
{
    BYTE bytes[kSettingsValueBytes];
    SettingsToBytes(s, bytes);
    std::vector<BYTE> v(bytes, bytes + kSettingsValueBytes);
    for (int i = 0; i < 4; ++i)
        v[i] = static_cast<BYTE>(tag >> (8 * i));
    v.resize(size, 0xEE);
    return v;
}

}  // namespace

TEST_F(SettingsStore, FirstRunUsesDefaultsAndWritesNothing)
{
    EXPECT_FALSE(LoadSettings());
    SettingsDefaults(&g.Settings);
    EXPECT_EQ(g.Settings.lVideoWidth, 800);
    EXPECT_EQ(g.Settings.lVideoHeight, 600);
    EXPECT_EQ(g.Settings.wColourDepth, 16);
    EXPECT_EQ(g.Settings.ControlDevice, cdMouse);
    EXPECT_TRUE(g.Settings.fSound);
    EXPECT_TRUE(g.Settings.fMusic);
    EXPECT_EQ(g.Settings.dwDifficulty, diffNormal);
    EXPECT_TRUE(g.Settings.fShowTutorial);
    EXPECT_EQ(g.Settings.lHighScore, 250000);
    EXPECT_EQ(g.Settings.lStartLevel, 1);
    EXPECT_FALSE(g.Settings.fKeyboardHintShown);
    EXPECT_EQ(DisplayQualityLevel(g.Settings.dwDisplayQuality), 5);
    EXPECT_TRUE(Stored().empty());
}

TEST_F(SettingsStore, SavedRecordHasTheFixedLayout)
{
    SettingsDefaults(&g.Settings);
    g.Settings.dwDifficulty = diffHard;
    g.Settings.lHighScore = 0x01020304;
    ASSERT_TRUE(SaveSettings());
    const std::vector<BYTE> v = Stored();
    ASSERT_EQ(v.size(), 54u);
    EXPECT_EQ(v[0], 0x00);  // tag 0x00030000, little-endian
    EXPECT_EQ(v[2], 0x03);
    EXPECT_EQ(v[4] | (v[5] << 8), 800);           // width at 0
    EXPECT_EQ(v[12] | (v[13] << 8), 16);          // depth at 8, 16 bits
    EXPECT_EQ(v[14], 1);                          // control device at 10
    EXPECT_EQ(v[26], 2);                          // difficulty at 22
    EXPECT_EQ(v[34], 0x04);                       // high score at 30
    EXPECT_EQ(v[37], 0x01);
    EXPECT_EQ(v[50], 7);                          // display quality at 46
    g = GAME{};
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(g.Settings.dwDifficulty, diffHard);
    EXPECT_EQ(g.Settings.lHighScore, 0x01020304);
}

TEST_F(SettingsStore, VersionRuleAcceptsOnlyTheSameMajorVersion)
{
    SETTINGS s;
    SettingsDefaults(&s);
    s.lStartLevel = 9;
    for (DWORD tag : {0x00020000u, 0x00040000u}) {
        Store(Value(s, tag, 54));
        g = GAME{};
        EXPECT_FALSE(LoadSettings()) << std::hex << tag;
        EXPECT_EQ(g.Settings.lStartLevel, 0);
    }
    Store(Value(s, 0x00030007u, 54));
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(g.Settings.lStartLevel, 9);
}

TEST_F(SettingsStore, LongerValueLoadsItsFirstRecordBytesShorterFails)
{
    SETTINGS s;
    SettingsDefaults(&s);
    s.dwDisplayQuality = 4;
    s.fKeyboardHintShown = TRUE;
    Store(Value(s, kSettingsVersion, 60));
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(g.Settings.dwDisplayQuality, 4u);
    EXPECT_TRUE(g.Settings.fKeyboardHintShown);
    g = GAME{};
    Store(Value(s, kSettingsVersion, 53));
    EXPECT_FALSE(LoadSettings());
}

TEST(DisplayQuality, MasksAndLevels)
{
    EXPECT_EQ(DisplayQualityLevel(7), 5);
    EXPECT_EQ(DisplayQualityLevel(5), 4);
    EXPECT_EQ(DisplayQualityLevel(6), 3);
    EXPECT_EQ(DisplayQualityLevel(4), 2);
    EXPECT_EQ(DisplayQualityLevel(0), 1);
    EXPECT_EQ(DisplayQualityLevel(3), 1);
    for (int level = 1; level <= 5; ++level)
        EXPECT_EQ(DisplayQualityLevel(DisplayQualityMask(level)), level);
}

TEST(DisplayQuality, StepsDownAndWrapsRound)
{
    // An unlisted mask reads as Fastest, so its next step is Excellent.
    EXPECT_EQ(NextDisplayQualityMask(3), 7u);
    std::vector<int> levels;
    DWORD mask = 7;
    for (int i = 0; i < 5; ++i) {
        mask = NextDisplayQualityMask(mask);
        levels.push_back(DisplayQualityLevel(mask));
    }
    EXPECT_EQ(levels, (std::vector<int>{4, 3, 2, 1, 5}));
    EXPECT_EQ(mask, 7u);
}

namespace {
TEST_F(SettingsStore, DisplayChoiceSurvivesARestartAndADamagedValueKeepsFullScreen)
{
    presenter::SetFullScreen(false);
    ASSERT_TRUE(StoreDisplayChoice());
    presenter::SetFullScreen(true);
    registry_store::Reload();
    LoadDisplayChoice();
    EXPECT_FALSE(presenter::IsFullScreen());

    // A value of the wrong type is ignored: the current choice stays.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Varno", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const BYTE junk[2] = {1, 2};
    ASSERT_EQ(RegSetValueExA(key, "FullScreen", 0, REG_BINARY, junk, sizeof junk), ERROR_SUCCESS);
    RegCloseKey(key);
    presenter::SetFullScreen(true);
    LoadDisplayChoice();
    EXPECT_TRUE(presenter::IsFullScreen());
}
} // namespace
