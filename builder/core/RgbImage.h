// An in-memory 32-bit image: rows top-down, one 0x00RRGGBB word per pixel (the layout
// of a 32-bit top-down DIB, so the Win32 shell can blit it unchanged). Colour values
// (0x00BBGGRR) are turned into pixels with ColourToPixel.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace builder {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  void Resize(int w, int h);
  void Fill(uint32_t pixel);
  uint32_t At(int x, int y) const {
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  }
  // Fills the pixels between two corners: the smaller coordinates are included, the
  // larger excluded (the rectangle rule of GDI); clipped to the image.
  void FillRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel);
  // A horizontal or vertical pen line of width 1 from (x0, y0) to (x1, y1), without
  // its end point (the line rule of GDI); clipped to the image.
  void Line(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel);
};

}  // namespace builder
