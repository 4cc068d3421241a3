#include "builder/core/Dbmeter.h"

#include <algorithm>
#include <cmath>

namespace builder {
namespace {

// Nearest integer, halves to the even neighbour (the processor's default rounding).
// Bounded so that absurd counts and positions cannot overflow the conversion.
int64_t RoundHalfEven(double v) {
  constexpr double kBound = 4611686018427387904.0;  // 2^62
  return int64_t(std::nearbyint(std::clamp(v, -kBound, kBound)));
}

}  // namespace

void Tdbmeter::Invalidate() {
  ++version_;
  if (OnInvalidate) OnInvalidate();
}

void Tdbmeter::SetBevelWidth(uint8_t v) {
  if (v == bevelWidth_) return;
  if (v == 0 || v > height_ / 3 || v > width_ / 3) v = 1;
  Set(bevelWidth_, v);
}

void Tdbmeter::SetBounds(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  Invalidate();
}

void Tdbmeter::SetDpi(int dpi) { Set(dpi_, std::max(dpi, 1)); }

int Tdbmeter::DeviceSize(int64_t design) const {
  return int((design * dpi_ + 48) / 96);  // design sizes are never negative
}

int64_t Tdbmeter::DeviceLine(int64_t design) const {
  if (design <= 0 || dpi_ == 96) return design;
  return std::max<int64_t>(1, design * dpi_ / 96);
}

void Tdbmeter::SetSystemColourResolver(SystemColourResolver resolver) {
  resolver_ = std::move(resolver);
  Invalidate();
}

int64_t Tdbmeter::LitSegments() const {
  // 64-bit throughout: counts and widths may come unchecked from a settings record.
  const int64_t n = int64_t(greens_) + yellows_ + reds_;
  const int64_t p = position_;
  const int64_t gm = greens_ != 0 ? greenMax_ : 0;
  const int64_t ym = yellows_ != 0 ? yellowMax_ : 0;
  if (p >= gm + ym + redMax_) return n;
  if (p > gm + ym) {
    // Here redMax_ > p - gm - ym > 0, so the division is safe.
    if (reds_ == 0) return n;
    const int64_t r = RoundHalfEven(double(reds_) / double(redMax_) * double(p - gm - ym));
    return greens_ + yellows_ + r + (r == 0 ? 1 : 0);  // entering the zone lights one
  }
  if (p > gm) {
    // Here ym >= p - gm > 0.
    if (yellows_ == 0) return n;
    const int64_t y = RoundHalfEven(double(yellows_) / double(ym) * double(p - gm));
    return greens_ + y + (y == 0 ? 1 : 0);
  }
  if (gm == 0) return 0;
  return RoundHalfEven(double(greens_) / double(gm) * double(p));
}

const RgbImage& Tdbmeter::Paint() {
  bitmap_.Resize(DeviceWidth(), DeviceHeight());
  bitmap_.Fill(Pixel(sepColor_));
  PaintSegments();
  PaintBevel();
  return bitmap_;
}

void Tdbmeter::PaintSegments() {
  const int64_t n = int64_t(greens_) + yellows_ + reds_;
  if (n <= 0) return;
  const bool vertical = style_ == dsVertical;
  const int64_t length = vertical ? DeviceHeight() : DeviceWidth();
  const int64_t across = vertical ? DeviceWidth() : DeviceHeight();
  const int64_t pitch = length / n;
  const int64_t sepWidth = DeviceLine(sepWidth_);
  // A pitch of 0 leaves nothing to draw; stopping here also bounds the loop below.
  if (pitch <= sepWidth || pitch <= 0) return;
  // The design's one-pixel offsets, as wide as a design pixel.
  const int64_t one = DeviceLine(1);

  int64_t k = LitSegments();
  if (k == 0 && position_ != 0) k = 1;
  const uint32_t sep = Pixel(sepColor_);
  for (int64_t i = 1; i <= n; ++i) {
    const bool green = i <= greens_;
    const bool yellow = !green && i <= int64_t(greens_) + yellows_;
    const bool lit = showJustOne_ ? i == k : i <= k;
    TColor colour;
    if (green)
      colour = lit ? greenColor_ : greenBack_;
    else if (yellow)
      colour = lit ? yellowColor_ : yellowBack_;
    else
      colour = lit ? redColor_ : redBack_;
    PaintSegmentRect((i - 1) * pitch, i * pitch, across - one, Pixel(colour));
    // The next segment covers this separator's last pixel.
    if (sepWidth > 0) PaintSegmentRect(i * pitch - sepWidth, i * pitch + one, across - one, sep);
  }
}

// A rectangle from `from` to `to` on the main axis and from 0 to `across` on the
// other, mirrored on the main axis for ddLeftUp.
void Tdbmeter::PaintSegmentRect(int64_t from, int64_t to, int64_t across, uint32_t pixel) {
  const bool vertical = style_ == dsVertical;
  if (direction_ == ddLeftUp) {
    // Mirrored about the last design pixel (x becomes W - x - 1 in the design).
    const int64_t length = vertical ? DeviceHeight() : DeviceWidth();
    const int64_t last = DeviceLine(1);
    from = length - from - last;
    to = length - to - last;
  }
  if (vertical)
    bitmap_.FillRect(0, from, across, to, pixel);
  else
    bitmap_.FillRect(from, 0, to, across, pixel);
}

void Tdbmeter::PaintBevel() {
  const int64_t w = DeviceWidth(), h = DeviceHeight();
  int64_t b = bevelStyle_ == bvNone ? 0 : DeviceLine(bevelWidth_);
  if (h / 3 < b || w / 3 < b) b = 1;
  if (b <= 0) return;
  const uint32_t white = ColourToPixel(kClWhite), grey = ColourToPixel(kClGray);
  const uint32_t first = bevelStyle_ == bvRaised ? grey : white;
  const uint32_t second = bevelStyle_ == bvRaised ? white : grey;
  for (int64_t j = 0; j < b; ++j) {  // bottom and right edges
    bitmap_.Line(-1, h - j - 1, w - j - 1, h - j - 1, first);
    bitmap_.Line(w - j - 1, h - j - 1, w - j - 1, -1, first);
  }
  for (int64_t j = 0; j < b; ++j) {  // top and left edges
    bitmap_.Line(w, j, j, j, second);
    bitmap_.Line(j, j, j, h - b, second);
  }
}

}  // namespace builder
