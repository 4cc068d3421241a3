// The three-buffer wave output and the PCM wave file.
#include "decoder/core/Output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "TestSupport.h"

namespace kelvaro {
namespace {

struct DeviceLog {
  std::vector<std::string> calls;
  std::vector<std::vector<uint8_t>> written;
  int queued = 0;
  int maxQueued = 0;
};

class RecordingDevice : public WaveDevice {
 public:
  explicit RecordingDevice(DeviceLog& log) : log_(log) {}
  bool Open(int channels, int rate) override {
    log_.calls.push_back("open " + std::to_string(channels) + " " + std::to_string(rate));
    return true;
  }
  bool Write(int index, const uint8_t* data, uint32_t bytes) override {
    log_.calls.push_back("write " + std::to_string(index));
    log_.written.emplace_back(data, data + bytes);
    log_.maxQueued = std::max(log_.maxQueued, ++log_.queued);
    return true;
  }
  bool Done(int) override { return true; }
  void Release(int index) override {
    log_.calls.push_back("release " + std::to_string(index));
    --log_.queued;
  }
  void Reset() override { log_.calls.push_back("reset"); }
  bool Close() override {
    log_.calls.push_back("close");
    return true;
  }
  void Sleep(int) override {}

 private:
  DeviceLog& log_;
};

void WriteFrames(SoundOutput& out, int frames, int samples, int channels) {
  std::vector<int16_t> pcm(samples * channels);
  for (int f = 0; f < frames; ++f) {
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(f + 1);
    out.Write(pcm.data(), samples);
    out.FrameDone();
  }
}

TEST(BufferedWaveOutput, QueuesAtMostTwoBuffersAndPadsTheLast) {
  DeviceLog log;
  auto out = BufferedWaveOutput::Create(std::make_unique<RecordingDevice>(log), 2, 44100, 1152);
  ASSERT_TRUE(out);
  WriteFrames(*out, 100, 1152, 2);  // three full buffers and four frames
  // Buffer 0 waits for buffer 1; then the oldest queued buffer plays out and is released
  // before the newly filled one is queued, so that never more than two are queued.
  std::vector<std::string> expected = {"open 2 44100", "write 0", "write 1", "release 0",
                                       "write 2"};
  EXPECT_EQ(log.calls, expected);
  EXPECT_EQ(log.written[0].size(), 2u * 73728);
  out->Finish();
  EXPECT_EQ(log.maxQueued, 2);
  ASSERT_EQ(log.written.size(), 4u);
  const std::vector<uint8_t>& last = log.written[3];
  EXPECT_EQ(last[0], 97);                  // frame 97 starts the fourth buffer
  EXPECT_EQ(last[4 * 1152 * 4 - 2], 100);  // frame 100 ends its sound
  EXPECT_EQ(last[4 * 1152 * 4], 0);        // then zeros
  EXPECT_EQ(log.calls.back(), "close");
  EXPECT_EQ(log.queued, 0);
}

TEST(BufferedWaveOutput, ShortSongWritesItsOnlyBuffersAtTheEnd) {
  DeviceLog log;
  auto out = BufferedWaveOutput::Create(std::make_unique<RecordingDevice>(log), 1, 22050, 576);
  WriteFrames(*out, 40, 576, 1);
  EXPECT_EQ(log.written.size(), 0u);  // the first full buffer is only rotated
  out->Finish();
  ASSERT_EQ(log.written.size(), 2u);
  EXPECT_EQ(log.written[0].size(), 73728u / 2);
  EXPECT_EQ(log.queued, 0);
}

TEST(BufferedWaveOutput, ClearAndAbortDiscardQueuedSound) {
  DeviceLog log;
  auto out = BufferedWaveOutput::Create(std::make_unique<RecordingDevice>(log), 2, 48000, 384);
  WriteFrames(*out, 64, 384, 2);
  EXPECT_EQ(log.queued, 2);
  out->Clear();
  EXPECT_EQ(log.queued, 0);
  WriteFrames(*out, 40, 384, 2);  // counting starts again: nothing queued yet
  EXPECT_EQ(log.queued, 0);
  out->Abort();
  EXPECT_EQ(log.calls.back(), "close");
  EXPECT_EQ(log.written.size(), 2u);
}

TEST(WaveFileOutput, WritesRiffWaveWithSizes) {
  std::string name = test::TempPath(".wav");
  {
    auto out = WaveFileOutput::Create(name.c_str(), 2, 32000);
    ASSERT_TRUE(out);
    WriteFrames(*out, 3, 384, 2);
    out->Finish();
  }
  std::vector<uint8_t> bytes = test::ReadFile(name);
  ASSERT_EQ(bytes.size(), 44u + 3 * 384 * 4);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(bytes[4] | (bytes[5] << 8) | (bytes[6] << 16), int(36 + 3 * 384 * 4));
  test::Wave wave = test::ReadWave(name);
  EXPECT_EQ(wave.channels, 2);
  EXPECT_EQ(wave.rate, 32000);
  ASSERT_EQ(wave.pcm.size(), 3u * 384 * 2);
  EXPECT_EQ(wave.pcm.back(), 3);
  std::remove(name.c_str());
}

}  // namespace
}  // namespace kelvaro

namespace kelvaro {
namespace {

// A device that plays nothing until it is reset, and gives up (recording it) after many
// waits, so that a test of the wait cannot hang.
class HoldingDevice : public RecordingDevice {
 public:
  explicit HoldingDevice(DeviceLog& log) : RecordingDevice(log), log_(log) {}
  bool Done(int) override { return reset_ || waits_ > 1000; }
  void Reset() override {
    reset_ = true;
    RecordingDevice::Reset();
  }
  void Sleep(int) override {
    if (++waits_ == 1000) log_.calls.push_back("gave up waiting");
  }

 private:
  DeviceLog& log_;
  bool reset_ = false;
  int waits_ = 0;
};

TEST(BufferedWaveOutput, AStopRequestEndsTheWaitForQueuedSoundAtTheEnd) {
  DeviceLog log;
  std::atomic<bool> stop{false};
  auto out =
      BufferedWaveOutput::Create(std::make_unique<HoldingDevice>(log), 2, 44100, 1152, &stop);
  ASSERT_TRUE(out);
  WriteFrames(*out, 40, 1152, 2);  // one full buffer and eight frames, nothing queued yet
  stop = true;
  out->Finish();
  EXPECT_NE(std::find(log.calls.begin(), log.calls.end(), "reset"), log.calls.end());
  EXPECT_EQ(std::find(log.calls.begin(), log.calls.end(), "gave up waiting"), log.calls.end());
}

}  // namespace
}  // namespace kelvaro
