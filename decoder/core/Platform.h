#pragma once
#include <functional>
#include <memory>

#include "decoder/core/Output.h"

namespace kelvaro {

class PlayThread {
 public:
  virtual ~PlayThread() = default;
  // A thread priority in Windows terms (-15, -2..2, 15).
  virtual void SetPriority(int priority) = 0;
  virtual void Join() = 0;
};

// What the player object needs from the operating system.
class Platform {
 public:
  virtual ~Platform() = default;
  // Starts `body` on a new thread with the given priority; null on failure.
  virtual std::unique_ptr<PlayThread> StartThread(std::function<void()> body, int priority) = 0;
  // The wave output device; null when there is none.
  virtual std::unique_ptr<WaveDevice> NewWaveDevice() = 0;
  virtual void Sleep(int ms) = 0;
};

// Standard-library threads without priorities and without a wave device (native builds).
class StdPlatform : public Platform {
 public:
  std::unique_ptr<PlayThread> StartThread(std::function<void()> body, int priority) override;
  std::unique_ptr<WaveDevice> NewWaveDevice() override { return nullptr; }
  void Sleep(int ms) override;
};

}  // namespace kelvaro
