// Drawing: the display area is the core's 8-bit image, blitted as a DIB whose colour table
// is the application palette (so a new scheme or attenuation recolours it without touching
// a pixel); the scales' labels, the information panel and the read-outs are text over it.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "analyser/core/Analysis.h"
#include "analyser/core/Readouts.h"
#include "analyser/win/App.h"

namespace tessel_win {

using namespace tessel;

namespace {

Palette g_palette{};
const ColourTable* g_table = &ColourTableFor(kPaletteCB);

struct Readout {
  std::string frequency, time, now, level;
} g_read;

COLORREF ColourOf(uint8_t index) {
  const Rgb c = g_palette[index];
  return RGB(c.red, c.green, c.blue);
}

struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

void BlitIndexed(HDC dc, int x, int y, const IndexedImage& image) {
  if (image.Empty()) return;
  DibInfo info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = image.Width();
  info.header.biHeight = -image.Height();  // rows top-down, as the core keeps them
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  info.header.biClrUsed = 256;
  for (int i = 0; i < kPaletteSize; ++i)
    info.colours[i] = RGBQUAD{g_palette[i].blue, g_palette[i].green, g_palette[i].red, 0};
  const int stride = (image.Width() + 3) & ~3;
  const uint8_t* bits = image.Pixels().data();
  std::vector<uint8_t> padded;
  if (stride != image.Width()) {
    padded.assign(size_t(stride) * image.Height(), 0);
    for (int r = 0; r < image.Height(); ++r)
      std::copy_n(image.Row(r), image.Width(), padded.data() + size_t(r) * stride);
    bits = padded.data();
  }
  SetDIBitsToDevice(dc, x, y, image.Width(), image.Height(), 0, 0, 0, image.Height(), bits,
                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
}

bool DualView() { return g.current.bitmap.Stereo() && g.current.channelView == kViewDual; }

double BinWidthNow() { return BinWidth(g.current.info.sampleRateHz, g.current.fftSize); }

// Markers of the "Scope Markers" dialog over the Scroll display.
void DrawMarkers(IndexedImage& window) {
  for (int marker : {g.s.scopeMarker1Hz, g.s.scopeMarker2Hz}) {
    if (marker <= 0) continue;
    const int b0 = FirstBin(g.current.bandLowHz, g.current.info.sampleRateHz, g.current.fftSize);
    const int row =
        MarkerRow(marker, g.current.logScale, g.current.fftSize, g.current.info.sampleRateHz, b0,
                  g.current.bandLowHz, g.current.decadesPerRow);
    if (row > 0) DrawMarkerLineScroll(window, row, g.displayH);
  }
}

std::vector<Tick> FreqTicks() {
  return FrequencyTicks(g.current.bitmap.Rows(), g.current.info.sampleRateHz, g.current.fftSize,
                        g.current.bandLowHz, g.current.bandHighHz, g.current.logScale, g.scrollY);
}

std::vector<Tick> TimeTicksShown(int width) {
  return TimeTicks(g.current.timeScaleMs, g.current.startMs, g.scrollX, width);
}

// The area offsets of the halves (Dual view) or the whole display.
std::vector<std::pair<int, int>> Areas() {
  if (DualView()) return {{0, g.displayW / 2 - 3}, {g.displayW / 2 + 4, g.displayW / 2 - 4}};
  return {{0, g.displayW}};
}

void DrawGridMarks(IndexedImage& window) {
  for (auto [x0, width] : Areas())
    for (const Tick& t : TimeTicksShown(width))
      for (const Tick& f : FreqTicks()) {
        const int x = x0 + t.position - g.scrollX, y = kStripHeight + f.position;
        if (x > x0 && x < x0 + width && y > kStripHeight && y < g.displayH)
          window.Cross(x, y, 5, kIndexPointer);
      }
}

void DrawLabel(HDC dc, int x, int y, const std::string& text) {
  const std::wstring w(text.begin(), text.end());
  SetTextColor(dc, ColourOf(kIndexBackground));
  TextOutW(dc, x + 1, y, w.c_str(), int(w.size()));
  SetTextColor(dc, ColourOf(kIndexPointer));
  TextOutW(dc, x, y, w.c_str(), int(w.size()));
}

void DrawScales(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, g.smallFont);
  const int h = g.ch * 14 / 16;
  for (auto [x0, width] : Areas()) {
    for (const Tick& t : TimeTicksShown(width)) {
      const int x = x0 + t.position - g.scrollX;
      if (x < x0 + 10 * g.cw || x > x0 + width - 8 * g.cw) continue;
      DrawLabel(dc, x - 2 * g.cw, 2, t.label);
    }
    for (const Tick& f : FreqTicks()) {
      const int y = kStripHeight + f.position - h / 2;
      if (y < kStripHeight || y + h > g.displayH) continue;
      DrawLabel(dc, x0 + 2, y, f.label);
    }
  }
  SelectObject(dc, old);
}

void DrawScopeScale(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, g.smallFont);
  const double low = g.current.bandLowHz, high = g.current.bandHighHz;
  const ScopeUnit unit = ScopeAxisUnit(high);
  const ScopeOrigin o = g.scopeOrigin;
  for (int offset : ScopeGridOffsets(low, high, g.current.logScale)) {
    const double f =
        g.current.logScale
            ? std::pow(10, std::log10(std::max(1.0, low)) +
                               offset * (std::log10(high) - std::log10(std::max(1.0, low))) / 512)
            : low + offset * (high - low) / 512;
    const std::string label = g.current.logScale ? Format("%-2.1f", f / unit.divisor)
                                                 : Format("%d", int(f / unit.divisor + 0.5));
    DrawLabel(dc, o.x0 + offset - g.cw, o.y0 + 4, label);
  }
  DrawLabel(dc, o.x0 + kScopeWidth + g.cw, o.y0 + 4, unit.label);
  SelectObject(dc, old);
}

void DrawGroove(HDC dc) {
  const int mid = g.displayW / 2;
  HPEN face = CreatePen(PS_SOLID, 7, GetSysColor(COLOR_BTNFACE));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ old = SelectObject(dc, face);
  MoveToEx(dc, mid + 1, 0, nullptr);
  LineTo(dc, mid + 1, g.displayH - 2);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  MoveToEx(dc, mid - 3, 0, nullptr);
  LineTo(dc, mid - 3, g.displayH);
  SelectObject(dc, shadow);
  MoveToEx(dc, mid + 3, 0, nullptr);
  LineTo(dc, mid + 3, g.displayH);
  SelectObject(dc, old);
  DeleteObject(face);
  DeleteObject(shadow);
}

void Text(HDC dc, int x, int y, const std::string& s) {
  const std::wstring w(s.begin(), s.end());
  TextOutW(dc, x, y, w.c_str(), int(w.size()));
}

const char* ModeLabel() {
  switch (g.mode) {
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

}  // namespace

const Palette& CurrentPalette() { return g_palette; }

void ApplyPalette() {
  const bool scope = g.scopeShown;
  g_table = &ColourTableFor(scope ? kPaletteCB : g.s.paletteChoice);
  g_palette =
      AnalysisPalette(*g_table, scope ? kScopePaletteOffset
                                      : PaletteOffset(std::clamp(g.s.attenuationStep, 0, 18)));
  if (g.paletteDevice) {
    struct {
      WORD version, count;
      PALETTEENTRY entries[kPaletteSize];
    } lp{0x300, kPaletteSize, {}};
    for (int i = 0; i < kPaletteSize; ++i)
      lp.entries[i] =
          PALETTEENTRY{g_palette[i].red, g_palette[i].green, g_palette[i].blue, PC_NOCOLLAPSE};
    if (g.palette) DeleteObject(g.palette);
    g.palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  }
  if (g.window) InvalidateRect(g.window, nullptr, FALSE);
}

IndexedImage WindowImage(bool withOverlays) {
  if (g.growing) {
    WindowView view = g.growingView;
    view.width = g.displayW;
    view.height = g.displayH;
    // Without the strip lines across the window: only the columns drawn so far show.
    return ComposeWindow(g.growing, view, false);
  }
  if (g.scopeShown || (g.inputOpen && !g.live.Empty()) ||
      (!g.displayBitmapValid && !g.live.Empty())) {
    IndexedImage image = g.live;
    if (image.Width() != g.displayW || image.Height() != g.displayH) {
      IndexedImage sized(g.displayW, g.displayH, kIndexBackground);
      sized.Copy(image, 0, 0, std::min(image.Width(), g.displayW),
                 std::min(image.Height(), g.displayH), 0, 0);
      image = sized;
    }
    if (g.scopeShown && withOverlays && g.gridShown)
      DrawScopeGrid(image, g.scopeOrigin, g.current.bandLowHz, g.current.bandHighHz,
                    g.current.logScale);
    if (g.scopeShown && g.pointerX >= 0) DrawPointer(image, g.pointerX, g.pointerY, kIndexPointer);
    return image;
  }
  WindowView view;
  view.width = g.displayW;
  view.height = g.displayH;
  view.channelView = g.current.channelView;
  view.scrollX = g.scrollX;
  view.scrollY = g.scrollY;
  IndexedImage image =
      ComposeWindow(g.displayBitmapValid ? &g.current.bitmap : nullptr, view, g.displayBitmapValid);
  if (g.displayBitmapValid && withOverlays) {
    if (g.gridShown) DrawGridMarks(image);
    DrawMarkers(image);
    // The segment being drag-selected: a line at each end, over the spectral rows.
    if (g.leftDrag && g.selectFromX >= 0)
      for (int x : {g.selectFromX, g.selectToX})
        image.Line(x, kStripHeight, x, g.displayH, kIndexPointer);
  }
  return image;
}

void PaintDisplay(HDC dc) {
  BlitIndexed(dc, 0, 0, WindowImage(true));
  if (g.growing) {
    // Scales of the analysis underway come with its end.
  } else if (g.scopeShown) {
    DrawScopeScale(dc);
  } else if (g.displayBitmapValid) {
    DrawScales(dc);
    if (DualView()) DrawGroove(dc);
  }
  // The corner between the two scroll bars.
  RECT corner{g.displayW, g.displayH, g.displayW + 2 * g.cw, g.displayH + 2 * g.cw};
  FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
}

void PaintPanel(HDC dc) {
  RECT client;
  GetClientRect(g.window, &client);
  const int top = g.displayH + 2 * g.cw;
  RECT band{0, top, client.right, client.bottom};
  FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, g.smallFont);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, RGB(0, 0, 0));

  // The information panel: a sunken box of four rows.
  const int px = 4, py = top + 4, pw = 29 * g.cw, ph = 4 * g.ch + 6;
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  MoveToEx(dc, px, py + ph, nullptr);
  LineTo(dc, px, py);
  LineTo(dc, px + pw, py);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  LineTo(dc, px + pw, py + ph);
  LineTo(dc, px, py + ph);
  SelectObject(dc, oldPen);
  const bool scanning = g.inputOpen || g.playingAll || g.scopeShown || !g.live.Empty();
  const char* labels[4] = {
      "Display Band (Hz) :", "Display Channels :", "Sample Rate (Hz) :", "Sample Length (kb) :"};
  PanelData data;
  data.present = (g.displayBitmapValid && !g.current.sample.Empty()) ||
                 (scanning && g.mode != Mode::None && g.current.info.sampleRateHz > 0);
  data.bandLowHz = g.current.bandLowHz;
  data.bandHighHz = g.current.bandHighHz;
  data.channels = g.current.info.channels;
  data.channelView = g.current.channelView;
  data.sampleRateHz = g.current.info.sampleRateHz;
  data.dataBytes = g.displayBitmapValid ? g.current.sample.DataBytes() : g.scannedBytes;
  const std::array<std::string, 4> values = PanelValues(data);
  for (int i = 0; i < 4; ++i) {
    Text(dc, px + 4, py + 3 + i * g.ch, labels[i]);
    Text(dc, px + 4 + 17 * g.cw, py + 3 + i * g.ch, values[i] + "    ");
  }

  // The status block: the mode and the read-outs under the pointer.
  const int sx = px + pw + g.cw;
  Text(dc, sx, top + 2, ModeLabel() + std::string("        "));
  const char* names[4] = {
      "Frequency (Hz) :", "Time (msec) :", "Time Now (sec) :", "Signal Level (dB) :"};
  const std::string* reads[4] = {&g_read.frequency, &g_read.time, &g_read.now, &g_read.level};
  for (int i = 0; i < 4; ++i) {
    Text(dc, sx, top + 2 + (i + 1) * g.ch, names[i]);
    Text(dc, sx + 17 * g.cw, top + 2 + (i + 1) * g.ch, *reads[i] + "        ");
  }
  SelectObject(dc, oldFont);
}

void RedrawDisplay() {
  if (!g.window) return;
  RECT r{0, 0, g.displayW, g.displayH};
  InvalidateRect(g.window, &r, FALSE);
  UpdateWindow(g.window);
}

void RedrawPanel() {
  if (!g.window) return;
  HDC dc = GetDC(g.window);
  PaintPanel(dc);
  ReleaseDC(g.window, dc);
}

void BlitLive() {
  if (g.frozen || !g.window) return;
  HDC dc = GetDC(g.window);
  if (g.palette) {
    SelectPalette(dc, g.palette, FALSE);
    RealizePalette(dc);
  }
  PaintDisplay(dc);
  ReleaseDC(g.window, dc);
  static int pass = 0;
  g_read.now = Format("%-4.0f", g.timeNowSec);
  if (++pass % 4 == 0) RedrawPanel();
}

void ShowGrowingImage() {
  if (!g.growing || !g.window) return;
  HDC dc = GetDC(g.window);
  if (g.palette) {
    SelectPalette(dc, g.palette, FALSE);
    RealizePalette(dc);
  }
  BlitIndexed(dc, 0, 0, WindowImage(false));
  ReleaseDC(g.window, dc);
}

void UpdateReadouts(int x, int y) {
  if (g.growing) return;
  if (g.scopeShown) {
    // Frequency along the plot, level up it; above and below the plot nothing is read.
    const int row = ScopeRowAt(x, g.scopeOrigin);
    if (row < 0 || y > g.scopeOrigin.y0 || y < g.scopeOrigin.y0 - kScopeHeight) return;
    const double bw = BinWidth(g.current.info.sampleRateHz, g.current.fftSize);
    const double f = FrequencyAtRow(row, g.current.bandLowHz, g.current.bandHighHz, bw,
                                    g.current.logScale, g.current.decadesPerRow);
    const double level = ScopeLevelAt(y, g.scopeOrigin, g.scopeRaise);
    g_read.frequency = FrequencyText(f, bw);
    g_read.level = LevelText(level);
    g.lastFreqHz = f;
    g.lastLevelDb = level;
    RedrawPanel();
    return;
  }
  if (!g.displayBitmapValid || y < kStripHeight) return;
  const bool dual = DualView();
  int column = x;
  if (dual) column = x >= g.displayW ? 0 : x > g.displayW / 2 - 4 ? x - g.displayW / 2 - 4 : x;
  const int rows = g.current.bitmap.Rows();
  const int fromTop = y - kStripHeight + g.scrollY;
  const int row = rows - 1 - fromTop;
  const double bw = BinWidthNow();
  const double f = FrequencyAtRow(row, g.current.bandLowHz, g.current.bandHighHz, bw,
                                  g.current.logScale, g.current.decadesPerRow);
  const double t = TimeAtColumn(g.current.startMs, g.scrollX, column, g.current.timeScaleMs);
  if (g.rightDrag) {
    const double dt = DeltaTimeMs(x, g.dragStartX, g.current.timeScaleMs);
    const int startRow = rows - 1 - (g.dragStartY - kStripHeight + g.scrollY);
    const double df =
        g.current.logScale
            ? f - FrequencyAtRow(startRow, g.current.bandLowHz, g.current.bandHighHz, bw, true,
                                 g.current.decadesPerRow)
            : DeltaFrequencyLinear(g.dragStartY - kStripHeight, fromTop - g.scrollY, bw);
    g_read.frequency = FrequencyText(df, bw);
    g_read.time = TimeText(dt, g.current.timeScaleMs);
  } else {
    g_read.frequency = FrequencyText(f, bw);
    g_read.time = TimeText(t, g.current.timeScaleMs);
  }
  HDC dc = GetDC(g.window);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(g.window, dc);
  double level = LevelOfColour(*g_table, Rgb{GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
  if (dual && x > g.displayW / 2 - 3 && x < g.displayW / 2 + 4) level = -90;
  g_read.level = LevelText(level);
  g.lastTimeMs = t;
  g.lastFreqHz = f;
  g.lastLevelDb = level;
  RedrawPanel();
}

}  // namespace tessel_win
