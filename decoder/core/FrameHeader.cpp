#include "decoder/core/FrameHeader.h"

namespace kelvaro {
namespace {

const int kBitrates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};

const int kSampleRates[3] = {44100, 48000, 32000};

// Frame durations by layer and sampling-frequency index: 384 or 1152 samples at the MPEG-1 rates.
const double kDurationMs[2][3] = {{8.707483, 8.0, 12.0}, {26.12245, 24.0, 36.0}};

}  // namespace

bool FrameHeader::Parse(const uint8_t* b) {
  if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return false;
  int version = (b[1] >> 3) & 3;  // 3 = MPEG-1, 2 = MPEG-2; MPEG-2.5 and reserved are refused
  int layerBits = (b[1] >> 1) & 3;
  int rateBits = (b[2] >> 2) & 3;
  int bitrateBits = b[2] >> 4;
  if (version < 2 || layerBits == 0 || rateBits == 3 || bitrateBits == 15) return false;
  lsf = version == 2;
  layer = 4 - layerBits;
  hasCrc = (b[1] & 1) == 0;
  bitrateIndex = bitrateBits;
  sampleRateIndex = rateBits;
  padding = (b[2] >> 1) & 1;
  mode = static_cast<ChannelMode>(b[3] >> 6);
  modeExtension = (b[3] >> 4) & 3;
  emphasis = b[3] & 3;
  return true;
}

bool FrameHeader::SameStream(const FrameHeader& o) const {
  return lsf == o.lsf && layer == o.layer && sampleRateIndex == o.sampleRateIndex &&
         (bitrateIndex == 0) == (o.bitrateIndex == 0);
}

int FrameHeader::SampleRate() const { return kSampleRates[sampleRateIndex] >> (lsf ? 1 : 0); }

int FrameHeader::Bitrate() const { return kBitrates[lsf][layer - 1][bitrateIndex] * 1000; }

int FrameHeader::SamplesPerFrame() const {
  if (layer == 1) return 384;
  return (layer == 3 && lsf) ? 576 : 1152;
}

int FrameHeader::UnpaddedBytes() const {
  if (bitrateIndex == 0) return freeFormatBytes;
  if (layer == 1) return 12 * Bitrate() / SampleRate() * 4;
  int factor = (layer == 3 && lsf) ? 72 : 144;
  return factor * Bitrate() / SampleRate();
}

int FrameHeader::FrameBytes() const {
  int bytes = UnpaddedBytes();
  if (bytes == 0) return 0;
  return bytes + (padding ? (layer == 1 ? 4 : 1) : 0);
}

int FrameHeader::SideInfoBytes() const {
  if (lsf) return mode == ChannelMode::kMono ? 9 : 17;
  return mode == ChannelMode::kMono ? 17 : 32;
}

int FrameHeader::Bound() const {
  if (mode != ChannelMode::kJointStereo) return 32;
  return 4 * (modeExtension + 1);
}

double FrameHeader::DurationMs() const {
  double ms = kDurationMs[layer == 1 ? 0 : 1][sampleRateIndex];
  // The lower-sampling-frequency Layers I and II keep their sample count at half the rate.
  if (lsf && layer != 3) ms *= 2;
  return ms;
}

}  // namespace kelvaro
