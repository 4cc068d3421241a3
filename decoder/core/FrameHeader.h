#pragma once
#include <cstdint>

namespace kelvaro {

enum class ChannelMode { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kMono = 3 };

// The four-byte header in front of every MPEG audio frame.
struct FrameHeader {
  bool lsf = false;  // lower-sampling-frequency extension (MPEG-2)
  int layer = 0;     // 1..3
  bool hasCrc = false;
  int bitrateIndex = 0;
  int sampleRateIndex = 0;
  bool padding = false;
  ChannelMode mode = ChannelMode::kStereo;
  int modeExtension = 0;
  int emphasis = 0;
  int freeFormatBytes = 0;  // frame size without padding when bitrateIndex is 0

  // Parses four bytes; false when they are not a valid header.
  bool Parse(const uint8_t* bytes);
  // Whether another header belongs to the same stream (version, layer, rate, free format).
  bool SameStream(const FrameHeader& other) const;

  int Channels() const { return mode == ChannelMode::kMono ? 1 : 2; }
  int SampleRate() const;
  int Bitrate() const;  // bit/s; 0 for free format
  int SamplesPerFrame() const;
  int FrameBytes() const;  // 0 when a free-format size is not known yet
  int UnpaddedBytes() const;
  int SideInfoBytes() const;  // Layer III
  // Subbands coded for both channels in joint stereo (Layers I and II).
  int Bound() const;
  // Frame duration in ms as the library reports it (see FrameTiming.cpp).
  double DurationMs() const;
};

}  // namespace kelvaro
