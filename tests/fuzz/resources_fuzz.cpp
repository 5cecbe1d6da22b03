// Resources: a table of resources read from a blob, as the build embeds them
// into the program, and a string table compiled from text, then looked up
// the way the texts of the game are: by type, name and language, string
// blocks entry by entry with their continuations.
//
// The blob is a run of records, each a 16-bit type, name, language and byte
// count (little-endian) and that many bytes; a type or name of 0 or 0xFFFF
// stands for a named one. String blocks are moved to block numbers the game's own
// table does not use, so that they are found and not shadowed.
#include "fuzz/fuzz_target.h"
#include "platform/resources/rescompile.h"
#include "platform/resources/resources.h"
#include "support/textres.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

constexpr WORD kFirstFreeBlock = 0x0F00; // ids from 0xEFF0 up
constexpr std::size_t kMostRecords = 64;

WORD Le16(const std::uint8_t* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

WORD FreeBlock(WORD name)
{
    return static_cast<WORD>(kFirstFreeBlock + name % (0x1000 - kFirstFreeBlock + 1));
}

} // namespace

VARNO_FUZZ_TARGET(resources)
{
    static const bool configured = [] {
        // The language choice reads the store: a folder of the target's own.
        const std::string base = fuzzing::ScratchFolder() + "config";
        mkdir(base.c_str(), 0700);
        setenv("XDG_CONFIG_HOME", base.c_str(), 1);
        return true;
    }();
    (void)configured;

    std::deque<std::string> bytes; // stable addresses for the entries
    std::vector<resources::ResourceEntry> entries;
    std::size_t at = 0;
    while (size - at >= 8 && entries.size() < kMostRecords) {
        WORD type = Le16(data + at), name = Le16(data + at + 2);
        const WORD language = Le16(data + at + 4), cb = Le16(data + at + 6);
        at += 8;
        const std::size_t n = std::min<std::size_t>(cb, size - at);
        bytes.emplace_back(reinterpret_cast<const char*>(data + at), n);
        at += n;
        if (type == 6)
            name = FreeBlock(name);
        resources::ResourceEntry e{};
        if (type == 0 || type == 0xFFFF)
            e.typeName = "FuzzData";
        else
            e.typeId = type;
        if (name == 0 || name == 0xFFFF)
            e.nameText = "FUZZ";
        else
            e.nameId = name;
        e.language = language;
        e.data = reinterpret_cast<const unsigned char*>(bytes.back().data());
        e.size = static_cast<DWORD>(bytes.back().size());
        entries.push_back(e);
    }

    // What is left is a string table's text in Esperanto.
    std::vector<rescompile::Resource> compiled;
    std::vector<std::string> errors;
    const std::string text(reinterpret_cast<const char*>(data + at), size - at);
    if (rescompile::CompileStringTable(text, 0, "fuzz", compiled, errors)) {
        FUZZ_CHECK(errors.empty());
        for (const rescompile::Resource& r : compiled) {
            FUZZ_CHECK(r.typeId == 6 && r.nameId >= 1 && r.nameId <= 0x1000);
            if (entries.size() >= 2 * kMostRecords)
                break;
            bytes.push_back(r.data);
            resources::ResourceEntry e{};
            e.typeId = 6;
            e.nameId = FreeBlock(r.nameId);
            e.language = r.language;
            e.data = reinterpret_cast<const unsigned char*>(bytes.back().data());
            e.size = static_cast<DWORD>(bytes.back().size());
            entries.push_back(e);
        }
    } else {
        FUZZ_CHECK(!errors.empty());
    }
    if (entries.empty())
        return 0;

    resources::RegisterTable(entries.data(), entries.size());
    resources::RegisterTable(entries.data(), entries.size(), "fuzz");
    HMODULE module = GetModuleHandleA("fuzz");
    for (const resources::ResourceEntry& e : entries) {
        const char* type = e.typeId ? MAKEINTRESOURCEA(e.typeId) : e.typeName;
        const char* name = e.nameId ? MAKEINTRESOURCEA(e.nameId) : e.nameText;
        HRSRC found = FindResourceExA(module, type, name, e.language);
        FUZZ_CHECK(found != nullptr);
        FUZZ_CHECK(LockResource(LoadResource(module, found)) != nullptr || SizeofResource(module, found) == 0);
        FindResourceA(module, name, type);
        EnumResourceLanguagesA(
            module, type, name, [](HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR) -> BOOL { return TRUE; }, 0);
        DWORD cb = 0;
        FUZZ_CHECK(FindResourceData(type, name, &cb) != nullptr);
        if (e.typeId != 6 || !e.nameId)
            continue;
        // Every id of the block: the joined text and its length agree, and
        // a short buffer is filled without splitting a character.
        for (UINT i = 0; i < 16; ++i) {
            const UINT id = (e.nameId - 1u) * 16u + i;
            const int length = TextLength(id);
            FUZZ_CHECK(length >= 0);
            std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
            FUZZ_CHECK(LoadText(id, buffer.data(), length + 1) == length);
            FUZZ_CHECK(std::strlen(buffer.data()) == static_cast<std::size_t>(length));
            char small[8];
            const int cut = LoadText(id, small, sizeof small);
            FUZZ_CHECK(cut <= length && cut < static_cast<int>(sizeof small));
            char* alloc = LoadTextAlloc(id);
            FUZZ_CHECK(alloc && std::strcmp(alloc, buffer.data()) == 0);
            ReleaseText(alloc);
        }
    }
    resources::UnregisterTable(entries.data());
    return 0;
}
