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
