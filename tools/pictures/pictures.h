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

// The sizes, in pixels, of the desktop's application icons.
inline constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};
// The desktop's application icons: the program icon's cube drawn afresh at
// each of those sizes, as PNG files under the icon theme's folders
// ("hicolor/48x48/apps/<appId>.png").
std::vector<PictureFile> MakeDesktopIcons(const std::string& appId);

} // namespace pictures
