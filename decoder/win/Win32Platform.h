#pragma once
#include "decoder/core/Platform.h"

namespace kelvaro {

// The wave mapper as the wave output device.
class Win32Platform : public Platform {
 public:
  std::unique_ptr<WaveDevice> NewWaveDevice() override;
};

}  // namespace kelvaro
