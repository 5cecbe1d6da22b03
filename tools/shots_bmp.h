// A 24-bit BMP writer for the demos that save a picture of the screen,
// written to a temporary file and renamed into place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace shots {

// pixels: w x h values 0x00RRGGBB, rows from the top.
inline bool SaveBmp(const std::string& path, const std::vector<std::uint32_t>& pixels, int w, int h)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * h);
    std::uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, std::uint32_t v) { std::memcpy(header + at, &v, 4); };
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    header[26] = 1;  // planes
    header[28] = 24; // bits per pixel
    put32(34, dataSize);
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes), 0);
    for (int y = h - 1; y >= 0 && ok; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * w + x];
            row[static_cast<std::size_t>(x) * 3] = static_cast<std::uint8_t>(p);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(p >> 16);
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::remove(tmp.c_str());
    return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

} // namespace shots
