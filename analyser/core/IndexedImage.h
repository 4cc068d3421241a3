// An 8-bit image of palette indices, rows top-down, with the few drawing operations the
// analyser's pictures need. Every operation clips to the image.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analyser/core/LargeBlock.h"

namespace tessel {

class IndexedImage {
 public:
  IndexedImage() = default;
  IndexedImage(int width, int height, uint8_t fill);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return pixels_.empty(); }
  uint8_t At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
  const uint8_t* Row(int y) const { return pixels_.data() + size_t(y) * width_; }
  const LargeVector<uint8_t>& Pixels() const { return pixels_; }
  uint8_t* MutableRow(int y) { return pixels_.data() + size_t(y) * width_; }

  void SetPixel(int x, int y, uint8_t index);
  void Fill(uint8_t index);
  void FillRect(int x, int y, int width, int height, uint8_t index);
  // A one-pixel line from (x1, y1) towards (x2, y2); the end point itself is not drawn.
  void Line(int x1, int y1, int x2, int y2, uint8_t index);
  // A cross of two strokes of 2 * arm + 1 pixels centred on (x, y).
  void Cross(int x, int y, int arm, uint8_t index);
  // Copies a width x height block of src at (sx, sy) to (dx, dy).
  void Copy(const IndexedImage& src, int sx, int sy, int width, int height, int dx, int dy);
  // Moves the block (x, y, width, height) left by `by` pixels; the uncovered right edge
  // keeps its old pixels.
  void ScrollLeft(int x, int y, int width, int height, int by);

 private:
  int width_ = 0, height_ = 0;
  LargeVector<uint8_t> pixels_;
};

// A copy stretched to factor percent (width reduced to a multiple of 4), each target pixel
// taking the source pixel it falls on.
IndexedImage Magnify(const IndexedImage& src, int factorPercent);

}  // namespace tessel
