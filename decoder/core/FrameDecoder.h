#pragma once
#include <cstdint>

#include "decoder/core/FrameHeader.h"
#include "decoder/core/LayerThree.h"
#include "decoder/core/SubbandLayers.h"
#include "decoder/core/Synthesis.h"

namespace kelvaro {

// Decodes whole frames of any layer to 16-bit PCM. Holds all state across frames (synthesis
// history, Layer III overlap and bit reservoir); nothing is allocated per frame.
class FrameDecoder {
 public:
  static constexpr int kMaxSamples = 1152 * 2;

  explicit FrameDecoder(float scale = 32768.0f) : scale_(scale) {}
  void SetScale(float scale) { scale_ = scale; }
  // Forgets the state of the previous frames (after a seek).
  void Reset();
  // The frame to decode next follows a gap in the stream (frames were dropped): what earlier
  // frames left for later ones (the Layer III bit reservoir) is not used. The output stays
  // silent until a frame has its data, then until the Layer III overlap and the synthesis
  // history hold nothing from before the gap (a granule and 16 time slots), and then fades in;
  // so nothing after a gap is louder than the undamaged stream there.
  void ForgetMainData();
  // Decodes one frame, header included, into interleaved PCM (header.Channels() channels).
  // Returns the samples per channel; a frame that fails its check word gives silence.
  int Decode(const FrameHeader& header, const uint8_t* frame, int bytes, int16_t* pcm) {
    return Decode(header, frame, bytes, pcm, header.Channels());
  }
  // The same with `outChannels` (1 or 2) output channels whatever the frame has: a
  // single-channel frame goes to both, the two channels of a frame are averaged into one.
  int Decode(const FrameHeader& header, const uint8_t* frame, int bytes, int16_t* pcm,
             int outChannels);

 private:
  void Settle(const FrameHeader& h, int slots, int16_t* pcm, int outChannels);

  static constexpr int kFadeSamples = 1024;
  float scale_;
  int lastLayer_ = 0;
  bool awaitingData_ = false;  // after a gap, until a frame has its data
  int muteLeft_ = 0;           // samples per channel still muted after the gap
  int fadeLeft_ = 0;           // samples per channel of the fade-in still to come
  SubbandBlock subbands_;
  SynthesisFilter filters_[2];
  LayerThreeDecoder layerThree_;
};

}  // namespace kelvaro
