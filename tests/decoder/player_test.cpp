// The player object's modes and requests, driven through the export layer with a scripted
// wave output device.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "TestSupport.h"
#include "decoder/core/Library.h"

namespace kelvaro {
namespace {

namespace lib = library;

struct DeviceState {
  std::atomic<bool> gate{true};  // buffers finish playing only while open
  std::atomic<bool> failOpen{false};
  std::atomic<int> opened{0};
  std::atomic<int> closed{0};
  std::atomic<int> writes{0};
  std::atomic<int64_t> played{-1};  // the played position in samples; -1: not reported
};

class FakeDevice : public WaveDevice {
 public:
  explicit FakeDevice(DeviceState& s) : s_(s) {}
  bool Open(int, int) override { return !s_.failOpen && ++s_.opened > 0; }
  bool Write(int, const uint8_t*, uint32_t) override {
    ++s_.writes;
    return true;
  }
  bool Done(int) override { return s_.gate; }
  void Release(int) override {}
  void Reset() override {  // as waveOutReset: the position starts again
    if (s_.played >= 0) s_.played = 0;
  }
  bool Close() override {
    ++s_.closed;
    return true;
  }
  void Sleep(int) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
  int64_t PlayedSamples() override { return s_.played; }

 private:
  DeviceState& s_;
};

class FakeDevices : public NoWaveDevices {
 public:
  std::unique_ptr<WaveDevice> NewWaveDevice() override {
    return std::make_unique<FakeDevice>(state);
  }
  DeviceState state;
};

bool WaitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 5000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lib::SetWaveDevices(&devices_);
    ASSERT_TRUE(lib::Init());
    song_ = test::TempPath(".mp3");
    ASSERT_TRUE(test::WriteFile(song_, test::SilentStream(1000)));
  }
  void TearDown() override {
    lib::Deinit();
    lib::SetWaveDevices(nullptr);
    std::remove(song_.c_str());
  }
  FakeDevices devices_;
  std::string song_;
};

TEST_F(PlayerTest, InitTwiceAndLastErrorClears) {
  EXPECT_FALSE(lib::Init());
  EXPECT_EQ(lib::LastError(), 2);
  EXPECT_EQ(lib::LastError(), 0);
  volatile uint8_t ended = 7;
  lib::Play(0, 0, &ended);  // no stream open
  EXPECT_EQ(lib::LastError(), 2);
  EXPECT_EQ(lib::GetPlayerMode(), 0);
  EXPECT_EQ(lib::GetLength(), -1);
  EXPECT_FALSE(lib::Seek(0));  // no stream: a wrong mode, not a non-seekable stream
  EXPECT_EQ(lib::LastError(), 2);
  EXPECT_FALSE(lib::Open("no-such-file.mp3", false, nullptr));
  EXPECT_EQ(lib::LastError(), 3);
  EXPECT_FALSE(lib::Open(nullptr, false, nullptr));
  EXPECT_EQ(lib::LastError(), 3);
  lib::Close();
  EXPECT_EQ(lib::LastError(), 2);
}

TEST_F(PlayerTest, LengthAndPositionOfEqualFrames) {
  ASSERT_TRUE(lib::Open(song_.c_str(), false, nullptr));
  EXPECT_EQ(lib::GetPlayerMode(), 1);
  EXPECT_EQ(lib::GetLength(), 26122);
  EXPECT_EQ(lib::GetLayer(), 3);
  EXPECT_EQ(lib::GetFrequency(), 44100);
  EXPECT_EQ(lib::GetBitrate(), 128000);
  EXPECT_TRUE(lib::Seekable());
  volatile uint8_t ended = 0;
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);
  lib::Pause(0);
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 4; }));
  // 13062 ms lies in frame 500, which starts at 13061 ms.
  EXPECT_TRUE(lib::Seek(13062));
  EXPECT_TRUE(WaitFor([] { return lib::GetCurrentPos() == 13061; }));
  EXPECT_FALSE(lib::Seek(26123));  // beyond the length: refused, nothing changes
  EXPECT_EQ(lib::LastError(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(lib::GetCurrentPos(), 13061);
  lib::Stop();
}

TEST_F(PlayerTest, PlayPauseStopRestartReset) {
  ASSERT_TRUE(lib::Open(song_.c_str(), false, nullptr));
  devices_.state.gate = false;  // the device holds its buffers: playback stays in mode 3
  volatile uint8_t ended = 9;
  lib::SetOutputDevice(0, nullptr);
  EXPECT_EQ(lib::Play(0, 0, &ended), 0);
  EXPECT_EQ(lib::LastError(), 0);
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(lib::GetPlayerMode(), 3);
  EXPECT_EQ(lib::Play(0, 0, &ended), 0);  // already playing
  EXPECT_EQ(lib::LastError(), 2);
  EXPECT_EQ(lib::GetPlayerMode(), 3);

  EXPECT_TRUE(lib::Pause(0));
  devices_.state.gate = true;
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 4; }));
  lib::Pause(0);  // pausing while paused asks for nothing
  // Held again, so that the resumed thread cannot reach the end of the song before the next
  // request.
  devices_.state.gate = false;
  EXPECT_TRUE(lib::Pause(1));
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 3; }));
  lib::Pause(0);
  devices_.state.gate = true;
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 4; }));
  lib::Stop();  // resumes the thread first, then stops it
  EXPECT_EQ(lib::LastError(), 0);
  EXPECT_EQ(lib::GetPlayerMode(), 1);
  EXPECT_EQ(ended, 0);
  lib::Stop();
  EXPECT_EQ(lib::LastError(), 2);
  lib::Seek(1000);
  EXPECT_EQ(lib::LastError(), 2);

  int closedBefore = devices_.state.closed;
  lib::Restart();
  EXPECT_EQ(lib::LastError(), 0);
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 2; }));
  EXPECT_EQ(ended, 1);
  EXPECT_GT(devices_.state.closed, closedBefore);  // the output played out and closed
  lib::Pause(0);
  lib::ResetPlayerMode();
  EXPECT_EQ(lib::GetPlayerMode(), 1);
  EXPECT_EQ(ended, 0);

  EXPECT_EQ(lib::Play(0, 0, &ended), 0);
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 2; }));
  lib::Restart();  // also allowed after the end
  EXPECT_EQ(lib::LastError(), 0);
  lib::Close();
  EXPECT_EQ(lib::GetPlayerMode(), 0);
  EXPECT_EQ(lib::GetLength(), -1);
  EXPECT_EQ(lib::GetCurrentPos(), 0);
}

// Playing to the sound card, GetCurrentPos is the frame being heard: the
// device's played position, mapped back to the frames written, to the fraction of a frame.
// Without it the position ran up to 96 frames (2.5 s) ahead of the sound and moved in steps
// of 32 frames.
class HeardPositionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lib::SetWaveDevices(&devices_);
    ASSERT_TRUE(lib::Init());
    devices_.state.gate = false;  // queued buffers finish only when the test opens the gate
    devices_.state.played = 0;
    song_ = test::TempPath(".mp3");
    ASSERT_TRUE(test::WriteFile(song_, test::SilentStream(1000)));  // 1152 samples a frame
  }
  void TearDown() override {
    devices_.state.gate = true;  // a failed check must not leave the thread waiting
    lib::Deinit();
    lib::SetWaveDevices(nullptr);
    std::remove(song_.c_str());
  }
  FakeDevices devices_;
  std::string song_;
};

TEST_F(HeardPositionTest, FollowsTheDevicesPlayedPosition) {
  ASSERT_TRUE(lib::Open(song_.c_str(), false, nullptr));
  volatile uint8_t ended = 0;
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);
  // The device holds its buffers: the thread has written 64 frames (two buffers) and waits
  // for the first to play before it queues the third.
  ASSERT_TRUE(WaitFor([&] { return devices_.state.writes == 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(devices_.state.writes, 2);
  EXPECT_EQ(lib::GetCurrentPos(), 0);  // nothing heard yet (frame 63 was written)
  devices_.state.played = 1152 * 10 + 576;
  EXPECT_EQ(lib::GetCurrentPos(), 274);  // 10.5 frames of 26.12245 ms
  // Smooth: every 441 samples (10 ms) it moves by 10 ms, not by whole buffers (up to what
  // was written: 64 frames, 1.67 s).
  int last = lib::GetCurrentPos();
  for (int step = 0; step < 120; ++step) {
    devices_.state.played += 441;
    const int pos = lib::GetCurrentPos();
    ASSERT_GE(pos - last, 9) << step;
    ASSERT_LE(pos - last, 11) << step;
    last = pos;
  }
  EXPECT_EQ(lib::LastError(), 0);

  // After a seek the device starts again: the position is the target until sound is heard.
  lib::Pause(0);
  devices_.state.gate = true;  // the thread goes on to see the request
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 4; }));
  devices_.state.gate = false;
  EXPECT_TRUE(lib::Seek(13062));
  EXPECT_TRUE(WaitFor([] { return lib::GetCurrentPos() == 13061; }));  // frame 500
  const int writes = devices_.state.writes;
  lib::Pause(1);
  ASSERT_TRUE(WaitFor([&] { return devices_.state.writes == writes + 2; }));
  EXPECT_EQ(lib::GetCurrentPos(), 13061);
  devices_.state.played = 1152 * 20;
  EXPECT_EQ(lib::GetCurrentPos(), 13583);  // frame 520
  devices_.state.gate = true;
  lib::Stop();
  EXPECT_EQ(lib::GetPlayerMode(), 1);
}

TEST_F(HeardPositionTest, AWaveFileReportsTheFrameWritten) {
  ASSERT_TRUE(lib::Open(song_.c_str(), false, nullptr));
  std::string out = test::TempPath(".wav");
  lib::SetOutputDevice(2, out.c_str());
  volatile uint8_t ended = 0;
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);
  lib::Pause(0);
  ASSERT_TRUE(WaitFor([] { return lib::GetPlayerMode() == 4; }));
  EXPECT_TRUE(lib::Seek(13062));
  EXPECT_TRUE(WaitFor([] { return lib::GetCurrentPos() == 13061; }));
  lib::Pause(1);
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  EXPECT_EQ(lib::GetCurrentPos(), 26096);  // frame 999, the last written
  lib::Close();
  std::remove(out.c_str());
}

TEST_F(PlayerTest, OutputFailureLeavesTheSongOpen) {
  ASSERT_TRUE(lib::Open(song_.c_str(), false, nullptr));
  devices_.state.failOpen = true;
  volatile uint8_t ended = 0;
  EXPECT_EQ(lib::Play(0, 0, &ended), 1);
  EXPECT_EQ(lib::LastError(), 5);
  EXPECT_EQ(lib::GetPlayerMode(), 1);
  lib::SetOutputDevice(2, "");  // a PCM file without a name cannot be created either
  EXPECT_EQ(lib::Play(0, 0, &ended), 1);
  EXPECT_EQ(lib::LastError(), 5);
}

TEST_F(PlayerTest, PcmFileDeviceAndPlayRange) {
  ASSERT_TRUE(lib::Open(song_.c_str(), false, nullptr));
  std::string out = test::TempPath(".wav");
  lib::SetOutputDevice(2, out.c_str());
  volatile uint8_t ended = 0;
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  EXPECT_EQ(lib::GetPlayerMode(), 2);
  test::Wave wave = test::ReadWave(out);
  EXPECT_EQ(wave.channels, 1);
  EXPECT_EQ(wave.pcm.size(), 1000u * 1152);

  // From 1 s to 2 s: frames 38 to 76 inclusive.
  lib::ResetPlayerMode();
  ASSERT_EQ(lib::Play(1000, 2000, &ended), 0);
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  wave = test::ReadWave(out);
  EXPECT_EQ(wave.pcm.size(), (76u - 38 + 1) * 1152);

  // From 25 s to the end (0): frames 957 to 999; then a start beyond the end: all of it.
  ASSERT_EQ(lib::Play(25000, 0, &ended), 0);
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  EXPECT_EQ(test::ReadWave(out).pcm.size(), (1000u - 957) * 1152);
  ASSERT_EQ(lib::Play(30000, 0, &ended), 0);
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  EXPECT_EQ(test::ReadWave(out).pcm.size(), 1000u * 1152);
  lib::Close();
  std::remove(out.c_str());
}

}  // namespace
}  // namespace kelvaro

namespace kelvaro {
namespace {

// The caller's stream: a song in memory behind the six callbacks.
class MemoryCallbacks : public StreamCallbacks {
 public:
  MemoryCallbacks(std::vector<uint8_t> data, bool seekable, int* closes)
      : data_(std::move(data)), seekable_(seekable), closes_(closes) {}
  bool OpenStream() override { return true; }
  void CloseStream() override { ++*closes_; }
  bool RestartStream() override {
    pos_ = 0;
    return true;
  }
  int64_t StreamSize() override { return seekable_ ? int64_t(data_.size()) : -1; }
  bool SeekStream(int64_t offset) override {
    if (!seekable_ || offset < 0 || size_t(offset) > data_.size()) return false;
    pos_ = size_t(offset);
    return true;
  }
  int ReadStream(uint8_t* buffer, int bytes) override {
    int n = int(std::min(data_.size() - pos_, size_t(bytes)));
    std::copy(data_.begin() + pos_, data_.begin() + pos_ + n, buffer);
    pos_ += n;
    return n;
  }

 private:
  std::vector<uint8_t> data_;
  bool seekable_;
  int* closes_;
  size_t pos_ = 0;
};

TEST_F(PlayerTest, StreamCallbacks) {
  int closes = 0;
  ASSERT_TRUE(lib::Open(nullptr, true,
                        std::make_unique<MemoryCallbacks>(test::SilentStream(40), false, &closes)));
  EXPECT_FALSE(lib::Seekable());
  EXPECT_EQ(lib::GetLength(), 0);  // no size: the length is unknown
  std::string out = test::TempPath(".wav");
  lib::SetOutputDevice(2, out.c_str());
  volatile uint8_t ended = 0;
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);
  lib::Seek(0);
  EXPECT_EQ(lib::LastError(), 4);
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  EXPECT_EQ(test::ReadWave(out).pcm.size(), 40u * 1152);
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);  // played out and not rewound: ends at once
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  EXPECT_EQ(test::ReadWave(out).pcm.size(), 0u);
  lib::Restart();  // rewinds through the restart callback
  EXPECT_EQ(lib::LastError(), 0);
  ASSERT_TRUE(WaitFor([&] { return ended == 1; }));
  EXPECT_EQ(test::ReadWave(out).pcm.size(), 40u * 1152);
  lib::Close();
  EXPECT_EQ(closes, 1);

  ASSERT_TRUE(lib::Open(nullptr, true,
                        std::make_unique<MemoryCallbacks>(test::SilentStream(40), true, &closes)));
  EXPECT_TRUE(lib::Seekable());
  EXPECT_EQ(lib::GetLength(), 1044);
  lib::Close();
  EXPECT_FALSE(lib::Open(nullptr, true, nullptr));
  EXPECT_EQ(lib::LastError(), 3);
  std::remove(out.c_str());
}

}  // namespace
}  // namespace kelvaro
