// The analyser's state and what the window shows of it: the band of an analysis, the Scope
// display's overlays and axis, the read-outs under the pointer, the Dual view's columns, the
// restore and the frame's limits.
#include "analyser/core/State.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analyser/core/Analysis.h"
#include "analyser/core/Readouts.h"
#include "analyser/core/View.h"

namespace {

using namespace tessel;

// A linear analysis of `rate` Hz mono at `fftSize` points with the dialog's band rules.
Analysed LinearAnalysis(uint32_t rate, int fftSize, int bandLowHz = 0) {
  AnalysisSettings s;
  s.fftSizeChoice = FftChoiceOfSize(fftSize);
  s.bandLowHz = bandLowHz;
  ApplyBandRules(s, rate);
  WaveFileInfo info;
  info.sampleRateHz = rate;
  return AnalysedOf(s, SampleBuffer(info.Format(), 4096),
                    DisplayBitmap(100, 100, RowsPerChannel(fftSize, false), false), info, 0, 10);
}

AnalyserState StateShowing(Analysed a) {
  AnalyserState st;
  st.displayW = 600;
  st.displayH = 300;
  st.current = std::move(a);
  st.displayBitmapValid = true;
  return st;
}

TEST(AnalysisBand, IsTheBandItsRowsShow) {
  // 22050 Hz at 1024 points: 512 rows of 21.5 Hz show 0 to 11025 Hz, though the dialog's
  // band (and the stored settings) keep their 256 bins, 0 to 5512 Hz.
  AnalyserState st = StateShowing(LinearAnalysis(22050, 1024));
  EXPECT_EQ(st.current.bandLowHz, 0);
  EXPECT_EQ(st.current.bandHighHz, 11025);
  EXPECT_EQ(PanelValuesOf(st)[0], "0 to 11025");
  // The pointer at about 7.6 kHz reads the row's own frequency, as the axis labels it.
  const double bw = 22050.0 / 1024;
  const int row = int(7600 / bw);
  const int y = kStripHeight + 511 - row;
  ASSERT_TRUE(UpdateReadouts(st, 100, y, Rgb{0, 0, 0}));
  EXPECT_NEAR(st.lastFreqHz, 7600, bw);
  EXPECT_EQ(st.readout.frequency, FrequencyText(st.lastFreqHz, bw));
  // 2048 points and more show 1024 rows; 512 points the 256 of the dialog's band.
  EXPECT_EQ(LinearAnalysis(44100, 4096).bandHighHz, int(1024 * 44100.0 / 4096));
  EXPECT_EQ(LinearAnalysis(22050, 512).bandHighHz, 11025);
  EXPECT_EQ(LinearAnalysis(44100, 1024, 1000).bandHighHz, int(1000 + 512 * 44100.0 / 1024));
}

TEST(ScopeDisplay, DrawsTheMarkerLinesOverTheGraph) {
  AnalyserState st;
  st.displayW = 720;
  st.displayH = 300;
  st.scopeShown = true;
  st.live = IndexedImage(720, 300, kIndexBackground);
  st.scopeOrigin = ScopeOriginFor(720, 300, 8, 16);
  st.current.info.sampleRateHz = 22050;
  st.current.fftSize = 1024;
  st.current.bandHighHz = 5512;
  st.s.scopeMarker1Hz = 2000;
  const int row = MarkerRow(2000, false, 1024, 22050, 0, 0, 0);
  ASSERT_GT(row, 0);
  const IndexedImage image = WindowImage(st, true);
  const int x = st.scopeOrigin.x0 + 2 * row;
  for (int y = st.scopeOrigin.y0 - 250; y < st.scopeOrigin.y0; y += 10)
    EXPECT_EQ(image.At(x, y), kIndexMarker) << "y " << y;
  st.s.scopeMarker1Hz = 0;
  EXPECT_EQ(WindowImage(st, true).At(x, st.scopeOrigin.y0 - 100), kIndexBackground) << "off";
}

TEST(ScopeDisplay, EveryAxisMarkShowsItsOwnFrequency) {
  // 0 to 2756 Hz: marks every 200 Hz in thousands of Hz.
  std::vector<ScopeTick> ticks = ScopeAxisTicks(0, 2756, false);
  ASSERT_EQ(ticks.size(), 14u);
  for (size_t i = 0; i < ticks.size(); ++i)
    EXPECT_EQ(ticks[i].label, Format("%.1f", 0.2 * double(i))) << i;
  EXPECT_STREQ(ScopeAxisUnit(2756).label, "Hz/1000");
  // A narrow band: marks every 10 Hz in thousands of Hz need two decimals.
  ticks = ScopeAxisTicks(1000, 1100, false);
  ASSERT_GE(ticks.size(), 2u);
  EXPECT_EQ(ticks[0].label, "1.00");
  EXPECT_EQ(ticks[1].label, "1.01");
  // Whole thousands in tens of thousands: one decimal; the log axis always has one.
  ticks = ScopeAxisTicks(0, 22050, false);
  EXPECT_EQ(ticks[1].label, "0.1");
  // The log axis: two significant digits, at least one decimal ("%-2.1f" from 1 on).
  ticks = ScopeAxisTicks(100, 22050, true);
  ASSERT_GE(ticks.size(), 12u);
  EXPECT_EQ(ticks[0].label, "0.010");  // 100 Hz in units of 10000 Hz
  EXPECT_EQ(ticks[1].label, "0.016");
  EXPECT_EQ(ticks[5].label, "0.10");
  EXPECT_EQ(ticks[10].label, "1.0");
}

TEST(LiveScrollScan, ReadsOutUnderThePointer) {
  AnalyserState st;
  st.displayW = 600;
  st.displayH = 300;
  st.inputOpen = true;
  st.live = IndexedImage(600, 300, kIndexBackground);
  st.current.info.sampleRateHz = 22050;
  st.current.fftSize = 1024;
  st.current.bandHighHz = 5512;
  st.colourTable = &ColourTableFor(kPaletteCB);
  const double bw = 22050.0 / 1024;
  // Row 100 of the 256 under the strip, counted from the bottom.
  ASSERT_TRUE(UpdateReadouts(st, 50, 299 - 100, Rgb{0, 0, 0}));
  EXPECT_EQ(st.lastFreqHz, Nearest(100 * bw) + Nearest(bw / 2));
  EXPECT_EQ(st.readout.frequency, FrequencyText(st.lastFreqHz, bw));
  EXPECT_EQ(st.readout.level, LevelText(-90));
  EXPECT_FALSE(UpdateReadouts(st, 50, 20, Rgb{0, 0, 0})) << "the waveform strip reads nothing";
}

TEST(DualView, PointerColumnsOfTheTwoHalves) {
  const int w = 600;
  EXPECT_EQ(WindowXToBitmapX(100, w, false), 100);
  EXPECT_EQ(WindowXToBitmapX(650, w, false), 650);
  EXPECT_EQ(WindowXToBitmapX(296, w, true), 296);  // the last column of the left half
  EXPECT_EQ(WindowXToBitmapX(304, w, true), 0);    // the right half starts at W/2 + 4
  EXPECT_EQ(WindowXToBitmapX(400, w, true), 96);
  EXPECT_EQ(WindowXToBitmapX(299, w, true), 0) << "the gap reads the right half's first column";
  EXPECT_EQ(WindowXToBitmapX(600, w, true), 0);
}

TEST(Restore, BringsBackThePreviousAnalysisOrReleasesEverything) {
  AnalyserState st = StateShowing(LinearAnalysis(22050, 512));
  st.s.attenuationStep = 3;
  CommitAnalysis(st, LinearAnalysis(22050, 1024));
  ASSERT_NE(st.previous, nullptr);
  EXPECT_EQ(st.current.fftSize, 1024);
  st.current.attenuationStep = 7;
  st.previous->attenuationStep = 5;
  EXPECT_TRUE(RestorePrevious(st));
  EXPECT_EQ(st.current.fftSize, 512);
  EXPECT_EQ(st.s.attenuationStep, 5);
  EXPECT_FALSE(RestorePrevious(st));
  EXPECT_FALSE(st.displayBitmapValid);
  EXPECT_TRUE(st.current.sample.Empty());

  st = StateShowing(LinearAnalysis(22050, 512));
  st.lowMemory = true;
  CommitAnalysis(st, LinearAnalysis(22050, 1024));
  EXPECT_EQ(st.previous, nullptr) << "no copy on a low-memory machine";
}

TEST(Frame, LimitsFollowTheDisplayAndTheRows) {
  AnalyserState st = StateShowing(LinearAnalysis(22050, 4096));  // 1024 rows
  st.cw = 8;
  st.createHeight = 500;
  st.screenW = 1024;
  st.screenH = 768;
  FrameLimits l = FrameLimitsOf(st);
  EXPECT_EQ(l.minWidth, 82 * 8);
  EXPECT_EQ(l.maxWidth, 1024 - 16);
  EXPECT_EQ(l.minHeight, 500);
  EXPECT_EQ(l.maxHeight, 768 - 8) << "the rows beyond 256, within the screen";
  st.s.displayType = kDisplayScope;
  st.scopeShown = true;
  l = FrameLimitsOf(st);
  EXPECT_EQ(l.minWidth, 90 * 8);
  EXPECT_EQ(l.maxWidth, 90 * 8);
  EXPECT_EQ(l.maxHeight, 500);
}

TEST(ScrollBars, StepsThumbAndEnds) {
  const ScrollSteps display{0, 1000, 4, 100};
  EXPECT_EQ(ScrolledPosition(10, ScrollCode::LineBack, 0, display), 6);
  EXPECT_EQ(ScrolledPosition(2, ScrollCode::LineBack, 0, display), 0);
  EXPECT_EQ(ScrolledPosition(950, ScrollCode::PageOn, 0, display), 1000);
  EXPECT_EQ(ScrolledPosition(10, ScrollCode::Thumb, 777, display), 777);
  EXPECT_EQ(ScrolledPosition(10, ScrollCode::Last, 0, {10, 1000, 10, 100}), 1000);
  EXPECT_EQ(ScrolledPosition(500, ScrollCode::First, 0, {10, 1000, 10, 100}), 10);
  EXPECT_EQ(ScrolledPosition(50, ScrollCode::Other, 0, display), 50);
}

}  // namespace

namespace {

TEST(AnalysisDialog, RequestOfTheTypedValuesAndWhatAFailedCheckDoes) {
  AnalysisSettings s;
  s.bitsChoice = kBits8;
  s.channelType = kStereo;
  s.fftSizeChoice = FftChoiceOfSize(512);
  WaveFileInfo info;
  const AnalysisRequest r = RequestFromDialog(s, info, 11025, 100, 900, 5);
  EXPECT_EQ(info.sampleRateHz, 11025u);
  EXPECT_EQ(info.bitsPerSample, 8);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(s.bandHighHz, 5512);
  EXPECT_DOUBLE_EQ(r.windowMs, 1000 / (11025.0 / 512));
  EXPECT_EQ(r.beginMs, 100);
  EXPECT_EQ(r.endMs, 900);
  for (const char* again : {"Time Scale Out of Range", "FFT Window Too Small",
                            "Improper Begin or End", "Sample Size Too Small"})
    EXPECT_TRUE(ShowsDialogAgain(again)) << again;
  for (const char* ends : {"Sample Rate Out of Range", "Improper Entry", "Time Scale Too Small"})
    EXPECT_FALSE(ShowsDialogAgain(ends)) << ends;
}

TEST(BitmapMagnification, FactorAndPrintedSize) {
  const MagnificationTexts t = MagnificationTextsFor(250, 300, 600, 300);
  EXPECT_EQ(t.factor, "2.50");
  EXPECT_EQ(t.width, "5.00");
  EXPECT_EQ(t.height, "2.50");
}

}  // namespace

namespace {

TEST(DragSelect, SegmentOfTheColumnsDragged) {
  AnalyserState st;
  st.current.timeScaleMs = 10;
  st.current.startMs = 1000;
  st.scrollX = 100;
  double begin = 0, end = 0;
  EXPECT_FALSE(DragSegment(st, 50, 50, begin, end)) << "released on its start column";
  ASSERT_TRUE(DragSegment(st, 50, 80, begin, end));
  EXPECT_DOUBLE_EQ(begin, 1000 + 150.5 * 10);  // to the right: half a column further
  EXPECT_DOUBLE_EQ(end, 1000 + 180.5 * 10);
  ASSERT_TRUE(DragSegment(st, 80, 50, begin, end));
  EXPECT_DOUBLE_EQ(begin, 1000 + 150 * 10);
  EXPECT_DOUBLE_EQ(end, 1000 + 180 * 10);
}

}  // namespace
