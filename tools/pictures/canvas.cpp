#include "tools/pictures/canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace pictures {

namespace {

int Channel(double v)
{
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
}

std::uint32_t Pack(const Rgb& c)
{
    return static_cast<std::uint32_t>(Channel(c.r) << 16 | Channel(c.g) << 8 | Channel(c.b));
}

int Part(std::uint32_t colour, int channel)
{
    return static_cast<int>((colour >> (16 - 8 * channel)) & 0xFF);
}

void Put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, std::uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// The 40-byte information header of an uncompressed bottom-up bitmap.
void PutInfoHeader(std::string& s, int width, int height, int bits, std::uint32_t imageSize, std::uint32_t colours)
{
    Put32(s, 40);
    Put32(s, static_cast<std::uint32_t>(width));
    Put32(s, static_cast<std::uint32_t>(height));
    Put16(s, 1);
    Put16(s, static_cast<unsigned>(bits));
    Put32(s, 0); // no compression
    Put32(s, imageSize);
    Put32(s, 2835); // 72 dots an inch
    Put32(s, 2835);
    Put32(s, colours);
    Put32(s, 0);
}

// One box of the median cut: a run of the distinct colours.
struct Box {
    std::size_t begin, end;
    std::uint64_t count;
    int longest;   // channel of the widest spread
    int spread;    // that spread
};

struct Entry {
    std::uint32_t colour;
    std::uint64_t count;
};

Box MakeBox(const std::vector<Entry>& entries, std::size_t begin, std::size_t end)
{
    Box box{begin, end, 0, 0, 0};
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    for (std::size_t i = begin; i < end; ++i) {
        box.count += entries[i].count;
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], Part(entries[i].colour, c));
            hi[c] = std::max(hi[c], Part(entries[i].colour, c));
        }
    }
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.spread) {
            box.spread = hi[c] - lo[c];
            box.longest = c;
        }
    }
    return box;
}

} // namespace

Rgb Mix(const Rgb& a, const Rgb& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Canvas::Canvas(int width, int height, Rgb fill)
    : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height, fill)
{
}

void Canvas::Fill(const Inside& inside, const Rgb& colour)
{
    Fill(inside, [&colour](double, double) { return colour; });
}

void Canvas::Fill(const Inside& inside, const Paint& paint)
{
    constexpr int kSide = 4;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSide; ++sy)
                for (int sx = 0; sx < kSide; ++sx)
                    hits += inside(x + (sx + 0.5) / kSide, y + (sy + 0.5) / kSide) ? 1 : 0;
            if (hits)
                At(x, y) = Mix(At(x, y), paint(x + 0.5, y + 0.5), static_cast<double>(hits) / (kSide * kSide));
        }
    }
}

void Canvas::FillSharp(const Inside& inside, const Rgb& colour)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (inside(x + 0.5, y + 0.5))
                At(x, y) = colour;
}

bool InPolygon(const std::vector<std::pair<double, double>>& points, double x, double y)
{
    // Even-odd rule: count the edges that a ray to the right crosses.
    bool in = false;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const auto [xi, yi] = points[i];
        const auto [xj, yj] = points[j];
        if ((yi > y) != (yj > y) && x < xj + (y - yj) * (xi - xj) / (yi - yj))
            in = !in;
    }
    return in;
}

double SegmentDistance(double x, double y, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

Indexed Quantise(const Canvas& canvas)
{
    Indexed out;
    out.width = canvas.Width();
    out.height = canvas.Height();
    std::map<std::uint32_t, std::uint64_t> histogram;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            ++histogram[Pack(canvas.At(x, y))];

    std::vector<Entry> entries;
    entries.reserve(histogram.size());
    for (const auto& [colour, count] : histogram)
        entries.push_back({colour, count});

    if (entries.size() <= 256) {
        for (const Entry& e : entries)
            out.palette.push_back(e.colour);
    } else {
        // Median cut: split the box whose widest channel spread, weighted by
        // its pixel count, is largest, at the pixel median of that channel.
        std::vector<Box> boxes{MakeBox(entries, 0, entries.size())};
        while (boxes.size() < 256) {
            std::size_t pick = boxes.size();
            double best = 0;
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                const double score = static_cast<double>(boxes[i].spread) * static_cast<double>(boxes[i].count);
                if (boxes[i].end - boxes[i].begin > 1 && score > best) {
                    best = score;
                    pick = i;
                }
            }
            if (pick == boxes.size())
                break;
            const Box box = boxes[pick];
            const int c = box.longest;
            std::sort(entries.begin() + static_cast<std::ptrdiff_t>(box.begin),
                      entries.begin() + static_cast<std::ptrdiff_t>(box.end), [c](const Entry& a, const Entry& b) {
                          const int pa = Part(a.colour, c), pb = Part(b.colour, c);
                          return pa != pb ? pa < pb : a.colour < b.colour;
                      });
            std::uint64_t seen = 0;
            std::size_t cut = box.begin + 1;
            for (std::size_t i = box.begin; i < box.end - 1; ++i) {
                seen += entries[i].count;
                cut = i + 1;
                if (seen * 2 >= box.count)
                    break;
            }
            boxes[pick] = MakeBox(entries, box.begin, cut);
            boxes.push_back(MakeBox(entries, cut, box.end));
        }
        for (const Box& box : boxes) {
            std::array<double, 3> sum{};
            for (std::size_t i = box.begin; i < box.end; ++i)
                for (int c = 0; c < 3; ++c)
                    sum[c] += static_cast<double>(Part(entries[i].colour, c)) * static_cast<double>(entries[i].count);
            const double n = static_cast<double>(box.count);
            out.palette.push_back(Pack({sum[0] / n, sum[1] / n, sum[2] / n}));
        }
    }

    std::map<std::uint32_t, std::uint8_t> nearest;
    for (const auto& [colour, count] : histogram) {
        int best = 0;
        long bestDistance = -1;
        for (std::size_t i = 0; i < out.palette.size(); ++i) {
            long d = 0;
            for (int c = 0; c < 3; ++c) {
                const long diff = Part(colour, c) - Part(out.palette[i], c);
                d += diff * diff;
            }
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
            }
        }
        nearest[colour] = static_cast<std::uint8_t>(best);
    }
    out.pixels.reserve(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels.push_back(nearest[Pack(canvas.At(x, y))]);
    return out;
}

std::string EncodeBmp(const Indexed& image)
{
    const std::uint32_t row = (static_cast<std::uint32_t>(image.width) + 3) & ~3u;
    const std::uint32_t pixelBytes = row * static_cast<std::uint32_t>(image.height);
    constexpr std::uint32_t kBitsAt = 14 + 40 + 256 * 4;
    std::string s;
    s += "BM";
    Put32(s, kBitsAt + pixelBytes);
    Put32(s, 0);
    Put32(s, kBitsAt);
    PutInfoHeader(s, image.width, image.height, 8, pixelBytes, 256);
    for (std::size_t i = 0; i < 256; ++i) {
        const std::uint32_t c = i < image.palette.size() ? image.palette[i] : 0;
        s += static_cast<char>(c & 0xFF);
        s += static_cast<char>((c >> 8) & 0xFF);
        s += static_cast<char>((c >> 16) & 0xFF);
        s += '\0';
    }
    for (int y = image.height - 1; y >= 0; --y) {
        const std::size_t at = static_cast<std::size_t>(y) * image.width;
        s.append(reinterpret_cast<const char*>(image.pixels.data() + at), static_cast<std::size_t>(image.width));
        s.append(row - static_cast<std::uint32_t>(image.width), '\0');
    }
    return s;
}

std::string EncodeIco(const std::vector<IconImage>& images)
{
    std::vector<std::string> bodies;
    for (const IconImage& image : images) {
        const int w = image.colour.Width(), h = image.colour.Height();
        const std::uint32_t maskRow = ((static_cast<std::uint32_t>(w) + 31) / 32) * 4;
        const std::uint32_t size = static_cast<std::uint32_t>(w * h * 4) + maskRow * static_cast<std::uint32_t>(h);
        std::string body;
        // The height counts the colour rows and the mask rows together.
        PutInfoHeader(body, w, h * 2, 32, size, 0);
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = Pack(image.colour.At(x, y));
                const double a = image.alpha[static_cast<std::size_t>(y) * w + x];
                body += static_cast<char>(c & 0xFF);
                body += static_cast<char>((c >> 8) & 0xFF);
                body += static_cast<char>((c >> 16) & 0xFF);
                body += static_cast<char>(Channel(a * 255.0));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            std::string bits(maskRow, '\0');
            for (int x = 0; x < w; ++x)
                if (image.alpha[static_cast<std::size_t>(y) * w + x] < 0.5)
                    bits[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            body += bits;
        }
        bodies.push_back(std::move(body));
    }
    std::string s;
    Put16(s, 0);
    Put16(s, 1); // an icon
    Put16(s, static_cast<unsigned>(images.size()));
    std::uint32_t at = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        s += static_cast<char>(images[i].colour.Width() & 0xFF);
        s += static_cast<char>(images[i].colour.Height() & 0xFF);
        s += '\0'; // no colour table
        s += '\0';
        Put16(s, 1);
        Put16(s, 32);
        Put32(s, static_cast<std::uint32_t>(bodies[i].size()));
        Put32(s, at);
        at += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const std::string& body : bodies)
        s += body;
    return s;
}

double Hash01(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u ^ static_cast<std::uint32_t>(x) * 0x85EBCA6Bu ^
                      static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return (h >> 8) / 16777216.0;
}

double ValueNoise(double x, double y, double cell, std::uint32_t seed)
{
    const double fx = x / cell, fy = y / cell;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    double tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const double top = Hash01(ix, iy, seed) + (Hash01(ix + 1, iy, seed) - Hash01(ix, iy, seed)) * tx;
    const double bottom = Hash01(ix, iy + 1, seed) + (Hash01(ix + 1, iy + 1, seed) - Hash01(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

namespace {

std::uint32_t PngCrc(const std::string& bytes, std::size_t from)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// PNG numbers are big-endian.
void PutBig32(std::string& s, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        s += static_cast<char>((v >> shift) & 0xFF);
}

void PngChunk(std::string& png, const char* type, const std::string& data)
{
    PutBig32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.append(type, 4);
    png += data;
    PutBig32(png, PngCrc(png, start));
}

} // namespace

std::string EncodePng(const IconImage& image)
{
    const int w = image.colour.Width(), h = image.colour.Height();
    // Each row: filter type 0, then red, green, blue and alpha of each pixel.
    std::string raw;
    raw.reserve(static_cast<std::size_t>(h) * (static_cast<std::size_t>(w) * 4 + 1));
    for (int y = 0; y < h; ++y) {
        raw += '\0';
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = Pack(image.colour.At(x, y));
            const double a = image.alpha[static_cast<std::size_t>(y) * w + x];
            raw += static_cast<char>((c >> 16) & 0xFF);
            raw += static_cast<char>((c >> 8) & 0xFF);
            raw += static_cast<char>(c & 0xFF);
            raw += static_cast<char>(Channel(a * 255.0));
        }
    }
    std::string z{'\x78', '\x01'};
    std::uint32_t a = 1, b = 0;
    for (char ch : raw) {
        a = (a + static_cast<unsigned char>(ch)) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size(); at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z += static_cast<char>(at + n == raw.size() ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>((n >> 8) & 0xFF);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, at, n);
    }
    PutBig32(z, (b << 16) | a);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    PutBig32(header, static_cast<std::uint32_t>(w));
    PutBig32(header, static_cast<std::uint32_t>(h));
    header += std::string("\x08\x06\x00\x00\x00", 5); // 8 bits a channel, RGBA
    PngChunk(png, "IHDR", header);
    PngChunk(png, "IDAT", z);
    PngChunk(png, "IEND", "");
    return png;
}

} // namespace pictures
