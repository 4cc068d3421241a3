// 8-bit Windows bitmap files of the spectral image.
//
//    0 "BM"   2 u32 file size   6 u16 0   8 u16 0   10 u32 1078 (pixel offset)
//   14 u32 40 (header size)   18 i32 width   22 i32 height (positive: rows bottom-up)
//   26 u16 1 (planes)   28 u16 8 (bits)   30 u32 0 (no compression)   34 u32 image size
//   38 i32 0   42 i32 0 (resolutions)   46 u32 256 (colours used)   50 u32 256 (important)
//   54 256 x (blue, green, red, 0): the analysis palette, entries 236..255 zero
//   1078 pixel rows, bottom row first, one palette index per pixel
// Rows are padded to a multiple of 4 bytes, as every reader of the format expects; for the
// usual widths (multiples of 4) the sizes are 1078 + width x height and width x height.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "analyser/core/Colours.h"
#include "analyser/core/IndexedImage.h"

namespace tessel {

constexpr uint32_t kBitmapHeaderBytes = 1078;

std::vector<uint8_t> EncodeBitmap8(const IndexedImage& image, const Palette& palette);
// Writes the same bytes, a block of rows at a time. Throws "Cannot Open File" or "Error Writing
// File".
void SaveBitmap8(const std::string& path, const IndexedImage& image, const Palette& palette);

}  // namespace tessel
