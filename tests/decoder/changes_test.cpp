// A stream that changes layer, sampling rate or MPEG version part-way.
// A layer change is decoded. A change of sampling rate reopens the sound card at the new rate;
// a wave file, which has one rate, ends with the part before and an "input stream error" that
// stays pending until LastError is read (every other export clears only its own error).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "TestSupport.h"
#include "decoder/core/Library.h"

namespace kelvaro::test {
namespace {

namespace lib = library;

std::vector<uint8_t> Concatenated(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Layer I, then Layer II, then Layer III, all at 48 kHz (compliance streams): every part is
// decoded. The first is exactly its own decode; the others are too from their second frame on
// (their first frame starts with the synthesis history of the part before).
TEST(StreamChanges, LayerChangesAreDecoded) {
  const std::string dir = TestDataDir();
  if (dir.empty()) GTEST_SKIP() << "compliance streams not found (../shared/testdata/mpeg)";
  const auto one = ReadFile(dir + "/l1-fl3.bit");         // Layer I, 48 kHz, joint stereo
  const auto two = ReadFile(dir + "/l2-fl12.bit");        // Layer II, 48 kHz, stereo
  const auto three = ReadFile(dir + "/l3-he_48khz.bit");  // Layer III, 48 kHz, mono
  const Decoded d1 = DecodeBytes(one), d2 = DecodeBytes(two), d3 = DecodeBytes(three);
  ASSERT_EQ(d1.channels, 2);
  ASSERT_EQ(d3.channels, 1);

  int error = -1;
  const Wave wave = DecodeWithLibrary(Concatenated({one, two, three}), &error);
  ASSERT_TRUE(wave.valid);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(wave.rate, 48000);
  ASSERT_EQ(wave.channels, 2);
  ASSERT_EQ(wave.pcm.size(), d1.pcm.size() + d2.pcm.size() + 2 * d3.pcm.size());
  const int16_t* p = wave.pcm.data();
  EXPECT_TRUE(std::equal(d1.pcm.begin(), d1.pcm.end(), p));
  p += d1.pcm.size();
  EXPECT_TRUE(std::equal(d2.pcm.begin() + 2304, d2.pcm.end(), p + 2304));
  p += d2.pcm.size();
  for (size_t i = 1152; i < d3.pcm.size(); ++i) {
    ASSERT_EQ(p[2 * i], d3.pcm[i]) << i;
    ASSERT_EQ(p[2 * i + 1], d3.pcm[i]) << i;
  }
}

struct RateParts {
  std::vector<uint8_t> first, second, third;  // 44.1 kHz, 48 kHz, 22.05 kHz (MPEG-2)
  bool ok() const { return !first.empty() && !second.empty() && !third.empty(); }
};

RateParts MakeRateParts() {
  RateParts r;
  r.first = LameEncode(44100, 2, "synth 1 sine 440 vol 0.5", "-t -b 128");
  r.second = LameEncode(48000, 2, "synth 1 sine 660 vol 0.5", "-t -b 128");
  r.third = LameEncode(22050, 2, "synth 1 sine 880 vol 0.5", "-t -b 64");
  return r;
}

TEST(StreamChanges, ARateChangeEndsAWaveFileWithAnError) {
  const RateParts parts = MakeRateParts();
  if (!parts.ok()) GTEST_SKIP() << "sox and lame are needed";
  const Decoded first = DecodeBytes(parts.first);
  for (const auto& second : {parts.second, parts.third}) {  // rate, then version and rate
    int error = -1;
    const Wave wave = DecodeWithLibrary(Concatenated({parts.first, second}), &error);
    ASSERT_TRUE(wave.valid);
    EXPECT_EQ(error, 3);  // "Input stream error"
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.pcm, first.pcm);  // the part before, whole
  }
}

TEST(StreamChanges, TheThreadsErrorStaysPendingUntilLastError) {
  const RateParts parts = MakeRateParts();
  if (!parts.ok()) GTEST_SKIP() << "sox and lame are needed";
  const std::string song = TempPath(".mp3"), out = TempPath(".wav");
  ASSERT_TRUE(WriteFile(song, Concatenated({parts.first, parts.second})));
  ASSERT_TRUE(lib::Init());
  ASSERT_TRUE(lib::Open(song.c_str(), false, nullptr));
  lib::SetOutputDevice(2, out.c_str());
  volatile uint8_t ended = 0;
  // (No LastError right after Play: on a loaded machine the thread may have failed already.)
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);
  for (int i = 0; i < 5000 && !ended; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(ended, 1);
  // The player's 500 ms poll and its other calls come first; each clears only its own error.
  EXPECT_EQ(lib::GetPlayerMode(), 2);
  EXPECT_GT(lib::GetCurrentPos(), 900);
  lib::GetLength();
  lib::Seek(100);  // a call that fails on its own: its error is read first
  EXPECT_EQ(lib::LastError(), 2);
  lib::GetFrequency();
  EXPECT_EQ(lib::LastError(), 3);
  EXPECT_EQ(lib::LastError(), 0);  // read once

  // Playing again fails the same way (the player does not loop into it: PlayFailed).
  lib::Restart();
  for (int i = 0; i < 5000 && lib::GetPlayerMode() == 3; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(lib::GetPlayerMode(), 2);
  EXPECT_EQ(lib::LastError(), 3);
  lib::Close();
  lib::Deinit();
  std::remove(song.c_str());
  std::remove(out.c_str());
}

#if !defined(_WIN32) && defined(KELVARO_TOOL)
TEST(StreamChanges, TheToolReportsARateChange) {
  const RateParts parts = MakeRateParts();
  if (!parts.ok()) GTEST_SKIP() << "sox and lame are needed";
  const std::string song = TempPath(".mp3"), out = TempPath(".wav"), log = TempPath(".txt");
  ASSERT_TRUE(WriteFile(song, Concatenated({parts.first, parts.second})));
  const int status = std::system(
      (std::string(KELVARO_TOOL) + " " + song + " " + out + " >/dev/null 2>" + log).c_str());
  EXPECT_NE(status, 0);
  const auto message = ReadFile(log);
  EXPECT_NE(std::string(message.begin(), message.end()).find("Input stream error"),
            std::string::npos);
  EXPECT_EQ(ReadWave(out).pcm, DecodeBytes(parts.first).pcm);
  for (const std::string& f : {song, out, log}) std::remove(f.c_str());
}
#endif

// The sound card: a device that records what each opening of it was given.
struct Openings {
  std::mutex mutex;
  std::vector<int> rates;
  std::vector<std::vector<int16_t>> samples;
  std::atomic<int> open{0};
};

class RecordingDevice : public WaveDevice {
 public:
  explicit RecordingDevice(Openings& o) : o_(o) {}
  bool Open(int channels, int rate) override {
    std::lock_guard<std::mutex> lock(o_.mutex);
    EXPECT_EQ(o_.open.load(), 0) << "two devices open at once";
    EXPECT_EQ(channels, 2);
    ++o_.open;
    o_.rates.push_back(rate);
    o_.samples.emplace_back();
    index_ = o_.samples.size() - 1;
    return true;
  }
  bool Write(int, const uint8_t* data, uint32_t bytes) override {
    std::lock_guard<std::mutex> lock(o_.mutex);
    for (uint32_t i = 0; i + 1 < bytes; i += 2)
      o_.samples[index_].push_back(int16_t(data[i] | (data[i + 1] << 8)));
    return true;
  }
  bool Done(int) override { return true; }
  void Release(int) override {}
  void Reset() override {}
  bool Close() override {
    --o_.open;
    return true;
  }
  void Sleep(int) override {}

 private:
  Openings& o_;
  size_t index_ = 0;
};

class RecordingDevices : public NoWaveDevices {
 public:
  std::unique_ptr<WaveDevice> NewWaveDevice() override {
    return std::make_unique<RecordingDevice>(openings);
  }
  Openings openings;
};

TEST(StreamChanges, TheSoundCardIsReopenedAtEachNewRate) {
  const RateParts parts = MakeRateParts();
  if (!parts.ok()) GTEST_SKIP() << "sox and lame are needed";
  const Decoded d1 = DecodeBytes(parts.first), d2 = DecodeBytes(parts.second),
                d3 = DecodeBytes(parts.third);
  const std::string song = TempPath(".mp3");
  ASSERT_TRUE(WriteFile(song, Concatenated({parts.first, parts.second, parts.third})));
  RecordingDevices devices;
  lib::SetWaveDevices(&devices);
  ASSERT_TRUE(lib::Init());
  ASSERT_TRUE(lib::Open(song.c_str(), false, nullptr));
  lib::SetOutputDevice(0, nullptr);
  volatile uint8_t ended = 0;
  ASSERT_EQ(lib::Play(0, 0, &ended), 0);
  for (int i = 0; i < 10000 && !ended; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(lib::LastError(), 0);
  EXPECT_EQ(lib::GetFrequency(), 22050);
  lib::Close();
  lib::Deinit();
  lib::SetWaveDevices(nullptr);
  std::remove(song.c_str());

  const Openings& o = devices.openings;
  ASSERT_EQ(o.rates, (std::vector<int>{44100, 48000, 22050}));
  // Each part whole on its own opening, decoded afresh as in a file of its own; the parts
  // before a reopening are not padded, the last one is (with zeros, to its buffer's end).
  EXPECT_EQ(o.samples[0], d1.pcm);
  EXPECT_EQ(o.samples[1], d2.pcm);
  ASSERT_GE(o.samples[2].size(), d3.pcm.size());
  EXPECT_TRUE(std::equal(d3.pcm.begin(), d3.pcm.end(), o.samples[2].begin()));
  for (size_t i = d3.pcm.size(); i < o.samples[2].size(); ++i) ASSERT_EQ(o.samples[2][i], 0);
  EXPECT_EQ(o.samples[2].size() % (32 * 576 * 2), 0u);  // 32 frames of the MPEG-2 part
}

}  // namespace
}  // namespace kelvaro::test
