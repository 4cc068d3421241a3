// TVumeter: the output level reader. It reads the mixer's peak meter of the wave
// output line and scales it to the level meters' 0..200 scale.
#pragma once
#include <cstdint>

#include "player/core/Devices.h"

namespace player {

// A peak value 0..32767 on the meters' scale (0..182): |value| / 180, truncated.
int32_t PeakToLevel(int32_t value);

class TVumeter {
 public:
  TVumeter(TMixerPeakMeter& mixer, TDialogs& dialogs) : mixer_(mixer), dialogs_(dialogs) {}

  // Shows "No Wave Devices to open" or "Unable to get mixer ID" when there is no
  // device or no mixer; other failures leave the reader idle without a message.
  void Start();
  // Reads the peaks; on failure the last values stay.
  void Read();
  void Stop();

  bool Active() const { return active_; }
  int32_t LeftPeak() const { return leftPeak_; }
  int32_t RightPeak() const { return rightPeak_; }

 private:
  TMixerPeakMeter& mixer_;
  TDialogs& dialogs_;
  bool active_ = false;
  int32_t leftPeak_ = 0;
  int32_t rightPeak_ = 0;
};

}  // namespace player
