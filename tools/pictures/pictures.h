// The game's pictures, drawn by program: the cube and field textures, the
// letter tiles and plain face of the title cubes, the editor's size arrows,
// the two language flags and the program icon.
#pragma once

#include <string>
#include <vector>

namespace pictures {

// One picture file: its path below the resource folder ("bitmap/104.bmp",
// "icon/103.ico") and its bytes.
struct PictureFile {
    std::string path;
    std::string bytes;
};

// Every picture of the game, in resource number order. The same bytes on
// every call.
std::vector<PictureFile> MakeAllPictures();

} // namespace pictures
