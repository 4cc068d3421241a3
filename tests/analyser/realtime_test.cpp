// The real-time work under a scripted clock and a scripted device: the pacing of the live
// loop, where its frames come from, its end; the input buffers a recording and Quick Save
// write; the playback halves; and the rules of the parameter dialogs.
#include "analyser/core/Realtime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TestFiles.h"
#include "analyser/core/ParameterForm.h"

namespace {

using namespace tessel;
using tessel_test::ScratchFile;

// Time moves only when the loop sleeps, or when the script says so.
class ScriptedClock : public Clock {
 public:
  double NowMs() override { return now; }
  void SleepMs(int ms) override {
    now += ms;
    ++sleeps;
  }
  double now = 1000;
  int sleeps = 0;
};

// A Scroll (or Scope) scan of 22050 Hz mono at 512 points with the window over the frame.
AnalyserState ScanState(bool scope) {
  AnalyserState st;
  st.s.fftSizeChoice = kFft512;
  st.s.rateChoice = kRate22k;
  st.s.channelType = kMono;
  st.s.latencyMs = 75;
  st.s.freqResolutionTenths = 10;
  st.s.displayType = scope ? kDisplayScope : kDisplayScroll;
  st.displayW = 640;
  st.displayH = 300;
  st.run.format = CaptureFormat(st.s);
  BeginScan(st, Mode::ScanInput, st.run.format);
  ResetLiveDisplay(st);
  st.run.analyser.Setup(LiveOptions(st.s, 22050), st.run.format);
  st.run.ring.assign(22050 * 2 * 2, 0);
  st.stopRequested = false;
  return st;
}

struct LoopRecord {
  std::vector<double> frameTimes;  // when the device position was asked for a frame
  int pumps = 0;
};

// Runs the loop until `frames` frames were analysed (or the clock passes `untilMs`).
LoopRecord RunFrames(AnalyserState& st, ScriptedClock& clock, int frames, double untilMs,
                     int64_t endFrames = 0, bool devicePosition = true) {
  LoopRecord r;
  const double start = clock.now;
  RealtimeHooks hooks;
  hooks.pump = [&] {
    ++r.pumps;
    if (int(r.frameTimes.size()) >= frames || clock.now - start > untilMs) st.stopRequested = true;
  };
  if (devicePosition)
    hooks.positionFrames = [&] {
      r.frameTimes.push_back(clock.now - start);
      return int64_t((clock.now - start) * 22050 / 1000);
    };
  hooks.show = [] {};
  RealtimeLoop(st, clock, hooks, 22050 * 2, endFrames);
  return r;
}

TEST(RealtimeLoop, WaitsForTheWindowAndTheLatencyThenKeepsItsPace) {
  AnalyserState st = ScanState(false);
  ScriptedClock clock;
  const LoopRecord r = RunFrames(st, clock, 20, 10000);
  ASSERT_EQ(r.frameTimes.size(), 20u);
  // The window is 1000 / (22050 / 512) = 23.2 ms: the first frame after 23 + 75 ms.
  EXPECT_EQ(r.frameTimes[0], 98);
  for (size_t i = 1; i < r.frameTimes.size(); ++i)
    EXPECT_EQ(r.frameTimes[i] - r.frameTimes[i - 1], 4) << "Scroll frames 4 ms apart";
  EXPECT_GT(clock.sleeps, 90) << "it sleeps 1 ms at a time while it waits";
  EXPECT_EQ(r.pumps, clock.sleeps + 21) << "the queue is drained at every pass";
  // At 98 ms the position less 75 ms of latency holds 507 frames, less than one FFT frame:
  // that pass draws nothing.
  EXPECT_EQ(st.run.scroll->Columns(), 19);
  EXPECT_NEAR(st.current.timeScaleMs, (98 + 19 * 4) / 19.0, 1e-9) << "measured ms per frame";

  AnalyserState scope = ScanState(true);
  ScriptedClock scopeClock;
  const LoopRecord s = RunFrames(scope, scopeClock, 5, 10000);
  ASSERT_EQ(s.frameTimes.size(), 5u);
  EXPECT_EQ(s.frameTimes[1] - s.frameTimes[0], 10) << "Scope frames 10 ms apart";
}

TEST(RealtimeLoop, SkipsFramesNotYetInTheRingAndStops) {
  AnalyserState st = ScanState(false);
  ScriptedClock clock;
  RealtimeHooks hooks;
  int asked = 0;
  hooks.positionFrames = [&] {
    ++asked;
    return asked < 5 ? int64_t(100) : int64_t(22050);  // less than a frame after the latency
  };
  hooks.pump = [&] {
    if (asked >= 8) st.stopRequested = true;
  };
  RealtimeLoop(st, clock, hooks, 22050 * 2, 0);
  EXPECT_EQ(st.run.scroll->Columns(), 4) << "the first four positions gave no frame";

  // Without a device position the frame ends by the clock; a scanned file ends by it too.
  st = ScanState(false);
  ScriptedClock fileClock;
  const LoopRecord r = RunFrames(st, fileClock, 100000, 1e6, 22050, false);
  EXPECT_TRUE(st.stopRequested);
  const double fileEnd = (22050 - 512) * 1000.0 / 22050;
  EXPECT_GE(fileClock.now - 1000, fileEnd) << "the file's end less one frame";
  EXPECT_LT(fileClock.now - 1000, fileEnd + 4) << "found at the next pass";
  EXPECT_GT(st.run.scroll->Columns(), 100);
  EXPECT_TRUE(r.frameTimes.empty());
}

TEST(RealtimeLoop, PlayedPositionNeverRunsAheadOfTheClock) {
  WaveFormat f;
  f.sampleRateHz = 11025;
  f.channels = 2;
  EXPECT_EQ(PlayedFrames(-1, 500, f), -1);
  EXPECT_EQ(PlayedFrames(4 * 1000, 500, f), 1000);
  EXPECT_EQ(PlayedFrames(4 * 100000, 500, f), 5512) << "a device that plays at once";
}

TEST(InputBuffers, FixedLengthRecordingStopsAtItsLength) {
  ScratchFile wav("recording.wav");
  AnalyserState st;
  st.run.format = WaveFormat{1, 1, 11025, 16};
  st.run.buffers = InputBuffersFor(st.run.format, 0);
  st.run.recording = true;
  st.run.recordLimit = 30000;
  st.run.file.Begin(wav.Path(), st.run.format);
  st.stopRequested = false;
  std::vector<uint8_t> data(20000, 7);
  InputDone d = InputBufferDone(st, data.data(), 20000, 10);
  EXPECT_TRUE(d.requeue);
  EXPECT_EQ(st.run.bufferStartMs, 10);
  d = InputBufferDone(st, data.data(), 20000, 20);
  EXPECT_FALSE(d.requeue) << "the length is reached";
  EXPECT_TRUE(st.stopRequested);
  EXPECT_EQ(st.run.total, 30000u);
  st.run.file.Finish(uint32_t(st.run.total));
  EXPECT_EQ(wav.Read().size(), 30000u + kWaveHeaderSize);
}

TEST(InputBuffers, QuickSaveWritesBetweenThePresses) {
  ScratchFile wav("quick.wav");
  AnalyserState st;
  st.s.quickSave = kQuickSaveOn;
  st.run.scanInput = true;
  st.run.format = WaveFormat{1, 1, 10000, 16};  // 20 bytes per ms
  st.run.recordingPath = wav.Path();
  st.stopRequested = false;
  std::vector<uint8_t> data(40000, 1);
  st.run.bufferStartMs = 0;
  EXPECT_EQ(InputBufferDone(st, data.data(), 40000, 2000).requeue, true);
  EXPECT_EQ(st.run.total, 0u) << "nothing before Save";
  QuickSavePress(st, true, 2500);  // 500 ms into the buffer that began at 2000
  QuickSavePress(st, false, 3000);
  const InputDone d = InputBufferDone(st, data.data(), 40000, 4000);
  EXPECT_TRUE(d.saveEnabled);
  EXPECT_FALSE(st.quickSaving);
  EXPECT_EQ(st.run.total, 10000u) << "500 ms of 20 bytes";
  st.run.file.Finish(uint32_t(st.run.total));
  EXPECT_EQ(wav.Read().size(), 10000u + kWaveHeaderSize);
}

TEST(Playback, WindowSelectionAndHalves) {
  AnalyserState st;
  st.displayW = 400;
  WaveFileInfo info;
  info.sampleRateHz = 10000;
  info.channels = 1;
  st.current.info = info;
  st.current.sample = SampleBuffer(info.Format(), 200000);  // 10 s
  for (uint32_t i = 0; i < 200000; ++i) st.current.sample.Data()[i] = uint8_t(i / 1000);
  st.current.timeScaleMs = 10;
  st.scrollX = 100;  // 1 s in
  SelectPlayback(st, true);
  EXPECT_EQ(st.run.selectionBegin, 20000u);
  EXPECT_EQ(st.run.selectionBytes, 80000u) << "the 400 columns shown, 4 s";
  EXPECT_TRUE(PlayAllUseful(st)) << "1000 columns are more than the window shows";
  st.run.playback.silence = 0;
  std::vector<uint8_t> half(1000);
  FillHalf(st, half.data(), 1000, 79500);
  EXPECT_EQ(half[0], uint8_t((20000 + 79500) / 1000));
  EXPECT_EQ(half[499], uint8_t((20000 + 79999) / 1000));
  EXPECT_EQ(half[500], 0) << "silence behind the selection";
  SelectPlayback(st, false);
  EXPECT_EQ(st.run.selectionBegin, 0u);
  EXPECT_EQ(st.run.selectionBytes, 200000u);
}

TEST(AnalyzeInput, AFixedLengthRecordingIsTheAnalysisAtOnce) {
  AnalysisSettings s;
  s.lengthChoice = kLength10;
  EXPECT_TRUE(AnalyseRecordingAtOnce(s));
  s.displayType = kDisplayScope;
  EXPECT_FALSE(AnalyseRecordingAtOnce(s)) << "the Scope display analyses it like a file";
  s.displayType = kDisplayScroll;
  s.lengthChoice = kLengthAny;
  EXPECT_FALSE(AnalyseRecordingAtOnce(s));
}

TEST(ParameterForm, BandBarAndScaleRules) {
  AnalysisSettings live;
  live.bandLowHz = 500;
  ParameterForm f = OpenForm(FormKind::ScanInput, live, 0);
  f.work.rateChoice = kRate22k;
  f.work.fftSizeChoice = kFft512;
  BandBar bar = UpdateBand(f, live);
  EXPECT_FALSE(bar.enabled) << "256 bins of 512 reach the Nyquist frequency";
  EXPECT_EQ(live.bandLowHz, 0);
  EXPECT_EQ(live.bandHighHz, 11025);
  ASSERT_TRUE(ChooseRadio(f, live, FftChoiceOfSize(2048)));
  bar = UpdateBand(f, live);
  EXPECT_TRUE(bar.enabled);
  EXPECT_EQ(bar.high, int(11025 - 256 * 22050.0 / 2048));
  ASSERT_TRUE(ChooseRadio(f, live, kScaleLog));
  bar = UpdateBand(f, live);
  EXPECT_EQ(f.work.fftSizeChoice, uint32_t(FftChoiceOfSize(4096))) << "Log forces 4096 points";
  EXPECT_EQ(bar.low, 10);
  EXPECT_EQ(bar.high, 1000);
  EXPECT_EQ(live.bandLowHz, 100);
  EXPECT_EQ(live.bandHighHz, 11025);
  ASSERT_TRUE(ChooseRadio(f, live, kDisplayScope));
  EXPECT_EQ(f.work.paletteChoice, uint32_t(kPaletteCB));
  EXPECT_EQ(&AverageField(f, live), &live.spectrumAverageScope);
  EXPECT_FALSE(ChooseRadio(f, live, kAnalysisOn)) << "only Scan File has Analysis at Stop";
  AcceptForm(f, live);
  EXPECT_EQ(live.displayType, uint32_t(kDisplayScope));
  EXPECT_EQ(live.fftSizeChoice, uint32_t(FftChoiceOfSize(4096)));
}

TEST(ParameterForm, NewSampleRateRescalesTheTimes) {
  AnalysisSettings live;
  ParameterForm f = OpenForm(FormKind::AnalyzeFile, live, 22050);
  EXPECT_EQ(FormRate(f), 22050u);
  StartNewRate(f);
  EXPECT_DOUBLE_EQ(FinishNewRate(f, 11025), 2.0);
  EXPECT_EQ(FormRate(f), 11025u);
  StartNewRate(f);
  EXPECT_DOUBLE_EQ(FinishNewRate(f, 0), 2.0) << "0 keeps the rate";
  StartNewRate(f);
  EXPECT_DOUBLE_EQ(FinishNewRate(f, 100), 22050.0 / 5513) << "held at 5513";
  f.work.displayType = kDisplayScope;
  AcceptForm(f, live);
  EXPECT_EQ(live.displayType, uint32_t(kDisplayScroll)) << "not from this dialog";
}

}  // namespace

namespace {

TEST(ScanInput, NoticeTellsWhetherWaveDataWasSaved) {
  EXPECT_STREQ(tessel::ScanCompleteNotice(true),
               "Audio Scanning Complete.  Wave data has been saved to file.");
  EXPECT_STREQ(tessel::ScanCompleteNotice(false),
               "Audio Scanning Complete.  No wave data has been saved.");
}

}  // namespace
