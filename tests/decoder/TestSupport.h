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
// Decodes a whole stream directly through the frame reader and frame decoder (each frame at
// its own channel count; main data dropped after a gap, as the play thread does).
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

// Whether a command-line program is on the path (false on Windows, where the tests do not
// run external encoders).
bool HaveTool(const char* name);
// An MP3 made by lame from a sox synthesis: `soxSynth` is what follows "sox -n -r RATE -c
// CHANNELS -b 16 FILE" (e.g. "synth 3 sine 440 vol 0.5"); empty when a tool fails.
std::vector<uint8_t> LameEncode(int rate, int channels, const std::string& soxSynth,
                                const std::string& lameOptions);
// The MPEG audio frames of a stream as the frame reader walks them.
struct FrameInfo {
  size_t offset;
  int bytes;
  int channels;
  int samples;
};
std::vector<FrameInfo> Frames(const std::vector<uint8_t>& data);

// Decodes a stream through the library's export layer to a PCM wave file (device 2), as the
// command-line tool does; `error` receives LastError after the play thread ended (-1 when the
// stream did not open).
Wave DecodeWithLibrary(const std::vector<uint8_t>& data, int* error = nullptr);

}  // namespace kelvaro::test

namespace kelvaro::test {

// A silent MPEG-1 Layer III mono stream at 44.1 kHz and 128 kbit/s: `frames` frames of
// 417 bytes each (no padding).
std::vector<uint8_t> SilentStream(int frames);

}  // namespace kelvaro::test
