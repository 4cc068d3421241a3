// Arbitrary bytes as an MPEG audio file: finding frames, VBR headers, decoding every layer,
// and seeking must neither crash nor hang.
#include "FuzzDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kelvaro::fuzz::RunDecoderInput(data, size);
  return 0;
}
