// Records what the programs under test play: the default wave input, which in the test
// world is the sound server's monitor of its output, at 44.1 kHz, 16 bits, stereo. The
// time at which each buffer arrived is kept, so that moments of the test (a click, a
// window appearing) can be placed in the recording.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <mutex>
#include <thread>
#include <vector>

#include "sound/SoundMatch.h"

namespace e2e {

class Recorder {
 public:
  Recorder() = default;
  ~Recorder() { Stop(); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Opens the wave input and starts a new recording; returns once sound flows (false
  // when there is no input device or nothing arrives).
  bool Start();
  void Stop();

  // Milliseconds on the recorder's clock (QueryPerformanceCounter).
  static double Now();
  // The recording frame that was being recorded at time `ms` (from Now()).
  size_t FrameAt(double ms) const;
  // The time at which frame `frame` was recorded.
  double TimeOf(size_t frame) const;
  // What was recorded so far.
  soundcheck::Pcm Recording() const;

  // The delay from writing sound to the wave output until it is recorded: a short
  // burst is played and looked for. Negative when it was not heard.
  double MeasureLatency();
  // The delay from the moment the wave output reports a sample as played until it is
  // recorded, in a stream that runs steadily: what a position read from the device is
  // behind the sound (negative when the device reports sound before it is heard).
  // Returns NaN when the burst was not heard.
  double MeasurePositionLatency();

  static constexpr int kRate = 44100;

 private:
  void Harvest();
  // When the first loud millisecond at or after frame `from` was recorded, waiting up to
  // `waitMs` for it; negative when none came.
  double FirstLoudAfter(size_t from, int waitMs) const;

  struct Stamp {
    size_t frames;  // frames recorded when the buffer arrived
    double ms;      // its arrival time
  };
  HWAVEIN device_ = nullptr;
  HANDLE event_ = nullptr;
  std::vector<WAVEHDR> headers_;
  std::vector<std::vector<short>> buffers_;
  std::thread thread_;
  volatile bool running_ = false;
  mutable std::mutex mutex_;
  std::vector<short> samples_;
  std::vector<Stamp> stamps_;
};

}  // namespace e2e
