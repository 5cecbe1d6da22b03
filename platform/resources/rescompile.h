// Turns the files of a resource folder into resources: string tables into
// 16-entry string blocks, bitmap files into device-independent bitmaps
// without their file header, every other file into its bytes. The build's
// resource embedder uses it to make the program's resource table; tests and
// tools use it directly. Uses only the standard library, so the embedder can
// be built before anything else.
//
// Folder layout (see resources/README.md):
//   strings/<language>.txt          string tables, "<id><TAB><text>" lines
//   <type>/<id>[.<language>].<ext>  one resource per file (language 1033
//                                   when the name carries none)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rescompile {

constexpr std::uint16_t kDefaultLanguage = 1033;

struct Resource {
    // Exactly one of typeId / typeName and of nameId / nameText is used: a
    // number when it is not 0, otherwise the text.
    std::uint16_t typeId = 0;
    std::string typeName;
    std::uint16_t nameId = 0;
    std::string nameText;
    std::uint16_t language = kDefaultLanguage;
    std::string data;
    std::string source; // the file it came from, for messages
};

// The type of a resource folder: the classic number for the known folder
// names ("bitmap" 2, "icon" 14, "cursor" 12, "menu" 4, "dialog" 5,
// "accelerator" 9, "rcdata" 10), otherwise a named type of the folder's name.
void TypeOfFolder(const std::string& folder, std::uint16_t& typeId, std::string& typeName);

// Compiles the text of one string table of `language` into its blocks (type
// 6, name = id / 16 + 1; 16 entries each, a 16-bit little-endian byte count
// followed by the UTF-8 bytes; 0 for an absent id). `label` names the file in
// messages ("<label>:<line>: ..."). Returns false and adds to `errors` on a
// malformed line, a duplicate id, a bad escape or text that is not UTF-8.
bool CompileStringTable(const std::string& text, std::uint16_t language, const std::string& label,
                        std::vector<Resource>& out, std::vector<std::string>& errors);

// The resource data of a bitmap file: the bitmap without its 14-byte file
// header, its pixel bits following the header and colour table directly (as
// the bitmap loaders expect), even when the file leaves a gap before them.
bool BitmapFromFile(const std::string& file, std::string& dib, std::string& error);

// Compiles every resource of a folder. Resources come out sorted by type,
// name and language. Returns false with the reasons in `errors` (each
// starting with the file concerned) when anything is wrong; duplicates of
// the same type, name and language are errors.
bool CompileFolder(const std::string& folder, std::vector<Resource>& out, std::vector<std::string>& errors);

} // namespace rescompile
