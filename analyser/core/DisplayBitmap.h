// The spectral image: one panel per channel, each a 44-pixel waveform strip (centre line at
// y = 21, bottom line at y = 43) over R rows of levels, the lowest frequency at the bottom.
// With stereo data the upper panel holds the right channel and the lower one the left.
// The window shows part of it: the pieces copied are computed here, the shell blits them.
#pragma once
#include <cstdint>
#include <vector>

#include "analyser/core/IndexedImage.h"
#include "analyser/core/Rows.h"
#include "analyser/core/Settings.h"

namespace tessel {

constexpr int kStripHeight = 44;
constexpr int kStripCentre = 21;
constexpr int kStripBottom = 43;
constexpr int kWaveDivisor = 1500;

enum Channel { kLeft = 0, kRight = 1 };

class DisplayBitmap {
 public:
  DisplayBitmap() = default;
  // width = max(columns, minWidth); filled with the background.
  DisplayBitmap(int64_t columns, int minWidth, int rowsPerChannel, bool stereo);

  IndexedImage& Image() { return image_; }
  const IndexedImage& Image() const { return image_; }
  int Rows() const { return rows_; }
  bool Stereo() const { return stereo_; }
  int PanelHeight() const { return kStripHeight + rows_; }
  int PanelTop(int channel) const { return stereo_ && channel == kLeft ? PanelHeight() : 0; }

  // Draws the rows (palette indices, row 0 lowest) and the waveform strip of one channel.
  void DrawPanelColumn(int x, int channel, const uint8_t* indices, WaveExtremes extremes);
  // Draws one column of every channel present from averaged levels (quarter-decibels).
  void DrawColumn(int x, const int* const levels[2], const WaveExtremes extremes[2]);

 private:
  IndexedImage image_;
  int rows_ = 0;
  bool stereo_ = false;
  std::vector<uint8_t> scratch_;  // one column's indices
};

// Draws the strip of one column into any image whose panel starts at panelTop.
void DrawStripColumn(IndexedImage& image, int x, int panelTop, WaveExtremes extremes);

struct Blit {
  int srcX, srcY, dstX, dstY, width, height;
};

// What the window shows of a spectral image.
struct WindowView {
  int width = 0;     // W, the display area's width
  int height = 300;  // the display area's height
  uint32_t channelView = kViewDual;
  int scrollX = 0;  // horizontal scroll position (columns)
  int scrollY = 0;  // vertical offset of the rows
  bool Dual(const DisplayBitmap& b) const { return b.Stereo() && channelView == kViewDual; }
};

// The copies of a repaint (PaintSpectralImage), strip and rows per visible panel.
std::vector<Blit> PaintBlits(const DisplayBitmap& bitmap, const WindowView& view);
// The copies made after column x was drawn (every fourth column); once x passes the
// visible width, the newest columns fill the window and view.scrollX follows.
std::vector<Blit> ColumnBlits(const DisplayBitmap& bitmap, int x, WindowView& view);
// The window image of a repaint: the copies, then the strip lines (index 1 at y = 43,
// index 2 at y = 21) once an analysis has run. The groove between the halves of the Dual
// view is drawn by the shell in system colours.
IndexedImage ComposeWindow(const DisplayBitmap* bitmap, const WindowView& view, bool analysed);

// The Scroll display of an endless input scan, drawn straight into a window-sized image:
// columns advance to the right edge, then the four right-most columns are redrawn in turn
// and the area scrolls left by 4 pixels after every fourth.
class LiveScrollDisplay {
 public:
  LiveScrollDisplay(int windowWidth, int displayHeight, bool stereo, uint32_t channelView);
  void AddColumn(const uint8_t* const indices[2], const WaveExtremes extremes[2]);
  const IndexedImage& Window() const { return window_; }
  int64_t Columns() const { return columns_; }

 private:
  void DrawAt(int x, const uint8_t* indices, WaveExtremes extremes);
  IndexedImage window_;
  bool stereo_, dual_;
  uint32_t view_;
  int64_t columns_ = 0;
};

}  // namespace tessel
