// Compares a recording of what a program played with a reference decode of the
// same song: each window of the recording is located in the reference by
// normalised cross-correlation, so that gaps, repeats, pauses and seeks show as
// jumps of the located position. Portable: used under Wine and by native tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace soundcheck {

// 16-bit PCM as read from a RIFF/WAVE file or recorded; samples interleaved.
struct Pcm {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;
  size_t Frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

// Reads a 16-bit PCM wave file; throws std::runtime_error when it is not one.
Pcm ReadWave(const std::string& path);
// Writes `pcm` as a 16-bit PCM wave file (for artifacts).
void WriteWave(const std::string& path, const Pcm& pcm);

// The average of the channels, scaled to [-1, 1).
std::vector<float> MonoMix(const Pcm& pcm);
// Root-mean-square level of frames [begin, end) of a mono signal, in dBFS (-200 for silence).
double LevelDb(const std::vector<float>& mono, size_t begin, size_t end);
// Whether a recording holds a stretch of exact digital silence of 2 to 200 ms between
// sounds: the sound server ran dry, as a machine busy with other work can make it do
// whatever a program plays.
bool HasUnderrun(const Pcm& recording);

struct Match {
  long offset = -1;        // frame of the reference where the window starts
  double correlation = 0;  // normalised cross-correlation at that frame
};

// Finds windows of a recording in a reference signal.
class Locator {
 public:
  explicit Locator(std::vector<float> reference);
  // The best match of `window` anywhere in the reference (FFT correlation).
  Match Find(const float* window, size_t n) const;
  // The best match with an offset in [expected - radius, expected + radius].
  Match FindNear(const float* window, size_t n, long expected, long radius) const;
  // The correlation of `window` with the reference at `offset` (0 outside it).
  double CorrelationAt(const float* window, size_t n, long offset) const;
  size_t Length() const { return reference_.size(); }

 private:
  double Correlation(const float* window, size_t n, double windowNorm, long offset) const;
  std::vector<float> reference_;
  std::vector<double> energy_;  // prefix sums of the squared reference
};

// One window of the recording, located.
struct Located {
  size_t start = 0;     // first frame of the window in the recording
  bool silent = false;  // below the silence level: not located
  Match match;
};

// Cuts the recording (mono) into windows of `window` frames and locates each; a
// window continues its predecessor when it is found within `radius` frames of
// where the predecessor predicts, else it is searched in the whole reference.
std::vector<Located> Track(const std::vector<float>& recording, const Locator& locator,
                           size_t window, long radius, double silenceDb = -50);

// A stretch of consecutive windows located with at least `minCorrelation` whose
// positions advance with the recording within `tolerance` frames: a run of
// uninterrupted playback. Windows that straddle a start, stop or jump match poorly
// and belong to no run.
struct Stretch {
  size_t first = 0, last = 0;  // indices into the tracked windows
  long offsetShift = 0;        // reference frame minus recording frame
  double worstCorrelation = 1;
};
std::vector<Stretch> Stretches(const std::vector<Located>& tracked, long tolerance,
                               double minCorrelation = 0.9);

// Where a stretch of playback that matches the reference at `shift` (reference frame =
// recording frame + shift) really begins (`direction` -1) or ends (+1): walks from
// recording frame `from` in blocks of `block` frames while each block still matches.
// Returns the first matching frame (backward) or the frame after the last (forward).
size_t ExtendRun(const std::vector<float>& recording, const Locator& locator, long shift,
                 size_t from, int direction, size_t block = 220, double minCorrelation = 0.9);

// The gain of one channel of a recording against the reference over recording frames
// [begin, end) at `shift`: <recording, reference> / <reference, reference>.
double Gain(const Pcm& recording, const Pcm& reference, int channel, size_t begin, size_t end,
            long shift);

}  // namespace soundcheck
