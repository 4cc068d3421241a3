#pragma once
#include <memory>

#include "decoder/core/Output.h"

namespace kelvaro {

// The wave output device of the system the player object runs on (threads and sleeping come
// from platform/Threads.h).
class Platform {
 public:
  virtual ~Platform() = default;
  // The wave output device; null when there is none.
  virtual std::unique_ptr<WaveDevice> NewWaveDevice() = 0;
};

// Without a wave output device (native builds): only the PCM file plays.
class NoDevicePlatform : public Platform {
 public:
  std::unique_ptr<WaveDevice> NewWaveDevice() override { return nullptr; }
};

}  // namespace kelvaro
