// Where the player object gets its wave output devices from (threads and sleeping come from
// platform/Threads.h).
#pragma once
#include <memory>

#include "decoder/core/Output.h"

namespace kelvaro {

class WaveDevices {
 public:
  virtual ~WaveDevices() = default;
  // The wave output device; null when there is none.
  virtual std::unique_ptr<WaveDevice> NewWaveDevice() = 0;
};

// Without a wave output device (native builds): only the PCM file plays.
class NoWaveDevices : public WaveDevices {
 public:
  std::unique_ptr<WaveDevice> NewWaveDevice() override { return nullptr; }
};

}  // namespace kelvaro
