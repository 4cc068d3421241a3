// What a produced player plays, as heard: the sound server's output is recorded while
// the program plays a song of noise bursts and chirps, and the recording is located,
// window by window, in mpg123's decode of the same song. The songs are made by
// player_sound_media.sh before this test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "PlayerOutput.h"
#include "driver/Recorder.h"
#include "driver/SoundRetry.h"
#include "driver/UiDriver.h"
#include "resources/player/resource.h"
#include "sound/SoundMatch.h"

namespace {

using namespace e2e;
using namespace soundcheck;

constexpr int kRate = Recorder::kRate;
constexpr size_t kWindow = kRate / 4;        // 250 ms
constexpr long kTolerance = kRate / 100;     // 10 ms
constexpr long kPositionSlack = kRate / 10;  // 100 ms
// Pause lets the queued buffers play out: at most two of 32 frames of 1152 samples.
constexpr double kQueuedMs = 2 * 32 * 1152 * 1000.0 / kRate;
// How late a click takes effect: the window's message, the play thread's next pass.
constexpr double kReactionMs = 100;

struct Slide {
  double ms;     // recorder clock
  int position;  // slider position (song ms)
};

// The range of a measured delay, in ms.
struct Span {
  double lo = 1e9, hi = -1e9;
};

class PlayerSound : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(recorder_.Start()) << "no wave input device to record from";
    latency_ = recorder_.MeasureLatency();
    ASSERT_GT(latency_, 0) << "a burst written to the wave output was not recorded";
    std::printf("from the wave output to the recording: %.0f ms\n", latency_);
    media_ = Narrow(ArtifactPath(L"player_sound"));
    reference_ = ReadWave(media_ + "\\reference.wav");
    ASSERT_EQ(reference_.rate, kRate);
    locator_ = std::make_unique<Locator>(MonoMix(reference_));
  }
  void TearDown() override {
    if (app_.handle) Kill(app_);
  }
  HWND Start(const builder::PlayerSettingsRecord& record, const std::string& song) {
    const std::string exe =
        AssembleOutput(media_, media_ + "\\" + song, song, record, "sound_test.exe");
    started_ = Recorder::Now();
    app_ = Launch(Widen(exe));
    HWND window = WaitForWindow(app_.id, L"TForm1", L"Playing", 30000);
    appeared_ = Recorder::Now();
    return window;
  }
  // Frames of the recording from `frame` on, and their located runs.
  void Analyse() {
    recording_ = recorder_.Recording();
    mono_ = MonoMix(recording_);
    stretches_ = Stretches(Track(mono_, *locator_, kWindow, 2 * kTolerance), kTolerance);
  }
  // The exact recording frames where run `r` begins and ends.
  size_t RunStart(const Stretch& r) const {
    return ExtendRun(mono_, *locator_, r.offsetShift, r.first * kWindow, -1);
  }
  size_t RunEnd(const Stretch& r) const {
    return ExtendRun(mono_, *locator_, r.offsetShift, (r.last + 1) * kWindow, +1);
  }
  // The first run that begins after recording frame `frame`.
  const Stretch* RunAfter(size_t frame) const {
    for (const Stretch& r : stretches_)
      if (r.first * kWindow >= frame) return &r;
    return nullptr;
  }
  const Stretch* StretchAt(size_t frame) const {
    for (const Stretch& r : stretches_)
      if (r.first * kWindow <= frame && frame < (r.last + 1) * kWindow) return &r;
    return nullptr;
  }
  // The frame after the last 5 ms block with sound before `frame`, and the first such
  // block's frame after it.
  size_t LastSoundBefore(size_t frame) const {
    const size_t block = kRate / 200;
    while (frame >= block && LevelDb(mono_, frame - block, frame) < -50) frame -= block;
    return frame;
  }
  size_t FirstSoundAfter(size_t frame) const {
    const size_t block = kRate / 200;
    while (frame + block <= mono_.size() && LevelDb(mono_, frame, frame + block) < -50)
      frame += block;
    return frame;
  }
  // The reference frame after the song's last sound (the decode ends in padding).
  long SongEnd() const {
    const std::vector<float> mono = MonoMix(reference_);
    size_t end = mono.size();
    while (end >= 220 && LevelDb(mono, end - 220, end) < -60) end -= 220;
    return long(end);
  }
  void PlayPauseSeekLoopAndStop();
  // Widens `span` by a few measurements of how far the wave output's position runs ahead
  // of the sound; false when a burst was not heard.
  bool MeasurePositionLatencies(int times, Span& span) {
    for (int i = 0; i < times; ++i) {
      const double ms = recorder_.MeasurePositionLatency();
      if (std::isnan(ms)) return false;
      span.lo = std::min(span.lo, ms);
      span.hi = std::max(span.hi, ms);
    }
    return true;
  }
  // The slider's largest distance from what is heard, for the sound server's delay behind
  // the position chosen within `span` to make it smallest.
  double WorstLag(const std::vector<Slide>& slides, long offsetShift, const Span& span) const {
    double ahead = -1e9, behind = 1e9;
    for (const Slide& slide : slides) {
      const double heardMs =
          double(long(recorder_.FrameAt(slide.ms + span.lo)) + offsetShift) * 1000 / kRate;
      ahead = std::max(ahead, slide.position - heardMs);
      behind = std::min(behind, slide.position - heardMs);
    }
    // A longer delay means a later sound heard at each reading: every distance shrinks by
    // the difference.
    const double shift = std::clamp((ahead + behind) / 2, 0.0, span.hi - span.lo);
    std::printf("slider minus heard: from %.0f to %.0f ms over %zu moves, delay %.0f ms\n",
                behind - shift, ahead - shift, slides.size(), span.lo + shift);
    return std::max(ahead - shift, shift - behind);
  }
  void SaveRecording(const wchar_t* name) {
    WriteWave(Narrow(ArtifactPath(name)), recorder_.Recording());
  }

  std::string media_;
  Pcm reference_, recording_;
  std::vector<float> mono_;
  std::unique_ptr<Locator> locator_;
  std::vector<Stretch> stretches_;
  Recorder recorder_;
  Process app_;
  double started_ = 0, appeared_ = 0, latency_ = 0;
};

builder::PlayerSettingsRecord LoopedRecord() {
  builder::PlayerSettingsRecord record = builder::DefaultPlayerSettings();
  record.Looped = true;
  return record;
}

// Least-squares slope of the slider position over the recorder's clock.
double SliderRate(const std::vector<Slide>& slides) {
  double st = 0, sp = 0, stt = 0, stp = 0;
  for (const Slide& s : slides) {
    st += s.ms;
    sp += s.position;
    stt += s.ms * s.ms;
    stp += s.ms * s.position;
  }
  const double n = double(slides.size());
  return (n * stp - st * sp) / (n * stt - st * st);
}

void PlayerSound::PlayPauseSeekLoopAndStop() {
  Span positionDelay;
  ASSERT_TRUE(MeasurePositionLatencies(3, positionDelay)) << "a burst was not heard";
  HWND window = Start(LoopedRecord(), "noise_song.mp3");
  ASSERT_NE(window, nullptr) << "no player window";
  HWND slider = FindChildById(window, IDC_RXSLIDER1);
  const double songMs = 1000.0 * double(reference_.Frames()) / kRate;

  // The first play-through and the start of the second: the slider is read as the
  // user sees it.
  std::vector<Slide> slides;
  int last = 0;
  bool looped = false;
  double lastRead = Recorder::Now(), readEvery = 0;
  while (Recorder::Now() - appeared_ < songMs + 10000) {
    const int pos = TrackbarPos(slider);
    const double now = Recorder::Now();
    if (pos < last - 2000) looped = true;
    // The slider moves at each poll of the player (every 500 ms): the poll that moved it
    // ran between the last read and this one.
    if (!looped && pos != last && pos > 1000 && pos < songMs - 1500) {
      slides.push_back({(lastRead + now) / 2, pos});
      readEvery = std::max(readEvery, now - lastRead);
    }
    last = pos;
    lastRead = now;
    if (looped && pos > 4000) break;
    Pause(20);
  }
  ASSERT_TRUE(looped) << "the song did not start again";
  const double pauseAt = Recorder::Now();
  Click(FindChildById(window, IDC_PAUSEBTN));
  Pause(4500);
  const double resumeAt = Recorder::Now();
  Click(FindChildById(window, IDC_PLAYBTN));
  Pause(3500);
  const int seekTo = 12000;
  const double seekAt = Recorder::Now();
  MoveTrackbar(slider, seekTo);
  Pause(3500);
  const double stopAt = Recorder::Now();
  Click(FindChildById(window, IDC_STOPBTN));
  Pause(3500);
  Analyse();
  SaveRecording(L"player_sound_recording.wav");
  for (const auto& [what, ms] : {std::pair<const char*, double>{"pause", pauseAt},
                                 {"resume", resumeAt},
                                 {"seek", seekAt},
                                 {"stop", stopAt}})
    std::printf("%s pressed at %.3f s of the recording\n", what,
                double(recorder_.FrameAt(ms)) / kRate);
  Close(window);
  EXPECT_EQ(WaitExit(app_, 15000), 0);
  ASSERT_FALSE(stretches_.empty()) << "nothing of the song was heard";

  // The whole song, every window matching at one offset: one run from its first to its
  // last sound.
  const Stretch& first = stretches_[0];
  EXPECT_GE(first.worstCorrelation, 0.99);
  const long firstFrom = long(RunStart(first)) + first.offsetShift;
  const long firstTo = long(RunEnd(first)) + first.offsetShift;
  EXPECT_LT(firstFrom, kRate / 20) << "the song's beginning is missing";
  EXPECT_GT(firstTo, SongEnd() - kRate / 100) << "the song's end is missing";

  // The slider moves at the real rate, and shows what is being heard.
  ASSERT_GE(slides.size(), 15u);
  EXPECT_NEAR(SliderRate(slides), 1.0, 0.05);
  // The player can show no more than what the wave output reports as played; under the
  // sound server, that position runs ahead of the sound by a delay that differs from
  // stream to stream, measured before and after the run.
  ASSERT_TRUE(MeasurePositionLatencies(2, positionDelay)) << "a burst was not heard";
  std::printf("the wave output's position runs %.0f to %.0f ms ahead of the sound\n",
              positionDelay.lo, positionDelay.hi);
  const double worstLag = WorstLag(slides, first.offsetShift, positionDelay);
  // Besides the 100 ms, the bound holds half the time between two reads of the slider,
  // the uncertainty of when the poll moved it.
  std::printf("the slider is at most %.0f ms from what is heard (reads every %.0f ms at most)\n",
              worstLag, readEvery);
  EXPECT_LE(worstLag, 100 + readEvery / 2);

  // Looped: the song starts again from its beginning.
  ASSERT_GE(stretches_.size(), 2u);
  const Stretch& second = stretches_[1];
  EXPECT_LT(long(RunStart(second)) + second.offsetShift, kRate / 20);

  // Pause: what was queued plays out, then silence until Play, which resumes where the
  // sound stopped.
  // The edges are found in the sound itself, so that a stretch cut by the sound server
  // running dry still tells where the sound stopped.
  const size_t pauseFrame = recorder_.FrameAt(pauseAt), resumeFrame = recorder_.FrameAt(resumeAt);
  const size_t stoppedAt = LastSoundBefore(resumeFrame), resumedAt = FirstSoundAfter(resumeFrame);
  ASSERT_GT(stoppedAt, pauseFrame) << "silence already before Pause was pressed";
  // The queued sound is reported played by the device's position, and heard the position's
  // delay later.
  const double playedOut = recorder_.TimeOf(stoppedAt) - pauseAt;
  std::printf("the sound stopped %.0f ms after Pause\n", playedOut);
  EXPECT_LE(playedOut - std::max(latency_, positionDelay.hi), kQueuedMs + kReactionMs)
      << "the sound went on after Pause";
  EXPECT_GT(resumeFrame - stoppedAt, size_t(kRate)) << "not silent while paused";
  const Stretch* before = StretchAt(stoppedAt - kWindow);
  const Stretch* after = StretchAt(resumedAt + kWindow);
  ASSERT_NE(before, nullptr) << "the sound before the pause is not the song";
  ASSERT_NE(after, nullptr) << "the sound after Play is not the song";
  EXPECT_NEAR(double(long(resumedAt) + after->offsetShift),
              double(long(stoppedAt) + before->offsetShift), double(kPositionSlack))
      << "Play did not resume where the sound stopped";

  // Seek: the sound continues from the chosen position.
  const size_t seekFrame = recorder_.FrameAt(seekAt);
  const Stretch* sought = RunAfter(seekFrame);
  ASSERT_NE(sought, nullptr) << "no sound after the seek";
  EXPECT_NEAR(double(long(RunStart(*sought)) + sought->offsetShift), seekTo * (kRate / 1000.0),
              double(kPositionSlack));
  // and plays on from there (its first window may still hold the sound before the seek).
  EXPECT_GE(RunEnd(*sought) - RunStart(*sought), size_t(2 * kRate)) << "the sound after the seek";

  // Stop: silence.
  const size_t stopFrame = recorder_.FrameAt(stopAt + latency_ + kReactionMs);
  EXPECT_LT(LevelDb(mono_, stopFrame, mono_.size()), -60.0) << "not silent after Stop";
  EXPECT_GT(mono_.size(), stopFrame + kRate);
}

// The whole check runs again when the first run heard the sound server run dry: the
// product is held to a run without any gap.
TEST_F(PlayerSound, PlaysTheWholeSongInRealTimeAndPausesSeeksLoopsAndStops) {
  OnceMoreWhenTheServerRanDry([this] { PlayPauseSeekLoopAndStop(); }, [this] { return recording_; },
                              [this] {
                                if (app_.handle) Kill(app_);
                                recorder_.Stop();
                                return recorder_.Start();
                              });
}
// A 5 MB song: how long after the program's start, and after its window appeared, the
// first sound is heard.
TEST_F(PlayerSound, FirstSoundOfALargeSong) {
  HWND window = Start(LoopedRecord(), "big_song.mp3");
  ASSERT_NE(window, nullptr);
  Pause(6000);
  Analyse();
  Close(window);
  WaitExit(app_, 15000);
  const size_t block = kRate / 200;  // 5 ms
  size_t first = recorder_.FrameAt(started_);
  while (first + block <= mono_.size() && LevelDb(mono_, first, first + block) < -50)
    first += block;
  ASSERT_LT(first + block, mono_.size()) << "the large song was not heard";
  const double heard = recorder_.TimeOf(first);
  std::printf(
      "5 MB song: first sound %.0f ms after the process started, %.0f ms after the window "
      "appeared\n",
      heard - started_, heard - appeared_);
  RecordProperty("first_sound_after_start_ms", int(heard - started_));
  RecordProperty("first_sound_after_window_ms", int(heard - appeared_));
  EXPECT_GT(heard, started_);
}

}  // namespace

namespace {

// The gain of `channel` over recording frames [begin, end) in dB against the reference at
// `shift`; the channel must match the reference there (a gain changes no correlation).
double GainDb(const Pcm& recording, const Pcm& reference, int channel, size_t begin, size_t end,
              long shift) {
  std::vector<float> rec, ref;
  for (size_t f = begin; f < end; ++f) {
    rec.push_back(recording.samples[2 * f + size_t(channel)]);
    ref.push_back(reference.samples[2 * size_t(long(f) + shift) + size_t(channel)]);
  }
  EXPECT_GT(Locator(ref).CorrelationAt(rec.data(), rec.size(), 0), 0.99)
      << "channel " << channel << " does not play the song over frames " << begin << ".." << end;
  return 20 * std::log10(Gain(recording, reference, channel, begin, end, shift));
}

// Amplitude is the volume value over its maximum.
double VolumeLawDb(int value) { return 20 * std::log10(value / 65535.0); }

// Under Wine the volume reaches the sound through the mixer's one value for both
// channels, so the sliders are moved together (locked).
TEST_F(PlayerSound, VolumeSlidersSetTheLoudness) {
  builder::PlayerSettingsRecord record = LoopedRecord();
  record.Locked = true;
  record.VolLeft = 49152;  // the start volume comes from the record
  record.VolRight = 49152;
  HWND window = Start(record, "noise_song.mp3");
  ASSERT_NE(window, nullptr);
  HWND left = FindChildById(window, IDC_LEFTSLIDER), right = FindChildById(window, IDC_RIGHTSLIDER);
  Pause(2500);
  const double startMeasured = Recorder::Now();
  Pause(1500);
  // The trackbars run from 65535 at the top to 0 at the bottom.
  MoveTrackbar(left, 65535 - 32768);
  const double moved = Recorder::Now();
  Pause(2500);
  const double movedMeasured = Recorder::Now();
  // The lock moved the right slider with the left, and the follow-up of the system's
  // volume every 10 ms left both where they are.
  EXPECT_EQ(65535 - TrackbarPos(left), 32768);
  EXPECT_EQ(65535 - TrackbarPos(right), 32768);
  Analyse();
  Close(window);
  WaitExit(app_, 15000);

  const auto frames = [&](double ms) { return recorder_.FrameAt(ms); };
  const size_t a0 = frames(startMeasured - 1000), a1 = frames(startMeasured);
  const size_t b0 = frames(moved + latency_ + 500), b1 = frames(movedMeasured);
  const Stretch *before = StretchAt(a0), *after = StretchAt(b0);
  ASSERT_NE(before, nullptr) << "the song was not heard";
  ASSERT_NE(after, nullptr) << "the song was not heard after the sliders moved";
  for (int channel : {0, 1}) {
    EXPECT_NEAR(GainDb(recording_, reference_, channel, a0, a1, before->offsetShift),
                VolumeLawDb(49152), 1.0)
        << "the record's start volume, channel " << channel;
    EXPECT_NEAR(GainDb(recording_, reference_, channel, b0, b1, after->offsetShift),
                VolumeLawDb(32768), 1.0)
        << "the sliders at half range, channel " << channel;
  }
}

}  // namespace
