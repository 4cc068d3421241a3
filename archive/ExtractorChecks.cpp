// The reader's operations that the player does not use, checking every block and
// extracting one listed entry, in a file of their own: the player's linker keeps the
// unused functions of every object file it takes, so these would only take its room.
#include "archive/CustomExtractor.h"
#include "archive/FormatText.h"
#include "archive/Paths.h"

namespace archive {

void TCustomExtractor::ExtractFile(int segment, int32_t offset, const std::string& destPath) {
  OperationGuard guard(*this, opExtract);
  Open();
  GoToSegment(segment);
  if (offset < HeaderLength(header_) || offset >= header_.DataEnd) Damaged();
  SeekTo(startOffset_ + offset);
  TFileEntry entry;
  ReadEntry(entry);
  progressTotal_ = entry.CompressedSize;
  ExtractEntryTo(entry, destPath, ExtractFilePath(destPath));
}

int TCustomExtractor::TestFiles() {
  OperationGuard guard(*this, opExtract);
  Open();
  progressTotal_ = header_.Totals.CompressedSize;
  int damaged = 0;
  ProcessEntries([this, &damaged](TFileEntry& entry) {
    if (IsFolderEntry(entry) && !FolderWithData(entry)) {
      SkipEntryData(entry);
      return;
    }
    DisplayMessage(
        FormatText(messages_.CheckingFile, {ExtractFileName(entry.Name), int(entry.Size)}));
    try {
      ReadEntryData(entry, nullptr);
      ++processedFiles_;
    } catch (...) {
      ++damaged;
      HandleFileError(entry, progressDone_);
      RecoverAfterError();
    }
  });
  return damaged;
}

}  // namespace archive
