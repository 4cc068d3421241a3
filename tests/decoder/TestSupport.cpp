#include "TestSupport.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <thread>

#include "decoder/core/FrameDecoder.h"
#include "decoder/core/FrameReader.h"
#include "decoder/core/Library.h"

namespace kelvaro::test {

std::string TestDataDir() {
  std::string dir = VARDEX_SOURCE_DIR "/../shared/testdata/mpeg";
  std::FILE* probe = std::fopen((dir + "/l3-compl.bit").c_str(), "rb");
  if (!probe) return "";
  std::fclose(probe);
  return dir;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> data;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return data;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    data.insert(data.end(), buffer, buffer + n);
  std::fclose(f);
  return data;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

std::vector<int16_t> ReadPcm(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFile(path);
  std::vector<int16_t> pcm(bytes.size() / 2);
  for (size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return pcm;
}

std::string TempPath(const std::string& suffix) {
  // Unique across test programs that run at the same time: the clock at first use.
  static const long long stamp = static_cast<long long>(
      std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007);
  static int counter = 0;
  const char* dir = std::getenv("TMPDIR");
  if (!dir) dir = std::getenv("TEMP");
  if (!dir) dir = std::getenv("TMP");
  std::string base = dir ? dir : ".";
  char name[80];
  std::snprintf(name, sizeof name, "/kelvaro-test-%lld-%d%s", stamp, ++counter, suffix.c_str());
  return base + name;
}

Decoded DecodeBytes(const std::vector<uint8_t>& data) {
  Decoded out;
  MemoryStream stream(data.data(), data.size());
  auto reader = std::make_unique<FrameReader>(stream);
  if (!reader->Open()) return out;
  auto decoder = std::make_unique<FrameDecoder>();
  out.channels = reader->Header().Channels();
  out.rate = reader->Header().SampleRate();
  out.samplesPerFrame = reader->Header().SamplesPerFrame();
  int16_t pcm[FrameDecoder::kMaxSamples];
  do {
    if (reader->FollowsGap()) decoder->ForgetMainData();
    int n = decoder->Decode(reader->Header(), reader->Data(), reader->Bytes(), pcm);
    out.pcm.insert(out.pcm.end(), pcm, pcm + n * reader->Header().Channels());
    ++out.frames;
  } while (reader->Next());
  return out;
}

bool HaveTool(const char* name) {
#ifdef _WIN32
  (void)name;
  return false;
#else
  std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
#endif
}

std::vector<uint8_t> LameEncode(int rate, int channels, const std::string& soxSynth,
                                const std::string& lameOptions) {
  if (!HaveTool("sox") || !HaveTool("lame")) return {};
  const std::string wav = TempPath(".wav"), mp3 = TempPath(".mp3");
  const std::string synth = "sox -n -r " + std::to_string(rate) + " -c " +
                            std::to_string(channels) + " -b 16 " + wav + " " + soxSynth +
                            " 2>/dev/null";
  std::vector<uint8_t> out;
  if (std::system(synth.c_str()) == 0 &&
      std::system(("lame --quiet " + lameOptions + " " + wav + " " + mp3).c_str()) == 0)
    out = ReadFile(mp3);
  std::remove(wav.c_str());
  std::remove(mp3.c_str());
  return out;
}

std::vector<FrameInfo> Frames(const std::vector<uint8_t>& data) {
  std::vector<FrameInfo> frames;
  MemoryStream stream(data.data(), data.size());
  auto reader = std::make_unique<FrameReader>(stream);
  if (!reader->Open()) return frames;
  do {
    const FrameHeader& h = reader->Header();
    frames.push_back({size_t(reader->Offset()), reader->Bytes(), h.Channels(),
                      h.SamplesPerFrame()});
  } while (reader->Next());
  return frames;
}

Wave DecodeWithLibrary(const std::vector<uint8_t>& data, int* error) {
  namespace lib = kelvaro::library;
  const std::string song = TempPath(".mp3"), out = TempPath(".wav");
  Wave wave;
  if (error) *error = -1;
  if (!WriteFile(song, data)) return wave;
  lib::Init();
  if (lib::Open(song.c_str(), false, nullptr)) {
    lib::SetOutputDevice(2, out.c_str());
    volatile uint8_t ended = 0;
    if (lib::Play(0, 0, &ended) == 0) {
      while (!ended && lib::GetPlayerMode() == 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (error) *error = lib::LastError();
    }
    lib::Close();
    wave = ReadWave(out);
  }
  lib::Deinit();
  std::remove(song.c_str());
  std::remove(out.c_str());
  return wave;
}

Wave ReadWave(const std::string& path) {
  Wave wave;
  std::vector<uint8_t> b = ReadFile(path);
  auto u32 = [&](size_t at) {
    return uint32_t(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24));
  };
  auto u16 = [&](size_t at) { return b[at] | (b[at + 1] << 8); };
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
      std::memcmp(b.data() + 8, "WAVE", 4) != 0)
    return wave;
  size_t at = 12;
  while (at + 8 <= b.size()) {
    uint32_t size = u32(at + 4);
    if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && at + 24 <= b.size()) {
      wave.channels = u16(at + 10);
      wave.rate = static_cast<int>(u32(at + 12));
    } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
      size_t end = std::min(b.size(), at + 8 + size);
      for (size_t i = at + 8; i + 1 < end; i += 2) wave.pcm.push_back(static_cast<int16_t>(u16(i)));
      wave.valid = wave.channels > 0;
      return wave;
    }
    at += 8 + size + (size & 1);
  }
  return wave;
}

namespace {

Comparison CompareAt(const std::vector<int16_t>& ref, const std::vector<int16_t>& ours,
                     size_t skip) {
  Comparison c;
  if (skip > ours.size()) return c;
  c.compared = std::min(ref.size(), ours.size() - skip);
  double squares = 0;
  for (size_t i = 0; i < c.compared; ++i) {
    int d = std::abs(ref[i] - ours[i + skip]);
    c.maxDiff = std::max(c.maxDiff, d);
    squares += double(d) * d;
  }
  double mean = c.compared ? squares / c.compared : 0;
  c.psnr = mean > 0 ? 10 * std::log10(32767.0 * 32767.0 / mean) : 200;
  return c;
}

}  // namespace

Comparison Compare(const std::vector<int16_t>& ref, const std::vector<int16_t>& ours,
                   size_t frameSamples) {
  Comparison best = CompareAt(ref, ours, 0);
  if (ours.size() > ref.size() && frameSamples > 0) {
    // The reference decoder may have dropped leading frames whose main data it lacked.
    size_t extra = (ours.size() - ref.size()) / frameSamples;
    for (size_t k = 1; k <= extra && k <= 3; ++k) {
      Comparison c = CompareAt(ref, ours, k * frameSamples);
      if (c.maxDiff < best.maxDiff) {
        best = c;
        best.framesDropped = static_cast<int>(k);
      }
    }
  }
  return best;
}

}  // namespace kelvaro::test

namespace kelvaro::test {

std::vector<uint8_t> SilentStream(int frames) {
  std::vector<uint8_t> data;
  for (int f = 0; f < frames; ++f) {
    const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0xC0};
    data.insert(data.end(), header, header + 4);
    data.insert(data.end(), 413, 0);
  }
  return data;
}

}  // namespace kelvaro::test
