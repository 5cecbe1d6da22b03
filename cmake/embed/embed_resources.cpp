// The build's resource embedder: compiles the resource folder given as the
// first argument and writes a C++ source holding every resource as bytes,
// which registers them as the program's resource table when the program
// starts. Any fault in the folder fails the build with its reasons.
//
//   varno_embed <resource folder> <output .cpp>

#include "platform/resources/rescompile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Generate(const std::vector<rescompile::Resource>& resources)
{
    std::ostringstream out;
    out << "// Made by the resource embedder from the resource folder; not to be edited.\n"
           "#include \"platform/resources/resources.h\"\n\n"
           "namespace {\n\n"
           "[[maybe_unused]] alignas(4) const unsigned char kNoData[1] = {0};\n";
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const std::string& data = resources[i].data;
        if (data.empty())
            continue;
        out << "\n// " << resources[i].source << "\n";
        out << "alignas(4) const unsigned char kData" << i << "[" << data.size() << "] = {";
        for (std::size_t k = 0; k < data.size(); ++k) {
            if (k % 24 == 0)
                out << "\n   ";
            out << ' ' << static_cast<unsigned>(static_cast<unsigned char>(data[k])) << ',';
        }
        out << "\n};\n";
    }
    if (resources.empty()) {
        out << "\n}  // namespace\n";
        return out.str();
    }
    out << "\nconst resources::ResourceEntry kEntries[] = {\n";
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const rescompile::Resource& r = resources[i];
        out << "    {" << r.typeId << ", " << (r.typeId ? "nullptr" : Quoted(r.typeName)) << ", " << r.nameId << ", "
            << (r.nameId ? "nullptr" : Quoted(r.nameText)) << ", " << r.language << ", "
            << (r.data.empty() ? std::string("kNoData") : "kData" + std::to_string(i)) << ", " << r.data.size()
            << "},\n";
    }
    out << "};\n\n"
           "// Registered as the program's own table before main runs.\n"
           "[[maybe_unused]] const bool kRegistered =\n"
           "    (resources::RegisterTable(kEntries, sizeof kEntries / sizeof kEntries[0]), true);\n\n"
           "}  // namespace\n";
    return out.str();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <resource folder> <output .cpp>\n", argv[0]);
        return 2;
    }
    std::vector<rescompile::Resource> resources;
    std::vector<std::string> errors;
    if (!rescompile::CompileFolder(argv[1], resources, errors)) {
        for (const std::string& e : errors)
            std::fprintf(stderr, "error: %s\n", e.c_str());
        std::fprintf(stderr, "error: the resources in %s could not be embedded\n", argv[1]);
        return 1;
    }
    const std::string source = Generate(resources);
    const std::string temp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << source;
        if (!file.flush()) {
            std::fprintf(stderr, "error: cannot write %s\n", temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "error: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
