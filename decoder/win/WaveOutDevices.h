#pragma once
#include "decoder/core/WaveDevices.h"

namespace kelvaro {

// The wave mapper as the wave output device.
class WaveOutDevices : public WaveDevices {
 public:
  std::unique_ptr<WaveDevice> NewWaveDevice() override;
};

}  // namespace kelvaro
