#pragma once
#include <cstdint>

#include "decoder/core/FrameHeader.h"

namespace kelvaro {

// Subband samples of one frame: [channel][time slot][subband]; Layer I fills 12 slots,
// Layers II and III fill 36 (Layer III: 18 per granule).
using SubbandBlock = float[2][36][32];

// Decodes a Layer I or Layer II frame (the whole frame, header included) into subband samples.
// Returns the number of time slots, or 0 when the frame's check word does not match.
// The bits that a Layer I or II frame's allocation says it holds (header, check word,
// allocation, scale-factor selection, scale factors and samples), or -1 for a forbidden
// allocation code.
int SubbandFrameBits(const FrameHeader& h, const uint8_t* frame, int bytes);

int DecodeLayerOne(const FrameHeader& h, const uint8_t* frame, int bytes, SubbandBlock& out);
int DecodeLayerTwo(const FrameHeader& h, const uint8_t* frame, int bytes, SubbandBlock& out);

}  // namespace kelvaro
