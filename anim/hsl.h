// Colour conversion between the packed RGB colour value (red in the lowest
// byte, then green, then blue) and a packed hue-saturation-lightness value
// (hue in the lowest byte, then saturation, then lightness). Every component
// runs from 0 to 255: a hue of 85 is green, 170 blue, and greys get hue 170.
// The arithmetic is integer throughout, so results are the same everywhere.
#pragma once

// The top byte of rgb is ignored; the result's top byte is 0.
unsigned long RGBtoHSL(unsigned long rgb);
// The top byte of hsl is ignored; the result's top byte is 0.
unsigned long HSLtoRGB(unsigned long hsl);
