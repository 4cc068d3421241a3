#include "decoder/core/FrameDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kelvaro {
namespace {

// The nearest 16-bit value (halves away from zero), limited to the 16-bit range; a NaN gives
// the lowest value. Without branches, as the sign of a sample is unpredictable.
inline int16_t ToPcm(double v) {
  v = std::min(32767.0, std::max(-32768.0, v));
  return static_cast<int16_t>(v + std::copysign(0.5, v));
}

}  // namespace

void FrameDecoder::Reset() {
  filters_[0].Reset();
  filters_[1].Reset();
  layerThree_.Reset();
  lastLayer_ = 0;
}

int FrameDecoder::Decode(const FrameHeader& h, const uint8_t* frame, int bytes, int16_t* pcm,
                         int outChannels) {
  const int channels = h.Channels();
  const int samples = h.SamplesPerFrame();
  // Layer III begins afresh after frames of another layer (Part 3.4: the Layer III decoder is
  // created when the layer changes).
  if (h.layer == 3 && lastLayer_ != 3) layerThree_.Reset();
  lastLayer_ = h.layer;
  int slots;
  switch (h.layer) {
    case 1:
      slots = DecodeLayerOne(h, frame, bytes, subbands_);
      break;
    case 2:
      slots = DecodeLayerTwo(h, frame, bytes, subbands_);
      break;
    default:
      slots = layerThree_.Decode(h, frame, bytes, subbands_);
      break;
  }
  if (slots == 0) {
    std::memset(pcm, 0, sizeof(int16_t) * samples * outChannels);
    return samples;
  }
  double out[32];
  if (outChannels == channels) {
    for (int ch = 0; ch < channels; ++ch) {
      int16_t* dst = pcm + ch;
      for (int slot = 0; slot < slots; ++slot) {
        filters_[ch].Process(subbands_[ch][slot], out);
        for (int j = 0; j < 32; ++j, dst += channels) *dst = ToPcm(out[j] * scale_);
      }
    }
  } else if (channels == 1) {
    // One channel to two: the same sample on both.
    int16_t* dst = pcm;
    for (int slot = 0; slot < slots; ++slot) {
      filters_[0].Process(subbands_[0][slot], out);
      for (int j = 0; j < 32; ++j, dst += 2) dst[0] = dst[1] = ToPcm(out[j] * scale_);
    }
  } else {
    // Two channels to one: the average, rounded once. Both filters run, so that each keeps
    // its history for the frames that follow.
    const double half = 0.5 * scale_;
    double right[32];
    int16_t* dst = pcm;
    for (int slot = 0; slot < slots; ++slot) {
      filters_[0].Process(subbands_[0][slot], out);
      filters_[1].Process(subbands_[1][slot], right);
      for (int j = 0; j < 32; ++j) *dst++ = ToPcm((out[j] + right[j]) * half);
    }
  }
  return slots * 32;
}

}  // namespace kelvaro
