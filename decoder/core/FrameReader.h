#pragma once
#include <cstdint>

#include "decoder/core/FrameHeader.h"
#include "decoder/core/InputStream.h"

namespace kelvaro {

// Walks the frames of an MPEG audio stream: skips an ID3v2 tag and other bytes in front of
// the first frame, finds frames by their sync word (checking that a second frame follows),
// regains sync after damage, follows a change of layer, version or sampling rate (a frame of
// the new kind followed by two more of its kind), takes length and seek points from a
// Xing/Info or VBRI header (whose frame is not audio and is skipped), and otherwise assumes a
// constant bit rate. A stream whose first frames cannot be real (their coded data does not fit
// them) is refused.
class FrameReader {
 public:
  static constexpr int kMaxFrameBytes = 8192;

  explicit FrameReader(InputStream& stream) : stream_(stream) {}
  // Finds the first audio frame; false when the stream has none.
  bool Open();
  // Moves to the next frame; false at the end of the data.
  bool Next();
  // Positions at audio frame `n` (0 = first); false when the stream cannot seek or has no
  // frame there.
  bool SeekToFrame(int64_t n);
  // Goes back to the first frame, reading the stream again from its start.
  bool Rewind();

  // Whether the current frame follows a gap: bytes that are no frame of the stream were
  // skipped to reach it (a resync after damage, a dropped frame), so the data of earlier frames
  // (Layer III main data) does not belong with it.
  bool FollowsGap() const { return followsGap_; }
  // Whether a frame's coded data can fit it: Layer III side information that does not point
  // beyond the main data it may use; Layers I and II allocations, scale factors and samples
  // that fit the frame.
  static bool Plausible(const FrameHeader& h, const uint8_t* frame, int bytes);

  // Whether there is a current frame (false after the end or a failed seek).
  bool HasFrame() const { return frameBytes_ > 0; }
  const FrameHeader& Header() const { return header_; }
  const uint8_t* Data() const {
    return HasFrame() ? buffer_ + (frameOffset_ - bufferStart_) : buffer_;
  }
  int Bytes() const { return frameBytes_; }
  // The current frame's offset in the stream.
  int64_t Offset() const { return frameOffset_; }
  int64_t FrameNumber() const { return frameNumber_; }
  // Audio frames in the stream: from the VBR header, or the data size divided by the first
  // frame's size.
  int64_t FrameCount() const { return frameCount_; }
  bool HasVbrHeader() const { return vbrFrames_ > 0; }

 private:
  // kOtherKind: a valid header of another layer, version or rate than the stream's.
  enum class Probe { kFrame, kNoFrame, kEnd, kOtherKind };

  int Ensure(int64_t offset, int bytes);
  Probe ProbeAt(int64_t offset, bool strict, FrameHeader& h, int& bytes);
  // A frame of another kind at `offset` that starts a new part of the stream: two frames of
  // its kind follow (or the data ends after whole frames). Adopts the new kind.
  bool ProbeChange(int64_t offset, FrameHeader& h, int& bytes);
  int FreeFormatBytes(int64_t offset, const FrameHeader& h);
  bool FindFrame(int64_t from, bool strict);
  bool PlausibleStart();
  int64_t SkipId3v2(int64_t offset);
  // Reads a Xing/Info or VBRI tag in the current frame; true when the frame carries one.
  bool ReadVbrHeader();
  int64_t EstimateOffset(int64_t n) const;

  InputStream& stream_;
  uint8_t buffer_[65536];
  int64_t bufferStart_ = 0;
  int bufferLength_ = 0;
  int64_t streamPos_ = 0;  // stream offset of the next byte Read returns
  int64_t dataEnd_ = -1;   // end of the audio data (before an ID3v1 tag), -1 unknown

  bool haveReference_ = false;
  FrameHeader reference_;
  int freeFormatBytes_ = 0;
  int freeFormatSearches_ = 0;
  FrameHeader header_;
  int64_t frameOffset_ = 0;
  int frameBytes_ = 0;
  int64_t frameNumber_ = 0;
  bool followsGap_ = false;

  int64_t firstFrameOffset_ = 0;  // the first frame, a VBR header frame included
  int64_t audioStart_ = 0;        // the first audio frame
  int64_t frameCount_ = 0;
  int64_t vbrFrames_ = 0;
  int64_t vbrBytes_ = 0;
  bool hasToc_ = false;
  uint8_t toc_[100] = {};
};

}  // namespace kelvaro
