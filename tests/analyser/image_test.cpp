#include <gtest/gtest.h>

#include "analyser/core/Colours.h"
#include "analyser/core/DisplayBitmap.h"
#include "analyser/core/Scope.h"
#include "analyser/core/View.h"

namespace {

using namespace tessel;

TEST(DisplayBitmap, SizeAndBackground) {
  DisplayBitmap narrow(100, 640, 256, false);
  EXPECT_EQ(narrow.Image().Width(), 640) << "never narrower than the screen";
  EXPECT_EQ(narrow.Image().Height(), 300);
  EXPECT_EQ(narrow.Image().At(639, 299), kIndexBackground);
  DisplayBitmap stereo(2000, 640, 512, true);
  EXPECT_EQ(stereo.Image().Width(), 2000);
  EXPECT_EQ(stereo.Image().Height(), 2 * (44 + 512));
  EXPECT_EQ(stereo.PanelTop(kRight), 0) << "the right channel is on top";
  EXPECT_EQ(stereo.PanelTop(kLeft), 556);
}

TEST(DisplayBitmap, DrawColumnPutsRowsBottomUpAndTheStrip) {
  DisplayBitmap b(10, 0, 4, true);
  const int left[4] = {103, 150, 335, 0};
  const int right[4] = {200, 200, 200, 200};
  const int* levels[2] = {left, right};
  const WaveExtremes e[2] = {{3000, -4500}, {0, 0}};
  b.DrawColumn(5, levels, e);
  const IndexedImage& im = b.Image();
  const int leftTop = 48;
  EXPECT_EQ(im.At(5, leftTop + 44 + 3), 3) << "row 0 (103) at the bottom: background";
  EXPECT_EQ(im.At(5, leftTop + 44 + 2), 50);
  EXPECT_EQ(im.At(5, leftTop + 44 + 1), 235);
  EXPECT_EQ(im.At(5, leftTop + 44 + 0), 3);
  EXPECT_EQ(im.At(5, 44 + 2), 100) << "right channel in the upper panel";
  // Strip: centre pixel index 2 at 21, line from 22 - 2 to 22 + 3 (end not drawn), index 1 at 43.
  EXPECT_EQ(im.At(5, leftTop + 21), kIndexStripCentre);
  EXPECT_EQ(im.At(5, leftTop + 19), 3);
  EXPECT_EQ(im.At(5, leftTop + 20), kIndexStripCentre);
  EXPECT_EQ(im.At(5, leftTop + 24), kIndexStripCentre);
  EXPECT_EQ(im.At(5, leftTop + 25), 3);
  EXPECT_EQ(im.At(5, leftTop + 43), kIndexStripLine);
  EXPECT_EQ(im.At(5, 20), 3) << "silent right strip: no line";
  EXPECT_EQ(im.At(5, 21), kIndexStripCentre);
  EXPECT_EQ(im.At(4, leftTop + 21), 3) << "other columns untouched";
}

TEST(DisplayBitmap, ImageToSaveTakesBothPanelsOrTheViewedOne) {
  auto drawn = [] {
    DisplayBitmap b(8, 0, 4, true);
    for (int y = 0; y < b.Image().Height(); ++y) b.Image().SetPixel(y % 8, y, uint8_t(10 + y));
    return b;
  };
  const DisplayBitmap kept = drawn();
  for (uint32_t view : {kViewDual, kViewLeft, kViewRight}) {
    const IndexedImage copied = ImageToSave(kept, view);
    EXPECT_EQ(copied.Height(), view == kViewDual ? 96 : 48);
    const int top = view == kViewLeft ? 48 : 0;
    EXPECT_EQ(copied.At(0, 0), kept.Image().At(0, top));
    EXPECT_EQ(copied.At(7, 47), kept.Image().At(7, top + 47));
    // From a bitmap given up the result is the same.
    EXPECT_TRUE(ImageToSave(drawn(), view).Pixels() == copied.Pixels());
  }
}

TEST(DisplayBitmap, WindowCopiesOfTheViews) {
  DisplayBitmap b(2000, 0, 256, true);
  WindowView view;
  view.width = 600;
  view.height = 300;
  view.scrollX = 40;
  view.channelView = 1090;  // Left
  std::vector<Blit> blits = PaintBlits(b, view);
  ASSERT_EQ(blits.size(), 2u);
  EXPECT_EQ(blits[0].srcX, 40);
  EXPECT_EQ(blits[0].srcY, 300 + 44);
  EXPECT_EQ(blits[0].dstY, 44);
  EXPECT_EQ(blits[0].width, 600);
  EXPECT_EQ(blits[1].srcY, 300);
  EXPECT_EQ(blits[1].height, 44);
  view.channelView = 1089;  // Dual
  blits = PaintBlits(b, view);
  ASSERT_EQ(blits.size(), 4u);
  EXPECT_EQ(blits[0].dstX, 0);
  EXPECT_EQ(blits[0].width, 297);
  EXPECT_EQ(blits[0].srcY, 344) << "left channel (lower panel) on the left";
  EXPECT_EQ(blits[2].dstX, 304);
  EXPECT_EQ(blits[2].width, 296);
  EXPECT_EQ(blits[2].srcY, 44);

  // Column copies: the four newest while inside the window, then the whole width.
  DisplayBitmap mono(2000, 0, 256, false);
  view.scrollX = 0;
  blits = ColumnBlits(mono, 8, view);
  ASSERT_EQ(blits.size(), 2u);
  EXPECT_EQ(blits[0].srcX, 4);
  EXPECT_EQ(blits[0].dstX, 4);
  EXPECT_EQ(blits[0].width, 4);
  EXPECT_TRUE(ColumnBlits(mono, 9, view).empty());
  blits = ColumnBlits(mono, 800, view);
  EXPECT_EQ(blits[0].srcX, 200);
  EXPECT_EQ(blits[0].dstX, 0);
  EXPECT_EQ(blits[0].width, 600);
  EXPECT_EQ(view.scrollX, 200);
}

TEST(DisplayBitmap, ComposedWindowHasTheStripLines) {
  DisplayBitmap b(100, 0, 256, false);
  const int rows[256] = {};
  int loud[256];
  for (int& v : loud) v = 300;
  const int* levels[2] = {loud, rows};
  const WaveExtremes e[2] = {};
  b.DrawColumn(2, levels, e);
  WindowView view;
  view.width = 50;
  IndexedImage w = ComposeWindow(&b, view, true);
  EXPECT_EQ(w.At(2, 100), 200);
  EXPECT_EQ(w.At(30, 43), kIndexStripLine);
  EXPECT_EQ(w.At(30, 21), kIndexStripCentre);
  EXPECT_EQ(ComposeWindow(nullptr, view, false).At(2, 100), kIndexBackground);
}

TEST(LiveScroll, ColumnsAdvanceThenTheWindowScrolls) {
  LiveScrollDisplay live(20, 300, false, 1089);
  uint8_t rows[256];
  const uint8_t* indices[2] = {rows, rows};
  const WaveExtremes e[2] = {};
  for (int c = 0; c < 20; ++c) {
    std::fill(std::begin(rows), std::end(rows), uint8_t(10 + c));
    live.AddColumn(indices, e);
  }
  EXPECT_EQ(live.Window().At(0, 100), 10);
  EXPECT_EQ(live.Window().At(19, 100), 29);
  for (int c = 20; c < 24; ++c) {
    std::fill(std::begin(rows), std::end(rows), uint8_t(10 + c));
    live.AddColumn(indices, e);
  }
  // The four right-most columns were redrawn, then everything moved left by 4.
  EXPECT_EQ(live.Window().At(0, 100), 14);
  EXPECT_EQ(live.Window().At(11, 100), 25);
  EXPECT_EQ(live.Window().At(12, 100), 30);
  EXPECT_EQ(live.Window().At(15, 100), 33);
}

TEST(Scope, OriginGridAndMarkers) {
  ScopeOrigin o = ScopeOriginFor(800, 300, 8, 16);
  EXPECT_EQ(o.x0, 144);
  EXPECT_EQ(o.y0, 268);
  EXPECT_EQ(ScopeOriginFor(500, 300, 8, 16).x0, 36);
  // Linear 0..11025 Hz: span 0.92 -> marks every 1000 Hz.
  std::vector<int> marks = ScopeGridOffsets(0, 11025, false);
  ASSERT_EQ(marks.size(), 12u);
  EXPECT_EQ(marks[1], 46);  // 1000 * 512 / 11025
  // 0..689 Hz: span 0.057 -> marks every 10 Hz, every 5th... m = 100, c = max(1, 5) = 5.
  marks = ScopeGridOffsets(0, 689, false);
  EXPECT_EQ(marks[1], static_cast<int>(50 * 512 / 689.0));
  // Log 100..11025: marks from 100 Hz.
  marks = ScopeGridOffsets(100, 11025, true);
  EXPECT_EQ(marks.front(), 0);
  for (int x : marks) EXPECT_LT(x, 512);

  IndexedImage image(800, 300, 3);
  DrawScopeGrid(image, o, 0, 11025, false);
  EXPECT_EQ(image.At(o.x0 + 46, o.y0 - 80), kIndexPointer);
  EXPECT_EQ(image.At(o.x0 + 46 + 5, o.y0 - 80), kIndexPointer);
  EXPECT_EQ(image.At(o.x0 + 46 + 6, o.y0 - 80), 3);

  EXPECT_EQ(MarkerRow(1000, false, 512, 11025, 0, 0, 0), 46);
  EXPECT_EQ(MarkerRow(1000, false, 512, 11025, 50, 0, 0), -1) << "below the band";
  EXPECT_EQ(MarkerRow(8000, false, 512, 11025, 0, 0, 0), -1) << "more than 255 rows up";
  EXPECT_EQ(MarkerRow(0, false, 512, 11025, 0, 0, 0), -1) << "off";
  EXPECT_EQ(MarkerRow(1000, true, 4096, 44100, 0, 100, 2.0 / 256), 128);
  DrawMarkerLineScroll(image, 46, 300);
  EXPECT_EQ(image.At(10, 254), kIndexMarker);
}

TEST(Scope, PlotRaisesANegativeNoiseFloorWithSixteenBitData) {
  IndexedImage image(600, 300, 3);
  ScopeOrigin o{44, 268};
  int rows[256];
  for (int r = 0; r < 256; ++r) rows[r] = r == 100 ? 150 : -120;  // floor -80 after 60/90
  const int* channels[2] = {rows, nullptr};
  ScopePlot plot;
  for (int i = 0; i < 12; ++i) {
    image.Fill(3);
    plot.Draw(image, o, channels, true, 1063);
  }
  // After 12 frames the floor is -80: the peak (100) is raised to 180.
  EXPECT_EQ(image.At(o.x0 + 200, o.y0 - 180), kIndexScopeSingle);
  EXPECT_EQ(image.At(o.x0 + 10, o.y0), kIndexScopeSingle) << "quiet rows on the base line";
  image.Fill(3);
  plot.Draw(image, o, channels, false, 1062);
  EXPECT_EQ(image.At(o.x0 + 200, o.y0 - 50), kIndexScopeSingle) << "bars; 8-bit is not raised";
  EXPECT_EQ(image.At(o.x0 + 200, o.y0 - 101), 3);
}

TEST(Scope, ReadoutsMapThePlotBackToRowsAndLevels) {
  const ScopeOrigin o{44, 268};
  EXPECT_EQ(ScopeRowAt(43, o), -1);
  EXPECT_EQ(ScopeRowAt(44, o), 0);
  EXPECT_EQ(ScopeRowAt(45, o), 0);
  EXPECT_EQ(ScopeRowAt(44 + 511, o), 255);
  EXPECT_EQ(ScopeRowAt(44 + 512, o), -1);
  // A full-scale sine (337 quarter-decibels) stands 224 pixels high: about 0 dB, the level
  // the Scroll display reads from its colour.
  EXPECT_NEAR(ScopeLevelAt(o.y0 - 224, o, 0), -1, 0.01);
  EXPECT_NEAR(ScopeLevelAt(o.y0 - 100, o, 0), -47.5, 0.01);
  EXPECT_NEAR(ScopeLevelAt(o.y0 - 180, o, 80), -47.5, 0.01) << "the raise is taken off";
  EXPECT_EQ(ScopeLevelAt(o.y0 - 256, o, 0), 0) << "above 0 shows 0";
  EXPECT_EQ(ScopeLevelAt(o.y0, o, 0), -90) << "below -77 shows -90";
}

TEST(Scope, PlotRemembersItsRaise) {
  IndexedImage image(600, 300, 3);
  int rows[256];
  for (int r = 0; r < 256; ++r) rows[r] = -120;  // -80 after 60/90
  const int* channels[2] = {rows, nullptr};
  ScopePlot plot;
  plot.Draw(image, ScopeOrigin{44, 268}, channels, true, 1063);
  EXPECT_EQ(plot.Raise(), 6) << "floor -80 / 12 after one frame";
  plot.Draw(image, ScopeOrigin{44, 268}, channels, false, 1063);
  EXPECT_EQ(plot.Raise(), 0) << "8-bit data is not raised";
  plot.Reset();
  EXPECT_EQ(plot.Raise(), 0);
}

TEST(Image, MagnifiedCopyAndPointer) {
  IndexedImage src(10, 4, 3);
  src.SetPixel(9, 3, 77);
  IndexedImage big = Magnify(src, 250);
  EXPECT_EQ(big.Width(), 24);  // 25 reduced to a multiple of 4
  EXPECT_EQ(big.Height(), 10);
  EXPECT_EQ(big.At(23, 9), 77);
  EXPECT_EQ(big.At(0, 0), 3);
  IndexedImage p(40, 40, 3);
  DrawPointer(p, 20, 20, 0);
  EXPECT_EQ(p.At(8, 20), 0);
  EXPECT_EQ(p.At(32, 20), 0);
  EXPECT_EQ(p.At(33, 20), 3);
  EXPECT_EQ(p.At(20, 32), 0);
}

}  // namespace
