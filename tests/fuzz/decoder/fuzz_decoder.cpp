// Arbitrary bytes as an MPEG audio file: finding frames, VBR headers, decoding every layer,
// and seeking must neither crash nor hang.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "decoder/core/FrameDecoder.h"
#include "decoder/core/FrameReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kelvaro;
  MemoryStream stream(data, size);
  auto reader = std::make_unique<FrameReader>(stream);
  if (!reader->Open()) return 0;
  auto decoder = std::make_unique<FrameDecoder>();
  static int16_t pcm[FrameDecoder::kMaxSamples];
  int frames = 0;
  do {
    decoder->Decode(reader->Header(), reader->Data(), reader->Bytes(), pcm);
  } while (++frames < 2000 && reader->Next());
  if (reader->FrameCount() > 0 && reader->SeekToFrame(reader->FrameCount() / 2)) {
    decoder->Reset();
    decoder->Decode(reader->Header(), reader->Data(), reader->Bytes(), pcm);
  }
  return 0;
}
