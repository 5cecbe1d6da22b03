#include "anim/filemap.h"

#include "anim/lasterror.h"
#include "platform/base/syserror.h"
#include "platform/files/filehandle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

unsigned char Pattern(std::size_t i)
{
    return static_cast<unsigned char>((i * 7 + i / 251) % 251);
}

class TempFile {
public:
    explicit TempFile(const std::vector<unsigned char>& bytes)
    {
        static int serial = 0;
        path_ = fs::temp_directory_path() /
                ("filemap_test_" + std::to_string(::getpid()) + "_" + std::to_string(serial++) + ".bin");
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~TempFile() { fs::remove(path_); }
    std::string path() const { return path_.string(); }
    std::vector<unsigned char> Contents() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }

private:
    fs::path path_;
};

std::vector<unsigned char> PatternBytes(std::size_t n)
{
    std::vector<unsigned char> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = Pattern(i);
    return v;
}

int g_failedChecks = 0;
int CountingHandler(int fOK, const char*, const char*, unsigned long)
{
    if (!fOK)
        ++g_failedChecks;
    return fOK;
}

class FileMapAssertions : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_failedChecks = 0;
        ZephaneSetAssertFunction(CountingHandler);
    }
    void TearDown() override
    {
        ZephaneSetAssertFunction(nullptr);
        EXPECT_EQ(g_failedChecks, 0);
    }
};
} // namespace

// ---- memory mode -------------------------------------------------------------------

TEST(FileMapMemory, SeekFromTheEndCountsBackAndShortReadsCopyWhatThereIs)
{
    unsigned char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    FILEMAP f;
    ASSERT_TRUE(f.Open(data, sizeof data));
    EXPECT_EQ(f.GetSize(), 10);
    EXPECT_TRUE(f.Seek(3, 2));
    EXPECT_EQ(f.GetPosition(), 7);
    unsigned char out[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(f.Read(out, 5));
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[2], 9);
    EXPECT_EQ(out[3], 0xEE);
    EXPECT_EQ(f.GetPosition(), 10);
    // Places outside the block, before its start too, end at its end.
    f.Seek(-4, 0);
    EXPECT_EQ(f.GetPosition(), 10);
    f.Seek(2, 0);
    f.Seek(-5, 1);
    EXPECT_EQ(f.GetPosition(), 10);
    f.Seek(20, 0);
    EXPECT_EQ(f.GetPosition(), 10);
    EXPECT_TRUE(f.Read(out, 0));
}

TEST(FileMapMemory, WritesStopAtTheEndAndTheSizeOnlyShrinks)
{
    unsigned char data[6] = {};
    FILEMAP f;
    ASSERT_TRUE(f.Open(data, sizeof data));
    EXPECT_TRUE(f.Write("ab", 2));
    EXPECT_TRUE(f.WriteNoMove("cd", 2));
    EXPECT_EQ(f.GetPosition(), 2);
    EXPECT_FALSE(f.Write("XYZWV", 5));
    EXPECT_EQ(std::memcmp(data, "abXYZW", 6), 0);
    EXPECT_FALSE(f.Write("q", 1));
    EXPECT_FALSE(f.SetSize(7));
    EXPECT_TRUE(f.SetSize(4));
    EXPECT_EQ(f.GetSize(), 4);
    EXPECT_EQ(f.GetPosition(), 4);
    f.Close();
    EXPECT_EQ(f.GetSize(), -1);
    EXPECT_EQ(f.GetPosition(), -1);
    EXPECT_FALSE(f.Read(data, 1));
}

TEST(FileMapMemory, PeekingLeavesThePositionAlsoWhenItRunsShort)
{
    unsigned char data[4] = {'B', 'M', 'x', 'y'};
    FILEMAP f;
    ASSERT_TRUE(f.Open(data, sizeof data));
    unsigned char sig[2];
    EXPECT_TRUE(f.ReadNoMove(sig, 2));
    EXPECT_EQ(sig[0], 'B');
    EXPECT_EQ(f.GetPosition(), 0);
    f.Seek(3, 0);
    EXPECT_FALSE(f.ReadNoMove(sig, 2));
    EXPECT_EQ(f.GetPosition(), 3);
}

TEST(FileMapLines, EveryKindOfLineEndEndsOneLine)
{
    std::string text = "abc\r\n\r\ndef\n\rghi\rjkl\n\nlast";
    FILEMAP f;
    ASSERT_TRUE(f.Open(reinterpret_cast<unsigned char*>(text.data()), static_cast<unsigned>(text.size())));
    char line[64];
    std::vector<std::string> lines;
    while (f.ReadLine(line, 63))
        lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"abc", "", "def", "ghi", "jkl", "", "last"}));
}

TEST(FileMapLines, LongLinesAreCutAtTheLimitAndTheRestFollows)
{
    std::string text = "abcdefg\r\n";
    FILEMAP f;
    ASSERT_TRUE(f.Open(reinterpret_cast<unsigned char*>(text.data()), static_cast<unsigned>(text.size())));
    char line[5];
    ASSERT_TRUE(f.ReadLine(line, 4));
    EXPECT_STREQ(line, "abcd");
    ASSERT_TRUE(f.ReadLine(line, 4));
    EXPECT_STREQ(line, "efg");
    EXPECT_FALSE(f.ReadLine(line, 4));
    EXPECT_STREQ(line, "");
}

// ---- file mode -------------------------------------------------------------------

TEST(FileMapFile, OpenFailuresKeepTheSystemError)
{
    FILEMAP f;
    const std::string missing = (fs::temp_directory_path() / "filemap-test-no-such-file.bmp").string();
    EXPECT_FALSE(f.Open(missing.c_str(), 0));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(f.Open("/nonexistent-folder-of-tests/none.bmp", 0));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(f.fIsOpen());
    // A resource number that names no resource of the program.
    EXPECT_FALSE(f.Open(reinterpret_cast<const char*>(60000), 0));
    // One that does opens the program's bitmap: the header, colour table and
    // pixels of the 256 x 256 texture.
    ASSERT_TRUE(f.Open(reinterpret_cast<const char*>(104), 0));
    EXPECT_EQ(f.GetSize(), 40 + 256 * 4 + 256 * 256);
}

TEST_F(FileMapAssertions, ReadsAcrossTheCacheBoundaryDeliverTheFileInOrder)
{
    const auto bytes = PatternBytes(200000);
    TempFile file(bytes);
    FILEMAP f;
    ASSERT_TRUE(f.Open(file.path().c_str(), 0));
    EXPECT_EQ(f.GetSize(), 200000);
    // Sizes chosen so that reads straddle the end of the cache block and the
    // point where consumed bytes are shifted out.
    const unsigned sizes[] = {1, 2, 5000, 0x3FFF, 3, 0x4000, 0x7FFE, 17, 40000, 9, 0x7FFF, 100};
    std::size_t pos = 0;
    std::vector<unsigned char> buffer(0x10000);
    for (unsigned n : sizes) {
        ASSERT_TRUE(f.Read(buffer.data(), n)) << "read of " << n << " at " << pos;
        for (unsigned i = 0; i < n; ++i)
            ASSERT_EQ(buffer[i], bytes[pos + i]) << "byte " << pos + i;
        pos += n;
        ASSERT_EQ(f.GetPosition(), static_cast<long>(pos));
    }
    // Reading 40000 bytes at once bypasses the cache and the bytes after them
    // still come in order.
    ASSERT_TRUE(f.Seek(1000, 0));
    std::vector<unsigned char> big(40000);
    ASSERT_TRUE(f.Read(big.data(), 40000));
    EXPECT_EQ(std::memcmp(big.data(), bytes.data() + 1000, 40000), 0);
    unsigned char after[4];
    ASSERT_TRUE(f.Read(after, 4));
    EXPECT_EQ(std::memcmp(after, bytes.data() + 41000, 4), 0);
    // A read past the end fails.
    ASSERT_TRUE(f.Seek(-3, 2));
    EXPECT_FALSE(f.Read(after, 4));
}

TEST_F(FileMapAssertions, PeeksAndRelativeSeeksInsideTheCacheKeepThePosition)
{
    const auto bytes = PatternBytes(70000);
    TempFile file(bytes);
    FILEMAP f;
    ASSERT_TRUE(f.Open(file.path().c_str(), 0));
    unsigned char b[8];
    ASSERT_TRUE(f.Read(b, 8));
    ASSERT_TRUE(f.ReadNoMove(b, 8));
    EXPECT_EQ(b[0], bytes[8]);
    EXPECT_EQ(f.GetPosition(), 8);
    ASSERT_TRUE(f.Seek(100, 1));
    EXPECT_EQ(f.GetPosition(), 108);
    ASSERT_TRUE(f.Seek(-50, 1));
    EXPECT_EQ(f.GetPosition(), 58);
    ASSERT_TRUE(f.Read(b, 1));
    EXPECT_EQ(b[0], bytes[58]);
    // A step back further than the cache reaches goes to the file.
    ASSERT_TRUE(f.Seek(0x7000, 0));
    ASSERT_TRUE(f.Read(b, 1));
    ASSERT_TRUE(f.Seek(-0x6000, 1));
    EXPECT_EQ(f.GetPosition(), 0x1001);
    ASSERT_TRUE(f.Read(b, 2));
    EXPECT_EQ(b[0], bytes[0x1001]);
    EXPECT_EQ(b[1], bytes[0x1002]);
    // A step back one byte further than was read since the cache was dropped.
    ASSERT_TRUE(f.Seek(5, 0));
    ASSERT_TRUE(f.Read(b, 8));
    ASSERT_TRUE(f.Seek(-9, 1));
    EXPECT_EQ(f.GetPosition(), 4);
    ASSERT_TRUE(f.Read(b, 2));
    EXPECT_EQ(b[0], bytes[4]);
    EXPECT_EQ(b[1], bytes[5]);
    // A peek at the very end of the cached bytes.
    ASSERT_TRUE(f.Seek(0x7FFD, 0));
    ASSERT_TRUE(f.Read(b, 1));
    ASSERT_TRUE(f.ReadNoMove(b, 4));
    EXPECT_EQ(std::memcmp(b, bytes.data() + 0x7FFE, 4), 0);
    EXPECT_EQ(f.GetPosition(), 0x7FFE);
}

TEST_F(FileMapAssertions, WritesAfterReadsLandAtTheLogicalPosition)
{
    const auto bytes = PatternBytes(50000);
    TempFile file(bytes);
    FILEMAP f;
    ASSERT_TRUE(f.Open(file.path().c_str(), OF_READWRITE));
    unsigned char b[10];
    ASSERT_TRUE(f.Read(b, 10)); // the cache now holds far more than 10 bytes
    ASSERT_TRUE(f.Write("WXYZ", 4));
    EXPECT_EQ(f.GetPosition(), 14);
    ASSERT_TRUE(f.Read(b, 2));
    EXPECT_EQ(b[0], bytes[14]);
    ASSERT_TRUE(f.WriteNoMove("qq", 2));
    EXPECT_EQ(f.GetPosition(), 16);
    ASSERT_TRUE(f.Read(b, 2));
    EXPECT_EQ(b[0], 'q');
    f.Close();
    auto now = file.Contents();
    ASSERT_EQ(now.size(), bytes.size());
    EXPECT_EQ(std::memcmp(now.data() + 10, "WXYZ", 4), 0);
    EXPECT_EQ(now[9], bytes[9]);
    EXPECT_EQ(now[14], bytes[14]);
    EXPECT_EQ(std::memcmp(now.data() + 16, "qq", 2), 0);
    EXPECT_EQ(now[18], bytes[18]);
}

TEST_F(FileMapAssertions, RandomMixOfOperationsMatchesAPlainModel)
{
    std::vector<unsigned char> model = PatternBytes(90000);
    TempFile file(model);
    FILEMAP f;
    ASSERT_TRUE(f.Open(file.path().c_str(), OF_READWRITE));
    std::mt19937 gen(1234);
    long pos = 0;
    std::vector<unsigned char> buffer(0x9000);
    for (int step = 0; step < 3000; ++step) {
        const int op = static_cast<int>(gen() % 10);
        const unsigned n = (gen() % 4 == 0) ? gen() % 0x9000 : gen() % 300;
        if (op < 4) {
            const bool fits = pos + static_cast<long>(n) <= static_cast<long>(model.size());
            if (fits) {
                ASSERT_TRUE(f.Read(buffer.data(), n)) << step;
                ASSERT_EQ(std::memcmp(buffer.data(), model.data() + pos, n), 0) << step;
                pos += n;
            }
        } else if (op < 6) {
            if (pos + static_cast<long>(n) <= static_cast<long>(model.size())) {
                ASSERT_TRUE(f.ReadNoMove(buffer.data(), n)) << step;
                ASSERT_EQ(std::memcmp(buffer.data(), model.data() + pos, n), 0) << step;
            }
        } else if (op < 8) {
            long delta = static_cast<long>(gen() % 20000) - 10000;
            if (pos + delta >= 0 && pos + delta <= static_cast<long>(model.size())) {
                ASSERT_TRUE(f.Seek(delta, 1)) << step;
                pos += delta;
            }
        } else if (op == 8) {
            const unsigned w = n % 64;
            for (unsigned i = 0; i < w; ++i)
                buffer[i] = static_cast<unsigned char>(gen());
            ASSERT_TRUE(f.Write(buffer.data(), w)) << step;
            if (pos + static_cast<long>(w) > static_cast<long>(model.size()))
                model.resize(static_cast<std::size_t>(pos) + w);
            std::memcpy(model.data() + pos, buffer.data(), w);
            pos += w;
        } else {
            pos = static_cast<long>(gen() % model.size());
            ASSERT_TRUE(f.Seek(pos, 0)) << step;
        }
        ASSERT_EQ(f.GetPosition(), pos) << step;
    }
    EXPECT_EQ(f.GetSize(), static_cast<long>(model.size()));
    f.Close();
    EXPECT_EQ(file.Contents(), model);
}

TEST(FileMapFile, CreatingEmptiesSetSizeCutsAndLinesRoundTrip)
{
    TempFile file(PatternBytes(5000));
    {
        FILEMAP f;
        ASSERT_TRUE(f.Open(file.path().c_str(), OF_CREATE));
        EXPECT_EQ(f.GetSize(), 0);
        EXPECT_TRUE(f.WriteLine("first"));
        EXPECT_TRUE(f.WriteLine(""));
        EXPECT_TRUE(f.WriteLine("third line"));
        EXPECT_TRUE(f.Write("tail", 4));
        EXPECT_EQ(f.GetSize(), 25);
        EXPECT_TRUE(f.SetSize(23));
        EXPECT_EQ(f.GetSize(), 23);
    }
    FILEMAP f;
    ASSERT_TRUE(f.Open(file.path().c_str(), 0));
    char line[32];
    std::vector<std::string> lines;
    while (f.ReadLine(line, 31))
        lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "", "third line", "ta"}));
}

TEST(FileMapFile, AnAdoptedHandleStaysOpenAfterClose)
{
    TempFile file(PatternBytes(100));
    HFILE h = OpenFileHandle(file.path().c_str(), OF_READ);
    ASSERT_NE(h, HFILE_ERROR);
    {
        FILEMAP f;
        ASSERT_TRUE(f.Open(h, 0));
        unsigned char b[3];
        ASSERT_TRUE(f.Read(b, 3));
        EXPECT_EQ(b[2], Pattern(2));
    }
    EXPECT_EQ(SeekFileHandle(h, 0, FILE_BEGIN), 0);
    EXPECT_TRUE(CloseFileHandle(h));
}

// ---- resources -------------------------------------------------------------------

#include "platform/resources/resources.h"

TEST(FileMapResource, AResourceOpensAsReadOnlyMemoryAndComesBeforeAFile)
{
    TempFile file(PatternBytes(64));
    static const unsigned char picture[] = {'B', 'M', 1, 2, 3, 4, 5};
    static std::string name;
    name = file.path();
    const resources::ResourceEntry entries[] = {
        {2, nullptr, 0, name.c_str(), 1033, picture, sizeof picture},
        {0, "CutSheet", 0, "SHEET1", 1033, picture + 2, 3},
    };
    resources::RegisterTable(entries, 2);
    struct Unregister {
        const resources::ResourceEntry* e;
        ~Unregister() { resources::UnregisterTable(e); }
    } unregister{entries};

    FILEMAP f;
    ASSERT_TRUE(f.Open(name.c_str(), 0));
    EXPECT_TRUE(f.fIsMemory());
    EXPECT_EQ(f.GetSize(), 7);
    unsigned char b[7];
    ASSERT_TRUE(f.Read(b, 7));
    EXPECT_EQ(std::memcmp(b, picture, 7), 0);
    EXPECT_FALSE(f.Write("x", 1));
    ASSERT_TRUE(f.Open("sheet1", 0)); // names match without regard to case
    EXPECT_EQ(f.GetSize(), 3);
    // Opened for writing, the same name is the file.
    ASSERT_TRUE(f.Open(name.c_str(), OF_READWRITE));
    EXPECT_FALSE(f.fIsMemory());
    EXPECT_EQ(f.GetSize(), 64);
    f.Close();
    EXPECT_FALSE(f.Open(GetModuleHandleA(nullptr), "no such picture", RT_BITMAP));
    EXPECT_EQ(ZephaneGetLastError(), static_cast<int>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(FileMapFile, NamesAreMatchedWithoutRegardToCase)
{
    const auto folder = fs::temp_directory_path() / ("FileMap_Case_" + std::to_string(::getpid()));
    fs::create_directories(folder / "Data");
    std::ofstream(folder / "Data" / "Pic.BMP") << "hello";
    FILEMAP f;
    const std::string spelled = (folder / "data").string() + "\\pic.bmp";
    ASSERT_TRUE(f.Open(spelled.c_str(), 0));
    EXPECT_EQ(f.GetSize(), 5);
    f.Close();
    fs::remove_all(folder);
}
