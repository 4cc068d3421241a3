#pragma once
#include "decoder/core/Simd.h"

namespace kelvaro {

// The inverse MDCT of Layer III with its window, for four neighbouring subbands at once: lane l
// of each result is subband l. `lines` holds their 18 frequency lines each (lines[18 l + k]);
// y receives the 36 windowed output samples of each subband, y[i] for time i.

// A long block of block type 0 (normal), 1 (start) or 3 (stop): one 36-point transform.
void ImdctLong(const float* lines, int blockType, simd::F4* y);
// A short block: three 12-point transforms of the interleaved lines, overlapped at 6, 12, 18.
void ImdctShort(const float* lines, simd::F4* y);

}  // namespace kelvaro
