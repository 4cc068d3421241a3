#include "decoder/core/FrameDecoder.h"

#include <cstring>

#include "decoder/core/Simd.h"

namespace kelvaro {
namespace {

using namespace simd;

// The 32 samples of a time slot to 16-bit PCM, eight at a time: one channel, two channels
// interleaved, or one channel on both.
void StoreOne(const float* s, F4 scale, int16_t* dst) {
  for (int j = 0; j < 32; j += 8)
    StorePcm(dst + j, Mul(Load(s + j), scale), Mul(Load(s + j + 4), scale));
}

void StoreTwo(const float* l, const float* r, F4 scale, int16_t* dst) {
  for (int j = 0; j < 32; j += 4) {
    const F4 a = Mul(Load(l + j), scale), b = Mul(Load(r + j), scale);
    StorePcm(dst + 2 * j, _mm_unpacklo_ps(a, b), _mm_unpackhi_ps(a, b));
  }
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
  alignas(16) float out[2][32];
  const F4 scale = Splat(scale_);
  for (int slot = 0; slot < slots; ++slot) {
    int16_t* dst = pcm + slot * 32 * outChannels;
    filters_[0].Process(subbands_[0][slot], out[0]);
    if (channels == 2) filters_[1].Process(subbands_[1][slot], out[1]);
    if (outChannels == 1 && channels == 2) {
      // Two channels to one: the average, rounded once. Both filters run, so that each keeps
      // its history for the frames that follow.
      const F4 half = Splat(0.5f);
      for (int j = 0; j < 32; j += 4)
        Store(out[0] + j, Mul(Add(Load(out[0] + j), Load(out[1] + j)), half));
    }
    if (outChannels == 1)
      StoreOne(out[0], scale, dst);
    else
      StoreTwo(out[0], out[channels - 1], scale, dst);  // one channel goes to both
  }
  if (awaitingData_ || muteLeft_ || fadeLeft_) Settle(h, slots, pcm, outChannels);
  return slots * 32;
}

}  // namespace kelvaro
