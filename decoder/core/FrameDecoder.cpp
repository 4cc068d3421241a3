#include "decoder/core/FrameDecoder.h"

#include <cmath>
#include <cstring>

namespace kelvaro {

void FrameDecoder::Reset() {
  filters_[0].Reset();
  filters_[1].Reset();
  layerThree_.Reset();
}

int FrameDecoder::Decode(const FrameHeader& h, const uint8_t* frame, int bytes, int16_t* pcm) {
  const int channels = h.Channels();
  const int samples = h.SamplesPerFrame();
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
    std::memset(pcm, 0, sizeof(int16_t) * samples * channels);
    return samples;
  }
  double out[32];
  for (int ch = 0; ch < channels; ++ch) {
    int16_t* dst = pcm + ch;
    for (int slot = 0; slot < slots; ++slot) {
      filters_[ch].Process(subbands_[ch][slot], out);
      for (int j = 0; j < 32; ++j, dst += channels) {
        double v = std::nearbyint(out[j] * scale_);
        if (!(v > -32768)) v = -32768;  // also catches a NaN
        if (v > 32767) v = 32767;
        *dst = static_cast<int16_t>(v);
      }
    }
  }
  return slots * 32;
}

}  // namespace kelvaro
