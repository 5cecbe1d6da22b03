// The stroke font of the title letters: each letter is a few thick lines
// through points of its box (x from 0 to 1 across its width, y from 0 at the
// top to 1 at the bottom of its height).
#pragma once

#include <utility>
#include <vector>

namespace pictures {

struct Glyph {
    double width; // the box's width as a part of its height
    std::vector<std::vector<std::pair<double, double>>> strokes;
};

// The letters of the game's name: V, A, R, N and O. Any other letter gives
// the O.
const Glyph& GlyphFor(char letter);

} // namespace pictures
