#include "decoder/core/FrameReader.h"

#include <algorithm>
#include <cstring>

#include "decoder/core/LayerThree.h"
#include "decoder/core/SubbandLayers.h"

namespace kelvaro {
namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

// Makes `bytes` stream bytes from `offset` available in the buffer; returns how many are
// (fewer at the end of the data).
int FrameReader::Ensure(int64_t offset, int bytes) {
  if (offset < 0) return 0;
  if (dataEnd_ >= 0) {
    if (offset >= dataEnd_) return 0;
    bytes = static_cast<int>(std::min<int64_t>(bytes, dataEnd_ - offset));
  }
  const int64_t bufferEnd = bufferStart_ + bufferLength_;
  if (offset >= bufferStart_ && offset + bytes <= bufferEnd) return bytes;
  if (offset >= bufferStart_ && offset <= bufferEnd) {
    int keep = static_cast<int>(bufferEnd - offset);
    std::memmove(buffer_, buffer_ + (offset - bufferStart_), keep);
    bufferStart_ = offset;
    bufferLength_ = keep;
  } else {
    if (offset != streamPos_) {
      if (stream_.Seekable()) {
        if (!stream_.Seek(offset)) return 0;
        streamPos_ = offset;
      } else {
        // Forward only: read and drop.
        while (streamPos_ < offset) {
          int n = stream_.Read(
              buffer_, static_cast<int>(std::min<int64_t>(sizeof buffer_, offset - streamPos_)));
          if (n <= 0) return 0;
          streamPos_ += n;
        }
        if (streamPos_ != offset) return 0;
      }
    }
    bufferStart_ = offset;
    bufferLength_ = 0;
  }
  if (streamPos_ != bufferStart_ + bufferLength_) {
    if (!stream_.Seek(bufferStart_ + bufferLength_)) return 0;
    streamPos_ = bufferStart_ + bufferLength_;
  }
  while (bufferLength_ < bytes) {
    int n = stream_.Read(buffer_ + bufferLength_, static_cast<int>(sizeof buffer_) - bufferLength_);
    if (n <= 0) break;
    bufferLength_ += n;
    streamPos_ += n;
  }
  return std::min(bytes, bufferLength_);
}

// The frame size of a free-format stream: the distance to the next free-format header of the
// same stream, confirmed by a third header at the same distance behind it. The channel mode
// may differ from frame to frame (stereo and joint stereo alternate in some encoders' output),
// so only the kind of stream is compared; the third header keeps a sync word inside the
// audio data from passing for the next frame.
int FrameReader::FreeFormatBytes(int64_t offset, const FrameHeader& h) {
  const int wanted = 2 * kMaxFrameBytes + 8;
  const int available = Ensure(offset, wanted);
  const bool dataEnds = available < wanted;
  const uint8_t* p = buffer_ + (offset - bufferStart_);
  auto pad = [](const FrameHeader& f) { return f.padding ? (f.layer == 1 ? 4 : 1) : 0; };
  for (int i = 4 + h.SideInfoBytes(); i + 4 <= available && i - pad(h) <= kMaxFrameBytes; ++i) {
    FrameHeader next;
    if (p[i] != 0xFF || !next.Parse(p + i)) continue;
    if (next.bitrateIndex != 0 || !next.SameStream(h)) continue;
    const int size = i - pad(h);
    const int third = i + size + pad(next);
    if (third + 4 <= available) {
      FrameHeader after;
      if (!after.Parse(p + third) || after.bitrateIndex != 0 || !after.SameStream(h)) continue;
    } else if (!dataEnds) {
      continue;
    }
    return size;
  }
  return 0;
}

FrameReader::Probe FrameReader::ProbeAt(int64_t offset, bool strict, FrameHeader& h, int& bytes) {
  if (Ensure(offset, 4) < 4) return Probe::kEnd;
  if (!h.Parse(buffer_ + (offset - bufferStart_))) return Probe::kNoFrame;
  if (haveReference_ && !h.SameStream(reference_)) return Probe::kOtherKind;
  if (h.bitrateIndex == 0) {
    if (!freeFormatBytes_ || !haveReference_) {
      // Each search reads ahead a whole frame; a bounded number keeps junk from costing
      // quadratic time.
      if (++freeFormatSearches_ > 32) return Probe::kNoFrame;
      int found = FreeFormatBytes(offset, h);
      if (found <= 0) return Probe::kNoFrame;
      if (!haveReference_)
        freeFormatBytes_ = found;
      else if (found != freeFormatBytes_)
        return Probe::kNoFrame;
    }
    h.freeFormatBytes = freeFormatBytes_;
  }
  bytes = h.FrameBytes();
  if (bytes < 4 + (h.hasCrc ? 2 : 0) || bytes > kMaxFrameBytes) return Probe::kNoFrame;
  // One request from the frame's start keeps the frame itself in the buffer.
  int available = Ensure(offset, bytes + (strict ? 4 : 0));
  if (available < bytes) return Probe::kEnd;  // a cut-off last frame
  if (strict && available >= bytes + 4) {
    // A sync word can occur by chance; a real frame is followed by another one.
    FrameHeader next;
    if (!next.Parse(buffer_ + (offset + bytes - bufferStart_)) || !next.SameStream(h))
      return Probe::kNoFrame;
  }
  return Probe::kFrame;
}

bool FrameReader::ProbeChange(int64_t offset, FrameHeader& h, int& bytes) {
  int freeBytes = 0;
  if (h.bitrateIndex == 0) {
    if (++freeFormatSearches_ > 32) return false;
    freeBytes = FreeFormatBytes(offset, h);
    if (freeBytes <= 0) return false;
    h.freeFormatBytes = freeBytes;
  }
  bytes = h.FrameBytes();
  if (bytes < 4 + (h.hasCrc ? 2 : 0) || bytes > kMaxFrameBytes) return false;
  int span = bytes;
  for (int k = 0; k < 2; ++k) {
    const int available = Ensure(offset, span + 4);
    if (available < span) return false;  // a cut-off frame
    if (available < span + 4) {
      if (available != span) return false;
      break;  // the data ends after whole frames of the new kind
    }
    FrameHeader next;
    if (!next.Parse(buffer_ + (offset + span - bufferStart_)) || !next.SameStream(h)) return false;
    next.freeFormatBytes = freeBytes;
    const int nextBytes = next.FrameBytes();
    if (nextBytes < 4 + (next.hasCrc ? 2 : 0) || nextBytes > kMaxFrameBytes) return false;
    span += nextBytes;
  }
  reference_ = h;
  freeFormatBytes_ = freeBytes;
  Ensure(offset, bytes);
  return true;
}

bool FrameReader::FindFrame(int64_t from, bool strict) {
  frameBytes_ = 0;  // no current frame until one is found
  for (int64_t offset = from;; ++offset) {
    if (Ensure(offset, 1) < 1) return false;
    if (buffer_[offset - bufferStart_] != 0xFF) continue;
    FrameHeader h;
    int bytes = 0;
    Probe p = ProbeAt(offset, strict, h, bytes);
    if (p == Probe::kOtherKind) p = ProbeChange(offset, h, bytes) ? Probe::kFrame : Probe::kNoFrame;
    if (p == Probe::kNoFrame) continue;
    if (p == Probe::kEnd) {
      if (Ensure(offset, 4) < 4) return false;
      continue;  // a cut-off frame at the end: the scan runs out of data
    }
    header_ = h;
    frameOffset_ = offset;
    frameBytes_ = bytes;
    return true;
  }
}

int64_t FrameReader::SkipId3v2(int64_t offset) {
  for (;;) {
    if (Ensure(offset, 10) < 10) return offset;
    const uint8_t* p = buffer_ + (offset - bufferStart_);
    if (p[0] != 'I' || p[1] != 'D' || p[2] != '3' || p[3] == 0xFF || p[4] == 0xFF ||
        ((p[6] | p[7] | p[8] | p[9]) & 0x80))
      return offset;
    int64_t size = (int64_t(p[6]) << 21) | (p[7] << 14) | (p[8] << 7) | p[9];
    offset += 10 + size + ((p[5] & 0x10) ? 10 : 0);
  }
}

bool FrameReader::Open() {
  haveReference_ = false;
  freeFormatBytes_ = 0;
  freeFormatSearches_ = 0;
  vbrFrames_ = vbrBytes_ = 0;
  hasToc_ = false;
  bufferStart_ = 0;
  bufferLength_ = 0;
  streamPos_ = 0;
  dataEnd_ = -1;
  int64_t size = stream_.Size();
  if (size >= 128 && stream_.Seekable()) {
    // An ID3v1 tag at the end is not audio.
    if (Ensure(size - 128, 3) == 3 &&
        std::memcmp(buffer_ + (size - 128 - bufferStart_), "TAG", 3) == 0)
      dataEnd_ = size - 128;
    else
      dataEnd_ = size;
  }
  if (!FindFrame(SkipId3v2(0), true)) return false;
  reference_ = header_;
  haveReference_ = true;
  firstFrameOffset_ = frameOffset_;
  audioStart_ = frameOffset_;
  frameNumber_ = 0;
  if (ReadVbrHeader()) {
    // The tag frame carries no sound: the audio starts behind it.
    audioStart_ = frameOffset_ + frameBytes_;
    if (!Next()) return false;
    frameNumber_ = 0;
  }
  followsGap_ = false;
  if (!PlausibleStart()) return false;
  if (vbrFrames_ > 0) {
    frameCount_ = vbrFrames_;
  } else {
    int64_t end = dataEnd_ >= 0 ? dataEnd_ : (size >= 0 ? size : -1);
    frameCount_ = end > audioStart_ ? (end - audioStart_) / frameBytes_ : 0;
  }
  return true;
}

// Up to eight frames from the first audio frame on, as far as they lie in the buffer (one
// read): at least half of them must be plausible. Junk that happens to repeat a header (four
// bytes FF FB 00 44 over and over make a free-format stream of 36-byte frames) has side
// information that points far beyond any main data it could have.
bool FrameReader::PlausibleStart() {
  const int available = Ensure(frameOffset_, 32768);
  const uint8_t* p = buffer_ + (frameOffset_ - bufferStart_);
  int at = 0, frames = 0, plausible = 0;
  while (frames < 8 && at + 4 <= available) {
    FrameHeader h;
    if (!h.Parse(p + at) || !h.SameStream(reference_)) break;
    h.freeFormatBytes = freeFormatBytes_;
    const int bytes = h.FrameBytes();
    if (bytes <= 0 || at + bytes > available) break;
    ++frames;
    if (Plausible(h, p + at, bytes)) ++plausible;
    at += bytes;
  }
  return plausible > 0 && plausible * 2 >= frames;
}

bool FrameReader::Plausible(const FrameHeader& h, const uint8_t* frame, int bytes) {
  if (h.layer == 3) return LayerThreeSideInfoFits(h, frame, bytes);
  const int bits = SubbandFrameBits(h, frame, bytes);
  return bits >= 0 && bits <= bytes * 8;
}

// LAME writes its Xing/Info tag right behind the side information, but in a frame with a
// check word at the offset it would have without one (2 bytes early); both are looked at.
bool FrameReader::ReadVbrHeader() {
  const uint8_t* frame = Data();
  const int bytes = frameBytes_;
  const int side = 4 + header_.SideInfoBytes();
  for (int xing : {side + (header_.hasCrc ? 2 : 0), side}) {
    if (xing + 8 > bytes ||
        (std::memcmp(frame + xing, "Xing", 4) != 0 && std::memcmp(frame + xing, "Info", 4) != 0))
      continue;
    uint32_t flags = BigEndian32(frame + xing + 4);
    int at = xing + 8;
    int64_t frames = 0;
    if ((flags & 1) && at + 4 <= bytes) frames = BigEndian32(frame + at), at += 4;
    if ((flags & 2) && at + 4 <= bytes) vbrBytes_ = BigEndian32(frame + at), at += 4;
    if ((flags & 4) && at + 100 <= bytes) {
      std::memcpy(toc_, frame + at, 100);
      hasToc_ = true;
    }
    // Without a count the length is estimated as for a constant bit rate.
    vbrFrames_ = frames;
    if (frames == 0) {
      vbrBytes_ = 0;
      hasToc_ = false;
    }
    return true;
  }
  const int vbri = 36;
  if (vbri + 26 <= bytes && std::memcmp(frame + vbri, "VBRI", 4) == 0) {
    vbrBytes_ = BigEndian32(frame + vbri + 10);
    vbrFrames_ = BigEndian32(frame + vbri + 14);
    return true;
  }
  return false;
}

int64_t FrameReader::EstimateOffset(int64_t n) const {
  if (n <= 0 || frameCount_ <= 0) return audioStart_;
  if (vbrFrames_ > 0 && vbrBytes_ > 0) {
    double percent = std::min(99.999, 100.0 * n / vbrFrames_);
    double fraction = percent / 100;
    if (hasToc_) {
      int a = static_cast<int>(percent);
      double fa = toc_[a], fb = a < 99 ? toc_[a + 1] : 256;
      fraction = (fa + (fb - fa) * (percent - a)) / 256;
    }
    return firstFrameOffset_ + static_cast<int64_t>(fraction * vbrBytes_);
  }
  int64_t end = dataEnd_ >= 0 ? dataEnd_ : audioStart_ + frameCount_ * frameBytes_;
  return audioStart_ +
         static_cast<int64_t>(static_cast<double>(end - audioStart_) * n / frameCount_);
}

bool FrameReader::Next() {
  int64_t next = frameOffset_ + frameBytes_;
  FrameHeader h;
  int bytes = 0;
  followsGap_ = false;
  Probe p = ProbeAt(next, false, h, bytes);
  if (p == Probe::kEnd) {
    frameBytes_ = 0;
    return false;
  }
  // A new part of the stream, right behind the last frame: no gap (the decoder and the
  // player start the new kind afresh themselves).
  if (p == Probe::kOtherKind && ProbeChange(next, h, bytes)) p = Probe::kFrame;
  if (p == Probe::kFrame) {
    header_ = h;
    frameOffset_ = next;
    frameBytes_ = bytes;
  } else if (!FindFrame(next, true)) {
    return false;  // damaged beyond repair: the end of the song
  } else {
    followsGap_ = true;
  }
  ++frameNumber_;
  return true;
}

bool FrameReader::SeekToFrame(int64_t n) {
  if (!stream_.Seekable() || n < 0) return false;
  if (!FindFrame(EstimateOffset(n), true)) return false;
  if (frameOffset_ < audioStart_ && !FindFrame(audioStart_, true)) return false;
  frameNumber_ = n;
  followsGap_ = false;  // the decoder is reset after a seek: a new start, not a gap
  return true;
}

bool FrameReader::Rewind() {
  if (!stream_.Rewind()) return false;
  return Open();
}

}  // namespace kelvaro
