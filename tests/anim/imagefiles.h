// Builders of the image files the graphics tests read: bitmap files written
// field by field, GIF files with their own small LZW encoder, and RIFF AVI
// files. They are written independently of the library's own writers so
// that a test compares against bytes laid out by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace imagefiles {

using Bytes = std::vector<unsigned char>;

inline void Put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void PutText(Bytes& b, const char* s)
{
    while (*s)
        b.push_back(static_cast<unsigned char>(*s++));
}

struct Rgb {
    unsigned char r, g, b;
};

// ---- bitmap files ----------------------------------------------------------------

struct BitmapLayout {
    int width = 0;
    int height = 0; // negative: rows from the top down
    int depth = 8;
    std::vector<Rgb> colours; // depth <= 8
    bool fileHeader = true;
    std::uint32_t compression = 0;
    bool coreHeader = false; // 12-byte header with three-byte colour entries
};

inline int RowBytes(int width, int depth)
{
    return (width * depth + 31) / 32 * 4;
}

// pixel(x, y) gives the raw value for palette depths and 16 bits, or
// 0x00RRGGBB for 24 and 32 bits; y counts from the top.
inline Bytes BuildBitmap(const BitmapLayout& s, const std::function<std::uint32_t(int, int)>& pixel)
{
    const int rows = s.height < 0 ? -s.height : s.height;
    const int rowBytes = RowBytes(s.width, s.depth);
    const int entrySize = s.coreHeader ? 3 : 4;
    const int tableBytes = s.depth <= 8 ? static_cast<int>(s.colours.size()) * entrySize : 0;
    const int headerBytes = s.coreHeader ? 12 : 40;
    Bytes b;
    if (s.fileHeader) {
        PutText(b, "BM");
        Put32(b, 14 + headerBytes + tableBytes + rowBytes * rows);
        Put32(b, 0);
        Put32(b, 14 + headerBytes + tableBytes);
    }
    if (s.coreHeader) {
        Put32(b, 12);
        Put16(b, s.width);
        Put16(b, rows);
        Put16(b, 1);
        Put16(b, s.depth);
    } else {
        Put32(b, 40);
        Put32(b, static_cast<std::uint32_t>(s.width));
        Put32(b, static_cast<std::uint32_t>(s.height));
        Put16(b, 1);
        Put16(b, s.depth);
        Put32(b, s.compression);
        Put32(b, rowBytes * rows);
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, s.depth <= 8 ? static_cast<std::uint32_t>(s.colours.size()) : 0);
        Put32(b, 0);
    }
    if (s.depth <= 8)
        for (const Rgb& c : s.colours) {
            b.push_back(c.b);
            b.push_back(c.g);
            b.push_back(c.r);
            if (!s.coreHeader)
                b.push_back(0);
        }
    for (int stored = 0; stored < rows; ++stored) {
        const int y = s.height < 0 ? stored : rows - 1 - stored;
        Bytes row(static_cast<std::size_t>(rowBytes), 0);
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = pixel(x, y);
            switch (s.depth) {
            case 1:
                if (v & 1)
                    row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
                break;
            case 4: row[x / 2] |= static_cast<unsigned char>((x % 2) ? (v & 15) : (v & 15) << 4); break;
            case 8: row[x] = static_cast<unsigned char>(v); break;
            case 16:
                row[2 * x] = static_cast<unsigned char>(v);
                row[2 * x + 1] = static_cast<unsigned char>(v >> 8);
                break;
            default: {
                const int size = s.depth / 8;
                row[size * x] = static_cast<unsigned char>(v);
                row[size * x + 1] = static_cast<unsigned char>(v >> 8);
                row[size * x + 2] = static_cast<unsigned char>(v >> 16);
                break;
            }
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// ---- GIF files ---------------------------------------------------------------------

// GIF's LZW: codes packed from the lowest bit up, the table cleared when full.
inline Bytes LzwEncode(const std::vector<unsigned char>& pixels, unsigned minSize)
{
    const unsigned clear = 1u << minSize, end = clear + 1;
    unsigned width = minSize + 1, next = clear + 2;
    bool clearPending = false;
    Bytes out;
    std::uint32_t acc = 0;
    unsigned bits = 0;
    auto emit = [&](unsigned code) {
        acc |= code << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<unsigned char>(acc));
            acc >>= 8;
            bits -= 8;
        }
        if (clearPending) {
            width = minSize + 1;
            clearPending = false;
        } else if (next > (1u << width) - 1 && width < 12) {
            ++width;
        }
    };
    std::map<std::uint32_t, unsigned> table;
    emit(clear);
    if (!pixels.empty()) {
        unsigned prefix = pixels[0];
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const unsigned c = pixels[i];
            const std::uint32_t key = (prefix << 8) | c;
            auto it = table.find(key);
            if (it != table.end()) {
                prefix = it->second;
                continue;
            }
            emit(prefix);
            prefix = c;
            if (next < 4096) {
                table[key] = next++;
            } else {
                table.clear();
                next = clear + 2;
                clearPending = true;
                emit(clear);
            }
        }
        emit(prefix);
    }
    emit(end);
    if (bits)
        out.push_back(static_cast<unsigned char>(acc));
    return out;
}

inline void PutSubBlocks(Bytes& b, const Bytes& data)
{
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        b.push_back(static_cast<unsigned char>(n));
        b.insert(b.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n));
    }
    b.push_back(0);
}

class GifBuilder {
public:
    // resolution is the 3-bit colour-resolution field; tableBits the number
    // of bits of the global colour table (0: none).
    GifBuilder(const char* version, int width, int height, unsigned resolution, const std::vector<Rgb>& table,
               unsigned background)
    {
        PutText(b, "GIF");
        PutText(b, version);
        Put16(b, width);
        Put16(b, height);
        unsigned bitsNeeded = 0;
        if (!table.empty()) {
            bitsNeeded = 1;
            while ((1u << bitsNeeded) < table.size())
                ++bitsNeeded;
        }
        b.push_back(static_cast<unsigned char>((table.empty() ? 0 : 0x80) | (resolution << 4) |
                                               (bitsNeeded ? bitsNeeded - 1 : 0)));
        b.push_back(static_cast<unsigned char>(background));
        b.push_back(0);
        for (unsigned i = 0; i < (table.empty() ? 0u : 1u << bitsNeeded); ++i) {
            const Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
            b.push_back(c.r);
            b.push_back(c.g);
            b.push_back(c.b);
        }
    }
    GifBuilder& Control(bool transparent, unsigned index)
    {
        const unsigned char block[] = {
            '!', 0xF9, 4, static_cast<unsigned char>(transparent ? 1 : 0), 10, 0, static_cast<unsigned char>(index), 0};
        b.insert(b.end(), block, block + sizeof block);
        return *this;
    }
    GifBuilder& Comment(const std::string& text)
    {
        b.push_back('!');
        b.push_back(0xFE);
        PutSubBlocks(b, Bytes(text.begin(), text.end()));
        return *this;
    }
    GifBuilder& Application()
    {
        b.push_back('!');
        b.push_back(0xFF);
        b.push_back(11);
        PutText(b, "LOOPINGAPP1");
        PutSubBlocks(b, Bytes{1, 0, 0});
        return *this;
    }
    GifBuilder& Raw(const Bytes& bytes)
    {
        b.insert(b.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // pixels are row by row from the top; an interlaced image is stored in
    // the four interlace passes. A local table is written but not meant to
    // be used.
    GifBuilder& Image(int left, int top, int width, int height, const std::vector<unsigned char>& pixels,
                      unsigned minSize, bool interlaced = false, bool localTable = false)
    {
        b.push_back(',');
        Put16(b, left);
        Put16(b, top);
        Put16(b, width);
        Put16(b, height);
        b.push_back(static_cast<unsigned char>((interlaced ? 0x40 : 0) | (localTable ? 0x81 : 0)));
        if (localTable)
            for (int i = 0; i < 4 * 3; ++i)
                b.push_back(0x77);
        std::vector<unsigned char> order;
        if (interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < height; y += step[pass])
                    order.insert(order.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
        } else {
            order = pixels;
        }
        b.push_back(static_cast<unsigned char>(minSize));
        PutSubBlocks(b, LzwEncode(order, minSize));
        return *this;
    }
    Bytes Finish()
    {
        b.push_back(';');
        return b;
    }

private:
    Bytes b;
};

// ---- AVI files ---------------------------------------------------------------------

inline void PutChunk(Bytes& b, const char* id, const Bytes& data)
{
    PutText(b, id);
    Put32(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1)
        b.push_back(0);
}

inline Bytes List(const char* type, const Bytes& content)
{
    Bytes data;
    PutText(data, type);
    data.insert(data.end(), content.begin(), content.end());
    Bytes b;
    PutChunk(b, "LIST", data);
    return b;
}

// frames: each with its chunk id ("00db" uncompressed) and bytes.
inline Bytes BuildAvi(int width, int height, const std::vector<std::pair<std::string, Bytes>>& frames)
{
    Bytes avih;
    Put32(avih, 40000); // microseconds per frame
    Put32(avih, 0);
    Put32(avih, 0);
    Put32(avih, 0x10);
    Put32(avih, static_cast<std::uint32_t>(frames.size()));
    Put32(avih, 0);
    Put32(avih, 1);
    Put32(avih, 0);
    Put32(avih, static_cast<std::uint32_t>(width));
    Put32(avih, static_cast<std::uint32_t>(height));
    for (int i = 0; i < 4; ++i)
        Put32(avih, 0);
    Bytes hdrlContent;
    PutChunk(hdrlContent, "avih", avih);
    Bytes strh(56, 0);
    Bytes strlContent;
    PutChunk(strlContent, "strh", strh);
    Bytes strl = List("strl", strlContent);
    hdrlContent.insert(hdrlContent.end(), strl.begin(), strl.end());

    Bytes movi;
    for (const auto& [id, data] : frames)
        PutChunk(movi, id.c_str(), data);

    Bytes form;
    PutText(form, "AVI ");
    Bytes hdrl = List("hdrl", hdrlContent);
    form.insert(form.end(), hdrl.begin(), hdrl.end());
    PutChunk(form, "JUNK", Bytes(7, 0));
    Bytes moviList = List("movi", movi);
    form.insert(form.end(), moviList.begin(), moviList.end());
    Bytes b;
    PutChunk(b, "RIFF", form);
    return b;
}

} // namespace imagefiles
