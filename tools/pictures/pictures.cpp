#include "tools/pictures/pictures.h"

#include "tools/pictures/canvas.h"
#include "tools/pictures/glyphs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace pictures {

namespace {

constexpr double kPi = std::numbers::pi;

// ---------------------------------------------------------------------------
// Cube and field textures. Each is a tone field f (about -1 to 1) over the
// face; the colour of a pixel is the texture's colour shifted in brightness
// by f. Because every pixel's colour depends on f alone, 256 steps of f make
// the palette, and the shift is balanced so that the whole picture averages
// to the kind's colour: plain colours, gravel and reflections, which stand in
// for the texture, then match it.

using ToneField = std::vector<double>;

// Samples a tone function 4 x 4 times per pixel, so that pattern edges are
// smooth.
ToneField SampleTones(int size, const std::function<double(double x, double y)>& tone)
{
    ToneField f(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double sum = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    sum += tone(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
            f[static_cast<std::size_t>(y) * size + x] = sum / 16;
        }
    }
    return f;
}

// The palette image of a tone field around the colour `mean`, with
// `amplitude` colour steps for a tone of 1. Each channel gets the offset that
// brings its average over all pixels closest to the channel of `mean`, with
// the clamping to 0..255 and the rounding of the palette entries counted.
Indexed ToneTexture(const ToneField& f, int size, Rgb mean, double amplitude)
{
    const auto [lo, hi] = std::minmax_element(f.begin(), f.end());
    const double fmin = *lo, span = std::max(*hi - *lo, 1e-9);
    Indexed out;
    out.width = out.height = size;
    std::vector<double> count(256, 0.0);
    out.pixels.reserve(f.size());
    for (double v : f) {
        const int i = std::min(255, static_cast<int>((v - fmin) / span * 256));
        out.pixels.push_back(static_cast<std::uint8_t>(i));
        count[static_cast<std::size_t>(i)] += 1;
    }
    std::vector<double> tone(256);
    for (int i = 0; i < 256; ++i)
        tone[static_cast<std::size_t>(i)] = fmin + (i + 0.5) * span / 256;

    const double targets[3] = {mean.r, mean.g, mean.b};
    int channel[3][256];
    for (int c = 0; c < 3; ++c) {
        const double target = targets[c];
        const auto entry = [&](double offset, int i) {
            const double v = target + offset + amplitude * tone[static_cast<std::size_t>(i)];
            return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
        };
        const auto average = [&](double offset) {
            double sum = 0;
            for (int i = 0; i < 256; ++i)
                sum += entry(offset, i) * count[static_cast<std::size_t>(i)];
            return sum / static_cast<double>(f.size());
        };
        // The average grows with the offset; halve the interval around the
        // target and keep whichever end lies closer.
        double below = -512, above = 512;
        for (int step = 0; step < 60; ++step) {
            const double mid = (below + above) / 2;
            (average(mid) < target ? below : above) = mid;
        }
        const double offset =
            std::abs(average(below) - target) <= std::abs(average(above) - target) ? below : above;
        for (int i = 0; i < 256; ++i)
            channel[c][i] = entry(offset, i);
    }
    for (int i = 0; i < 256; ++i)
        out.palette.push_back(static_cast<std::uint32_t>(channel[0][i] << 16 | channel[1][i] << 8 | channel[2][i]));
    return out;
}

constexpr int kCubeSize = 256;
constexpr double kBevel = 14;

// The raised rim of a cube face: lit along the top and left edges, shaded
// along the bottom and right, with a narrow groove inside it. Returns false
// inside the face, where the pattern shows.
bool Bevel(double x, double y, double size, double rim, double& tone)
{
    const double left = x, top = y, right = size - x, bottom = size - y;
    const double d = std::min({left, top, right, bottom});
    if (d < rim) {
        tone = (d == left || d == top) ? 0.9 : -0.9;
        // The corners where a lit and a shaded edge meet are split along the
        // diagonal.
        if ((d == left && bottom < rim && bottom < left) || (d == top && right < rim && right < top))
            tone = -0.9;
        return true;
    }
    if (d < rim + 2.5) {
        tone = -0.55;
        return true;
    }
    return false;
}

// Fine grain of stone, so that no face looks flat.
double Grain(double x, double y, std::uint32_t seed)
{
    return 0.22 * (ValueNoise(x, y, 5, seed) - 0.5) + 0.18 * (ValueNoise(x, y, 23, seed + 1) - 0.5);
}

// Gray: large checks.
double GrayTone(double x, double y)
{
    double t;
    if (Bevel(x, y, kCubeSize, kBevel, t))
        return t;
    const int cx = static_cast<int>(x / (kCubeSize / 4.0)), cy = static_cast<int>(y / (kCubeSize / 4.0));
    return ((cx + cy) % 2 ? 0.45 : -0.45) + Grain(x, y, 11);
}

// Green: three by three raised dots, like the mine-field the cube leaves.
double GreenTone(double x, double y)
{
    double t;
    if (Bevel(x, y, kCubeSize, kBevel, t))
        return t;
    // The dots sit in three rows and columns of the face inside the rim.
    const double inset = kBevel + 2.5, cell = (kCubeSize - 2 * inset) / 3, radius = 24;
    const double cx = inset + (std::clamp(std::floor((x - inset) / cell), 0.0, 2.0) + 0.5) * cell;
    const double cy = inset + (std::clamp(std::floor((y - inset) / cell), 0.0, 2.0) + 0.5) * cell;
    const double dx = x - cx, dy = y - cy, r = std::hypot(dx, dy);
    if (r < radius) {
        // A dome lit from the top left.
        const double lit = -(dx + dy) / (radius * std::numbers::sqrt2);
        return 0.8 + 0.3 * lit + Grain(x, y, 23) * 0.5;
    }
    if (r < radius + 4 && dx + dy > 0)
        return -0.8; // the dot's shadow
    return -0.45 + Grain(x, y, 29);
}

// Blue: rings spreading from the middle, like the push of its blast.
double BlueTone(double x, double y)
{
    double t;
    if (Bevel(x, y, kCubeSize, kBevel, t))
        return t;
    const double r = std::hypot(x - kCubeSize / 2.0, y - kCubeSize / 2.0);
    return 0.6 * std::cos(2 * kPi * r / 38) + Grain(x, y, 37) * 0.6;
}

// Red: broad diagonal warning stripes.
double RedTone(double x, double y)
{
    double t;
    if (Bevel(x, y, kCubeSize, kBevel, t))
        return t;
    const double phase = (x + y) / 64;
    return (phase - std::floor(phase) < 0.5 ? 0.55 : -0.55) + Grain(x, y, 41);
}

// Black: a wall of bricks with light mortar.
double BlackTone(double x, double y)
{
    double t;
    if (Bevel(x, y, kCubeSize, kBevel, t))
        return t;
    const double rowHeight = kCubeSize / 6.0, brickWidth = kCubeSize / 3.0, mortar = 3;
    const int row = static_cast<int>(y / rowHeight);
    const double shifted = x + (row % 2 ? brickWidth / 2 : 0);
    const int column = static_cast<int>(shifted / brickWidth);
    const double inRow = y - row * rowHeight, inBrick = shifted - column * brickWidth;
    if (inRow < mortar || inRow > rowHeight - mortar || inBrick < mortar || inBrick > brickWidth - mortar)
        return 0.95 + Grain(x, y, 53) * 0.5;
    return -0.3 + 0.3 * (Hash01(column, row, 59) - 0.5) + Grain(x, y, 61);
}

// The field: a pale glassy tile with a dark seam at its edges, a fine line
// inside it and a soft diagonal sheen.
double FieldTone(double x, double y)
{
    const double d = std::min({x, y, kCubeSize - x, kCubeSize - y});
    if (d < 5)
        return -1.0;
    if (d > 14 && d < 17)
        return -0.45;
    const double band = std::sin((x - y) / kCubeSize * kPi * 1.5);
    return 0.35 * band * band + 0.5 * (ValueNoise(x, y, 4, 71) - 0.5) * 0.4;
}

// ---------------------------------------------------------------------------
// Title cubes: a deep blue stone face, and on five of them a gold letter.

constexpr int kTileSize = 128;

Canvas TitleFace()
{
    Canvas c(kTileSize, kTileSize);
    const Rgb light{52, 78, 168}, dark{18, 28, 92};
    for (int y = 0; y < kTileSize; ++y) {
        for (int x = 0; x < kTileSize; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            Rgb colour = Mix(light, dark, (px + py) / (2.0 * kTileSize));
            const double grain = 18 * (ValueNoise(px, py, 3, 83) - 0.5) + 14 * (ValueNoise(px, py, 13, 89) - 0.5);
            double tone = 0;
            Bevel(px, py, kTileSize, 7, tone);
            const double shift = grain + tone * 38;
            colour = {colour.r + shift, colour.g + shift, colour.b + shift * 1.2};
            c.At(x, y) = colour;
        }
    }
    return c;
}

// Draws a letter from the stroke font: a soft shadow, a dark outline and a
// gold body that brightens towards the top.
void DrawLetter(Canvas& c, char letter)
{
    const Glyph& glyph = GlyphFor(letter);
    const double height = 74, stroke = 17;
    const double width = height * glyph.width;
    const double left = (kTileSize - width) / 2, top = (kTileSize - height) / 2;
    // Strokes of the letter, in pixels.
    std::vector<std::array<double, 4>> segments;
    for (const auto& line : glyph.strokes)
        for (std::size_t i = 1; i < line.size(); ++i)
            segments.push_back({left + line[i - 1].first * width, top + line[i - 1].second * height,
                                left + line[i].first * width, top + line[i].second * height});
    const auto within = [&segments](double reach, double dx, double dy) {
        return [&segments, reach, dx, dy](double x, double y) {
            for (const auto& s : segments)
                if (SegmentDistance(x - dx, y - dy, s[0], s[1], s[2], s[3]) <= reach)
                    return true;
            return false;
        };
    };
    c.Fill(within(stroke / 2 + 2, 4, 5), Rgb{6, 10, 40});
    c.Fill(within(stroke / 2 + 2.2, 0, 0), Rgb{40, 22, 6});
    const double from = top - stroke / 2, to = top + height + stroke / 2;
    c.Fill(within(stroke / 2, 0, 0), [from, to](double, double y) {
        const double t = std::clamp((y - from) / (to - from), 0.0, 1.0);
        return Mix(Rgb{255, 236, 140}, Rgb{222, 142, 28}, t);
    });
}

// ---------------------------------------------------------------------------
// The editor's size arrows: a dark blue arrow with a darker rim on white,
// the transparent colour. Edges are hard, so that no pale fringe shows
// round the arrow where the white is left out.

enum class Direction { Left, Right, Up, Down };

Indexed Arrow(Direction direction)
{
    constexpr double kLong = 36, kThick = 20;
    const std::vector<std::pair<double, double>> shape = {
        {2, 6.5}, {19, 6.5}, {19, 1}, {35, 10}, {19, 19}, {19, 13.5}, {2, 13.5}};
    const bool across = direction == Direction::Left || direction == Direction::Right;
    const int w = static_cast<int>(across ? kLong : kThick), h = static_cast<int>(across ? kThick : kLong);
    // Pixel positions turned into the frame of the arrow that points right.
    const auto toArrow = [direction](double x, double y) -> std::pair<double, double> {
        switch (direction) {
        case Direction::Right: return {x, y};
        case Direction::Left: return {kLong - x, y};
        case Direction::Down: return {y, x};
        case Direction::Up: return {kLong - y, x};
        }
        return {x, y};
    };
    const auto rimDistance = [&shape](double x, double y) {
        double d = 1e9;
        for (std::size_t i = 0, j = shape.size() - 1; i < shape.size(); j = i++)
            d = std::min(d, SegmentDistance(x, y, shape[j].first, shape[j].second, shape[i].first, shape[i].second));
        return d;
    };
    Canvas c(w, h, Rgb{255, 255, 255});
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto [ax, ay] = toArrow(x + 0.5, y + 0.5);
            if (!InPolygon(shape, ax, ay))
                continue;
            if (rimDistance(ax, ay) < 1.2)
                c.At(x, y) = Rgb{0, 12, 60};
            else
                c.At(x, y) = Mix(Rgb{70, 130, 235}, Rgb{20, 60, 170}, ay / kThick);
        }
    }
    return Quantise(c);
}

// ---------------------------------------------------------------------------
// Language flags, 48 x 32.

constexpr int kFlagWidth = 48, kFlagHeight = 32;

// The green flag: a white square in the upper hoist corner holding a green
// five-pointed star.
Indexed GreenStarFlag()
{
    const Rgb green{0, 150, 0}, white{255, 255, 255};
    Canvas c(kFlagWidth, kFlagHeight, green);
    const double side = kFlagHeight / 2.0;
    c.Fill([side](double x, double y) { return x < side && y < side; }, white);
    std::vector<std::pair<double, double>> star;
    const double outer = side * 0.42, inner = outer * 0.382;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? inner : outer, a = -kPi / 2 + i * kPi / 5;
        star.emplace_back(side / 2 + r * std::cos(a), side / 2 + 0.6 + r * std::sin(a));
    }
    c.Fill([&star](double x, double y) { return InPolygon(star, x, y); }, green);
    return Quantise(c);
}

// The flag of the United Kingdom, drawn to its geometry: on blue, the white
// diagonals with the red ones beside their middles, turned so that the broad
// white lies above the red at the hoist, then the white-edged red cross.
Indexed UnionFlag()
{
    const Rgb blue{1, 33, 105}, red{200, 16, 46}, white{255, 255, 255};
    Canvas c(kFlagWidth, kFlagHeight, blue);
    const double unit = kFlagHeight / 30.0, cx = kFlagWidth / 2.0, cy = kFlagHeight / 2.0;
    const double diagonal = std::hypot(cx, cy);
    // Distance from the diagonal of the point's quarter, positive on the
    // left-hand side when going out from the middle (upwards positive).
    const auto across = [=](double x, double y) {
        const double qx = x - cx, qy = cy - y;
        const double dx = (qx < 0 ? -cx : cx) / diagonal, dy = (qy < 0 ? -cy : cy) / diagonal;
        return qx * -dy + qy * dx;
    };
    c.Fill([=](double x, double y) { return std::abs(across(x, y)) < 3 * unit; }, white);
    c.Fill([=](double x, double y) { const double s = across(x, y); return s >= 0 && s < 2 * unit; }, red);
    c.Fill([=](double x, double y) { return std::abs(x - cx) < 5 * unit || std::abs(y - cy) < 5 * unit; }, white);
    c.Fill([=](double x, double y) { return std::abs(x - cx) < 3 * unit || std::abs(y - cy) < 3 * unit; }, red);
    return Quantise(c);
}

// ---------------------------------------------------------------------------
// The program icon: a cube seen from above a corner, its three faces lit
// differently, with dark edges.

IconImage CubeIcon(int size)
{
    const double k = size / 32.0;
    using Points = std::vector<std::pair<double, double>>;
    const std::pair<double, double> top{16, 1.5}, upperLeft{2.5, 8.8}, upperRight{29.5, 8.8}, middle{16, 16.1},
        lowerLeft{2.5, 23.7}, lowerRight{29.5, 23.7}, bottom{16, 30.5};
    const auto scaled = [k](Points p) {
        for (auto& [x, y] : p) {
            x *= k;
            y *= k;
        }
        return p;
    };
    const Points topFace = scaled({top, upperRight, middle, upperLeft});
    const Points leftFace = scaled({upperLeft, middle, bottom, lowerLeft});
    const Points rightFace = scaled({middle, upperRight, lowerRight, bottom});
    const Points outline = scaled({top, upperRight, lowerRight, bottom, lowerLeft, upperLeft});
    const Points inner = scaled({upperLeft, middle, upperRight, middle, bottom});

    // Colours are painted premultiplied on black; the coverage is painted the
    // same way in a second canvas and divided out at the end.
    Canvas colour(size, size), cover(size, size);
    const auto paint = [&](const Canvas::Inside& inside, Rgb c) {
        colour.Fill(inside, c);
        cover.Fill(inside, Rgb{1, 1, 1});
    };
    const auto face = [](const Points& p) { return [p](double x, double y) { return InPolygon(p, x, y); }; };
    const auto edges = [](const Points& p, bool closed, double width) {
        return [p, closed, width](double x, double y) {
            const std::size_t n = closed ? p.size() : p.size() - 1;
            for (std::size_t i = 0; i < n; ++i) {
                const auto& a = p[i];
                const auto& b = p[(i + 1) % p.size()];
                if (SegmentDistance(x, y, a.first, a.second, b.first, b.second) <= width / 2)
                    return true;
            }
            return false;
        };
    };
    paint(face(topFace), Rgb{170, 228, 255});
    paint(face(leftFace), Rgb{84, 150, 226});
    paint(face(rightFace), Rgb{36, 78, 168});
    const double line = std::max(1.0, 1.4 * k);
    paint(edges(inner, false, line * 0.8), Rgb{225, 245, 255});
    paint(edges(outline, true, line), Rgb{8, 18, 52});

    IconImage icon{Canvas(size, size), {}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double a = std::clamp(cover.At(x, y).r, 0.0, 1.0);
            const Rgb& p = colour.At(x, y);
            icon.colour.At(x, y) = a > 0 ? Rgb{p.r / a, p.g / a, p.b / a} : Rgb{};
            icon.alpha.push_back(a);
        }
    }
    return icon;
}

PictureFile Bitmap(int id, const Indexed& image)
{
    return {"bitmap/" + std::to_string(id) + ".bmp", EncodeBmp(image)};
}

} // namespace

std::vector<PictureFile> MakeAllPictures()
{
    std::vector<PictureFile> files;
    files.push_back({"icon/103.ico", EncodeIco({CubeIcon(32), CubeIcon(16)})});

    // The cube textures, each around its kind's colour.
    struct Cube {
        int id;
        double (*tone)(double, double);
        Rgb colour;
        double amplitude;
    };
    const Cube cubes[] = {
        {104, BlueTone, {137, 235, 255}, 48},  {105, RedTone, {162, 109, 124}, 42},
        {106, GrayTone, {150, 163, 181}, 40},  {107, BlackTone, {70, 70, 100}, 34},
        {108, GreenTone, {136, 201, 163}, 52},
    };
    for (const Cube& cube : cubes)
        files.push_back(
            Bitmap(cube.id, ToneTexture(SampleTones(kCubeSize, cube.tone), kCubeSize, cube.colour, cube.amplitude)));
    files.push_back(Bitmap(109, ToneTexture(SampleTones(kCubeSize, FieldTone), kCubeSize, {214, 222, 234}, 40)));

    const char title[] = "VARNO";
    for (int i = 0; i < 5; ++i) {
        Canvas tile = TitleFace();
        DrawLetter(tile, title[i]);
        files.push_back(Bitmap(110 + i, Quantise(tile)));
    }
    files.push_back(Bitmap(115, Quantise(TitleFace())));

    files.push_back(Bitmap(116, Arrow(Direction::Left)));
    files.push_back(Bitmap(117, Arrow(Direction::Right)));
    files.push_back(Bitmap(118, Arrow(Direction::Up)));
    files.push_back(Bitmap(119, Arrow(Direction::Down)));

    files.push_back(Bitmap(120, GreenStarFlag()));
    files.push_back(Bitmap(121, UnionFlag()));
    return files;
}

std::vector<PictureFile> MakeDesktopIcons(const std::string& appId)
{
    std::vector<PictureFile> files;
    for (int size : kDesktopIconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        files.push_back({"hicolor/" + folder + "/apps/" + appId + ".png", EncodePng(CubeIcon(size))});
    }
    return files;
}

} // namespace pictures
