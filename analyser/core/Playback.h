// Arithmetic of the looping playback buffer that Play, Play Wdw and Scan File stream through.
#pragma once
#include <cstdint>

namespace tessel {

struct PlaybackBuffer {
  uint32_t seconds = 0;  // k: at least 2, about one second of CD-quality data
  uint32_t bytes = 0;    // k seconds, raised to the next multiple of 8 (always gaining 8 bytes)
  uint8_t silence = 0;   // fill byte: 128 for 8-bit data
};

PlaybackBuffer PlaybackBufferFor(uint32_t sampleRateHz, uint32_t channels, uint32_t bytesPerSample);

// How often the whole buffer repeats to play selectionBytes.
inline uint32_t PlaybackLoopCount(uint32_t selectionBytes, uint32_t bufferBytes) {
  return bufferBytes == 0 ? 1 : selectionBytes / bufferBytes + 1;
}

}  // namespace tessel
