// Deleting entries: the archive is written anew without them, behind the same
// executable code, into a temporary file beside it, which takes the archive's name
// only once it is complete. Entry records and blocks are copied as stored, so
// compressed and encrypted data need no work and no password.
#include <algorithm>

#include "archive/CustomArchiver.h"
#include "archive/FormatText.h"
#include "archive/Paths.h"
#include "platform/LittleEndian.h"

namespace archive {

struct TCustomArchiver::TKeptEntry {
  TFileEntry entry;
  int64_t position;  // of its record in the old file
  int64_t length;    // of its record and blocks
};

int TCustomArchiver::DeleteFiles() {
  if (!OnDeleteFile) throw EArchiver(messages_.DeleteFileEventNeeded);
  OperationGuard guard(*this, opDelete);
  Open();
  if (readOnly_) throw EArchiver(messages_.ArchiveIsReadOnly);
  // Entries of a segmented archive reach across files that cannot be replaced at once.
  if (IsSegmentedOnDisk() || (solidWork_ && solidSegmented_))
    throw EArchiver(messages_.UnableToDeleteFiles);
  DisplayMessage(messages_.DeletingFiles);
  std::vector<TKeptEntry> kept;
  int deleted = 0;
  ProcessEntries([&](TFileEntry& entry) {
    const int64_t position = EntryPosition();
    bool accept = false;
    OnDeleteFile(entry, accept);
    SkipEntryData(entry);
    if (accept) {
      DisplayMessage(FormatText(messages_.DeleteFile, {entry.Name}));
      ++deleted;
    } else {
      kept.push_back({entry, position, file_.Position() - position});
    }
  });
  if (deleted == 0) return 0;

  // Beside the archive, so that the new file can take its name on the same drive.
  std::string folder = ExtractFilePath(segmentFileName_);
  if (folder.empty()) folder = std::string(".") + platform::kPathDelim;
  const std::string temp = TempArchiveName(folder);
  WriteWithout(kept, temp);
  platform::SetAttributes(temp, uint32_t(platform::GetAttributes(segmentFileName_)));
  file_.Close();
  const bool renamed = platform::RenameFile(temp, segmentFileName_);
  if (!renamed) platform::DeleteFile(temp);
  bool readOnly = false;
  OpenFile(segmentFileName_, CanWrite(), file_, readOnly);
  readOnly_ = readOnly;
  ReadHeader(file_, startOffset_, segmentFileName_, header_);
  if (!renamed)
    throw EArchiver(FormatText(messages_.CouldNotRenameArchive, {temp, segmentFileName_}));
  modified_ = true;
  return deleted;
}

void TCustomArchiver::WriteWithout(const std::vector<TKeptEntry>& kept, const std::string& target) {
  platform::File out;
  if (!out.Open(target, platform::OpenMode::Create))
    throw EArchiver(FormatText("Cannot create file \"%s\"", {target}));
  try {
    TArchiveHeader h = header_;
    h.Totals = TTotals();
    h.SegmentTotals = TTotals();
    int64_t dataLength = 0;
    for (const TKeptEntry& k : kept) {
      h.Totals.FileCount = ++h.SegmentTotals.FileCount;
      h.Totals.Size += k.entry.Size;
      h.Totals.CompressedSize += k.entry.CompressedSize;
      h.SegmentTotals.Size += k.entry.PartSize;
      h.SegmentTotals.CompressedSize += k.entry.PartCompressedSize;
      dataLength += k.length;
    }
    h.DataEnd = int32_t(HeaderLength(h) + dataLength);
    progressTotal_ = double(startOffset_ + dataLength);
    progressDone_ = 0;
    DisplayMessage(messages_.CopyingArchive);
    CopyStored(out, 0, startOffset_);  // the executable code in front
    const std::vector<uint8_t> header = HeaderBytes(h);
    if (!out.Write(header.data(), header.size())) throw EArchiver(messages_.CouldNotCopyArchive);
    for (const TKeptEntry& k : kept) {
      const int64_t newPosition = out.Position();
      CopyStored(out, k.position, k.length);
      // The record's Offset field (behind its name) tells where it now begins.
      uint8_t nameLength[4], offset[4];
      SeekTo(k.position);
      ReadBytes(nameLength, sizeof nameLength);
      const int64_t field = newPosition + 4 + int64_t(platform::GetLe32(nameLength)) + 16;
      platform::PutLe32(offset, uint32_t(newPosition - startOffset_));
      if (!out.Seek(field) || !out.Write(offset, sizeof offset) ||
          !out.Seek(newPosition + k.length))
        throw EArchiver(messages_.CouldNotCopyArchive);
    }
  } catch (...) {
    out.Close();
    platform::DeleteFile(target);
    throw;
  }
}

void TCustomArchiver::CopyStored(platform::File& out, int64_t from, int64_t count) {
  EnsureBuffers();
  SeekTo(from);
  while (count > 0) {
    const size_t n = size_t(std::min<int64_t>(count, int64_t(inBuffer_.size())));
    ReadBytes(inBuffer_.data(), n);
    if (!out.Write(inBuffer_.data(), n)) throw EArchiver(messages_.CouldNotCopyArchive);
    count -= int64_t(n);
    AddProgress(double(n));
  }
}

}  // namespace archive
