#include "analyser/core/View.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analyser/core/Analysis.h"
#include "analyser/core/Readouts.h"

namespace tessel {

void UpdateColours(AnalyserState& st) {
  const bool scope = st.scopeShown;
  st.colourTable = &ColourTableFor(scope ? kPaletteCB : st.s.paletteChoice);
  st.colours = AnalysisPalette(
      *st.colourTable,
      scope ? kScopePaletteOffset : PaletteOffset(std::clamp(st.s.attenuationStep, 0, 18)));
}

bool DualView(const AnalyserState& st) {
  return st.current.bitmap.Stereo() && st.current.channelView == kViewDual;
}

int VisibleWidth(const AnalyserState& st) {
  return DualView(st) ? st.displayW / 2 - 3 : st.displayW;
}

int WindowXToBitmapX(int x, int width, bool dual) {
  if (!dual) return x;
  if (x >= width) return 0;
  if (x > width / 2 - 4) return std::max(0, x - width / 2 - 4);
  return x;
}

int HorizontalRange(const AnalyserState& st) {
  return std::max(0, st.current.bitmap.Image().Width() - VisibleWidth(st));
}

int VerticalRange(const AnalyserState& st) {
  return std::max(0, st.current.bitmap.Rows() + kStripHeight - st.displayH);
}

IndexedImage ImageToSave(const DisplayBitmap& bitmap, uint32_t view) {
  if (!bitmap.Stereo() || view == kViewDual) return bitmap.Image();
  const int top = view == kViewLeft ? bitmap.PanelTop(kLeft) : bitmap.PanelTop(kRight);
  IndexedImage panel(bitmap.Image().Width(), bitmap.PanelHeight(), kIndexBackground);
  panel.Copy(bitmap.Image(), 0, top, panel.Width(), panel.Height(), 0, 0);
  return panel;
}

IndexedImage ImageToSave(DisplayBitmap&& bitmap, uint32_t view) {
  if (!bitmap.Stereo() || view == kViewDual) return std::move(bitmap.Image());
  return ImageToSave(static_cast<const DisplayBitmap&>(bitmap), view);
}

IndexedImage BitmapToSave(const AnalyserState& st, bool entire) {
  if (st.scopeShown) return WindowImage(st, true);
  if (!st.displayBitmapValid) return IndexedImage();
  const DisplayBitmap& b = st.current.bitmap;
  if (entire) return ImageToSave(b, st.current.channelView);
  WindowView view;
  view.width = st.displayW;
  view.height = std::min(st.displayH, b.PanelHeight());
  view.channelView = st.current.channelView;
  view.scrollX = st.scrollX;
  view.scrollY = st.scrollY;
  return ComposeWindow(&b, view, false);
}

MagnificationTexts MagnificationTextsFor(int factor, int dpi, int width, int height) {
  const double inches = double(factor) / (double(dpi) * 100);
  return {Format("%4.2f", factor / 100.0), Format("%4.2f", width * inches),
          Format("%4.2f", height * inches)};
}

std::vector<BinReadout> ColumnBins(const AnalyserState& st, int column) {
  const Analysed& a = st.current;
  AnalysisSettings s = st.s;
  s.timeScaleMs = float(a.timeScaleMs);
  AnalysisOptions o = OptionsFromSettings(s, a.info.sampleRateHz);
  o.fftExponent = FftExponentOfChoice(FftChoiceOfSize(a.fftSize));
  o.bandLowHz = a.bandLowHz;
  const int channel = a.info.channels == 2 && a.channelView == kViewRight ? kRight : kLeft;
  return ColumnSpectrum(a.sample, o, column, channel);
}

int ShownBandHighHz(const AnalysisSettings& s, uint32_t rate, int fftSize, int rows) {
  if (s.freqScale == kScaleLog) return s.bandHighHz;
  return static_cast<int>(s.bandLowHz + rows * BinWidth(rate, fftSize));
}

namespace {

double BinWidthNow(const AnalyserState& st) {
  return BinWidth(st.current.info.sampleRateHz, st.current.fftSize);
}

// Rows of the row mapping for markers: the first bin of the band, and the row of a marker.
int MarkerRowOf(const AnalyserState& st, int markerHz) {
  const Analysed& a = st.current;
  const int b0 = FirstBin(a.bandLowHz, a.info.sampleRateHz, a.fftSize);
  return MarkerRow(markerHz, a.logScale, a.fftSize, a.info.sampleRateHz, b0, a.bandLowHz,
                   a.decadesPerRow);
}

std::vector<Tick> FreqTicks(const AnalyserState& st) {
  const Analysed& a = st.current;
  return FrequencyTicks(a.bitmap.Rows(), a.info.sampleRateHz, a.fftSize, a.bandLowHz, a.bandHighHz,
                        a.logScale, st.scrollY);
}

std::vector<Tick> TimeTicksShown(const AnalyserState& st, int width) {
  return TimeTicks(st.current.timeScaleMs, st.current.startMs, st.scrollX, width);
}

// The areas of the halves (Dual view) or the whole display: their left edge and width.
std::vector<std::pair<int, int>> Areas(const AnalyserState& st) {
  if (DualView(st)) return {{0, st.displayW / 2 - 3}, {st.displayW / 2 + 4, st.displayW / 2 - 4}};
  return {{0, st.displayW}};
}

void DrawGridMarks(const AnalyserState& st, IndexedImage& window) {
  for (auto [x0, width] : Areas(st))
    for (const Tick& t : TimeTicksShown(st, width))
      for (const Tick& f : FreqTicks(st)) {
        const int x = x0 + t.position - st.scrollX, y = kStripHeight + f.position;
        if (x > x0 && x < x0 + width && y > kStripHeight && y < st.displayH)
          window.Cross(x, y, 5, kIndexPointer);
      }
}

IndexedImage GrowingImage(const AnalyserState& st) {
  WindowView view = st.growingView;
  view.width = st.displayW;
  view.height = st.displayH;
  // Without the strip lines across the window: only the columns drawn so far show.
  return ComposeWindow(st.growing, view, false);
}

IndexedImage LiveImage(const AnalyserState& st, bool withOverlays) {
  IndexedImage image = st.live;
  if (image.Width() != st.displayW || image.Height() != st.displayH) {
    IndexedImage sized(st.displayW, st.displayH, kIndexBackground);
    sized.Copy(image, 0, 0, std::min(image.Width(), st.displayW),
               std::min(image.Height(), st.displayH), 0, 0);
    image = sized;
  }
  if (!st.scopeShown) return image;
  for (int marker : {st.s.scopeMarker1Hz, st.s.scopeMarker2Hz})
    DrawMarkerLineScope(image, MarkerRowOf(st, marker), st.scopeOrigin);
  if (withOverlays && st.gridShown)
    DrawScopeGrid(image, st.scopeOrigin, st.current.bandLowHz, st.current.bandHighHz,
                  st.current.logScale);
  if (st.pointerX >= 0) DrawPointer(image, st.pointerX, st.pointerY, kIndexPointer);
  return image;
}

}  // namespace

IndexedImage WindowImage(const AnalyserState& st, bool withOverlays) {
  if (st.growing) return GrowingImage(st);
  if (st.scopeShown || (st.inputOpen && !st.live.Empty()) ||
      (!st.displayBitmapValid && !st.live.Empty()))
    return LiveImage(st, withOverlays);
  WindowView view;
  view.width = st.displayW;
  view.height = st.displayH;
  view.channelView = st.current.channelView;
  view.scrollX = st.scrollX;
  view.scrollY = st.scrollY;
  const bool valid = st.displayBitmapValid;
  IndexedImage image = ComposeWindow(valid ? &st.current.bitmap : nullptr, view, valid);
  if (!valid || !withOverlays) return image;
  if (st.gridShown) DrawGridMarks(st, image);
  for (int marker : {st.s.scopeMarker1Hz, st.s.scopeMarker2Hz}) {
    const int row = marker > 0 ? MarkerRowOf(st, marker) : -1;
    if (row > 0) DrawMarkerLineScroll(image, row, st.displayH);
  }
  // The segment being drag-selected: a line at each end, over the spectral rows.
  if (st.leftDrag && st.selectFromX >= 0)
    for (int x : {st.selectFromX, st.selectToX})
      image.Line(x, kStripHeight, x, st.displayH, kIndexPointer);
  return image;
}

std::vector<Label> ScrollScaleLabels(const AnalyserState& st, int h) {
  std::vector<Label> labels;
  for (auto [x0, width] : Areas(st)) {
    for (const Tick& t : TimeTicksShown(st, width)) {
      const int x = x0 + t.position - st.scrollX;
      if (x < x0 + 10 * st.cw || x > x0 + width - 8 * st.cw) continue;
      labels.push_back({x - 2 * st.cw, 2, t.label});
    }
    for (const Tick& f : FreqTicks(st)) {
      const int y = kStripHeight + f.position - h / 2;
      if (y < kStripHeight || y + h > st.displayH) continue;
      labels.push_back({x0 + 2, y, f.label});
    }
  }
  return labels;
}

namespace {

// Decimals that show v exactly when it is a whole multiple of `step` (linear marks), or with
// two significant digits (log marks, 10 16 25 40 63 times a power of ten).
int DecimalsFor(double step) {
  int d = 0;
  while (d < 4 && std::fabs(step * std::pow(10.0, d) - std::round(step * std::pow(10.0, d))) > 1e-6)
    ++d;
  return d;
}

}  // namespace

std::vector<ScopeTick> ScopeAxisTicks(double low, double high, bool logScale) {
  const ScopeUnit unit = ScopeAxisUnit(high);
  const std::vector<ScopeMark> marks = ScopeGridMarks(low, high, logScale);
  const double step = marks.size() > 1 ? marks[1].frequencyHz - marks[0].frequencyHz : 1;
  const int linear = DecimalsFor(step / unit.divisor);
  std::vector<ScopeTick> ticks;
  for (const ScopeMark& m : marks) {
    const double v = m.frequencyHz / unit.divisor;
    const int decimals =
        logScale ? std::max(1, 1 - static_cast<int>(std::floor(std::log10(v) + 1e-9))) : linear;
    ticks.push_back({m.offset, Format("%-2.*f", decimals, v)});
  }
  return ticks;
}

std::vector<Label> ScopeScaleLabels(const AnalyserState& st) {
  const Analysed& a = st.current;
  const ScopeOrigin o = st.scopeOrigin;
  std::vector<Label> labels;
  for (const ScopeTick& t : ScopeAxisTicks(a.bandLowHz, a.bandHighHz, a.logScale))
    labels.push_back({o.x0 + t.offset - st.cw, o.y0 + 4, t.label});
  labels.push_back({o.x0 + kScopeWidth + st.cw, o.y0 + 4, ScopeAxisUnit(a.bandHighHz).label});
  return labels;
}

const char* ModeLabel(Mode mode) {
  switch (mode) {
    case Mode::ScanInput:
      return "  Scan Input";
    case Mode::AnalyzeInput:
      return "Analyze Input";
    case Mode::ScanFile:
      return "  Scan File";
    case Mode::AnalyzeFile:
      return " Analyze File";
    default:
      return "";
  }
}

std::array<std::string, 4> PanelValuesOf(const AnalyserState& st) {
  const bool scanning = st.inputOpen || st.playingAll || st.scopeShown || !st.live.Empty();
  const Analysed& a = st.current;
  PanelData data;
  data.present = (st.displayBitmapValid && !a.sample.Empty()) ||
                 (scanning && st.mode != Mode::None && a.info.sampleRateHz > 0);
  data.bandLowHz = a.bandLowHz;
  data.bandHighHz = a.bandHighHz;
  data.channels = a.info.channels;
  data.channelView = a.channelView;
  data.sampleRateHz = a.info.sampleRateHz;
  data.dataBytes = st.displayBitmapValid ? a.sample.DataBytes() : st.scannedBytes;
  return PanelValues(data);
}

namespace {

bool ScopeReadouts(AnalyserState& st, int x, int y) {
  // Frequency along the plot, level up it; above and below the plot nothing is read.
  const int row = ScopeRowAt(x, st.scopeOrigin);
  if (row < 0 || y > st.scopeOrigin.y0 || y < st.scopeOrigin.y0 - kScopeHeight) return false;
  const Analysed& a = st.current;
  const double bw = BinWidthNow(st);
  const double f = FrequencyAtRow(row, a.bandLowHz, a.bandHighHz, bw, a.logScale, a.decadesPerRow);
  const double level = ScopeLevelAt(y, st.scopeOrigin, st.scopeRaise);
  st.readout.frequency = FrequencyText(f, bw);
  st.readout.level = LevelText(level);
  st.lastFreqHz = f;
  st.lastLevelDb = level;
  return true;
}

// The level read back from the screen's colour; -90 in the gap of the Dual view.
double LevelAt(const AnalyserState& st, int x, Rgb pixel) {
  if (DualView(st) && x > st.displayW / 2 - 3 && x < st.displayW / 2 + 4) return -90;
  return LevelOfColour(*st.colourTable, pixel);
}

// A live Scroll scan: its 256 rows under the strip, the band of the scan's settings. The
// columns scroll by, so only frequency and level are read.
bool LiveScrollReadouts(AnalyserState& st, int x, int y, Rgb pixel) {
  if (y < kStripHeight || y >= st.displayH) return false;
  const Analysed& a = st.current;
  const double bw = BinWidthNow(st);
  const double f = FrequencyAtRow(st.displayH - 1 - y, a.bandLowHz, a.bandHighHz, bw, a.logScale,
                                  a.decadesPerRow);
  const double level = LevelAt(st, x, pixel);
  st.readout.frequency = FrequencyText(f, bw);
  st.readout.level = LevelText(level);
  st.lastFreqHz = f;
  st.lastLevelDb = level;
  return true;
}

}  // namespace

bool UpdateReadouts(AnalyserState& st, int x, int y, Rgb pixel) {
  if (st.growing) return false;
  if (st.scopeShown) return ScopeReadouts(st, x, y);
  if (!st.displayBitmapValid && !st.live.Empty()) return LiveScrollReadouts(st, x, y, pixel);
  if (!st.displayBitmapValid || y < kStripHeight) return false;
  const Analysed& a = st.current;
  const bool dual = DualView(st);
  const int column = WindowXToBitmapX(x, st.displayW, dual);
  const int rows = a.bitmap.Rows();
  const int fromTop = y - kStripHeight + st.scrollY;
  const int row = rows - 1 - fromTop;
  const double bw = BinWidthNow(st);
  const double f = FrequencyAtRow(row, a.bandLowHz, a.bandHighHz, bw, a.logScale, a.decadesPerRow);
  const double t = TimeAtColumn(a.startMs, st.scrollX, column, a.timeScaleMs);
  if (st.rightDrag) {
    const double dt = DeltaTimeMs(x, st.dragStartX, a.timeScaleMs);
    const int startRow = rows - 1 - (st.dragStartY - kStripHeight + st.scrollY);
    const double df =
        a.logScale
            ? f - FrequencyAtRow(startRow, a.bandLowHz, a.bandHighHz, bw, true, a.decadesPerRow)
            : DeltaFrequencyLinear(st.dragStartY - kStripHeight, fromTop - st.scrollY, bw);
    st.readout.frequency = FrequencyText(df, bw);
    st.readout.time = TimeText(dt, a.timeScaleMs);
  } else {
    st.readout.frequency = FrequencyText(f, bw);
    st.readout.time = TimeText(t, a.timeScaleMs);
  }
  const double level = LevelAt(st, x, pixel);
  st.readout.level = LevelText(level);
  st.lastTimeMs = t;
  st.lastFreqHz = f;
  st.lastLevelDb = level;
  return true;
}

}  // namespace tessel
