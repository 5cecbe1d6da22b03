#include "anim/memmgr.h"
#include "anim/memmgr_internal.h"
#include "platform/base/debugbreak.h"
#include "platform/msgbox/msgbox.h"
#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace memmgr_internal;

namespace {
// Catches the manager's reports and answers them.
struct Reports {
    explicit Reports(int answer = IDOK)
    {
        msgbox::SetHandler([this, answer](const msgbox::Request& r) {
            seen.push_back(r);
            return answer;
        });
    }
    ~Reports() { msgbox::SetHandler({}); }
    std::vector<msgbox::Request> seen;
};

std::string Expected(const char* message, const void* p, const char* name, const char* file, long line,
                     const char* freeFile, long freeLine)
{
    char text[1024];
    std::snprintf(text, sizeof text,
                  "%s\n\n   Address: 0x%08lX (%s)\n   Allocated: %s line %ld\n   Freed: %s line %ld\n\nClick Cancel "
                  "to debug.",
                  message, static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p)), name, file, line, freeFile,
                  freeLine);
    return text;
}

struct Table {
    unsigned capacity = 0;
};

const BLOCKINFO* Live(const std::vector<BLOCKINFO>& blocks, const void* p)
{
    for (const BLOCKINFO& b : blocks)
        if (b.address == reinterpret_cast<std::uintptr_t>(p) && !b.fFreed)
            return &b;
    return nullptr;
}
}  // namespace

// ---- reports -----------------------------------------------------------------------------

TEST(MemMgrReports, OneBytePastTheBlockIsReportedWithWhereItCameFrom)
{
    Reports reports;
    auto* p = static_cast<unsigned char*>(MemMgr_AllocateMemory(10, "aBuffer", "game/level.cpp", 42));
    ASSERT_NE(p, nullptr);
    p[10] = 0;  // the first byte of the signature
    MemMgr_FreeMemory(p, "game/unload.cpp", 77);
    ASSERT_EQ(reports.seen.size(), 1u);
    EXPECT_EQ(reports.seen[0].caption, "Memory Manager");
    EXPECT_EQ(reports.seen[0].type, MB_ICONERROR | MB_OKCANCEL);
    EXPECT_EQ(reports.seen[0].text,
              Expected("The trailing signature on a block of memory was overwritten before being freed.", p, "aBuffer",
                       "game/level.cpp", 42, "game/unload.cpp", 77));
}

TEST(MemMgrReports, ASecondFreeIsReportedAndLeavesTheHeapAlone)
{
    Reports reports;
    void* p = MemMgr_AllocateMemory(24, "twice", "twice.cpp", 5);
    MemMgr_FreeMemory(p, "twice.cpp", 6);
    EXPECT_TRUE(reports.seen.empty());
    // The block is gone; the manager must not give it back a second time (the
    // sanitizer build would stop here if it did).
    MemMgr_FreeMemory(p, "twice.cpp", 7);
    ASSERT_EQ(reports.seen.size(), 1u);
    EXPECT_EQ(reports.seen[0].text, Expected("A block of memory was freed more than once.", p, "twice", "twice.cpp", 5,
                                             "twice.cpp", 7));
}

TEST(MemMgrReports, AnAddressNeverGivenOutIsReportedAndNotFreed)
{
    Reports reports;
    static int notFromTheHeap = 0;
    MemMgr_FreeMemory(&notFromTheHeap, "stray.cpp", 9);
    ASSERT_EQ(reports.seen.size(), 1u);
    EXPECT_EQ(reports.seen[0].text, Expected("An invalid memory address was freed.", &notFromTheHeap, "(unknown)",
                                             "(unknown)", 0, "stray.cpp", 9));
    EXPECT_EQ(MemMgr_TrackDelete(&notFromTheHeap, "stray.cpp", 10), 1);
    EXPECT_EQ(reports.seen.size(), 2u);
    MemMgr_FreeMemory(nullptr, "null.cpp", 1);
    EXPECT_EQ(reports.seen.size(), 2u);
}

TEST(MemMgrReports, CancelBreaksIntoTheDebugger)
{
    Reports reports(IDCANCEL);
    const int before = debugger::BreakCount();
    static int stray = 0;
    MemMgr_FreeMemory(&stray, "stray.cpp", 1);
    EXPECT_EQ(debugger::BreakCount(), before + 1);
    Reports ok(IDOK);
    MemMgr_FreeMemory(&stray, "stray.cpp", 2);
    EXPECT_EQ(debugger::BreakCount(), before + 1);
}

TEST(MemMgrReports, ReallocatingATrackedTableChecksTheOldBlock)
{
    Reports reports;
    Table t;
    unsigned char* a = nullptr;
    ASSERT_NE(MemMgr_ReallocateMemory(1, reinterpret_cast<void**>(&a), &t, 4, 4, 0, 1, "grow.cpp", 1), nullptr);
    EXPECT_TRUE(reports.seen.empty());
    unsigned char* first = a;
    a[4] = 'x';  // past the table
    ASSERT_NE(MemMgr_ReallocateMemory(1, reinterpret_cast<void**>(&a), &t, 5, 4, 0, 1, "grow.cpp", 2), nullptr);
    ASSERT_EQ(reports.seen.size(), 1u);
    EXPECT_EQ(reports.seen[0].text,
              Expected("The trailing signature on a block of memory was overwritten before being reallocated.", first,
                       "Reallocate", "grow.cpp", 1, "grow.cpp", 2));
    // Without fTrack the same fault goes unreported, and the table still grows.
    a[8] = 'y';
    ASSERT_NE(MemMgr_ReallocateMemory(1, reinterpret_cast<void**>(&a), &t, 9, 4, 0, 0, "grow.cpp", 3), nullptr);
    EXPECT_EQ(reports.seen.size(), 1u);
    EXPECT_EQ(t.capacity, 12u);
    MemMgr_FreeMemory(a, "grow.cpp", 4);
    EXPECT_EQ(reports.seen.size(), 1u);
}

TEST(MemMgrReports, AFreedTableThatIsGrownIsReportedAndStartsOver)
{
    Reports reports;
    Table t;
    int* a = nullptr;
    ASSERT_TRUE(MemMgr_ReallocateMemory(sizeof(int), reinterpret_cast<void**>(&a), &t, 2, 2, 0, 1, "t.cpp", 1));
    int* gone = a;
    MemMgr_FreeMemory(a, "t.cpp", 2);
    ASSERT_TRUE(MemMgr_ReallocateMemory(sizeof(int), reinterpret_cast<void**>(&a), &t, 3, 2, 0, 1, "t.cpp", 3));
    ASSERT_EQ(reports.seen.size(), 1u);
    EXPECT_EQ(reports.seen[0].text,
              Expected("A freed block of memory was reallocated.", gone, "Reallocate", "t.cpp", 1, "t.cpp", 3));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a[i], 0);
    MemMgr_FreeMemory(a, "t.cpp", 4);
    EXPECT_EQ(reports.seen.size(), 1u);
}

TEST(MemMgrReports, AnObjectMadeElsewhereIsLeftToItsMaker)
{
    Reports reports;
    const TOTALS start = GetTotals();
    auto* object = new int[2];
    MemMgr_TrackNew(object, 8, "object", "o.cpp", 1);
    // Released through the allocator by mistake: recorded, not freed (its
    // maker's delete[] below would fail in the sanitizer build otherwise).
    MemMgr_FreeMemory(object, "o.cpp", 2);
    EXPECT_TRUE(reports.seen.empty());
    EXPECT_EQ(GetTotals().objects.count, start.objects.count);
    delete[] object;
}

// ---- records and counters --------------------------------------------------------------------

TEST(MemMgrRecords, AGrownTableKeepsItsRecordAtItsNewAddress)
{
    Reports reports;
    Table t;
    char* a = nullptr;
    ASSERT_TRUE(MemMgr_ReallocateMemory(1, reinterpret_cast<void**>(&a), &t, 3, 4, 0, 0, "first.cpp", 10));
    char* old = a;
    ASSERT_TRUE(MemMgr_ReallocateMemory(1, reinterpret_cast<void**>(&a), &t, 100, 4, 0, 0, "second.cpp", 20));
    std::vector<BLOCKINFO> blocks;
    Snapshot(&blocks, true);
    const BLOCKINFO* now = Live(blocks, a);
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->size, 100u);
    EXPECT_STREQ(now->name, "Reallocate");
    EXPECT_STREQ(now->file, "first.cpp");
    EXPECT_EQ(now->line, 10);
    if (old != a) {
        EXPECT_EQ(Live(blocks, old), nullptr);
    }
    MemMgr_FreeMemory(a, "t.cpp", 1);
    EXPECT_TRUE(reports.seen.empty());
}

TEST(MemMgrRecords, CountersFollowObjectsAndAllocationsAndTheTare)
{
    Reports reports;
    const TOTALS start = GetTotals();
    auto* object = new int[4];
    MemMgr_TrackNew(object, 16, "new int[4]", "obj.cpp", 3);
    void* block = MemMgr_AllocateMemory(100, "block", "blk.cpp", 4);
    TOTALS t = GetTotals();
    EXPECT_EQ(t.objects.count - start.objects.count, 1);
    EXPECT_EQ(t.objects.bytes - start.objects.bytes, 16);
    EXPECT_EQ(t.dynamic.count - start.dynamic.count, 1);
    EXPECT_EQ(t.dynamic.bytes - start.dynamic.bytes, 100);
    EXPECT_EQ(t.combined.count, t.objects.count + t.dynamic.count);
    EXPECT_EQ(t.combined.bytes, t.objects.bytes + t.dynamic.bytes);

    Tare();
    EXPECT_EQ(GetTotals().tared.count, 0);
    EXPECT_EQ(GetTotals().tared.bytes, 0);
    EXPECT_EQ(MemMgr_TrackDelete(object, "obj.cpp", 5), 1);
    delete[] object;
    t = GetTotals();
    EXPECT_EQ(t.tared.count, -1);
    EXPECT_EQ(t.tared.bytes, -16);
    Restore();
    EXPECT_EQ(GetTotals().tared.bytes, GetTotals().combined.bytes);
    MemMgr_FreeMemory(block, "blk.cpp", 6);
    t = GetTotals();
    EXPECT_EQ(t.combined.count, start.combined.count);
    EXPECT_EQ(t.combined.bytes, start.combined.bytes);
    EXPECT_TRUE(reports.seen.empty());

    std::vector<BLOCKINFO> blocks;
    Snapshot(&blocks, true);
    int freedObjects = 0;
    for (const BLOCKINFO& b : blocks)
        if (b.fObject && b.fFreed && b.name && std::strcmp(b.name, "new int[4]") == 0)
            ++freedObjects;
    EXPECT_GE(freedObjects, 1);
    Snapshot(&blocks, false);
    for (const BLOCKINFO& b : blocks)
        EXPECT_FALSE(b.fFreed);
}

TEST(MemMgrRecords, ManyBlocksAreFoundThroughTheGrowingHash)
{
    Reports reports;
    const TOTALS start = GetTotals();
    std::vector<void*> blocks;
    for (int i = 0; i < 6000; ++i)
        blocks.push_back(MemMgr_AllocateMemory(i % 50 + 1, "many", "many.cpp", i));
    EXPECT_EQ(GetTotals().dynamic.count - start.dynamic.count, 6000);
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        MemMgr_FreeMemory(*it, "many.cpp", 0);
    EXPECT_TRUE(reports.seen.empty());
    EXPECT_EQ(GetTotals().dynamic.count, start.dynamic.count);
    EXPECT_EQ(GetTotals().dynamic.bytes, start.dynamic.bytes);
    // The newest record of a reused address is the one found.
    void* again = MemMgr_AllocateMemory(8, "again", "again.cpp", 1);
    MemMgr_FreeMemory(again, "again.cpp", 2);
    EXPECT_TRUE(reports.seen.empty());
}

TEST(MemMgrRecords, ThreadsTrackUnderOneLock)
{
    Reports reports;
    const TOTALS start = GetTotals();
    std::vector<std::thread> threads;
    for (int n = 0; n < 4; ++n)
        threads.emplace_back([] {
            std::vector<void*> mine;
            for (int i = 0; i < 1500; ++i) {
                mine.push_back(MemMgr_AllocateMemory(i % 64 + 1, "thread", "thread.cpp", i));
                if (i % 3 == 0) {
                    MemMgr_FreeMemory(mine.back(), "thread.cpp", i);
                    mine.pop_back();
                }
            }
            for (void* p : mine)
                MemMgr_FreeMemory(p, "thread.cpp", 0);
        });
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(reports.seen.empty());
    EXPECT_EQ(GetTotals().dynamic.count, start.dynamic.count);
    EXPECT_EQ(GetTotals().dynamic.bytes, start.dynamic.bytes);
}

// ---- the list's texts ----------------------------------------------------------------------

TEST(MemMgrFormats, RowTexts)
{
    char out[64];
    EXPECT_STREQ(FormatSize(0, out), "0 b");
    EXPECT_STREQ(FormatSize(3071, out), "3071 b");
    EXPECT_STREQ(FormatSize(3072, out), "3.00 kb");
    EXPECT_STREQ(FormatSize(3100, out), "3.02 kb");
    EXPECT_STREQ(FormatSize(3584, out), "3.50 kb");
    EXPECT_STREQ(FormatSize(1024 * 1024 - 1, out), "1023.99 kb");
    EXPECT_STREQ(FormatSize(1024 * 1024, out), "1.00 MB");
    EXPECT_STREQ(FormatSize(3 * 1024 * 1024 / 2, out), "1.50 MB");
    EXPECT_STREQ(FormatSize(-4096, out), "-4.00 kb");
    EXPECT_STREQ(FormatLocation("C:\\src\\anim\\graphic.cpp", 120, out), "graphic.cpp, 120");
    EXPECT_STREQ(FormatLocation("anim/palette.cpp", 7, out), "palette.cpp, 7");
    EXPECT_STREQ(FormatLocation("E:palette.cpp", 8, out), "palette.cpp, 8");
    EXPECT_STREQ(FormatLocation(nullptr, 7, out), "unknown");
    EXPECT_STREQ(FormatFlags(true, true, out), "C F");
    EXPECT_STREQ(FormatFlags(false, true, out), "  F");
    EXPECT_STREQ(FormatFlags(true, false, out), "C  ");
    EXPECT_STREQ(FormatTimeOfDay(((13 * 60 + 4) * 60 + 5) * 1000L + 670, out), "13:04:05.67");
    EXPECT_STREQ(FormatTimeOfDay(9, out), "0:00:00.00");
}

// ---- settings -------------------------------------------------------------------------------

class MemMgrSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("memmgr_settings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        saved = old ? old : "";
        hadOld = old != nullptr;
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        registry_store::Reload();
    }
    void TearDown() override
    {
        if (hadOld)
            setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        registry_store::Reload();
        std::filesystem::remove_all(folder);
    }
    void Store(const std::vector<BYTE>& bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Telmar\\MemMgr", 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "Settings", 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    std::filesystem::path folder;
    std::string saved;
    bool hadOld = false;
};

TEST_F(MemMgrSettings, MissingSettingsGiveTheDefaults)
{
    const SETTINGS s = ReadSettings();
    EXPECT_EQ(s.rc.left, 0);
    EXPECT_EQ(s.rc.right, 510);
    EXPECT_EQ(s.rc.bottom, 440);
    const long widths[6] = {70, 40, 100, 110, 50, 80};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(s.widths[i], widths[i]);
    EXPECT_EQ(s.sortBy, 4);
    EXPECT_EQ(s.fDetails, 1);
}

TEST_F(MemMgrSettings, WrittenSettingsReadBackAsFortyEightBytes)
{
    SETTINGS s = DefaultSettings();
    s.rc = {100, 50, 700, 600};
    s.widths[3] = 222;
    s.sortBy = 2;
    s.fDetails = 0;
    ASSERT_TRUE(WriteSettings(s));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Telmar\\MemMgr", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD size = 0, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Settings", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 48u);
    const SETTINGS back = ReadSettings();
    EXPECT_EQ(back.rc.left, 100);
    EXPECT_EQ(back.rc.bottom, 600);
    EXPECT_EQ(back.widths[3], 222);
    EXPECT_EQ(back.sortBy, 2);
    EXPECT_EQ(back.fDetails, 0);
}

TEST_F(MemMgrSettings, NonsenseFallsBackFieldByField)
{
    std::vector<BYTE> bytes(48, 0);
    auto put = [&](int at, long v) {
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<std::size_t>(at + i)] = static_cast<BYTE>(static_cast<std::uint32_t>(v) >> (8 * i));
    };
    put(0, 10), put(4, 10), put(8, 5), put(12, 5);  // a window 5 pixels wide: no
    put(16, 90);                                     // a good width
    put(20, -3);                                     // a bad one
    put(40, 9);                                      // no such sort column
    put(44, 1);
    Store(bytes);
    SETTINGS s = ReadSettings();
    EXPECT_EQ(s.rc.right, 510);
    EXPECT_EQ(s.widths[0], 90);
    EXPECT_EQ(s.widths[1], 40);
    EXPECT_EQ(s.sortBy, 4);
    EXPECT_EQ(s.fDetails, 1);
    // A value of the wrong size is not read at all.
    Store(std::vector<BYTE>(20, 1));
    s = ReadSettings();
    EXPECT_EQ(s.widths[0], 70);
}
