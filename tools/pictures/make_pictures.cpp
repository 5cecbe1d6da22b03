// Draws every picture of the game and writes it below the resource folder
// given on the command line (bitmap/<id>.bmp, icon/<id>.ico) and, when a
// second folder is given, the desktop's application icons below it
// (hicolor/<size>x<size>/apps/<application id>.png). Each file is written
// beside its place and renamed into it, so an interrupted run leaves the old
// picture rather than a torn one.
//   make_pictures <resource folder> [<icon folder> <application id>]
#include "tools/pictures/pictures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: make_pictures <resource folder> [<icon folder> <application id>]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    std::vector<std::pair<fs::path, pictures::PictureFile>> all;
    for (pictures::PictureFile& file : pictures::MakeAllPictures())
        all.emplace_back(argv[1], std::move(file));
    if (argc == 4)
        for (pictures::PictureFile& file : pictures::MakeDesktopIcons(argv[3]))
            all.emplace_back(argv[2], std::move(file));
    for (const auto& [root, file] : all) {
        const fs::path target = root / file.path;
        // A leading dot keeps a left-over temporary file out of the build's
        // resources.
        const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".new");
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
            out.flush();
            if (!out) {
                std::fprintf(stderr, "make_pictures: cannot write %s\n", temporary.string().c_str());
                return 1;
            }
        }
        fs::rename(temporary, target, error);
        if (error) {
            std::fprintf(stderr, "make_pictures: cannot replace %s: %s\n", target.string().c_str(),
                         error.message().c_str());
            fs::remove(temporary, error);
            return 1;
        }
    }
    return 0;
}
