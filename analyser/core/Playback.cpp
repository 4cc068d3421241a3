#include "analyser/core/Playback.h"

#include <algorithm>

namespace tessel {

PlaybackBuffer PlaybackBufferFor(uint32_t sampleRateHz, uint32_t channels,
                                 uint32_t bytesPerSample) {
  PlaybackBuffer b;
  const uint64_t perSecond = uint64_t{sampleRateHz} * channels * bytesPerSample;
  b.seconds = perSecond == 0 ? 2 : static_cast<uint32_t>(std::max<uint64_t>(2, 176400 / perSecond));
  const uint64_t bytes = b.seconds * perSecond;
  b.bytes = static_cast<uint32_t>((bytes / 8 + 1) * 8);
  b.silence = bytesPerSample == 1 ? 128 : 0;
  return b;
}

}  // namespace tessel

namespace tessel {

bool HalfSchedule::Exhausted() const {
  if (half_ == 0) return true;
  if (selection_ == 0) return written_ > 0;
  return written_ * half_ >= selection_;
}

bool HalfSchedule::Next(HalfFill& fill) {
  if (Exhausted()) return false;
  fill.half = int(written_ % 2);
  fill.offset = written_ * half_;
  fill.real = uint32_t(std::min<uint64_t>(half_, selection_ - fill.offset));
  fill.length =
      fill.real > 0 ? uint32_t(std::min<uint64_t>(half_, uint64_t{fill.real} + tail_)) : half_;
  ++written_;
  ++queued_;
  return true;
}

}  // namespace tessel
