// TVumeter: the output level reader. It reads the mixer's peak meter of the wave
// output line and scales it to the level meters' 0..200 scale. Where the mixer has no
// peak meter (the mixer of Windows Vista and later is an emulation that may offer
// none), it reads the default output's endpoint meter on the same scale.
#pragma once
#include <cstdint>

#include "player/core/Devices.h"

namespace player {

// A peak value 0..32767 on the meters' scale (0..182): |value| / 180, truncated.
int32_t PeakToLevel(int32_t value);
// An endpoint peak 0.0..1.0 on the same scale: the peak as a mixer value
// (times 32767, truncated), then as above. Values outside 0..1 are clamped.
int32_t EndpointPeakToLevel(float peak);

class TVumeter {
 public:
  TVumeter(TMixerPeakMeter& mixer, TEndpointPeakMeter& endpoint, TDialogs& dialogs)
      : mixer_(mixer), endpoint_(endpoint), dialogs_(dialogs) {}

  // Shows "No Wave Devices to open" or "Unable to get mixer ID" when there is no
  // device or no mixer. A mixer without a peak meter hands over to the endpoint
  // meter; when that is missing too, the reader stays idle without a message.
  void Start();
  // Reads the peaks; on failure the last values stay.
  void Read();
  void Stop();

  enum class TSource { None, Mixer, Endpoint };
  bool Active() const { return source_ != TSource::None; }
  TSource Source() const { return source_; }
  int32_t LeftPeak() const { return leftPeak_; }
  int32_t RightPeak() const { return rightPeak_; }

 private:
  bool ReadMixer(int32_t& left, int32_t& right, bool& stereo);
  bool ReadEndpoint(int32_t& left, int32_t& right, bool& stereo);

  TMixerPeakMeter& mixer_;
  TEndpointPeakMeter& endpoint_;
  TDialogs& dialogs_;
  TSource source_ = TSource::None;
  int32_t leftPeak_ = 0;
  int32_t rightPeak_ = 0;
};

}  // namespace player
