#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analyser/core/LiveScan.h"
#include "analyser/core/ShellState.h"

namespace {

using namespace tessel;

TEST(MenuStates, BusyGreysEveryListedEntry) {
  MenuContext c;
  c.bitmapValid = true;
  const MenuEnables e = MenuEnablesFor(MenuState::Busy, c);
  for (int i = 0; i < kMenuEntryCount; ++i) EXPECT_FALSE(e[i]) << i;
  EXPECT_FALSE(FKeysEnabled(MenuState::Busy));
  EXPECT_TRUE(FKeysEnabled(MenuState::ReadyWithoutData));
}

TEST(MenuStates, ReadyWithoutDataOffersTheStartsAndTheScopeImage) {
  MenuContext c;
  MenuEnables e = MenuEnablesFor(MenuState::ReadyWithoutData, c);
  for (MenuEntry on : {kEntryAnalyzeFile, kEntryAnalyzeInput, kEntryScanFile, kEntryScanInput,
                       kEntryExit, kEntrySystemClose})
    EXPECT_TRUE(e[on]) << on;
  for (MenuEntry off :
       {kEntryParametersMenu, kEntryParamChange, kEntryLogDataMenu, kEntryLogPoints, kEntrySaveWave,
        kEntryColorsChange, kEntryPrintWindow, kEntryWindowBitmap, kEntryEntireBitmap})
    EXPECT_FALSE(e[off]) << off;
  c.scope = true;
  c.bitmapValid = true;
  e = MenuEnablesFor(MenuState::ReadyWithoutData, c);
  EXPECT_TRUE(e[kEntryPrintWindow]);
  EXPECT_TRUE(e[kEntrySaveBitmapMenu]);
  EXPECT_TRUE(e[kEntryWindowBitmap]);
  EXPECT_FALSE(e[kEntryEntireBitmap]);
}

TEST(MenuStates, ReadyWithDataFollowsDisplayChannelsAndScale) {
  MenuContext c;
  c.bitmapValid = true;
  MenuEnables e = MenuEnablesFor(MenuState::ReadyWithData, c);
  for (MenuEntry on : {kEntrySaveWave, kEntryColorsChange, kEntryParamChange, kEntryLogAll,
                       kEntryLogPoints, kEntryWindowBitmap, kEntryPrintWindow})
    EXPECT_TRUE(e[on]) << on;
  EXPECT_FALSE(e[kEntryParamRestore]) << "nothing to restore";
  EXPECT_FALSE(e[kEntryEntireBitmap]) << "the image fits";

  c.restorable = true;
  c.entireLarger = true;
  e = MenuEnablesFor(MenuState::ReadyWithData, c);
  EXPECT_TRUE(e[kEntryParamRestore]);
  EXPECT_TRUE(e[kEntryEntireBitmap]);
  c.lowMemory = true;
  EXPECT_FALSE(MenuEnablesFor(MenuState::ReadyWithData, c)[kEntryParamRestore]);

  c.logScale = true;
  e = MenuEnablesFor(MenuState::ReadyWithData, c);
  EXPECT_FALSE(e[kEntryLogDataMenu]) << "logs need the linear scale";
  EXPECT_TRUE(e[kEntryWindowBitmap]);

  c.logScale = false;
  c.stereo = true;  // Dual view
  e = MenuEnablesFor(MenuState::ReadyWithData, c);
  EXPECT_FALSE(e[kEntryLogPoints]);
  EXPECT_FALSE(e[kEntryWindowBitmap]);
  EXPECT_FALSE(e[kEntryPrintWindow]);
  c.channelView = 1090;
  EXPECT_TRUE(MenuEnablesFor(MenuState::ReadyWithData, c)[kEntryWindowBitmap]);

  c.scope = true;
  e = MenuEnablesFor(MenuState::ReadyWithData, c);
  EXPECT_TRUE(e[kEntryPrintWindow]);
  EXPECT_FALSE(e[kEntryParamChange]);
  EXPECT_FALSE(e[kEntryWindowBitmap]);
}

TEST(MenuStates, EntireImageComparesHalfTheStereoHeight) {
  EXPECT_FALSE(EntireImageLarger(600, 600, true, 600, 300));
  EXPECT_TRUE(EntireImageLarger(600, 601, false, 600, 600));
  EXPECT_TRUE(EntireImageLarger(601, 300, false, 600, 300));
}

TEST(Keys, FunctionKeysStartOnlyWhenReady) {
  EXPECT_EQ(KeyCommand(kKeyF1, true), kCmdAnalyzeFile);
  EXPECT_EQ(KeyCommand(kKeyF1 + 1, true), kCmdAnalyzeInput);
  EXPECT_EQ(KeyCommand(kKeyF1 + 2, true), kCmdScanFile);
  EXPECT_EQ(KeyCommand(kKeyF1 + 3, true), kCmdScanInput);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(KeyCommand(kKeyF1 + k, false), 0u);
  EXPECT_EQ(KeyCommand(kKeyF1 + 4, false), kCmdAdjust);
  EXPECT_EQ(KeyCommand(kKeyF6, false), kCmdFreeze);
  EXPECT_EQ(KeyCommand(kKeyEscape, false), kCmdStop);
  EXPECT_EQ(KeyCommand('A', true), 0u);
  EXPECT_EQ(FftChoiceOfCommand(40040), 1082u);
  EXPECT_EQ(FftChoiceOfCommand(40045), 1087u);
  EXPECT_EQ(FftChoiceOfCommand(40046), 0u);
  EXPECT_EQ(PointerStyleOfCommand(40047), 2);
  EXPECT_EQ(CursorResourceOfStyle(3), 143);
  EXPECT_EQ(CommandOfEntry(kEntryLogDataMenu), 0u);
  EXPECT_EQ(CommandOfEntry(kEntryColorsChange), uint32_t(kCmdColorsChange));
}

TEST(LiveScan, InputBufferSizes) {
  InputBuffers b = InputBuffersFor(WaveFormat{1, 2, 44100, 16}, 0);
  EXPECT_EQ(b.seconds, 2u);
  EXPECT_EQ(b.frames, 88200u);
  EXPECT_EQ(b.bytes, 352800u);
  b = InputBuffersFor(WaveFormat{1, 1, 11025, 8}, 0);
  EXPECT_EQ(b.seconds, 16u);
  EXPECT_EQ(b.frames, 176400u);
  EXPECT_EQ(b.silence, 128);
  b = InputBuffersFor(WaveFormat{1, 1, 22050, 16}, RecordingSeconds(1072));
  EXPECT_EQ(b.bytes, 20u * 22050 * 2);
  EXPECT_EQ(RecordingSeconds(1074), 0u);
  EXPECT_TRUE(RecordingFull(kRecordingLimit - 99, 100));
  EXPECT_FALSE(RecordingFull(kRecordingLimit - 100, 100));
}

TEST(LiveScan, QuickSaveWritesBetweenThePresses) {
  const WaveFormat f{1, 1, 11025, 16};  // 22.05 bytes per millisecond
  const uint32_t size = 352800;
  ByteRange r = QuickSaveRange(false, false, 0, 0, 1000, f, size);
  EXPECT_EQ(r.begin, 0u);
  EXPECT_EQ(r.end, size);
  r = QuickSaveRange(true, true, 1100, 1200, 1000, f, size);
  EXPECT_EQ(r.begin, 2204u);  // trunc(2205) down to a multiple of 4
  EXPECT_EQ(r.end, 4408u);    // trunc(4410)
  r = QuickSaveRange(false, true, 0, 1100, 1000, f, size);
  EXPECT_EQ(r.begin, 0u);
  EXPECT_EQ(r.end, 2204u);
  r = QuickSaveRange(true, false, 999999, 0, 1000, f, size);
  EXPECT_EQ(r.begin, size) << "held within the buffer";
}

TEST(LiveScan, RingFrameWrapsAround) {
  std::vector<uint8_t> ring(20);
  for (int i = 0; i < 20; ++i) ring[i] = uint8_t(i);
  std::vector<uint8_t> out;
  ASSERT_TRUE(GatherRingFrame(ring.data(), 10, 3, 4, 2, out));  // frames 9, 0, 1, 2
  EXPECT_EQ(out, (std::vector<uint8_t>{18, 19, 0, 1, 2, 3, 4, 5}));
  ASSERT_TRUE(GatherRingFrame(ring.data(), 10, 17, 3, 2, out));  // frames 4..6
  EXPECT_EQ(out, (std::vector<uint8_t>{8, 9, 10, 11, 12, 13}));
  EXPECT_FALSE(GatherRingFrame(ring.data(), 10, -1, 3, 2, out));
  EXPECT_EQ(LatencyAdjustedFrame(22050, 22050, 75), 22050 - 1653);
}

TEST(LiveScan, ATonesRowIsLoud) {
  AnalysisOptions o;
  o.fftExponent = 10;
  const WaveFormat f{1, 1, 22050, 16};
  LiveAnalyser live;
  live.Setup(o, f);
  ASSERT_EQ(live.N(), 1024);
  std::vector<uint8_t> pcm(2048);
  const double bin = 50;  // a tone at bin 50
  for (int i = 0; i < 1024; ++i) {
    const int16_t v = int16_t(20000 * std::sin(2 * 3.14159265358979 * bin * i / 1024));
    pcm[2 * i] = uint8_t(v & 0xFF);
    pcm[2 * i + 1] = uint8_t((v >> 8) & 0xFF);
  }
  live.Run(pcm.data());
  EXPECT_GT(live.Indices(0)[50], 150);
  EXPECT_EQ(live.Indices(0)[200], 3) << "far from the tone the row shows the background";
  EXPECT_GT(live.Extremes(0).max, 10000);
}

}  // namespace
