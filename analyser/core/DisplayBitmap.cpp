#include "analyser/core/DisplayBitmap.h"

#include <algorithm>

#include "analyser/core/Colours.h"

namespace tessel {

DisplayBitmap::DisplayBitmap(int64_t columns, int minWidth, int rowsPerChannel, bool stereo)
    : rows_(rowsPerChannel), stereo_(stereo) {
  int64_t width = std::max<int64_t>(columns, minWidth);
  int height = (stereo ? 2 : 1) * (kStripHeight + rowsPerChannel);
  image_ =
      IndexedImage(static_cast<int>(std::min<int64_t>(width, INT32_MAX)), height, kIndexBackground);
}

void DrawStripColumn(IndexedImage& image, int x, int panelTop, WaveExtremes e) {
  image.SetPixel(x, panelTop + kStripCentre, kIndexStripCentre);
  image.Line(x, panelTop + 22 - e.max / kWaveDivisor, x, panelTop + 22 - e.min / kWaveDivisor,
             kIndexStripCentre);
  image.SetPixel(x, panelTop + kStripBottom, kIndexStripLine);
}

void DisplayBitmap::DrawPanelColumn(int x, int channel, const uint8_t* indices, WaveExtremes e) {
  const int top = PanelTop(channel);
  if (x < 0 || x >= image_.Width()) return;
  // Straight down the column: row r at bottom - r.
  const size_t stride = size_t(image_.Width());
  uint8_t* p = image_.MutableRow(top + kStripHeight + rows_ - 1) + x;
  for (int r = 0; r < rows_; ++r, p -= stride) *p = indices[r];
  DrawStripColumn(image_, x, top, e);
}

void DisplayBitmap::DrawColumn(int x, const int* const levels[2], const WaveExtremes extremes[2]) {
  std::vector<uint8_t>& indices = scratch_;
  indices.resize(rows_);
  for (int channel = 0; channel < (stereo_ ? 2 : 1); ++channel) {
    for (int r = 0; r < rows_; ++r) indices[r] = LevelToIndex(levels[channel][r]);
    DrawPanelColumn(x, channel, indices.data(), extremes[channel]);
  }
}

namespace {

// One visible area of the window: where it starts, how wide it is and which panel it shows.
struct Area {
  int dstX, width, panelTop;
};

std::vector<Area> VisibleAreas(const DisplayBitmap& bitmap, const WindowView& view) {
  const int w = view.width;
  if (view.Dual(bitmap))
    return {{0, w / 2 - 3, bitmap.PanelTop(kLeft)},
            {w / 2 + 4, w / 2 - 4, bitmap.PanelTop(kRight)}};
  int top = bitmap.Stereo() && view.channelView == kViewLeft ? bitmap.PanelTop(kLeft)
                                                             : bitmap.PanelTop(kRight);
  return {{0, w, top}};
}

void AddAreaBlits(std::vector<Blit>& out, const Area& a, int srcX, int dstX, int width,
                  const WindowView& view) {
  out.push_back({srcX, a.panelTop + kStripHeight + view.scrollY, dstX, kStripHeight, width,
                 view.height - kStripHeight});
  out.push_back({srcX, a.panelTop, dstX, 0, width, kStripHeight});
}

}  // namespace

std::vector<Blit> PaintBlits(const DisplayBitmap& bitmap, const WindowView& view) {
  std::vector<Blit> out;
  for (const Area& a : VisibleAreas(bitmap, view))
    AddAreaBlits(out, a, view.scrollX, a.dstX, a.width, view);
  return out;
}

std::vector<Blit> ColumnBlits(const DisplayBitmap& bitmap, int x, WindowView& view) {
  std::vector<Blit> out;
  if (x % 4 != 0) return out;
  for (const Area& a : VisibleAreas(bitmap, view)) {
    if (x <= a.width) {
      AddAreaBlits(out, a, x - 4, a.dstX + x - 4, 4, view);
    } else {
      AddAreaBlits(out, a, x - a.width, a.dstX, a.width, view);
      view.scrollX = x - VisibleAreas(bitmap, view)[0].width;
    }
  }
  return out;
}

IndexedImage ComposeWindow(const DisplayBitmap* bitmap, const WindowView& view, bool analysed) {
  IndexedImage window(view.width, view.height, kIndexBackground);
  if (!bitmap) return window;
  for (const Blit& b : PaintBlits(*bitmap, view))
    window.Copy(bitmap->Image(), b.srcX, b.srcY, b.width, b.height, b.dstX, b.dstY);
  if (analysed) {
    window.Line(0, kStripBottom, view.width, kStripBottom, kIndexStripLine);
    window.Line(0, kStripCentre, view.width, kStripCentre, kIndexStripCentre);
  }
  return window;
}

LiveScrollDisplay::LiveScrollDisplay(int windowWidth, int displayHeight, bool stereo,
                                     uint32_t channelView)
    : window_(windowWidth, displayHeight, kIndexBackground),
      stereo_(stereo),
      dual_(stereo && channelView == kViewDual),
      view_(channelView) {}

void LiveScrollDisplay::DrawAt(int x, const uint8_t* indices, WaveExtremes e) {
  const int rows = window_.Height() - kStripHeight;
  window_.Line(x, 0, x, kStripHeight, kIndexBackground);  // erase the strip column first
  for (int r = 0; r < rows; ++r) window_.SetPixel(x, kStripHeight + rows - 1 - r, indices[r]);
  DrawStripColumn(window_, x, 0, e);
}

void LiveScrollDisplay::AddColumn(const uint8_t* const indices[2], const WaveExtremes e[2]) {
  const int w = window_.Width(), h = window_.Height();
  const int edge = dual_ ? w / 2 - 4 : w;
  const int64_t c = columns_++;
  const int single = stereo_ && view_ == kViewRight ? kRight : kLeft;
  if (c < edge) {
    const int x = static_cast<int>(c);
    if (dual_) {
      DrawAt(x, indices[kLeft], e[kLeft]);
      DrawAt(w / 2 + 4 + x, indices[kRight], e[kRight]);
    } else {
      DrawAt(x, indices[single], e[single]);
    }
    return;
  }
  const int k = static_cast<int>((c - edge) % 4);
  if (dual_) {
    DrawAt(w / 2 - 7 + k, indices[kLeft], e[kLeft]);
    DrawAt(w - 4 + k, indices[kRight], e[kRight]);
  } else {
    DrawAt(w - 4 + k, indices[single], e[single]);
  }
  if (k == 3) {
    if (dual_) {
      window_.ScrollLeft(0, 0, w / 2 - 3, h, 4);
      window_.ScrollLeft(w / 2 + 4, 0, w - (w / 2 + 4), h, 4);
    } else {
      window_.ScrollLeft(0, 0, w, h, 4);
    }
  }
}

}  // namespace tessel
