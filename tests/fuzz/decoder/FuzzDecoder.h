#pragma once
// One fuzz input run through the frame reader and frame decoder; shared by the fuzz target
// and the unit test that replays its findings. The first byte chooses a seekable stream or a
// forward-only one like the caller's stream callbacks may give.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "decoder/core/FrameDecoder.h"
#include "decoder/core/FrameReader.h"

namespace kelvaro::fuzz {

class ForwardOnly : public InputStream {
 public:
  ForwardOnly(const uint8_t* data, size_t size) : inner_(data, size) {}
  int Read(uint8_t* buffer, int bytes) override { return inner_.Read(buffer, bytes); }
  bool Seek(int64_t) override { return false; }
  int64_t Size() override { return -1; }
  bool Seekable() const override { return false; }

 private:
  MemoryStream inner_;
};

// Returns the number of frames decoded.
inline int RunDecoderInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::unique_ptr<InputStream> stream;
  if (data[0] & 1)
    stream = std::make_unique<ForwardOnly>(data + 1, size - 1);
  else
    stream = std::make_unique<MemoryStream>(data + 1, size - 1);
  auto reader = std::make_unique<FrameReader>(*stream);
  if (!reader->Open()) return 0;
  auto decoder = std::make_unique<FrameDecoder>();
  static int16_t pcm[FrameDecoder::kMaxSamples];
  int frames = 0;
  do {
    if (reader->FollowsGap()) decoder->ForgetMainData();
    decoder->Decode(reader->Header(), reader->Data(), reader->Bytes(), pcm,
                    (frames & 1) ? 1 : 2);  // both channel conversions as well
  } while (++frames < 2000 && reader->Next());
  if (reader->FrameCount() > 0 && reader->SeekToFrame(reader->FrameCount() / 2)) {
    decoder->Reset();
    decoder->Decode(reader->Header(), reader->Data(), reader->Bytes(), pcm);
  }
  return frames;
}

}  // namespace kelvaro::fuzz
