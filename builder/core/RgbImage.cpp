#include "builder/core/RgbImage.h"

#include <algorithm>

namespace builder {

void RgbImage::Resize(int w, int h) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  pixels.assign(std::size_t(width) * std::size_t(height), 0);
}

void RgbImage::Fill(uint32_t pixel) { std::fill(pixels.begin(), pixels.end(), pixel); }

void RgbImage::FillRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel) {
  const int64_t left = std::max<int64_t>(std::min(x0, x1), 0);
  const int64_t right = std::min<int64_t>(std::max(x0, x1), width);
  const int64_t top = std::max<int64_t>(std::min(y0, y1), 0);
  const int64_t bottom = std::min<int64_t>(std::max(y0, y1), height);
  if (left >= right || top >= bottom) return;
  for (int64_t y = top; y < bottom; ++y)
    std::fill(pixels.begin() + y * width + left, pixels.begin() + y * width + right, pixel);
}

void RgbImage::Line(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel) {
  // Everything from the start point up to, not including, the end point.
  if (y0 == y1) {
    if (x1 > x0)
      FillRect(x0, y0, x1, y0 + 1, pixel);
    else if (x1 < x0)
      FillRect(x1 + 1, y0, x0 + 1, y0 + 1, pixel);
  } else if (x0 == x1) {
    if (y1 > y0)
      FillRect(x0, y0, x0 + 1, y1, pixel);
    else
      FillRect(x0, y1 + 1, x0 + 1, y0 + 1, pixel);
  }
}

}  // namespace builder
