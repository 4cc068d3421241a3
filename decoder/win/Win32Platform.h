#pragma once
#include "decoder/core/Platform.h"

namespace kelvaro {

// Play threads created suspended with a Windows priority, and the wave mapper as device.
class Win32Platform : public Platform {
 public:
  std::unique_ptr<PlayThread> StartThread(std::function<void()> body, int priority) override;
  std::unique_ptr<WaveDevice> NewWaveDevice() override;
  void Sleep(int ms) override;
};

}  // namespace kelvaro
