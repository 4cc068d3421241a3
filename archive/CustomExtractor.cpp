#include "archive/CustomExtractor.h"

#include <algorithm>
#include <cstring>

#include "archive/Checksum.h"
#include "archive/FormatText.h"
#include "archive/Paths.h"
#include "platform/LittleEndian.h"
#include "platform/System.h"

namespace archive {

namespace {

// Attribute bits an extracted file may receive (no folder, volume or device bits).
constexpr uint32_t kRestorableAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x80 | 0x100 | 0x2000;
// Location prompts answered by scripts could repeat a refused answer for ever.
constexpr int kMaxLocateAttempts = 100;

// True when a part of `path` below `root` (the path itself included) is a link:
// writing there would follow it out of the folder. Outside `root` only the path
// itself counts.
bool LinkOnPath(const std::string& root, const std::string& path) {
  size_t at = path.compare(0, root.size(), root) == 0 ? root.size() : path.size();
  if (at < path.size() && IsPathDelim(path[at])) ++at;  // the root's own separator
  for (; at <= path.size(); ++at)
    if ((at == path.size() || IsPathDelim(path[at])) && platform::IsLink(path.substr(0, at)))
      return true;
  return false;
}

}  // namespace

TCustomExtractor::~TCustomExtractor() {
  try {
    Close();
  } catch (...) {  // a destructor cannot report; Close() reports when called
  }
}

// ---- open and close ----------------------------------------------------------------------

void TCustomExtractor::Open() {
  if (open_) {
    if (!file_.IsOpen()) {
      bool readOnly = readOnly_;
      OpenFile(segmentFileName_, CanWrite() && !readOnly_, file_, readOnly);
    }
    return;
  }
  if (OnBeforeOpen) OnBeforeOpen();
  if (fileName_.empty()) throw EArchiver(messages_.FileNameNeeded);
  try {
    OpenArchiveFile();
    open_ = true;
    if (!header_.Comment.empty() && OnShowComment) OnShowComment(header_.Comment);
    if ((header_.ArchiveFlag & afSolid) && !solidWork_) UnpackSolid();
    if (OnAfterOpen) OnAfterOpen();
    if (options_.Has(oEnumerateAfterOpen) || options_.Has(oMaintainFileDirectory)) List();
  } catch (...) {
    file_.Close();
    open_ = false;
    if (!solidTempName_.empty()) {
      platform::DeleteFile(solidTempName_);
      solidTempName_.clear();
    }
    if (solidWork_) {
      fileName_ = solidFileName_;
      LeaveSolidWork();
    }
    if (nesting_ == 0) ReleaseWorkingMemory();
    throw;
  }
}

void TCustomExtractor::OpenArchiveFile() {
  header_ = TArchiveHeader();
  fileInProgress_ = false;
  modified_ = false;
  readOnly_ = false;
  structureChecked_ = false;
  if (platform::FileExists(fileName_)) {
    OpenFile(fileName_, CanWrite(), file_, readOnly_);
    segmentFileName_ = fileName_;
    archiveFileName_ = fileName_;
    startOffset_ = StartOffsetOf(fileName_, 1);
    ReadHeader(file_, startOffset_, fileName_, header_);
    archiveID_ = header_.ArchiveID;
    firstSegmentName_ = header_.Segment == 1
                            ? fileName_
                            : ExtractFilePath(fileName_) + SegmentBaseName(fileName_) + ".exe";
    if (header_.ArchiveFlag & afReadOnly) readOnly_ = true;
  } else {
    CreateArchive();
  }
  bool accept = true;
  if (OnAcceptArchive) OnAcceptArchive(header_, accept);
  if (!accept) throw EArchiver(messages_.AcceptArchiveFailed);
  // Segment 1 of a finished segmented archive carries the totals of all segments.
  const bool finishedFirst =
      header_.Segment == 1 && header_.Totals.CompressedSize > header_.SegmentTotals.CompressedSize;
  if (!options_.Has(oOpenSingleSegment) && !finishedFirst) GoToLastSegment();
}

void TCustomExtractor::OpenFile(const std::string& name, bool writable, platform::File& file,
                                bool& readOnly) {
  const int32_t attributes = platform::GetAttributes(name);
  const bool fileReadOnly = attributes >= 0 && (attributes & platform::faReadOnly);
  if (writable && !fileReadOnly && file.Open(name, platform::OpenMode::ReadWrite)) {
    readOnly = false;
    return;
  }
  if (file.Open(name, platform::OpenMode::ReadDenyWrite)) {
    readOnly = true;
    return;
  }
  throw EArchiver(FormatText("Cannot open file \"%s\"", {name}));
}

void TCustomExtractor::CreateArchive() { throw EArchiver(messages_.CanNotCreateArchive); }

void TCustomExtractor::Close() {
  if (!open_) return;
  if (OnBeforeClose) OnBeforeClose();
  std::exception_ptr error;
  try {
    FinishWriting();
  } catch (...) {
    error = std::current_exception();
  }
  file_.Close();
  if (!solidTempName_.empty()) {
    platform::SetAttributes(solidTempName_, 0);
    platform::DeleteFile(solidTempName_);
    solidTempName_.clear();
  }
  if (solidWork_) {
    fileName_ = solidFileName_;
    LeaveSolidWork();
  }
  ForgetPassword();
  open_ = false;
  fileInProgress_ = false;
  if (nesting_ == 0) ReleaseWorkingMemory();
  if (OnAfterClose) OnAfterClose();
  if (error) std::rethrow_exception(error);
}

// ---- segments ----------------------------------------------------------------------------

std::string TCustomExtractor::ExpectedSegmentName(int segment) const {
  return segment == 1 ? firstSegmentName_ : SegmentFileName(archiveFileName_, segment);
}

bool TCustomExtractor::IsSegmentedOnDisk() const {
  return header_.Segment != 1 || !(header_.ArchiveFlag & afFinalSegment);
}

bool TCustomExtractor::TryOpenSegment(const std::string& name, int segment, bool wantLast) {
  if (!platform::FileExists(name)) return false;
  platform::File file;
  bool readOnly = readOnly_;
  TArchiveHeader h;
  const int64_t start = StartOffsetOf(name, segment);
  int32_t commentLength = 0;
  try {
    OpenFile(name, CanWrite() && !readOnly_, file, readOnly);
    commentLength = ReadHeaderStart(file, start, name, h);
  } catch (const EArchiverDamaged&) {
    // Not even a whole header; what there is of it (zeros for the rest) tells
    // whether it is the segment asked for.
    if (h.ArchiveID == archiveID_ && (segment <= 0 || h.Segment == segment)) throw;
    return false;
  } catch (const EArchiver&) {
    return false;
  }
  if (h.ArchiveID != archiveID_ || (segment > 0 && h.Segment != segment) ||
      (wantLast && !(h.ArchiveFlag & afFinalSegment)))
    return false;
  // The segment asked for, but damaged or cut short: that is what the user must
  // hear, not that it is missing or the wrong file.
  ReadHeaderRest(file, start, name, commentLength, h);
  file_ = std::move(file);
  header_ = std::move(h);
  startOffset_ = start;
  segmentFileName_ = name;
  if (readOnly) readOnly_ = true;
  return true;
}

bool TCustomExtractor::AskForSegment(int segment, std::string& name) {
  const std::string drive = ExtractFileDrive(name);
  if (!drive.empty() && platform::GetDriveType(name) == platform::DriveType::Removable) {
    std::string reply = drive;
    const bool ok = OnInsertDisk
                        ? OnInsertDisk(segment, reply)
                        : Input(FormatText(messages_.InsertDisk, {segment, drive}), reply, false);
    if (!ok) return false;
    if (!ExtractFileDrive(reply).empty()) name = ExtractFileDrive(reply) + name.substr(2);
    return true;
  }
  std::string path = name;
  const std::string title =
      FormatText(messages_.LocateSegment, {segment, SegmentBaseName(archiveFileName_)});
  const bool ok = OnLocateSegment ? OnLocateSegment(segment, path)
                                  : prompts_ && prompts_->SelectFile(title, path);
  if (!ok) return false;
  name = path;
  return true;
}

void TCustomExtractor::GoToSegment(int segment) {
  if (segment == header_.Segment && file_.IsOpen()) return;
  if (segment < 1 || segment > 0xFFFF) Damaged();
  std::string name = ExpectedSegmentName(segment);
  const bool removable = !ExtractFileDrive(name).empty() &&
                         platform::GetDriveType(name) == platform::DriveType::Removable;
  if (!TryOpenSegment(name, segment, false) && !(segment == 1 && FindFirstSegment())) {
    file_.Close();
    const std::string wrong =
        FormatText(messages_.WrongSegment, {segment, SegmentBaseName(archiveFileName_)});
    for (int attempt = 0;; ++attempt) {
      if (attempt == kMaxLocateAttempts) throw EArchiver(wrong);
      if (!AskForSegment(segment, name)) throw EAbort();
      try {
        if (TryOpenSegment(name, segment, false)) break;
        if (!removable) Tell(wrong);
      } catch (const EArchiverDamaged& e) {
        Tell(e.Message());  // the right file, but damaged: the user may have a good copy
      }
    }
    if (segment == 1)
      firstSegmentName_ = name;
    else if (!removable)
      archiveFileName_ = name;
  }
  if (OnSegmentChanged) OnSegmentChanged();
}

bool TCustomExtractor::FindFirstSegment() {
  // Opened on a later segment, the first one's extension is unknown: look for a
  // file of the same base name that is segment 1 of this archive.
  const std::string folder = ExtractFilePath(archiveFileName_);
  const std::string base = SegmentBaseName(archiveFileName_);
  std::vector<platform::FolderItem> items = platform::ListFolder(folder.empty() ? "." : folder);
  for (const auto& item : items) {
    if (item.isFolder || !SameTextAscii(SegmentBaseName(item.name), base) ||
        SameTextAscii(ExtractFileExt(item.name), ".mmm"))
      continue;
    const std::string path = folder + item.name;
    if (TryOpenSegment(path, 1, false)) {
      firstSegmentName_ = path;
      return true;
    }
  }
  return false;
}

void TCustomExtractor::GoToLastSegment() {
  if ((header_.ArchiveFlag & afFinalSegment) || options_.Has(oOpenSingleSegment)) return;
  for (int k = header_.Segment; k < 0xFFFF; ++k) {
    if (!TryOpenSegment(SegmentFileName(archiveFileName_, k + 1), k + 1, false)) break;
    if (header_.ArchiveFlag & afFinalSegment) {
      if (OnSegmentChanged) OnSegmentChanged();
      return;
    }
  }
  LocateLastSegment();
  if (OnSegmentChanged) OnSegmentChanged();
}

void TCustomExtractor::LocateLastSegment() {
  const std::string base = SegmentBaseName(archiveFileName_);
  std::string drive = ExtractFileDrive(archiveFileName_);
  const bool removable =
      !drive.empty() && platform::GetDriveType(archiveFileName_) == platform::DriveType::Removable;
  for (int attempt = 0; attempt < kMaxLocateAttempts; ++attempt) {
    if (removable) {
      std::string reply = drive;
      const bool ok = OnInsertLastDisk
                          ? OnInsertLastDisk(reply)
                          : Input(FormatText(messages_.InsertLastSegment, {drive}), reply, false);
      if (!ok) throw EAbort();
      if (!ExtractFileDrive(reply).empty()) drive = ExtractFileDrive(reply);
      const std::string folder = drive + ExtractFilePath(archiveFileName_).substr(2);
      for (const auto& item : platform::ListFolder(folder)) {
        if (item.isFolder || !MatchesMask(item.name, base + "*.mmm")) continue;
        const std::string path = folder + item.name;
        if (TryOpenSegment(path, 0, true)) {
          archiveFileName_ = path;
          return;
        }
      }
    } else {
      std::string path = SegmentFileName(archiveFileName_, header_.Segment + 1);
      const bool ok = OnLocateLastSegment
                          ? OnLocateLastSegment(path)
                          : prompts_ && prompts_->SelectFile(
                                            FormatText(messages_.LocateLastSegment, {base}), path);
      if (!ok) throw EAbort();
      if (TryOpenSegment(path, 0, true)) {
        archiveFileName_ = path;
        return;
      }
      Tell(messages_.WrongLastSegment);
    }
  }
  throw EArchiver(messages_.WrongLastSegment);
}

// ---- entries and blocks ------------------------------------------------------------------

void TCustomExtractor::ReadEntry(TFileEntry& entry) {
  const int64_t position = file_.Position();
  const int64_t end = SegmentEnd();
  if (position < 0 || position + kEntryFixedSize > end) Damaged();
  uint8_t lengthBytes[4];
  ReadBytes(lengthBytes, sizeof lengthBytes);
  const int32_t nameLength = int32_t(platform::GetLe32(lengthBytes));
  if (nameLength < 0 || nameLength > 0x10000 || nameLength > end - position - kEntryFixedSize)
    Damaged();
  std::vector<uint8_t> rest(size_t(nameLength) + kEntryTailSize);
  ReadBytes(rest.data(), rest.size());
  TFileEntry e;
  DecodeEntry(rest.data(), nameLength, rest.data() + nameLength, e);
  const int64_t dataStart = position + kEntryFixedSize + nameLength;
  if (e.PartCompressedSize < 0 || e.PartCompressedSize > end - dataStart || e.PartSize < 0 ||
      e.Size < 0 || e.CompressedSize < 0 || e.PartStart < 0 ||
      int64_t(e.PartStart) + e.PartSize > e.Size)
    Damaged();
  entry = e;
  currentPart_ = e;
  partDataStart_ = dataStart;
  partSegment_ = header_.Segment;
  entryPosition_ = position;
}

// A block of a part, read but not yet checked.
struct TCustomExtractor::PendingBlock {
  int32_t length = 0;  // as stored: negative for a stored block
  uint32_t check = 0;
  size_t offset = 0;   // in inBuffer_
  int32_t size = 0;    // bytes to check (deciphered)
  int64_t stored = 0;  // bytes in the archive
};

int TCustomExtractor::ReadBlocks(const TFileEntry& part, int64_t consumed, PendingBlock* blocks) {
  const int64_t total = part.PartCompressedSize;
  const int64_t bufferLimit = OutputBufferSize();
  const bool crypted = (part.FileFlag & efCrypted) != 0;
  int count = 0;
  size_t used = 0;
  while (count < kMaxParallelChecks && consumed < total) {
    if (total - consumed < kBlockHeaderSize) Damaged();
    uint8_t blockHeader[kBlockHeaderSize];
    ReadBytes(blockHeader, sizeof blockHeader);
    PendingBlock& b = blocks[count];
    DecodeBlockHeader(blockHeader, b.length, b.check);
    b.stored = b.length < 0 ? -int64_t(b.length) : int64_t(b.length);
    if (b.stored > total - consumed - kBlockHeaderSize || b.stored > bufferLimit) Damaged();
    // Buffers grow to what the blocks need: a hostile BlockSize alone allocates nothing.
    if (inBuffer_.size() < used + size_t(b.stored)) inBuffer_.resize(used + size_t(b.stored));
    b.offset = used;
    ReadBytes(inBuffer_.data() + used, size_t(b.stored));
    b.size = int32_t(b.stored);
    if (crypted && !DecryptBlock(inBuffer_.data() + used, b.size, b.size))
      throw EArchiverBadKey(messages_.BadKey);
    used += size_t(b.stored);
    consumed += kBlockHeaderSize + b.stored;
    ++count;
  }
  return count;
}

void TCustomExtractor::ReadPart(TFileEntry& part, platform::File* dest) {
  const int64_t bufferLimit = OutputBufferSize();
  const bool crypted = (part.FileFlag & efCrypted) != 0;
  if (crypted && part.PartCompressedSize > 0) ObtainPassword(false);
  const int64_t total = part.PartCompressedSize;
  int64_t consumed = 0, written = 0;
  while (consumed < total) {
    // Blocks are read a few at a time so that their checks run side by side.
    PendingBlock blocks[kMaxParallelChecks];
    const int count = ReadBlocks(part, consumed, blocks);
    const uint8_t* data[kMaxParallelChecks];
    size_t sizes[kMaxParallelChecks];
    uint32_t checks[kMaxParallelChecks];
    for (int k = 0; k < count; ++k) {
      data[k] = inBuffer_.data() + blocks[k].offset;
      sizes[k] = size_t(blocks[k].size);
    }
    BlockChecks(data, sizes, count, checks);
    for (int k = 0; k < count; ++k) {
      const PendingBlock& b = blocks[k];
      if (checks[k] != b.check) {
        if (crypted) throw EArchiverBadKey(messages_.BadKey);
        throw EArchiverBadCRC(messages_.BadCRC);
      }
      const uint8_t* out = inBuffer_.data() + b.offset;
      int32_t size = b.size;
      if (b.length >= 0) {
        // Deflate makes at most 1032 bytes of one: the buffer for a small block stays
        // small whatever block size a header claims (a custom codec gets the whole).
        const int64_t capacity = OnUncompressBlock
                                     ? bufferLimit
                                     : std::min<int64_t>(bufferLimit, 1032 * int64_t(size) + 1024);
        if (int64_t(outBuffer_.size()) < capacity) outBuffer_.resize(size_t(capacity));
        if (!UncompressBlock(out, size, outBuffer_.data(), int32_t(capacity), size))
          throw EArchiverUncompress(messages_.CouldNotUncompressBlock);
        out = outBuffer_.data();
      }
      // A block never holds more than BlockSize bytes nor more than the part.
      if (size < 0 || size > header_.BlockSize || size > part.PartSize - written) Damaged();
      if (dest && !dest->Write(out, size_t(size)))
        throw EArchiver(FormatText("Stream write error: %s", {destName_}));
      written += size;
      consumed += kBlockHeaderSize + b.stored;
      AddProgress(double(kBlockHeaderSize + b.stored));
    }
  }
  if (written != part.PartSize) Damaged();
}

void TCustomExtractor::NextPart(TFileEntry& entry, platform::File* dest) {
  if (header_.ArchiveFlag & afFinalSegment) Damaged();
  const TFileEntry previous = entry;
  GoToSegment(header_.Segment + 1);
  SeekTo(startOffset_ + HeaderLength(header_));
  TFileEntry next;
  ReadEntry(next);
  if (next.Name != previous.Name || next.Size != previous.Size || next.Date != previous.Date)
    throw EArchiver(messages_.WrongNextSegment);
  if (int64_t(next.PartStart) != int64_t(previous.PartStart) + previous.PartSize) Damaged();
  entry = next;
  if (dest && !dest->Seek(entry.PartStart)) Damaged();
}

void TCustomExtractor::ReadEntryData(TFileEntry& entry, platform::File* dest) {
  if (FolderWithData(entry)) Damaged();
  for (;;) {
    ReadPart(entry, dest);
    // The last part ends the file: a file that would end short is damaged.
    if (entry.FileFlag & efLastPart) {
      if (int64_t(entry.PartStart) + entry.PartSize != entry.Size) Damaged();
      return;
    }
    if (options_.Has(oOpenSingleSegment)) return;
    NextPart(entry, dest);
  }
}

void TCustomExtractor::SkipEntryData(TFileEntry& entry) {
  for (;;) {
    SeekTo(partDataStart_ + entry.PartCompressedSize);
    AddProgress(entry.PartCompressedSize);
    if ((entry.FileFlag & efLastPart) || IsFolderEntry(entry) || options_.Has(oOpenSingleSegment))
      return;
    NextPart(entry, nullptr);
  }
}

void TCustomExtractor::RecoverAfterError() {
  // Going on needs the position of the part that failed; a failure in the
  // segment structure itself leaves none.
  if (!file_.IsOpen() || header_.Segment != partSegment_) throw;
  TFileEntry part = currentPart_;
  SkipEntryData(part);
}

void TCustomExtractor::ProcessEntries(const std::function<void(TFileEntry&)>& process) {
  if (!options_.Has(oOpenSingleSegment)) GoToSegment(1);
  SeekTo(startOffset_ + HeaderLength(header_));
  for (;;) {
    if (file_.Position() >= SegmentEnd()) {
      if ((header_.ArchiveFlag & afFinalSegment) || options_.Has(oOpenSingleSegment)) break;
      GoToSegment(header_.Segment + 1);
      SeekTo(startOffset_ + HeaderLength(header_));
      continue;
    }
    TFileEntry entry;
    ReadEntry(entry);
    process(entry);
  }
}

// ---- extraction --------------------------------------------------------------------------

std::string TCustomExtractor::DestinationFolder(const TFileEntry& entry) const {
  if (!options_.Has(oRestorePath)) return extractPath_;
  // The stored folder is always placed under ExtractPath: names holding drives,
  // roots or ".." never reach outside it.
  const std::string sub = SafeRelativeFolder(ExtractFilePath(entry.Name));
  return sub.empty() ? extractPath_ : IncludeTrailingDelim(extractPath_) + sub;
}

bool TCustomExtractor::OverwriteAllowed(const TFileEntry& entry, const std::string& destPath) {
  if (!platform::FileExists(destPath))
    return restoreAction_ != raExistingOnly && restoreAction_ != raUpdateExisting;
  switch (restoreAction_) {
    case raSkip:
      return false;
    case raUpdate:
    case raUpdateExisting:
      return entry.Date > platform::GetFileDate(destPath);
    case raAsk: {
      if (yesToAllOverwrite_) return true;
      const std::string text =
          messages_.ReplaceFile + "\n" + destPath + "\n" +
          EntryLine(double(platform::FileSize(destPath)), platform::GetFileDate(destPath)) +
          "\n\n" + messages_.WithFile + "\n" + entry.Name + "\n" +
          EntryLine(entry.Size, entry.Date);
      switch (Ask(messages_.ConfirmFileOverwrite, text, pbYes | pbYesToAll | pbNo | pbCancel)) {
        case TPromptAnswer::YesToAll:
          yesToAllOverwrite_ = true;
          return true;
        case TPromptAnswer::Yes:
          return true;
        case TPromptAnswer::No:
          return false;
        case TPromptAnswer::Cancel:
          throw EAbort();
      }
      return false;
    }
    default:
      return true;
  }
}

void TCustomExtractor::ExtractEntryTo(TFileEntry& entry, const std::string& destPath,
                                      const std::string& root) {
  try {
    if (FolderWithData(entry)) Damaged();
    const bool folder = IsFolderEntry(entry);
    if (!folder && !OverwriteAllowed(entry, destPath)) {
      SkipEntryData(entry);
      return;
    }
    DisplayMessage(
        progressPhase_ == 1
            ? messages_.UncompressingSolidArchive
            : FormatText(messages_.ExtractingFile, {ExtractFileName(entry.Name), int(entry.Size)}));
    const std::string folderPath =
        ExcludeTrailingDelim(folder ? destPath : ExtractFilePath(destPath));
    if (folderPath.empty() || LinkOnPath(root, folderPath) || !platform::CreateFolders(folderPath))
      throw EArchiver(messages_.CannotCreateDir);
    if (folder) {
      SkipEntryData(entry);
      ++processedFiles_;
      return;
    }
    // A link in the file's place is replaced, never written through.
    if (platform::IsLink(destPath)) platform::DeleteFile(destPath);
    // An entry named like the archive itself must not overwrite the file being read.
    if (platform::SameFile(destPath, segmentFileName_))
      throw EArchiver(FormatText("Cannot create file \"%s\"", {destPath}));
    const int32_t attributes = platform::GetAttributes(destPath);
    if (attributes >= 0)
      platform::SetAttributes(
          destPath, uint32_t(attributes) & (platform::faDirectory | platform::faVolumeID));
    platform::File dest;
    destName_ = destPath;
    if (entry.PartStart != 0) {
      // A continuation part goes behind the bytes already there, never past them.
      if (!dest.Open(destPath, platform::OpenMode::ReadWrite))
        throw EArchiver(FormatText("Cannot open file \"%s\"", {destPath}));
      if (dest.Size() < entry.PartStart || !dest.Seek(entry.PartStart)) Damaged();
    } else if (!dest.Open(destPath, platform::OpenMode::Create)) {
      throw EArchiver(FormatText("Cannot create file \"%s\"", {destPath}));
    }
    ReadEntryData(entry, &dest);
    dest.Close();
    if (entry.Date != 0) platform::SetFileDate(destPath, entry.Date);
    platform::SetAttributes(destPath, uint32_t(entry.Attributes) & kRestorableAttributes);
    if (OnFileExtracted) OnFileExtracted(entry, destPath);
    ++processedFiles_;
  } catch (...) {
    HandleFileError(entry, progressDone_);
    RecoverAfterError();
  }
}

void TCustomExtractor::ExtractFiles() {
  if (extractPath_.empty()) throw EArchiver(messages_.NeedExtractPath);
  OperationGuard guard(*this, opExtract);
  Open();
  progressTotal_ = header_.Totals.CompressedSize;
  ProcessEntries([this](TFileEntry& entry) {
    std::string folder = DestinationFolder(entry);
    bool accept = true;
    if (OnExtractFile) OnExtractFile(entry, folder, accept);
    if (!accept) {
      SkipEntryData(entry);
      return;
    }
    if (IsFolderEntry(entry)) {
      ExtractEntryTo(entry, folder, extractPath_);
      return;
    }
    std::string name = SafeFileName(ExtractFileName(entry.Name));
    if (name.empty()) name = "_";
    ExtractEntryTo(entry, IncludeTrailingDelim(folder) + name, extractPath_);
  });
}

void TCustomExtractor::List() {
  OperationGuard guard(*this, opList);
  Open();
  GoToLastSegment();
  progressTotal_ = header_.Totals.CompressedSize;
  fileList_.clear();
  if (OnClearFileList) OnClearFileList();
  DisplayMessage(messages_.LoadingArchiveContnent);
  ProcessEntries([this](TFileEntry& entry) {
    TFileEntry listed = entry;
    listed.Segment = int16_t(header_.Segment);
    listed.Offset = int32_t(entryPosition_ - startOffset_);
    SkipEntryData(entry);
    listed.CompressedSize = entry.CompressedSize;  // the last part holds the whole count
    if (IsFolderEntry(listed) && !options_.Has(oShowEmptyFolders)) return;
    fileList_.push_back(listed);
    if (OnEnumeration) OnEnumeration(listed);
  });
}

// ---- block hooks -------------------------------------------------------------------------

bool TCustomExtractor::UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst,
                                       int32_t dstCapacity, int32_t& dstSize) {
  if (OnUncompressBlock) {
    dstSize = dstCapacity;
    return OnUncompressBlock(dst, dstSize, src, srcSize) && dstSize >= 0 && dstSize <= dstCapacity;
  }
  if (srcSize > dstCapacity) return false;
  std::memcpy(dst, src, size_t(srcSize));
  dstSize = srcSize;
  return true;
}

bool TCustomExtractor::DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize) {
  if (!OnDecryptBlock) {
    plainSize = size;
    return true;
  }
  std::vector<uint8_t> plain(size_t(size) + 8);
  int32_t produced = int32_t(plain.size());
  OnDecryptBlock(plain.data(), data, produced, size);
  if (produced < 0 || produced > size) return false;
  std::memcpy(data, plain.data(), size_t(produced));
  plainSize = produced;
  return true;
}

// ---- solid archives ----------------------------------------------------------------------

void TCustomExtractor::EnterSolidWork() {
  solidOptions_ = options_;
  options_.Exclude(oCreateSolidArchives).Exclude(oCompress).Exclude(oCrypt).Exclude(oWriteSFXCode);
  solidExecutableCodeSize_ = executableCodeSize_;
  solidSegment1Offset_ = segment1Offset_;
  solidGenerator_ = sfxGenerator_;
  executableCodeSize_ = 0;
  segment1Offset_ = 0;
  sfxGenerator_ = nullptr;
  solidWork_ = true;
}

void TCustomExtractor::LeaveSolidWork() {
  options_ = solidOptions_;
  executableCodeSize_ = solidExecutableCodeSize_;
  segment1Offset_ = solidSegment1Offset_;
  sfxGenerator_ = solidGenerator_;
  solidWork_ = false;
}

void TCustomExtractor::UnpackSolid() {
  const std::string temp = TempArchiveName();
  {
    OperationGuard guard(*this, opExtract);
    progressPhase_ = 1;
    progressTotal_ = header_.Totals.CompressedSize;
    if (!options_.Has(oOpenSingleSegment)) GoToSegment(1);
    SeekTo(startOffset_ + HeaderLength(header_));
    platform::File out;
    if (!out.Open(temp, platform::OpenMode::Create))
      throw EArchiver(FormatText("Cannot create file \"%s\"", {temp}));
    solidTempName_ = temp;
    destName_ = temp;
    if (file_.Position() < SegmentEnd()) {
      TFileEntry entry;
      ReadEntry(entry);
      DisplayMessage(messages_.UncompressingSolidArchive);
      ReadEntryData(entry, &out);
    } else {
      // A solid archive without files holds an empty inner archive.
      TArchiveHeader inner;
      inner.ArchiveID = archiveID_;
      inner.BlockSize = header_.BlockSize;
      inner.Segment = 1;
      inner.ArchiveFlag = afFinalSegment;
      inner.DataEnd = HeaderLength(inner);
      const std::vector<uint8_t> bytes = EncodeHeader(inner);
      if (!out.Write(bytes.data(), bytes.size()))
        throw EArchiver(FormatText("Stream write error: %s", {temp}));
    }
    progressPhase_ = 2;
    progressDone_ = 0;
  }
  solidFileName_ = fileName_;
  solidComment_ = header_.Comment;
  solidSegmented_ = IsSegmentedOnDisk();
  file_.Close();
  open_ = false;
  EnterSolidWork();
  fileName_ = temp;
  OpenArchiveFile();
  if (header_.ArchiveFlag & afSolid) {
    // Solid archives do not nest: the inner archive is read as a plain one.
    header_.ArchiveFlag &= uint8_t(~afSolid);
  }
  open_ = true;
  solidTempDate_ = platform::GetFileDate(temp);
}

}  // namespace archive
