#include "anim/hsl.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
unsigned long Pack(unsigned a, unsigned b, unsigned c) {
  return a | (b << 8) | (c << 16);
}
unsigned Byte(unsigned long v, int i) { return (v >> (8 * i)) & 0xFF; }
} // namespace

TEST(Hsl, KnownColours) {
  EXPECT_EQ(RGBtoHSL(0x000000), 0x0000AAul); // black: hue 170, grey
  EXPECT_EQ(RGBtoHSL(0xFFFFFF), 0xFF00AAul); // white
  EXPECT_EQ(RGBtoHSL(0x0000FF), 0x80FF00ul); // red
  EXPECT_EQ(HSLtoRGB(0x80FF00), 0x0101FFul); // back, green and blue 1
  EXPECT_EQ(RGBtoHSL(0x00FF00), 0x80FF55ul); // green at a third of the circle
  EXPECT_EQ(RGBtoHSL(0xFF0000), 0x80FFAAul); // blue at two thirds
  // One step past blue the red channel's hue runs past the end of the
  // circle and comes round to its rising ramp: red 1 + (254 + 21) / 42.
  EXPECT_EQ(HSLtoRGB(Pack(171, 255, 128)), Pack(7, 1, 255));

  // The top byte is ignored on the way in and 0 on the way out.
  EXPECT_EQ(RGBtoHSL(0xAB0000FF), 0x80FF00ul);
  EXPECT_EQ(HSLtoRGB(0xCD80FF00), 0x0101FFul);
}

TEST(Hsl, GreysAreExact) {
  for (unsigned l = 0; l < 256; ++l) {
    const unsigned long grey = Pack(l, l, l);
    EXPECT_EQ(RGBtoHSL(grey), Pack(170, 0, l)) << l;
    for (unsigned h : {0u, 85u, 200u, 255u})
      EXPECT_EQ(HSLtoRGB(Pack(h, 0, l)), grey) << l << ' ' << h;
  }
}

TEST(Hsl, NegativeHueWrapsOneStepHigh) {
  // Red largest, blue above green: blue's distance term (39) is 3 below
  // green's (42), so the hue comes out at -3 and is stored as 254.
  const unsigned long rgb = Pack(255, 0, 20);
  EXPECT_EQ(Byte(RGBtoHSL(rgb), 0), 254u);
  // A hue of -1 (blue 6 with the same red and green) is stored as 0.
  EXPECT_EQ(Byte(RGBtoHSL(Pack(255, 0, 6)), 0), 0u);
}

TEST(Hsl, FullLevelChannelsDoNotWrap) {
  // Light yellow: its hue puts the red channel at the edge of the falling
  // ramp, where the level reaches past 255; it must stay at full red.
  const unsigned long rgb = Pack(255, 255, 192);
  EXPECT_EQ(RGBtoHSL(rgb), Pack(42, 255, 224));
  EXPECT_EQ(HSLtoRGB(Pack(42, 255, 224)), Pack(255, 255, 193));
}

TEST(Hsl, RoundTripStaysWithinFifteenLevelsPerChannel) {
  // Every colour: converting to HSL and back moves no channel by more than
  // 15, and that bound is reached.
  unsigned worst = 0;
  for (unsigned long rgb = 0; rgb < 0x1000000; ++rgb) {
    const unsigned long back = HSLtoRGB(RGBtoHSL(rgb));
    ASSERT_EQ(back >> 24, 0u);
    for (int i = 0; i < 3; ++i) {
      const unsigned d = static_cast<unsigned>(std::abs(
          static_cast<int>(Byte(rgb, i)) - static_cast<int>(Byte(back, i))));
      if (d > worst) {
        worst = d;
        ASSERT_LE(worst, 15u) << std::hex << rgb << " -> " << back;
      }
    }
  }
  EXPECT_EQ(worst, 15u);
}
