#include "tools/pictures/glyphs.h"

#include <cmath>
#include <numbers>

namespace pictures {

namespace {

using Line = std::vector<std::pair<double, double>>;

// Points along an ellipse from angle `from` to `to` (radians, clockwise on
// screen from the right).
Line Arc(double cx, double cy, double rx, double ry, double from, double to, int steps)
{
    Line line;
    for (int i = 0; i <= steps; ++i) {
        const double a = from + (to - from) * i / steps;
        line.emplace_back(cx + rx * std::cos(a), cy + ry * std::sin(a));
    }
    return line;
}

Glyph MakeR()
{
    constexpr double kPi = std::numbers::pi;
    // The bowl: across the top, round the right, back to the stem.
    Line bowl{{0, 0}, {0.58, 0}};
    for (const auto& p : Arc(0.58, 0.27, 0.42, 0.27, -kPi / 2, kPi / 2, 16))
        bowl.push_back(p);
    bowl.emplace_back(0, 0.54);
    return {0.78, {{{0, 1}, {0, 0}}, bowl, {{0.42, 0.54}, {1, 1}}}};
}

} // namespace

const Glyph& GlyphFor(char letter)
{
    static const Glyph v{0.92, {{{0, 0}, {0.5, 1}, {1, 0}}}};
    static const Glyph a{0.92, {{{0, 1}, {0.5, 0}, {1, 1}}, {{0.25, 0.66}, {0.75, 0.66}}}};
    static const Glyph r = MakeR();
    static const Glyph n{0.8, {{{0, 1}, {0, 0}, {1, 1}, {1, 0}}}};
    static const Glyph o{0.9, {Arc(0.5, 0.5, 0.5, 0.5, 0, 2 * std::numbers::pi, 48)}};
    switch (letter) {
    case 'V': return v;
    case 'A': return a;
    case 'R': return r;
    case 'N': return n;
    default: return o;
    }
}

} // namespace pictures
