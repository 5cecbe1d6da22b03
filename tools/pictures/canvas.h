// The drawing kit of the picture generator: a colour canvas with
// anti-aliased shape filling, palette images, a colour quantiser, and the
// writers of bitmap and icon files. Everything is deterministic: the same
// calls give the same bytes on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pictures {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t);

// A picture of full colours, rows from the top down. Coordinates of shapes
// are in pixels, (0, 0) the top left corner of the top left pixel.
class Canvas {
public:
    Canvas(int width, int height, Rgb fill = {});

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Rgb& At(int x, int y) { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
    const Rgb& At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }

    // Paints a shape given by its inside test, each pixel covered in the
    // proportion of its 4 x 4 sample points that lie inside.
    using Inside = std::function<bool(double x, double y)>;
    void Fill(const Inside& inside, const Rgb& colour);
    // The same with a colour that varies over the shape.
    using Paint = std::function<Rgb(double x, double y)>;
    void Fill(const Inside& inside, const Paint& paint);
    // The same with hard edges: a pixel is painted when its centre is inside.
    void FillSharp(const Inside& inside, const Rgb& colour);

private:
    int m_width, m_height;
    std::vector<Rgb> m_pixels;
};

// Shape tests for Canvas::Fill.
bool InPolygon(const std::vector<std::pair<double, double>>& points, double x, double y);
double SegmentDistance(double x, double y, double ax, double ay, double bx, double by);

// A picture of at most 256 colours: the colour table and one index per
// pixel, rows from the top down.
struct Indexed {
    int width = 0, height = 0;
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    std::vector<std::uint8_t> pixels;

    std::uint32_t ColourAt(int x, int y) const { return palette[pixels[static_cast<std::size_t>(y) * width + x]]; }
};

// Reduces a canvas to a palette image. With at most 256 distinct colours
// (after rounding to 8 bits a channel) every colour is kept exactly;
// otherwise the colours are split by median cut and each pixel takes the
// nearest entry.
Indexed Quantise(const Canvas& canvas);

// A bitmap file of an 8-bit palette image: 14-byte file header, 40-byte
// information header, a 256-entry colour table, bottom-up uncompressed rows.
std::string EncodeBmp(const Indexed& image);

// An icon file holding 32-bit images with an alpha channel, each with its
// one-bit mask. `alpha` gives each image's coverage 0..1, row by row from
// the top down.
struct IconImage {
    Canvas colour;
    std::vector<double> alpha;
};
std::string EncodeIco(const std::vector<IconImage>& images);
// A PNG file of one icon image: 8-bit RGBA, unfiltered rows in stored
// (uncompressed) deflate blocks, as desktops take application icons.
std::string EncodePng(const IconImage& image);

// Repeatable noise: a hash of integer coordinates and a seed to [0, 1), and
// smooth value noise of the given cell size built on it.
double Hash01(int x, int y, std::uint32_t seed);
double ValueNoise(double x, double y, double cell, std::uint32_t seed);

} // namespace pictures
