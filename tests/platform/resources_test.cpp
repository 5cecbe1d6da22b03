#include "platform/resources/rescompile.h"
#include "platform/resources/resources.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using rescompile::Resource;
using testfs::TempFolder;
using testfs::WriteText;

namespace {

// Reads the 16 entries of a string block; fails the test if the block does
// not end exactly after them.
std::vector<std::string> BlockEntries(const void* data, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    std::vector<std::string> out;
    std::size_t at = 0;
    for (int i = 0; i < 16; ++i) {
        if (at + 2 > size) {
            ADD_FAILURE() << "block ends inside entry " << i;
            return out;
        }
        const std::size_t n = p[at] | (p[at + 1] << 8);
        at += 2;
        if (at + n > size) {
            ADD_FAILURE() << "entry " << i << " runs past the block";
            return out;
        }
        out.emplace_back(reinterpret_cast<const char*>(p + at), n);
        at += n;
    }
    EXPECT_EQ(at, size) << "bytes after the 16th entry";
    return out;
}

std::vector<std::string> BlockEntries(const std::string& data)
{
    return BlockEntries(data.data(), data.size());
}

void Put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A 2 x 2 bitmap of 8 bits per pixel with a two-colour table; `gap` bytes of
// filler lie between the table and the pixels.
std::string TinyBitmapFile(std::size_t gap = 0)
{
    std::string info;
    Put32(info, 40); // header size
    Put32(info, 2);  // width
    Put32(info, 2);  // height
    Put16(info, 1);  // planes
    Put16(info, 8);  // bits per pixel
    Put32(info, 0);  // no compression
    Put32(info, 8);  // image size
    Put32(info, 0);
    Put32(info, 0);
    Put32(info, 2); // colours used
    Put32(info, 0);
    info += std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8); // red, blue
    const std::string pixels("\x00\x01\x00\x00\x01\x00\x00\x00", 8);
    std::string file = "BM";
    Put32(file, static_cast<std::uint32_t>(14 + info.size() + gap + pixels.size()));
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(14 + info.size() + gap));
    return file + info + std::string(gap, '\x77') + pixels;
}

// A compiled folder registered as a module of its own for the test's life.
class RegisteredTable {
public:
    RegisteredTable(std::vector<Resource> compiled, const char* module) : m_resources(std::move(compiled))
    {
        for (const Resource& r : m_resources)
            m_entries.push_back(
                {r.typeId, r.typeId ? nullptr : r.typeName.c_str(), r.nameId, r.nameId ? nullptr : r.nameText.c_str(),
                 r.language, reinterpret_cast<const unsigned char*>(r.data.data()), static_cast<DWORD>(r.data.size())});
        m_module = resources::RegisterTable(m_entries.data(), m_entries.size(), module);
    }
    ~RegisteredTable() { resources::UnregisterTable(m_entries.data()); }
    HMODULE module() const { return m_module; }

private:
    std::vector<Resource> m_resources;
    std::vector<resources::ResourceEntry> m_entries;
    HMODULE m_module = nullptr;
};

std::string Data(HMODULE module, HRSRC found)
{
    const void* p = LockResource(LoadResource(module, found));
    return p ? std::string(static_cast<const char*>(p), SizeofResource(module, found)) : std::string();
}

} // namespace

TEST(StringTables, EachIdLandsInItsBlockAtItsPosition)
{
    const std::string text = "# ids 15 and 16 sit on either side of a block boundary\n"
                             "\n"
                             "15\tfifteen\r\n"
                             "16\tsixteen\n"
                             "31\t  two\\tparts\\nand a \\\\ backslash  \n"
                             "0\tzero\n"
                             "46\tĉu ŝi\tliteral tab\n";
    std::vector<Resource> out;
    std::vector<std::string> errors;
    ASSERT_TRUE(rescompile::CompileStringTable(text, 0, "strings/0.txt", out, errors));
    ASSERT_TRUE(errors.empty());
    ASSERT_EQ(out.size(), 3u);

    EXPECT_EQ(out[0].typeId, 6);
    EXPECT_EQ(out[0].nameId, 1);
    EXPECT_EQ(out[0].language, 0);
    std::vector<std::string> block = BlockEntries(out[0].data);
    EXPECT_EQ(block[0], "zero");
    EXPECT_EQ(block[15], "fifteen");
    for (int i = 1; i < 15; ++i)
        EXPECT_EQ(block[i], "") << i;
    EXPECT_EQ(out[0].data.size(), 32u + 4 + 7);

    EXPECT_EQ(out[1].nameId, 2);
    block = BlockEntries(out[1].data);
    EXPECT_EQ(block[0], "sixteen");
    EXPECT_EQ(block[15], "  two\tparts\nand a \\ backslash  ");

    EXPECT_EQ(out[2].nameId, 3);
    EXPECT_EQ(BlockEntries(out[2].data)[14], "\xC4\x89u \xC5\x9Di\tliteral tab");
}

TEST(StringTables, FaultsNameTheFileAndLineAndCompileNothing)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"1\tone\n2\ttwo\n1\tagain\n", "t.txt:3: duplicate id 1 (first on line 1)"},
        {"1 one\n", "t.txt:1: expected <id><TAB><text>"},
        {"x1\tone\n", "t.txt:1: the id \"x1\" is not a number"},
        {"70000\tbig\n", "t.txt:1: the id \"70000\" is not a number"},
        {"\n\n3\tbad \\q escape\n", "t.txt:3: unknown escape \\q"},
        {"3\tends in \\\n", "t.txt:1: a lone \\ ends the text"},
        {"3\tcode page \xE6u\n", "t.txt:1: the text is not UTF-8"},
        {"3\toverlong \xC0\xAF\n", "t.txt:1: the text is not UTF-8"},
    };
    for (const Case& c : cases) {
        std::vector<Resource> out;
        std::vector<std::string> errors;
        EXPECT_FALSE(rescompile::CompileStringTable(c.text, 1033, "t.txt", out, errors)) << c.text;
        EXPECT_TRUE(out.empty()) << c.text;
        ASSERT_EQ(errors.size(), 1u) << c.text;
        EXPECT_EQ(errors[0].rfind(c.expected, 0), 0u) << errors[0];
    }
}

TEST(Bitmaps, TheResourceIsTheFileWithoutItsHeader)
{
    const std::string file = TinyBitmapFile();
    std::string dib, error;
    ASSERT_TRUE(rescompile::BitmapFromFile(file, dib, error)) << error;
    EXPECT_EQ(dib, file.substr(14));

    // A gap before the pixels is closed: the pixels follow the colour table.
    const std::string gapped = TinyBitmapFile(6);
    ASSERT_TRUE(rescompile::BitmapFromFile(gapped, dib, error)) << error;
    EXPECT_EQ(dib, file.substr(14));

    for (const std::string& bad : {std::string("PK") + file.substr(2), file.substr(0, 60), file.substr(0, 20)}) {
        EXPECT_FALSE(rescompile::BitmapFromFile(bad, dib, error));
        EXPECT_FALSE(error.empty());
    }
    std::string farOffset = file;
    farOffset[10] = 100;
    EXPECT_FALSE(rescompile::BitmapFromFile(farOffset, dib, error));
    EXPECT_NE(error.find("pixel offset"), std::string::npos);
}

TEST(ResourceFolders, EveryFolderBecomesItsTypeAndEveryFileItsNameAndLanguage)
{
    TempFolder t;
    const std::string root = t / "resources";
    WriteText(root + "/README.md", "notes are not resources");
    WriteText(root + "/strings/1033.txt", "46\tVarno\n");
    WriteText(root + "/strings/0.txt", "46\tVarno\n47\tLa dosiero\n");
    WriteText(root + "/bitmap/104.bmp", TinyBitmapFile(2));
    WriteText(root + "/bitmap/Flag.0.bmp", TinyBitmapFile());
    WriteText(root + "/dialog/101.dlg", "dialog bytes");
    WriteText(root + "/icon/103.ico", "icon bytes");
    WriteText(root + "/sounds/Title.1033.wav", "RIFF");
    WriteText(root + "/rcdata/7.bin", "");
    WriteText(root + "/rcdata/.hidden", "skipped");

    std::vector<Resource> out;
    std::vector<std::string> errors;
    ASSERT_TRUE(rescompile::CompileFolder(root, out, errors)) << (errors.empty() ? "" : errors[0]);
    struct Expected {
        unsigned type;
        const char* typeName;
        unsigned id;
        const char* name;
        unsigned language;
    } expected[] = {
        {2, "", 104, "", 1033}, {2, "", 0, "Flag", 0}, {5, "", 101, "", 1033},  {6, "", 3, "", 0},
        {6, "", 3, "", 1033},   {10, "", 7, "", 1033}, {14, "", 103, "", 1033}, {0, "sounds", 0, "Title", 1033},
    };
    ASSERT_EQ(out.size(), std::size(expected));
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].typeId, expected[i].type) << i;
        EXPECT_EQ(out[i].typeName, expected[i].typeName) << i;
        EXPECT_EQ(out[i].nameId, expected[i].id) << i;
        EXPECT_EQ(out[i].nameText, expected[i].name) << i;
        EXPECT_EQ(out[i].language, expected[i].language) << i;
    }
    EXPECT_EQ(out[0].data, TinyBitmapFile().substr(14));
    EXPECT_EQ(out[2].data, "dialog bytes");
    EXPECT_EQ(BlockEntries(out[3].data)[15], "La dosiero");
    EXPECT_EQ(out[5].data, "");
    EXPECT_EQ(out[0].source, "resources/bitmap/104.bmp");
}

TEST(ResourceFolders, FaultsFailTheFolderWithTheFilesNamed)
{
    TempFolder t;
    const std::string root = t / "resources";
    WriteText(root + "/strings/english.txt", "46\tVarno\n");
    WriteText(root + "/strings/1033.txt", "46\tVarno\n46\tTwice\n");
    WriteText(root + "/bitmap/105.txt", "not a bitmap");
    WriteText(root + "/bitmap/106.bmp", "BM but nothing else");
    WriteText(root + "/rcdata/7.bin", "a");
    WriteText(root + "/rcdata/7.1033.dat", "b");
    WriteText(root + "/rcdata/70000.bin", "c");
    std::vector<Resource> out;
    std::vector<std::string> errors;
    EXPECT_FALSE(rescompile::CompileFolder(root, out, errors));
    EXPECT_TRUE(out.empty());
    const std::string all = [&] {
        std::string s;
        for (const std::string& e : errors)
            s += e + "\n";
        return s;
    }();
    EXPECT_EQ(errors.size(), 6u) << all;
    for (const char* part :
         {"resources/strings/english.txt: a string table is named <language>.txt",
          "resources/strings/1033.txt:2: duplicate id 46", "resources/bitmap/105.txt: a bitmap resource is a .bmp file",
          "resources/bitmap/106.bmp: not a bitmap file", "resources/rcdata/70000.bin: a numeric id must be 1 to 65535",
          "resources/rcdata/7.bin: the same type, name and language as resources/rcdata/7.1033.dat"})
        EXPECT_NE(all.find(part), std::string::npos) << part << "\n" << all;
    EXPECT_FALSE(rescompile::CompileFolder(t / "absent", out, errors));
}

TEST(ResourceLookup, ExactLanguagesMissesAndTheirErrors)
{
    TempFolder t;
    const std::string root = t / "resources";
    WriteText(root + "/strings/1033.txt", "46\tVarno\n");
    WriteText(root + "/strings/0.txt", "46\tVarno eo\n");
    WriteText(root + "/strings/2057.txt", "46\tVarno uk\n");
    WriteText(root + "/bitmap/104.bmp", TinyBitmapFile());
    WriteText(root + "/bitmap/Flag.0.bmp", TinyBitmapFile());
    WriteText(root + "/cutsheet/Arrows.2057.bin", "arrows");
    std::vector<Resource> compiled;
    std::vector<std::string> errors;
    ASSERT_TRUE(rescompile::CompileFolder(root, compiled, errors));
    RegisteredTable table(std::move(compiled), "lookup-test");
    const HMODULE m = table.module();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetModuleHandleA("LOOKUP-TEST"), m);
    EXPECT_NE(GetModuleHandleA(nullptr), m);
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("no-such-module"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    HRSRC found = FindResourceExA(m, RT_STRING, MAKEINTRESOURCEA(3), 0);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(BlockEntries(Data(m, found))[14], "Varno eo");
    found = FindResourceExA(m, RT_STRING, MAKEINTRESOURCEA(3), 1033);
    EXPECT_EQ(BlockEntries(Data(m, found))[14], "Varno");

    SetLastError(0);
    EXPECT_EQ(FindResourceExA(m, RT_STRING, MAKEINTRESOURCEA(3), 1024), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
    EXPECT_EQ(FindResourceExA(m, RT_STRING, MAKEINTRESOURCEA(4), 1033), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(FindResourceExA(m, RT_DIALOG, MAKEINTRESOURCEA(101), 1033), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    // The program's own module does not hold the test's resources.
    EXPECT_EQ(FindResourceExA(nullptr, "CUTSHEET", "Arrows", 2057), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);

    // Text names and types ignore case; "#104" is the number 104.
    found = FindResourceExA(m, "CutSheet", "ARROWS", 2057);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Data(m, found), "arrows");
    found = FindResourceExA(m, RT_BITMAP, "#104", 1033);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Data(m, found), TinyBitmapFile().substr(14));
    EXPECT_EQ(SizeofResource(m, found), TinyBitmapFile().size() - 14);
    EXPECT_NE(FindResourceExA(m, RT_BITMAP, "flag", 0), nullptr);
    EXPECT_EQ(FindResourceExA(m, RT_BITMAP, "flag", 1033), nullptr);
    EXPECT_EQ(FindResourceExA(m, RT_BITMAP, MAKEINTRESOURCEA(0), 1033), nullptr);

    // The default choice: 1033 when present, otherwise the lowest language.
    found = FindResourceA(m, MAKEINTRESOURCEA(3), RT_STRING);
    EXPECT_EQ(BlockEntries(Data(m, found))[14], "Varno");
    EXPECT_EQ(Data(m, FindResourceA(m, "Arrows", "cutsheet")), "arrows");
    EXPECT_NE(FindResourceA(m, "Flag", RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceA(m, "Nothing", RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);

    // A handle from elsewhere is refused.
    int stray = 0;
    EXPECT_EQ(LoadResource(m, reinterpret_cast<HRSRC>(&stray)), nullptr);
    EXPECT_EQ(SizeofResource(m, reinterpret_cast<HRSRC>(&stray)), 0u);
}

TEST(ResourceLookup, LanguagesOfAResource)
{
    TempFolder t;
    const std::string root = t / "resources";
    for (const char* lang : {"1033", "0", "2057", "1031"})
        WriteText(root + "/strings/" + lang + ".txt", "46\tVarno\n");
    std::vector<Resource> compiled;
    std::vector<std::string> errors;
    ASSERT_TRUE(rescompile::CompileFolder(root, compiled, errors));
    RegisteredTable table(std::move(compiled), "languages-test");
    const HMODULE m = table.module();

    EXPECT_EQ(resources::Languages(m, RT_STRING, MAKEINTRESOURCEA(3)), (std::vector<WORD>{0, 1031, 1033, 2057}));
    EXPECT_TRUE(resources::Languages(m, RT_STRING, MAKEINTRESOURCEA(1)).empty());

    std::vector<WORD> seen;
    auto collect = [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) -> BOOL {
        auto* list = reinterpret_cast<std::vector<WORD>*>(param);
        list->push_back(language);
        return list->size() < 2; // stop after two
    };
    EXPECT_TRUE(EnumResourceLanguagesA(m, RT_STRING, MAKEINTRESOURCEA(3), collect, reinterpret_cast<LONG_PTR>(&seen)));
    EXPECT_EQ(seen, (std::vector<WORD>{0, 1031}));
    SetLastError(0);
    EXPECT_FALSE(EnumResourceLanguagesA(m, RT_BITMAP, MAKEINTRESOURCEA(3), collect, 0));
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
}

TEST(ResourceLookup, TablesRegisteredInMemoryAndRemoved)
{
    static const unsigned char bytes[] = {1, 2, 3};
    const resources::ResourceEntry entries[] = {
        {10, nullptr, 5, nullptr, 1033, bytes, 3},
        {0, "Levels", 0, "Default", 0, bytes, 2},
        {10, nullptr, 6, nullptr, 1033, nullptr, 0},
    };
    const HMODULE m = resources::RegisterTable(entries, std::size(entries), "memory-test");
    HRSRC found = FindResourceExA(m, RT_RCDATA, MAKEINTRESOURCEA(5), 1033);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(LockResource(LoadResource(m, found)), bytes);
    EXPECT_EQ(SizeofResource(m, found), 3u);
    found = FindResourceExA(m, "levels", "default", 0);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(m, found), 2u);
    // An empty resource still loads.
    found = FindResourceExA(m, RT_RCDATA, MAKEINTRESOURCEA(6), 1033);
    EXPECT_NE(LoadResource(m, found), nullptr);
    EXPECT_EQ(SizeofResource(m, found), 0u);

    resources::UnregisterTable(entries);
    EXPECT_EQ(FindResourceExA(m, RT_RCDATA, MAKEINTRESOURCEA(5), 1033), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
}

TEST(ResourceLookup, TheGameTablesAreInEveryProgram)
{
    // The build embeds resources/ into each program and test; string 46 is
    // the game's name in both languages.
    const HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    for (WORD language : {WORD(1033), WORD(0)}) {
        const HRSRC found = FindResourceExA(program, RT_STRING, MAKEINTRESOURCEA(46 / 16 + 1), language);
        ASSERT_NE(found, nullptr) << language;
        EXPECT_EQ(BlockEntries(Data(program, found))[46 % 16], "Varno") << language;
        EXPECT_EQ(FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCEA(3), language), found);
    }
}
