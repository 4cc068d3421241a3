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
#include "analyser/core/View.h"
#include "analyser/win/App.h"
#include "platform/win32/Wide.h"

namespace tessel_win {

using namespace tessel;

namespace {

COLORREF ColourOf(uint8_t index) {
  const Rgb c = g.colours[index];
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
    info.colours[i] = RGBQUAD{g.colours[i].blue, g.colours[i].green, g.colours[i].red, 0};
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

void DrawLabel(HDC dc, int x, int y, const std::string& text) {
  const std::wstring w = platform::AnsiToWide(text);
  SetTextColor(dc, ColourOf(kIndexBackground));
  TextOutW(dc, x + 1, y, w.c_str(), int(w.size()));
  SetTextColor(dc, ColourOf(kIndexPointer));
  TextOutW(dc, x, y, w.c_str(), int(w.size()));
}

void DrawLabels(HDC dc, const std::vector<Label>& labels) {
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, g.smallFont);
  for (const Label& l : labels) DrawLabel(dc, l.x, l.y, l.text);
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
  const std::wstring w = platform::AnsiToWide(s);
  TextOutW(dc, x, y, w.c_str(), int(w.size()));
}

}  // namespace

const Palette& CurrentPalette() { return g.colours; }

void ApplyPalette() {
  UpdateColours(g);
  if (g.paletteDevice) {
    struct {
      WORD version, count;
      PALETTEENTRY entries[kPaletteSize];
    } lp{0x300, kPaletteSize, {}};
    for (int i = 0; i < kPaletteSize; ++i)
      lp.entries[i] =
          PALETTEENTRY{g.colours[i].red, g.colours[i].green, g.colours[i].blue, PC_NOCOLLAPSE};
    if (g.palette) DeleteObject(g.palette);
    g.palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  }
  if (g.window) InvalidateRect(g.window, nullptr, FALSE);
}

void PaintDisplay(HDC dc) {
  BlitIndexed(dc, 0, 0, WindowImage(g, true));
  if (g.growing) {
    // Scales of the analysis underway come with its end.
  } else if (g.scopeShown) {
    DrawLabels(dc, ScopeScaleLabels(g));
  } else if (g.displayBitmapValid) {
    DrawLabels(dc, ScrollScaleLabels(g, g.ch * 14 / 16));
    if (DualView(g)) DrawGroove(dc);
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
  const char* labels[4] = {
      "Display Band (Hz) :", "Display Channels :", "Sample Rate (Hz) :", "Sample Length (kb) :"};
  const std::array<std::string, 4> values = PanelValuesOf(g);
  for (int i = 0; i < 4; ++i) {
    Text(dc, px + 4, py + 3 + i * g.ch, labels[i]);
    Text(dc, px + 4 + 17 * g.cw, py + 3 + i * g.ch, values[i] + "    ");
  }

  // The status block: the mode and the read-outs under the pointer.
  const int sx = px + pw + g.cw;
  Text(dc, sx, top + 2, ModeLabel(g.mode) + std::string("        "));
  const char* names[4] = {
      "Frequency (Hz) :", "Time (msec) :", "Time Now (sec) :", "Signal Level (dB) :"};
  const std::string* reads[4] = {&g.readout.frequency, &g.readout.time, &g.readout.now,
                                 &g.readout.level};
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
  g.readout.now = Format("%-4.0f", g.timeNowSec);
  if (++g.livePasses % 4 == 0) RedrawPanel();
}

void ShowGrowingImage() {
  if (!g.growing || !g.window) return;
  HDC dc = GetDC(g.window);
  if (g.palette) {
    SelectPalette(dc, g.palette, FALSE);
    RealizePalette(dc);
  }
  BlitIndexed(dc, 0, 0, WindowImage(g, false));
  ReleaseDC(g.window, dc);
}

void UpdateReadouts(int x, int y) {
  HDC dc = GetDC(g.window);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(g.window, dc);
  if (tessel::UpdateReadouts(g, x, y, Rgb{GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)}))
    RedrawPanel();
}

}  // namespace tessel_win
