// Device-independent bitmaps as bitmap resources store them (information
// header, colour table, pixels; no file header) turned into 32-bit pixels,
// as the system's own bitmap loader does for the 3D scene's textures.
#pragma once

#include "platform/base/types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes an uncompressed bitmap of 1, 4, 8, 24 or 32 bits per pixel,
// bottom-up or top-down, into pixels 0xFFRRGGBB, rows from the top. False
// for anything else, or data too short for what its header says.
bool DecodeDib(const void* data, std::size_t size, int* pWidth, int* pHeight, std::vector<std::uint32_t>* pPixels);

// The image loader of the scene graph: the bitmap resource (type RT_BITMAP
// or any other image type of the same layout) of a module, found as
// FindResourceA finds it. False when there is no such resource or it cannot
// be decoded.
bool LoadResourceImage(HMODULE module, const char* name, const char* type, int* pWidth, int* pHeight,
                       std::vector<std::uint32_t>* pPixels);
