#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::test {

std::string TestDataDir();  // the MPEG compliance streams; empty when absent
std::vector<uint8_t> ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& data);
std::vector<int16_t> ReadPcm(const std::string& path);
// A fresh file name in the system's temporary folder.
std::string TempPath(const std::string& suffix);

struct Decoded {
  std::vector<int16_t> pcm;  // interleaved
  int channels = 0;
  int rate = 0;
  int samplesPerFrame = 0;
  int frames = 0;
};
// Decodes a whole stream directly through the frame reader and frame decoder.
Decoded DecodeBytes(const std::vector<uint8_t>& data);

// Samples of a PCM wave file written by the library, with its format.
struct Wave {
  std::vector<int16_t> pcm;
  int channels = 0;
  int rate = 0;
  bool valid = false;
};
Wave ReadWave(const std::string& path);

struct Comparison {
  size_t compared = 0;
  int maxDiff = 0;
  double psnr = 0;
  int framesDropped = 0;  // leading frames of ours that the reference did not output
};
// Compares over the common part; `frameSamples` (all channels) lets it align when the
// reference dropped whole leading frames.
Comparison Compare(const std::vector<int16_t>& reference, const std::vector<int16_t>& ours,
                   size_t frameSamples);

}  // namespace kelvaro::test

namespace kelvaro::test {

// A silent MPEG-1 Layer III mono stream at 44.1 kHz and 128 kbit/s: `frames` frames of
// 417 bytes each (no padding).
std::vector<uint8_t> SilentStream(int frames);

}  // namespace kelvaro::test
