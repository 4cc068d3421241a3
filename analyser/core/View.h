// What the window shows, computed from the analyser's state: the display area's picture (the
// spectral image, the live scan or the Scope graph with their overlays), the labels of the
// scales, the information panel's values and the read-outs under the pointer. The window
// program blits the picture and writes the texts where these functions say.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "analyser/core/State.h"

namespace tessel {

// The colours of the scheme and attenuation in force; the Scope display always shows scheme
// CB at attenuation 0.
void UpdateColours(AnalyserState& st);

// Stereo data shown in the Dual view: the two channels side by side.
bool DualView(const AnalyserState& st);
// The columns one channel shows: W, or W/2 - 3 in the Dual view.
int VisibleWidth(const AnalyserState& st);
// The column of one channel under a window x. In the Dual view an x beyond W/2 - 4 lies in
// the right half, which starts at W/2 + 4; an x at or beyond W maps to 0.
int WindowXToBitmapX(int x, int width, bool dual);

// How far the display scrolls: columns beyond the visible width, rows beyond the display.
int HorizontalRange(const AnalyserState& st);
int VerticalRange(const AnalyserState& st);

// The part of a spectral image that a save takes: both panels in the Dual view (or of mono
// data), else the viewed one.
IndexedImage ImageToSave(const DisplayBitmap& bitmap, uint32_t channelView);
// The same from a bitmap that is no longer needed: both panels are taken, not copied.
IndexedImage ImageToSave(DisplayBitmap&& bitmap, uint32_t channelView);
// "&Window Bitmap" (the part shown, or the Scope image) or "&Entire Bitmap"; empty without
// an image.
IndexedImage BitmapToSave(const AnalyserState& st, bool entire);

// The band an analysis shows. Linear: its rows (256, 512 or 1024 bins) from bandLowHz up,
// whatever the dialog's 256-bin band said; log: bandLowHz to bandHighHz over the rows.
int ShownBandHighHz(const AnalysisSettings& s, uint32_t sampleRateHz, int fftSize, int rows);

// The picture of the display area (palette indices). With overlays: the grid marks, the
// marker lines, the Scope pointer and the ends of a running drag-select.
IndexedImage WindowImage(const AnalyserState& st, bool withOverlays);

struct Label {
  int x, y;
  std::string text;
};
// The time and frequency labels over the spectral image (each channel half in the Dual
// view); labelHeight is the small font's height.
std::vector<Label> ScrollScaleLabels(const AnalyserState& st, int labelHeight);

struct ScopeTick {
  int offset;  // pixels right of x0
  std::string label;
};
// The Scope axis: each grid mark labelled with its own frequency in units of the divisor,
// with as many decimals as the marks' spacing needs (log: "%-2.1f").
std::vector<ScopeTick> ScopeAxisTicks(double bandLowHz, double bandHighHz, bool logScale);
// The Scope axis's labels under the plot, its unit label last.
std::vector<Label> ScopeScaleLabels(const AnalyserState& st);

const char* ModeLabel(Mode mode);
// The information panel's four values (empty without data).
std::array<std::string, 4> PanelValuesOf(const AnalyserState& st);

// "Bitmap Magnification": the factor ("%4.2f" of factor / 100) and the printed size in
// inches of width x height pixels (pixels x factor / (dpi x 100), "%4.2f").
struct MagnificationTexts {
  std::string factor, width, height;
};
MagnificationTexts MagnificationTextsFor(int factorPercent, int dpi, int width, int height);

// The bins of one column of the analysis shown for the "Single Spectrum" log (the right
// channel in the Right view, else the left or only one).
std::vector<BinReadout> ColumnBins(const AnalyserState& st, int column);

// The read-outs for the pointer at window (x, y); pixel is the screen's colour there (the
// level is read back from it). Returns false when the pointer is where nothing is read.
bool UpdateReadouts(AnalyserState& st, int x, int y, Rgb pixel);

}  // namespace tessel
