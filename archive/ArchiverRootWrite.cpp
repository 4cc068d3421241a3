// The parts of TArchiverRoot that only writing uses, in a file of their own: the
// player's linker keeps the unused functions of every object file it takes.
#include "archive/ArchiverRoot.h"
#include "archive/FormatText.h"

namespace archive {

void TArchiverRoot::EnsureBuffers() {
  const size_t size = size_t(OutputBufferSize());
  inBuffer_.resize(size);
  outBuffer_.resize(size);
}

std::vector<uint8_t> TArchiverRoot::HeaderBytes(TArchiveHeader& h) {
  h.Signature = Signature();
  h.UserData.fill(0);
  if (OnWriteUserData) OnWriteUserData(h.UserData);
  return EncodeHeader(h);
}

void TArchiverRoot::WriteHeader() {
  TArchiveHeader h = header_;
  if (fileInProgress_) ++h.SegmentTotals.FileCount;
  const std::vector<uint8_t> bytes = HeaderBytes(h);
  header_.UserData = h.UserData;
  SeekTo(startOffset_);
  WriteBytes(bytes.data(), bytes.size());
  if (OnAfterHeaderUpdate) OnAfterHeaderUpdate();
}

void TArchiverRoot::WriteBytes(const void* buffer, size_t size) {
  if (!file_.Write(buffer, size))
    throw EArchiver(FormatText("Stream write error: %s", {segmentFileName_}));
}

}  // namespace archive
