#include "analyser/core/IndexedImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tessel {

IndexedImage::IndexedImage(int width, int height, uint8_t fill)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      pixels_(size_t(width_) * height_, fill) {}

void IndexedImage::SetPixel(int x, int y, uint8_t index) {
  if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * width_ + x] = index;
}

void IndexedImage::Fill(uint8_t index) { std::fill(pixels_.begin(), pixels_.end(), index); }

void IndexedImage::FillRect(int x, int y, int width, int height, uint8_t index) {
  int x0 = std::max(0, x), y0 = std::max(0, y);
  int x1 = std::min(width_, x + width), y1 = std::min(height_, y + height);
  for (int row = y0; row < y1; ++row)
    if (x1 > x0) std::memset(&pixels_[size_t(row) * width_ + x0], index, size_t(x1 - x0));
}

void IndexedImage::Line(int x1, int y1, int x2, int y2, uint8_t index) {
  const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  while (x1 != x2 || y1 != y2) {
    SetPixel(x1, y1, index);
    int e2 = 2 * err;
    if (e2 >= dy) err += dy, x1 += sx;
    if (e2 <= dx) err += dx, y1 += sy;
  }
}

void IndexedImage::Cross(int x, int y, int arm, uint8_t index) {
  for (int d = -arm; d <= arm; ++d) {
    SetPixel(x + d, y, index);
    SetPixel(x, y + d, index);
  }
}

void IndexedImage::Copy(const IndexedImage& src, int sx, int sy, int width, int height, int dx,
                        int dy) {
  // Clip against both images.
  if (sx < 0) width += sx, dx -= sx, sx = 0;
  if (sy < 0) height += sy, dy -= sy, sy = 0;
  if (dx < 0) width += dx, sx -= dx, dx = 0;
  if (dy < 0) height += dy, sy -= dy, dy = 0;
  width = std::min({width, src.width_ - sx, width_ - dx});
  height = std::min({height, src.height_ - sy, height_ - dy});
  if (width <= 0 || height <= 0) return;
  for (int row = 0; row < height; ++row)
    std::memmove(&pixels_[size_t(dy + row) * width_ + dx], src.Row(sy + row) + sx, size_t(width));
}

void IndexedImage::ScrollLeft(int x, int y, int width, int height, int by) {
  x = std::max(0, x);
  y = std::max(0, y);
  width = std::min(width, width_ - x);
  height = std::min(height, height_ - y);
  if (by <= 0 || width <= by || height <= 0) return;
  for (int row = y; row < y + height; ++row) {
    uint8_t* p = &pixels_[size_t(row) * width_ + x];
    std::memmove(p, p + by, size_t(width - by));
  }
}

IndexedImage Magnify(const IndexedImage& src, int factorPercent) {
  int64_t width = int64_t(src.Width()) * factorPercent / 100;
  width -= width % 4;
  int64_t height = int64_t(src.Height()) * factorPercent / 100;
  IndexedImage out(static_cast<int>(width), static_cast<int>(height), 3);
  if (out.Empty() || src.Empty()) return out;
  std::vector<int> sourceX(static_cast<size_t>(width));
  for (int64_t x = 0; x < width; ++x)
    sourceX[size_t(x)] = static_cast<int>(x * src.Width() / width);
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* from = src.Row(static_cast<int>(y * src.Height() / height));
    for (int64_t x = 0; x < width; ++x)
      out.SetPixel(static_cast<int>(x), static_cast<int>(y), from[sourceX[size_t(x)]]);
  }
  return out;
}

}  // namespace tessel
