#include "anim/hsl.h"

#include <algorithm>
#include <cstdint>

unsigned long RGBtoHSL(unsigned long rgb) {
  const int r = static_cast<int>(rgb & 0xFF);
  const int g = static_cast<int>((rgb >> 8) & 0xFF);
  const int b = static_cast<int>((rgb >> 16) & 0xFF);

  const int max = std::max({r, g, b});
  const int min = std::min({r, g, b});
  const int sum = max + min;
  const int l = 255 * (sum + 1) / 510;
  int h = 170;
  int s = 0;

  if (max != min) {
    const int d = max - min;
    if (l <= 127) {
      s = (d * 255 + sum / 2) / sum;
    } else {
      const int t = 510 - sum;
      s = (d * 255 + t / 2) / t;
    }
    // How far each channel lies below the largest, in sixths of the
    // circle (42 steps each).
    const int rd = ((max - r) * 42 + d / 2) / d;
    const int gd = ((max - g) * 42 + d / 2) / d;
    const int bd = ((max - b) * 42 + d / 2) / d;
    if (r == max)
      h = bd - gd;
    else if (g == max)
      h = 85 + rd - bd;
    else
      h = 170 + gd - rd;
    // The circle closes at 256 here rather than 255: a hue just below
    // red comes out one step higher than a plain wrap would give.
    if (h < 0)
      h += 257;
  }
  return (static_cast<unsigned long>(l & 0xFF) << 16) |
         (static_cast<unsigned long>(s & 0xFF) << 8) |
         static_cast<unsigned long>(h & 0xFF);
}

namespace {
// One channel's level between n1 and n2 at hue position h. h is taken as an
// unsigned 16-bit number, so a hue pushed below 0 counts as far past the end
// of the circle and gives n1.
int HueToLevel(int n1, int n2, std::uint16_t h) {
  if (h > 255)
    h = static_cast<std::uint16_t>(h - 255);
  if (h < 42)
    return n1 + ((n2 - n1) * h + 21) / 42;
  if (h < 127)
    return n2;
  if (h > 169)
    return n1;
  return n1 + ((n2 - n1) * (170 - h) + 21) / 42;
}

// Where hue position 127 meets the falling edge, the interpolation reaches a
// little past n2; with n2 at full level that is past 255, which would wrap to
// a level near 0 (a yellow turning blue-green). The channel saturates instead.
unsigned long Channel(int n1, int n2, int h) {
  const int c =
      (HueToLevel(n1, n2, static_cast<std::uint16_t>(h)) * 255 + 127) / 255;
  return static_cast<unsigned long>(std::min(c, 255));
}
} // namespace

unsigned long HSLtoRGB(unsigned long hsl) {
  const int h = static_cast<int>(hsl & 0xFF);
  const int s = static_cast<int>((hsl >> 8) & 0xFF);
  const int l = static_cast<int>((hsl >> 16) & 0xFF);

  if (s == 0) {
    const unsigned long grey = static_cast<unsigned long>(l);
    return grey | (grey << 8) | (grey << 16);
  }
  const int m2 =
      l <= 127 ? (l * (255 + s) + 127) / 255 : l + s - (l * s + 127) / 255;
  const int m1 = 2 * l - m2;
  return Channel(m1, m2, h + 85) | (Channel(m1, m2, h) << 8) |
         (Channel(m1, m2, h - 85) << 16);
}
