#include "decoder/core/Platform.h"

#include <chrono>
#include <thread>

namespace kelvaro {
namespace {

class StdThread : public PlayThread {
 public:
  explicit StdThread(std::function<void()> body) : thread_(std::move(body)) {}
  ~StdThread() override { Join(); }
  void SetPriority(int) override {}
  void Join() override {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace

std::unique_ptr<PlayThread> StdPlatform::StartThread(std::function<void()> body, int) {
  return std::make_unique<StdThread>(std::move(body));
}

void StdPlatform::Sleep(int ms) {
  if (ms <= 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace kelvaro
