// Arithmetic of the playback buffer that Play, Play Wdw and Scan File stream through.
#pragma once
#include <cstdint>

namespace tessel {

struct PlaybackBuffer {
  uint32_t seconds = 0;  // k: at least 2, about one second of CD-quality data
  uint32_t bytes = 0;    // k seconds, raised to the next multiple of 8 (always gaining 8 bytes)
  uint8_t silence = 0;   // fill byte: 128 for 8-bit data
};

PlaybackBuffer PlaybackBufferFor(uint32_t sampleRateHz, uint32_t channels, uint32_t bytesPerSample);

// One stretch of the selection to put into a half of the buffer and hand to the device.
struct HalfFill {
  int half = 0;         // 0: the first half of the buffer, 1: the second
  uint64_t offset = 0;  // where the stretch begins in the selection
  uint32_t real = 0;    // bytes of the selection in it; the rest of the half is silence
  uint32_t length = 0;  // bytes to play: the real ones, or the whole half for a silent one
};

// The order in which the two halves of the buffer stream a selection once: the halves go
// to the device in turn as two plain buffers, and each one the device hands back is filled
// with the next stretch and written again until the selection is exhausted. The playback
// is over when every buffer written has come back.
class HalfSchedule {
 public:
  HalfSchedule() = default;
  // tailBytes of silence follow the selection where the half has room: the device may
  // report a buffer done while its end is still on the way to the speakers, and the reset
  // that ends the playback then cuts silence only.
  HalfSchedule(uint64_t selectionBytes, uint32_t halfBytes, uint32_t tailBytes = 0)
      : selection_(selectionBytes), half_(halfBytes), tail_(tailBytes) {}
  // The next stretch to write, counted as queued; false when the selection is exhausted.
  // An empty selection still gives one silent half, so that its playback ends as usual.
  bool Next(HalfFill& fill);
  // A written buffer came back from the device.
  void Returned() {
    if (queued_ > 0) --queued_;
  }
  bool Exhausted() const;
  // Every stretch was written and every buffer written has come back.
  bool Finished() const { return Exhausted() && queued_ == 0; }

 private:
  uint64_t selection_ = 0;
  uint32_t half_ = 0;
  uint32_t tail_ = 0;
  uint64_t written_ = 0;  // stretches written so far
  int queued_ = 0;
};

}  // namespace tessel
