#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;
using testfs::ReadText;
using testfs::WriteText;

namespace {

// Every test gets a store of its own in a fresh XDG_CONFIG_HOME.
class Registry : public testing::Test {
protected:
    void SetUp() override { registry_store::Reload(); }
    void TearDown() override { registry_store::Reload(); }

    std::string StoreFile(HKEY root) const { return registry_store::FileOf(root); }

    HKEY Create(HKEY root, const char* path)
    {
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        return key;
    }
    HKEY Open(HKEY root, const char* path)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(root, path, 0, KEY_READ, &key), ERROR_SUCCESS);
        return key;
    }

    static std::vector<BYTE> Pattern(std::size_t n, int seed)
    {
        std::vector<BYTE> v(n);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = static_cast<BYTE>(seed + i * 37);
        return v;
    }

    static std::vector<BYTE> Read(HKEY key, const char* name, DWORD* type = nullptr)
    {
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        std::vector<BYTE> data(size);
        EXPECT_EQ(RegQueryValueExA(key, name, nullptr, type, data.data(), &size), ERROR_SUCCESS);
        return data;
    }

    static LSTATUS Write(HKEY key, const char* name, const std::vector<BYTE>& data, DWORD type = REG_BINARY)
    {
        return RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    }

    testfs::TempFolder m_config;
    testfs::EnvVar m_xdg{"XDG_CONFIG_HOME", m_config.path().c_str()};
};

} // namespace

TEST_F(Registry, BinaryValuesSurviveAReload)
{
    const std::vector<BYTE> settings = Pattern(54, 1), memmgr = Pattern(60, 9);
    HKEY game = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    HKEY mem = Create(HKEY_LOCAL_MACHINE, "Software\\Telmar\\MemMgr");
    ASSERT_EQ(Write(game, "Settings", settings), ERROR_SUCCESS);
    ASSERT_EQ(Write(mem, "Settings", memmgr), ERROR_SUCCESS);
    EXPECT_EQ(Write(game, "Empty", {}), ERROR_SUCCESS);
    RegCloseKey(game);
    RegCloseKey(mem);

    EXPECT_EQ(registry_store::Folder(), m_config.path() + "/varno/");
    EXPECT_TRUE(files::IsFile(StoreFile(HKEY_CURRENT_USER)));
    EXPECT_TRUE(files::IsFile(StoreFile(HKEY_LOCAL_MACHINE)));
    EXPECT_NE(StoreFile(HKEY_CURRENT_USER), StoreFile(HKEY_LOCAL_MACHINE));

    registry_store::Reload();
    game = Open(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    mem = Open(HKEY_LOCAL_MACHINE, "Software\\Telmar\\MemMgr");
    DWORD type = 0;
    EXPECT_EQ(Read(game, "Settings", &type), settings);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(Read(mem, "Settings"), memmgr);
    DWORD size = 99;
    EXPECT_EQ(RegQueryValueExA(game, "Empty", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    // The two roots are apart: the same path under the other root is not there.
    HKEY none = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Telmar\\Varno", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(none, nullptr);
    RegCloseKey(game);
    RegCloseKey(mem);
}

TEST_F(Registry, DwordAndStringValuesAndOverwrites)
{
    HKEY nls = Create(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Nls\\Telmar");
    const DWORD english = 1033, esperanto = 0;
    ASSERT_EQ(RegSetValueExA(nls, "Language - Varno", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&english), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(nls, "Default Language", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&english), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(nls, "Default Language", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&esperanto), 4),
              ERROR_SUCCESS);
    const char text[] = "tab\there, %percent\nand more";
    ASSERT_EQ(RegSetValueExA(nls, "odd\tname%", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
              ERROR_SUCCESS);
    RegCloseKey(nls);

    registry_store::Reload();
    nls = Open(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Nls\\Telmar");
    DWORD value = 12345, size = sizeof value, type = 0;
    EXPECT_EQ(RegQueryValueExA(nls, "Language - Varno", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1033u);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegQueryValueExA(nls, "Default Language", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0u);
    const std::vector<BYTE> stored = Read(nls, "ODD\tNAME%", &type);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::string(stored.begin(), stored.end()), std::string(text, sizeof text));
    RegCloseKey(nls);
}

TEST_F(Registry, MissingStoreKeysAndValues)
{
    // Nothing written yet: the store reads as empty and makes no folder.
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Varno", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(registry_store::LoadStatus(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(m_config.path() + "/varno"));

    key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    BYTE buffer[8] = {};
    DWORD size = sizeof buffer, type = 77;
    EXPECT_EQ(RegQueryValueExA(key, "Settings", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "Settings"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    // Keys above a created key exist too; siblings do not.
    RegCloseKey(Open(HKEY_CURRENT_USER, "Software\\Telmar"));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Other", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    HKEY again = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    ASSERT_EQ(Write(again, "Settings", Pattern(4, 3)), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(again, "settings"), ERROR_SUCCESS);
    registry_store::Reload();
    EXPECT_EQ(RegQueryValueExA(again, "Settings", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(again);
}

TEST_F(Registry, TooSmallABufferReportsTheSizeNeeded)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    const std::vector<BYTE> settings = Pattern(54, 5);
    ASSERT_EQ(Write(key, "Settings", settings), ERROR_SUCCESS);

    std::vector<BYTE> buffer(53, 0xEE);
    DWORD size = 53, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Settings", nullptr, &type, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 54u);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(buffer, std::vector<BYTE>(53, 0xEE)); // nothing copied

    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Settings", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 54u);
    buffer.assign(60, 0);
    size = 60;
    EXPECT_EQ(RegQueryValueExA(key, "Settings", nullptr, nullptr, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 54u);
    EXPECT_TRUE(std::equal(settings.begin(), settings.end(), buffer.begin()));
    EXPECT_EQ(RegQueryValueExA(key, "Settings", nullptr, nullptr, buffer.data(), nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, KeysAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    ASSERT_EQ(Write(key, "Settings", Pattern(54, 2)), ERROR_SUCCESS);
    RegCloseKey(key);

    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\telmar\\VARNO\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(Read(key, "SETTINGS"), Pattern(54, 2));
    ASSERT_EQ(Write(key, "settings", Pattern(54, 3)), ERROR_SUCCESS); // the same value
    RegCloseKey(key);

    // Opening relative to an open key.
    HKEY telmar = Open(HKEY_CURRENT_USER, "software\\TELMAR");
    key = Open(telmar, "varno");
    EXPECT_EQ(Read(key, "Settings"), Pattern(54, 3));
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(telmar, "MemMgr", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    RegCloseKey(telmar);

    const std::string text = ReadText(StoreFile(HKEY_CURRENT_USER));
    EXPECT_NE(text.find("Software\\Telmar\\Varno\n"), std::string::npos);
    EXPECT_NE(text.find("Software\\Telmar\\MemMgr\n"), std::string::npos);
    EXPECT_NE(text.find("\tSettings\t"), std::string::npos);
    EXPECT_EQ(text.find("\tsettings\t"), std::string::npos);
    EXPECT_EQ(text.find("VARNO"), std::string::npos);
}

TEST_F(Registry, HandlesAreCheckedAndTheRootsHoldNoValues)
{
    const BYTE one = 1;
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    int local = 0;
    HKEY bogus = reinterpret_cast<HKEY>(&local);
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(bogus, "x", 0, REG_BINARY, &one, 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "x", 0, REG_BINARY, &one, 1), ERROR_ACCESS_DENIED);
    HKEY key = Create(HKEY_CURRENT_USER, "A");
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, TheStoreFollowsXdgConfigHome)
{
    testfs::TempFolder other;
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    ASSERT_EQ(Write(key, "Settings", Pattern(54, 7)), ERROR_SUCCESS);
    RegCloseKey(key);
    {
        testfs::EnvVar xdg("XDG_CONFIG_HOME", other.path().c_str());
        registry_store::Reload();
        EXPECT_EQ(registry_store::Folder(), other.path() + "/varno/");
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Telmar\\Varno", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    }
    {
        // Without it (or with a relative one, which is not valid) the store is in ~/.config.
        testfs::EnvVar xdg("XDG_CONFIG_HOME", "relative/config");
        testfs::EnvVar home("HOME", other.path().c_str());
        registry_store::Reload();
        EXPECT_EQ(registry_store::Folder(), other.path() + "/.config/varno/");
        key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
        RegCloseKey(key);
        EXPECT_TRUE(files::IsFile(other.path() + "/.config/varno/current-user.registry"));
    }
    registry_store::Reload();
    key = Open(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    EXPECT_EQ(Read(key, "Settings"), Pattern(54, 7));
    RegCloseKey(key);
}

TEST_F(Registry, AnUnwritableFolderFailsTheChangeAndKeepsTheOldValue)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    ASSERT_EQ(Write(key, "Settings", Pattern(54, 1)), ERROR_SUCCESS);
    // Something that is not a folder takes the store folder's place.
    fs::remove_all(m_config.path() + "/varno");
    WriteText(m_config.path() + "/varno", "in the way");

    EXPECT_NE(Write(key, "Settings", Pattern(54, 2)), ERROR_SUCCESS);
    EXPECT_EQ(Read(key, "Settings"), Pattern(54, 1));
    EXPECT_NE(RegDeleteValueA(key, "Settings"), ERROR_SUCCESS);
    EXPECT_EQ(Read(key, "Settings"), Pattern(54, 1));
    HKEY created = nullptr;
    EXPECT_NE(
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, KEY_READ, &created), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadText(m_config.path() + "/varno"), "in the way");
    RegCloseKey(key);
}

TEST_F(Registry, AFolderWithoutWritePermissionFailsTheChange)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    ASSERT_EQ(Write(key, "Settings", Pattern(54, 1)), ERROR_SUCCESS);
    fs::permissions(m_config.path() + "/varno", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(Write(key, "Settings", Pattern(54, 2)), static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
    fs::permissions(m_config.path() + "/varno", fs::perms::owner_all);
    registry_store::Reload();
    EXPECT_EQ(Read(key, "Settings"), Pattern(54, 1));
    RegCloseKey(key);
}

TEST_F(Registry, AFailedWriteLeavesTheOldFileWhole)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    ASSERT_EQ(Write(key, "Settings", Pattern(54, 1)), ERROR_SUCCESS);
    const std::string file = StoreFile(HKEY_CURRENT_USER);
    const std::string before = ReadText(file);
    {
        // The disk fills up while the new file is written.
        testfs::FileSizeLimit limit(before.size() + 10);
        EXPECT_EQ(Write(key, "Big", Pattern(4000, 1)), static_cast<LSTATUS>(ERROR_DISK_FULL));
    }
    EXPECT_EQ(ReadText(file), before);
    EXPECT_EQ(testfs::CountEntries(registry_store::Folder()), 1); // no temporary file left
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Big", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, ADamagedFileKeepsWhatCanBeReadAndIsSavedBeforeItIsReplaced)
{
    const std::string damaged = "varno-registry 1\n"
                                "key\tSoftware\\Telmar\\Varno\n"
                                "value\tSettings\tbinary\t4\t01020304\n"
                                "value\tShort\tbinary\t4\t0102\n"  // size and bytes disagree
                                "value\tBadHex\tbinary\t2\tzz00\n" // not hexadecimal
                                "value\tBadType\tmystery\t1\t00\n" // unknown type
                                "value\tCount\tdword\t4\t2a000000\n"
                                "what is this line\n"
                                "key\tbad%zzname\n"              // bad escape: the key is lost ...
                                "value\tOrphan\tbinary\t1\t01\n" // ... and so is its value
                                "key\tSoftware\\Telmar\\MemMgr\r\n"
                                "value\tSettings\tbinary\t2\tabcd\r\n";
    WriteText(m_config.path() + "/varno/current-user.registry", damaged);

    testing::internal::CaptureStderr();
    int damagedLines = 0;
    EXPECT_EQ(registry_store::LoadStatus(HKEY_CURRENT_USER, &damagedLines), ERROR_INVALID_DATA);
    EXPECT_EQ(damagedLines, 6);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    EXPECT_EQ(registry_store::LoadStatus(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);

    HKEY key = Open(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    EXPECT_EQ(Read(key, "Settings"), (std::vector<BYTE>{1, 2, 3, 4}));
    EXPECT_EQ(Read(key, "Count"), (std::vector<BYTE>{42, 0, 0, 0}));
    DWORD size = 0;
    for (const char* lost : {"Short", "BadHex", "BadType"})
        EXPECT_EQ(RegQueryValueExA(key, lost, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND) << lost;
    HKEY mem = Open(HKEY_CURRENT_USER, "Software\\Telmar\\MemMgr");
    EXPECT_EQ(Read(mem, "Settings"), (std::vector<BYTE>{0xAB, 0xCD}));

    // The first change keeps the damaged file whole beside the new one.
    ASSERT_EQ(Write(key, "New", {9}), ERROR_SUCCESS);
    const std::string file = StoreFile(HKEY_CURRENT_USER);
    EXPECT_EQ(ReadText(file + ".damaged"), damaged);
    ASSERT_EQ(Write(key, "New", {10}), ERROR_SUCCESS);
    EXPECT_EQ(testfs::CountEntries(registry_store::Folder()), 2);
    RegCloseKey(key);
    RegCloseKey(mem);

    registry_store::Reload();
    EXPECT_EQ(registry_store::LoadStatus(HKEY_CURRENT_USER, &damagedLines), ERROR_SUCCESS);
    EXPECT_EQ(damagedLines, 0);
    key = Open(HKEY_CURRENT_USER, "Software\\Telmar\\Varno");
    EXPECT_EQ(Read(key, "Settings"), (std::vector<BYTE>{1, 2, 3, 4}));
    EXPECT_EQ(Read(key, "New"), (std::vector<BYTE>{10}));
    RegCloseKey(key);

    // A second damaged file does not replace the first one kept.
    WriteText(file, "garbage\n");
    registry_store::Reload();
    testing::internal::CaptureStderr();
    key = Create(HKEY_CURRENT_USER, "Fresh");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadText(file + ".damaged"), damaged);
    EXPECT_EQ(ReadText(file + ".damaged.1"), "garbage\n");
    RegCloseKey(key);
}

TEST_F(Registry, AStoreFileThatCannotBeReadIsNeverReplaced)
{
    // A folder where the file should be: nothing can be read from it, and no
    // change may replace it.
    fs::create_directories(m_config.path() + "/varno/current-user.registry/inside");
    testing::internal::CaptureStderr();
    EXPECT_EQ(registry_store::LoadStatus(HKEY_CURRENT_USER), ERROR_ACCESS_DENIED);
    testing::internal::GetCapturedStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::is_directory(m_config.path() + "/varno/current-user.registry/inside"));
    // The other root is unaffected.
    key = Create(HKEY_LOCAL_MACHINE, "Software");
    RegCloseKey(key);
}
