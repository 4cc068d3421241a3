#pragma once

namespace kelvaro {

// The polyphase synthesis filter bank of one channel: 32 subband samples in, 32 output
// samples out (full scale = 1.0).
class SynthesisFilter {
 public:
  SynthesisFilter() { Reset(); }
  void Reset();
  void Process(const float* subbands, float* out);

 private:
  // The 1024-value history V as 16 blocks of 64, the newest at `newest_`.
  float v_[16][64];
  int newest_ = 0;
};

}  // namespace kelvaro
