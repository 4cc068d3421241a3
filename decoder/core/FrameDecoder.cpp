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
  awaitingData_ = false;
  muteLeft_ = fadeLeft_ = 0;
}

void FrameDecoder::ForgetMainData() {
  layerThree_.ForgetMainData();
  awaitingData_ = true;
  muteLeft_ = fadeLeft_ = 0;
}

void FrameDecoder::Settle(const FrameHeader& h, int slots, int16_t* pcm, int outChannels) {
  const int samples = slots ? slots * 32 : h.SamplesPerFrame();
  if (awaitingData_) {
    const bool hasData = slots != 0 && (h.layer != 3 || layerThree_.HadMainData());
    if (!hasData) {
      std::memset(pcm, 0, sizeof(int16_t) * samples * outChannels);
      return;
    }
    awaitingData_ = false;
    // Layer III: the first granule's half block has no partner from before; then the
    // synthesis filter's 16-slot history.
    muteLeft_ = 32 * ((h.layer == 3 ? 18 : 0) + 16);
    fadeLeft_ = kFadeSamples;
  }
  for (int i = 0; i < samples && (muteLeft_ > 0 || fadeLeft_ > 0); ++i) {
    int16_t* s = pcm + i * outChannels;
    if (muteLeft_ > 0) {
      --muteLeft_;
      for (int c = 0; c < outChannels; ++c) s[c] = 0;
      continue;
    }
    const double gain = double(kFadeSamples - fadeLeft_ + 1) / (kFadeSamples + 1);
    --fadeLeft_;
    // Scaled toward zero, so never louder than the sample itself.
    for (int c = 0; c < outChannels; ++c) s[c] = static_cast<int16_t>(s[c] * gain);
  }
}

int FrameDecoder::Decode(const FrameHeader& h, const uint8_t* frame, int bytes, int16_t* pcm,
                         int outChannels) {
  const int channels = h.Channels();
  const int samples = h.SamplesPerFrame();
  // Layer III begins afresh after frames of another layer (the play thread creates its
  // decoder anew when the layer changes).
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
    if (awaitingData_ || muteLeft_ || fadeLeft_) Settle(h, 0, pcm, outChannels);
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
  if (awaitingData_ || muteLeft_ || fadeLeft_) Settle(h, slots, pcm, outChannels);
  return slots * 32;
}

}  // namespace kelvaro
