#include "platform/resources/rescompile.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

namespace rescompile {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kStringType = 6;
constexpr std::uint16_t kBitmapType = 2;

std::string Folded(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool ParseNumber(const std::string& s, unsigned long limit, unsigned long& out)
{
    if (s.empty() || s.size() > 10 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    out = std::stoul(s);
    return out <= limit;
}

// True when `s` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

bool Unescape(const std::string& text, std::string& out, std::string& problem)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 == text.size()) {
            problem = "a lone \\ ends the text (write \\\\ for a backslash)";
            return false;
        }
        switch (text[++i]) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        default: problem = std::string("unknown escape \\") + text[i] + " (known: \\n \\t \\\\)"; return false;
        }
    }
    return true;
}

std::uint32_t U32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t U16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

bool ReadFile(const fs::path& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool Skipped(const std::string& name)
{
    return name.empty() || name.front() == '.' || name.back() == '~';
}

// Sorted file names of a folder.
std::vector<fs::directory_entry> Entries(const fs::path& folder)
{
    std::vector<fs::directory_entry> out{fs::directory_iterator(folder), fs::directory_iterator()};
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    return out;
}

// The order of the compiled table: numbered types and names before named
// ones, then by language.
auto SortKey(const Resource& r)
{
    return std::make_tuple(r.typeId == 0, r.typeId, Folded(r.typeName), r.nameId == 0, r.nameId, Folded(r.nameText),
                           r.language);
}

// Reads "<id>[.<language>].<ext>" into a resource's name and language.
bool ParseFileName(const std::string& file, Resource& r, std::string& ext, std::string& problem)
{
    std::string stem = file;
    ext.clear();
    if (const std::size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) {
        ext = Folded(stem.substr(dot + 1));
        stem.resize(dot);
    }
    if (const std::size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) {
        unsigned long language;
        if (ParseNumber(stem.substr(dot + 1), 0xFFFF, language)) {
            r.language = static_cast<std::uint16_t>(language);
            stem.resize(dot);
        }
    }
    if (!stem.empty() && std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        unsigned long id;
        if (!ParseNumber(stem, 0xFFFF, id) || id == 0) {
            problem = "a numeric id must be 1 to 65535";
            return false;
        }
        r.nameId = static_cast<std::uint16_t>(id);
    } else {
        r.nameText = stem;
    }
    return true;
}

} // namespace

void TypeOfFolder(const std::string& folder, std::uint16_t& typeId, std::string& typeName)
{
    static const std::map<std::string, std::uint16_t> kKnown = {
        {"cursor", 12}, {"bitmap", 2}, {"icon", 14}, {"menu", 4}, {"dialog", 5}, {"accelerator", 9}, {"rcdata", 10},
    };
    const auto it = kKnown.find(Folded(folder));
    typeId = it == kKnown.end() ? 0 : it->second;
    typeName = it == kKnown.end() ? folder : std::string();
}

bool CompileStringTable(const std::string& text, std::uint16_t language, const std::string& label,
                        std::vector<Resource>& out, std::vector<std::string>& errors)
{
    const std::size_t errorsBefore = errors.size();
    std::map<unsigned, std::array<std::string, 16>> blocks;
    std::map<unsigned long, int> firstLine;
    auto fail = [&](int line, const std::string& message) {
        errors.push_back(label + ":" + std::to_string(line) + ": " + message);
    };

    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0; // a byte-order mark is not text
    int lineNo = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            fail(lineNo, "expected <id><TAB><text>");
            continue;
        }
        unsigned long id;
        if (!ParseNumber(line.substr(0, tab), 0xFFFF, id)) {
            fail(lineNo, "the id \"" + line.substr(0, tab) + "\" is not a number from 0 to 65535");
            continue;
        }
        std::string entry, problem;
        if (!Unescape(line.substr(tab + 1), entry, problem)) {
            fail(lineNo, problem);
            continue;
        }
        if (!IsUtf8(entry)) {
            fail(lineNo, "the text is not UTF-8");
            continue;
        }
        if (entry.size() > 0xFFFF) {
            fail(lineNo, "the text is longer than 65535 bytes");
            continue;
        }
        if (const auto [it, fresh] = firstLine.emplace(id, lineNo); !fresh) {
            fail(lineNo, "duplicate id " + std::to_string(id) + " (first on line " + std::to_string(it->second) + ")");
            continue;
        }
        blocks[id / 16 + 1][id % 16] = std::move(entry);
    }
    if (errors.size() != errorsBefore)
        return false;

    for (const auto& [block, entries] : blocks) {
        Resource r;
        r.typeId = kStringType;
        r.nameId = static_cast<std::uint16_t>(block);
        r.language = language;
        r.source = label;
        for (const std::string& e : entries) {
            r.data += static_cast<char>(e.size() & 0xFF);
            r.data += static_cast<char>(e.size() >> 8);
            r.data += e;
        }
        out.push_back(std::move(r));
    }
    return true;
}

bool BitmapFromFile(const std::string& file, std::string& dib, std::string& error)
{
    constexpr std::size_t kFileHeader = 14;
    if (file.size() < kFileHeader + 12 || file[0] != 'B' || file[1] != 'M') {
        error = "not a bitmap file (no \"BM\" file header)";
        return false;
    }
    const std::uint32_t bitsAt = U32(file, 10);
    const std::uint32_t headerSize = U32(file, kFileHeader);
    if (headerSize != 12 && (headerSize < 40 || headerSize > 1024)) {
        error = "unknown bitmap header size " + std::to_string(headerSize);
        return false;
    }
    if (kFileHeader + headerSize > file.size()) {
        error = "the bitmap header is cut short";
        return false;
    }
    std::uint64_t table = 0;
    if (headerSize == 12) {
        const unsigned bitCount = U16(file, kFileHeader + 10);
        table = bitCount <= 8 ? (std::uint64_t{1} << bitCount) * 3 : 0;
    } else {
        const unsigned bitCount = U16(file, kFileHeader + 14);
        const std::uint32_t compression = U32(file, kFileHeader + 16);
        const std::uint32_t colorsUsed = U32(file, kFileHeader + 32);
        // The colour masks of a plain 40-byte header follow it.
        if (headerSize == 40 && compression == 3)
            table += 12;
        else if (headerSize == 40 && compression == 6)
            table += 16;
        const std::uint64_t colors = colorsUsed ? colorsUsed : (bitCount <= 8 ? std::uint64_t{1} << bitCount : 0);
        table += colors * 4;
    }
    const std::uint64_t head = headerSize + table;
    if (kFileHeader + head > file.size()) {
        error = "the colour table is cut short";
        return false;
    }
    if (bitsAt < kFileHeader + head || bitsAt > file.size()) {
        error = "the pixel offset " + std::to_string(bitsAt) + " lies outside the pixel data";
        return false;
    }
    dib = file.substr(kFileHeader, static_cast<std::size_t>(head));
    dib += file.substr(bitsAt);
    return true;
}

bool CompileFolder(const std::string& folder, std::vector<Resource>& out, std::vector<std::string>& errors)
{
    const std::size_t errorsBefore = errors.size();
    const fs::path root(folder);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) {
        errors.push_back(folder + ": not a folder");
        return false;
    }
    const std::string rootLabel =
        root.filename().empty() ? root.parent_path().filename().string() : root.filename().string();
    std::vector<Resource> found;
    for (const fs::directory_entry& typeEntry : Entries(root)) {
        const std::string typeFolder = typeEntry.path().filename().string();
        if (!typeEntry.is_directory() || Skipped(typeFolder))
            continue; // notes beside the folders
        const bool strings = typeFolder == "strings";
        std::uint16_t typeId = 0;
        std::string typeName;
        TypeOfFolder(typeFolder, typeId, typeName);
        for (const fs::directory_entry& fileEntry : Entries(typeEntry.path())) {
            const std::string fileName = fileEntry.path().filename().string();
            const std::string label = rootLabel + "/" + typeFolder + "/" + fileName;
            if (Skipped(fileName))
                continue;
            if (fileEntry.is_directory()) {
                errors.push_back(label + ": folders inside a resource type folder are not used; move its files up");
                continue;
            }
            std::string bytes;
            if (!ReadFile(fileEntry.path(), bytes)) {
                errors.push_back(label + ": cannot be read");
                continue;
            }
            if (strings) {
                unsigned long language;
                const std::string stem = fileEntry.path().stem().string();
                if (Folded(fileEntry.path().extension().string()) != ".txt" || !ParseNumber(stem, 0xFFFF, language)) {
                    errors.push_back(label + ": a string table is named <language>.txt, the language a number "
                                             "from 0 to 65535 (1033 English, 0 Esperanto)");
                    continue;
                }
                CompileStringTable(bytes, static_cast<std::uint16_t>(language), label, found, errors);
                continue;
            }
            Resource r;
            r.typeId = typeId;
            r.typeName = typeName;
            r.source = label;
            std::string ext, problem;
            if (!ParseFileName(fileName, r, ext, problem)) {
                errors.push_back(label + ": " + problem);
                continue;
            }
            if (typeId == kBitmapType) {
                if (ext != "bmp") {
                    errors.push_back(label + ": a bitmap resource is a .bmp file");
                    continue;
                }
                if (!BitmapFromFile(bytes, r.data, problem)) {
                    errors.push_back(label + ": " + problem);
                    continue;
                }
            } else {
                r.data = std::move(bytes);
            }
            found.push_back(std::move(r));
        }
    }

    std::stable_sort(found.begin(), found.end(),
                     [](const Resource& a, const Resource& b) { return SortKey(a) < SortKey(b); });
    for (std::size_t i = 1; i < found.size(); ++i)
        if (SortKey(found[i]) == SortKey(found[i - 1]))
            errors.push_back(found[i].source + ": the same type, name and language as " + found[i - 1].source);
    if (errors.size() != errorsBefore)
        return false;
    out.insert(out.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    return true;
}

} // namespace rescompile
