#include "archive/CustomArchiver.h"

#include <algorithm>
#include <climits>

#include "archive/BlockCodec.h"
#include "archive/Checksum.h"
#include "archive/FormatText.h"
#include "archive/Paths.h"
#include "archive/SFXGenerator.h"
#include "platform/System.h"

namespace archive {

namespace {

constexpr int kMaxPlaceAttempts = 100;

// Room left on the drive of `path`: free bytes - 8192, capped at 2147483647;
// -1 when the path has no drive letter or the free space is unknown.
int64_t DriveRoom(const std::string& path) {
  if (ExtractFileDrive(path).empty()) return -1;
  const int64_t free = platform::DriveFreeSpace(path);
  if (free < 0) return -1;
  return std::min<int64_t>(std::max<int64_t>(free - 8192, 0), INT32_MAX);
}

void DeleteTree(const std::string& folder) {
  for (const auto& item : platform::ListFolder(folder)) {
    const std::string path = IncludeTrailingDelim(folder) + item.name;
    platform::SetAttributes(path, item.isFolder ? uint32_t(platform::faDirectory) : 0u);
    if (item.isFolder) {
      DeleteTree(path);
      platform::RemoveFolder(path);
    } else {
      platform::DeleteFile(path);
    }
  }
}

}  // namespace

TCustomArchiver::~TCustomArchiver() {
  try {
    Close();
  } catch (...) {  // a destructor cannot report; Close() reports when called
  }
}

void TCustomArchiver::SetMaxSegmentSize(int32_t value) {
  if (value > 0 && int64_t(value) < 3 * int64_t(blockSize_))
    throw EArchiver(messages_.MaxSegmentSizeTooSmall);
  maxSegmentSize_ = value < 0 ? 0 : value;
}

// ---- creating ----------------------------------------------------------------------------

void TCustomArchiver::CreateArchive() {
  options_.Exclude(oOpenSingleSegment);
  header_ = TArchiveHeader();
  header_.Segment = 1;
  if (options_.Has(oEraseFirstDisk) && !ExtractFileDrive(fileName_).empty() &&
      platform::GetDriveType(fileName_) == platform::DriveType::Removable)
    fileName_ = PrepareNewSegmentPlace(fileName_);
  header_.BlockSize = blockSize_;
  header_.Version = kArchiveVersion;
  header_.ArchiveID = int32_t(platform::TickCount());
  header_.ArchiveFlag = afFinalSegment;
  header_.Comment = pendingComment_;
  header_.DataEnd = HeaderLength(header_);
  if (options_.Has(oCompress)) header_.ArchiveFlag |= afCompressed;
  if (options_.Has(oCreateSolidArchives)) header_.ArchiveFlag |= afSolid;
  if (options_.Has(oCrypt)) {
    ObtainPassword(true);
    header_.ArchiveFlag |= afCrypted;
  }
  if (!file_.Open(fileName_, platform::OpenMode::Create))
    throw EArchiver(FormatText("Cannot create file \"%s\"", {fileName_}));
  segmentFileName_ = archiveFileName_ = firstSegmentName_ = fileName_;
  archiveID_ = header_.ArchiveID;
  readOnly_ = false;
  startOffset_ = StartOffsetOf(fileName_, 1);
  if (options_.Has(oWriteSFXCode) || UpperAscii(ExtractFileExt(fileName_)) == ".EXE")
    WriteSFXCode();
  WriteHeader();
  structureChecked_ = true;
}

void TCustomArchiver::WriteSFXCode() {
  bool ok = true;
  if (sfxGenerator_)
    ok = sfxGenerator_->WriteSFXCode(file_);
  else if (OnWriteSFXCode)
    ok = OnWriteSFXCode(file_);
  if (!ok) throw EArchiver(FormatText("Stream write error: %s", {fileName_}));
}

// ---- adding ------------------------------------------------------------------------------

bool TCustomArchiver::AddFile(const std::string& path) {
  OperationGuard guard(*this, opAdd);
  Open();
  if (readOnly_) throw EArchiver(messages_.ArchiveIsReadOnly);
  const bool folderEntry = ExtractFileName(path) == ".";
  if (!folderEntry && !platform::FileExists(path)) return false;
  AddEntry(path, StoredName(path));
  return true;
}

std::string TCustomArchiver::StoredName(const std::string& path) const {
  std::string name;
  switch (pathStorage_) {
    case psNone:
      name = ExtractFileName(path);
      break;
    case psWhole:
      name = path;
      break;
    case psRelative: {
      const std::string prefix = IncludeTrailingDelim(startingFolder_);
      if (startingFolder_.empty()) {
        name = ExtractFileName(path);
      } else if (path.size() > prefix.size() &&
                 SameTextAscii(path.substr(0, prefix.size()), prefix)) {
        name = path.substr(prefix.size());
        if (options_.Has(oIncludeStartingDirectory))
          name = ExtractFileName(ExcludeTrailingDelim(startingFolder_)) + "\\" + name;
      } else {
        name = path;
      }
      break;
    }
  }
  // Entry names use the Windows separator wherever the archive is made.
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

void TCustomArchiver::AddEntry(const std::string& path, const std::string& storedName) {
  GoToLastSegment();
  // New entries go behind DataEnd: in a damaged archive they would be reported as
  // added and never read back.
  if (!structureChecked_) {
    CheckSegmentStructure();
    structureChecked_ = true;
  }
  entry_ = TFileEntry();
  entry_.Name = storedName;
  entry_.Segment = int16_t(header_.Segment);
  if (ExtractFileName(path) == ".") {
    const std::string folder = ExcludeTrailingDelim(ExtractFilePath(path));
    const int32_t attributes = platform::GetAttributes(folder);
    entry_.Attributes = attributes >= 0 ? attributes : int32_t(platform::faDirectory);
    entry_.Date = platform::GetFileDate(folder);
    entry_.FileFlag = efEmptyFolder | efLastPart;
    RequestRoom(int64_t(EncodeEntry(entry_).size()));
    entry_.Segment = int16_t(header_.Segment);
    entry_.Offset = header_.DataEnd;
    WriteEntryAt(entry_, startOffset_ + header_.DataEnd);
    header_.DataEnd = int32_t(file_.Position() - startOffset_);
    ++header_.Totals.FileCount;
    ++header_.SegmentTotals.FileCount;
    WriteHeader();
    modified_ = true;
    return;
  }
  const int64_t size = platform::FileSize(path);
  entry_.Size = size > 0 && size <= INT32_MAX ? int32_t(size) : 0;
  entry_.Attributes = platform::GetAttributes(path);
  entry_.Date = platform::GetFileDate(path);
  entry_.FileFlag = efFile;
  if (progressTotal_ == 0) progressTotal_ = entry_.Size;
  bool accept = true;
  if (OnAddFile) OnAddFile(entry_, accept);
  if (!accept) {
    AddProgress(entry_.Size);
    return;
  }
  DisplayMessage(FormatText(messages_.AddingFile, {entry_.Name, double(entry_.Size)}));
  const double before = progressDone_;
  const TArchiveHeader saved = header_;
  try {
    if (size > INT32_MAX) throw EArchiver(FormatText("File too large for an archive: %s", {path}));
    StoreFile(path);
  } catch (...) {
    fileInProgress_ = false;
    // The bytes written for the file lie behind DataEnd: drop them.
    if (file_.IsOpen() && header_.Segment == saved.Segment) {
      header_ = saved;
      try {
        SeekTo(startOffset_ + header_.DataEnd);
        file_.Truncate();
        WriteHeader();
      } catch (...) {  // the original failure is the one to report
      }
    }
    HandleFileError(entry_, before + entry_.Size);
  }
}

void TCustomArchiver::CheckSegmentStructure() {
  const int64_t bufferLimit = OutputBufferSize();
  SeekTo(startOffset_ + HeaderLength(header_));
  while (file_.Position() < SegmentEnd()) {
    TFileEntry entry;
    ReadEntry(entry);  // its lengths stay inside DataEnd
    for (int64_t left = entry.PartCompressedSize; left > 0;) {
      uint8_t blockHeader[kBlockHeaderSize];
      if (left < kBlockHeaderSize) Damaged();
      ReadBytes(blockHeader, sizeof blockHeader);
      int32_t length;
      uint32_t check;
      DecodeBlockHeader(blockHeader, length, check);
      const int64_t stored = length < 0 ? -int64_t(length) : int64_t(length);
      if (stored > left - kBlockHeaderSize || stored > bufferLimit) Damaged();
      SeekTo(file_.Position() + stored);
      left -= kBlockHeaderSize + stored;
    }
  }
}

void TCustomArchiver::StoreFile(const std::string& path) {
  platform::File source;
  const auto mode =
      options_.Has(oSecureAccess) ? platform::OpenMode::ReadDenyWrite : platform::OpenMode::Read;
  if (!source.Open(path, mode)) throw EArchiver(FormatText("Cannot open file \"%s\"", {path}));
  WriteFileData(path, source);
  ++processedFiles_;
  ++header_.Totals.FileCount;
  ++header_.SegmentTotals.FileCount;
  header_.Totals.Size += entry_.Size;
  header_.Totals.CompressedSize += entry_.CompressedSize;
  WriteHeader();
  modified_ = true;
  if (OnFileAdded) OnFileAdded(entry_);
}

void TCustomArchiver::WriteEntryAt(const TFileEntry& entry, int64_t position) {
  const std::vector<uint8_t> bytes = EncodeEntry(entry);
  SeekTo(position);
  WriteBytes(bytes.data(), bytes.size());
}

void TCustomArchiver::WriteFileData(const std::string& path, platform::File& source) {
  EnsureBuffers();
  TFileEntry& e = entry_;
  const bool archiveCrypted = (header_.ArchiveFlag & afCrypted) != 0;
  const bool crypted = archiveCrypted || options_.Has(oEncryptFiles);
  if (crypted) {
    e.FileFlag |= efCrypted;
    ObtainPassword(!archiveCrypted);
  }
  e.CompressedSize = e.PartStart = e.PartSize = e.PartCompressedSize = 0;
  const int64_t entryLength = int64_t(EncodeEntry(e).size());
  RequestRoom(entryLength + (e.Size > 0 ? kBlockHeaderSize + 1 : 0));
  e.Segment = int16_t(header_.Segment);
  e.Offset = header_.DataEnd;
  writePosition_ = startOffset_ + header_.DataEnd;
  WriteEntryAt(e, writePosition_);
  fileInProgress_ = true;
  partHasData_ = false;

  const int level = kZlibLevels[compressionLevel_];
  const bool compress = (header_.ArchiveFlag & afCompressed) != 0;
  const int32_t capacity = int32_t(outBuffer_.size());
  int64_t remaining = e.Size, sourcePosition = 0;
  while (remaining > 0) {
    const int32_t n = int32_t(std::min<int64_t>(header_.BlockSize, remaining));
    if (source.Read(inBuffer_.data(), size_t(n)) != size_t(n))
      throw EArchiver(FormatText("Stream read error: %s", {path}));
    uint8_t* kept = inBuffer_.data();
    int32_t size = n;
    bool compressed = false;
    int32_t packed = 0;
    if (compress &&
        CompressBlock(inBuffer_.data(), n, outBuffer_.data(), capacity, packed, level) &&
        packed < n) {
      kept = outBuffer_.data();
      size = packed;
      compressed = true;
    }
    const uint32_t check = BlockCheck(kept, size_t(size));
    if (crypted) size = CryptBlock(kept, size, capacity);
    if (RequestRoom(kBlockHeaderSize + size)) e.PartStart = int32_t(sourcePosition);
    if (file_.Position() + kBlockHeaderSize + size - startOffset_ > INT32_MAX ||
        int64_t(e.CompressedSize) + kBlockHeaderSize + size > INT32_MAX)
      throw EArchiver(FormatText("File too large for an archive: %s", {path}));
    uint8_t blockHeader[kBlockHeaderSize];
    EncodeBlockHeader(compressed ? size : -size, check, blockHeader);
    WriteBytes(blockHeader, sizeof blockHeader);
    WriteBytes(kept, size_t(size));
    partHasData_ = true;
    e.PartSize += n;
    e.PartCompressedSize += kBlockHeaderSize + size;
    e.CompressedSize += kBlockHeaderSize + size;
    header_.SegmentTotals.Size += n;
    header_.SegmentTotals.CompressedSize += kBlockHeaderSize + size;
    remaining -= n;
    sourcePosition += n;
    AddProgress(n);
  }
  header_.DataEnd = int32_t(file_.Position() - startOffset_);
  e.FileFlag |= efLastPart;
  WriteEntryAt(e, writePosition_);
  SeekTo(startOffset_ + header_.DataEnd);
  fileInProgress_ = false;
}

// ---- segmentation ------------------------------------------------------------------------

bool TCustomArchiver::RequestRoom(int64_t bytes) {
  if (changingSegment_) return false;
  const int64_t position = file_.Position();
  if (position + bytes <= file_.Size()) return false;
  int64_t room = DriveRoom(segmentFileName_);
  if (maxSegmentSize_ > 0) {
    // A segment already past its limit has no room left (not an unknown amount).
    const int64_t limit = std::max<int64_t>(int64_t(maxSegmentSize_) - position, 0);
    room = room < 0 ? limit : std::min(room, limit);
  }
  if (room < 0 || room >= bytes) return false;
  // A segment that holds nothing yet takes the data anyway: a new one would hold no more.
  if (header_.DataEnd == HeaderLength(header_) && !partHasData_) return false;
  StartNewSegment();
  return true;
}

void TCustomArchiver::StartNewSegment() {
  struct Changing {
    bool& flag;
    explicit Changing(bool& f) : flag(f) { flag = true; }
    ~Changing() { flag = false; }
  } changing(changingSegment_);

  if (fileInProgress_ && partHasData_) {
    header_.DataEnd = int32_t(file_.Position() - startOffset_);
    WriteEntryAt(entry_, writePosition_);
  }
  SeekTo(startOffset_ + header_.DataEnd);
  file_.Truncate();
  header_.ArchiveFlag &= uint8_t(~afFinalSegment);
  const bool inProgress = fileInProgress_;
  fileInProgress_ =
      inProgress && partHasData_;  // the old segment counts the file if it holds part of it
  WriteHeader();
  fileInProgress_ = inProgress;
  file_.Close();

  header_.Segment = uint16_t(header_.Segment + 1);
  header_.SegmentTotals = TTotals();
  const std::string name =
      PrepareNewSegmentPlace(SegmentFileName(archiveFileName_, header_.Segment));
  if (platform::FileExists(name)) {
    platform::SetAttributes(name, 0);
    platform::DeleteFile(name);
  }
  if (!file_.Open(name, platform::OpenMode::Create))
    throw EArchiver(FormatText("Cannot create file \"%s\"", {name}));
  segmentFileName_ = name;
  startOffset_ = 0;
  header_.ArchiveFlag |= afFinalSegment;
  header_.DataEnd = HeaderLength(header_);
  WriteHeader();
  if (fileInProgress_) {
    if (!partHasData_) entry_.Segment = int16_t(header_.Segment);
    entry_.PartSize = 0;
    entry_.PartCompressedSize = 0;
    entry_.Offset = header_.DataEnd;
    writePosition_ = startOffset_ + header_.DataEnd;
    WriteEntryAt(entry_, writePosition_);
    partHasData_ = false;
  }
  if (OnSegmentChanged) OnSegmentChanged();
}

bool TCustomArchiver::DriveAccepts(const std::string& path) const {
  const int64_t room = DriveRoom(path);
  return room < 0 || room >= minFreeSpace_ || (maxSegmentSize_ > 0 && room >= maxSegmentSize_);
}

void TCustomArchiver::ClearDisk(const std::string& drive) {
  if (OnClearDisk)
    OnClearDisk(drive);
  else
    DeleteTree(drive + "\\");
}

std::string TCustomArchiver::PrepareNewSegmentPlace(const std::string& expected) {
  std::string name = expected;
  const int segment = header_.Segment;
  std::string drive = ExtractFileDrive(name);
  if (!drive.empty() && platform::GetDriveType(name) == platform::DriveType::Removable) {
    for (int attempt = 0; attempt < kMaxPlaceAttempts; ++attempt) {
      std::string reply = drive;
      const bool ok = OnNeedNewDisk ? OnNeedNewDisk(segment, reply)
                                    : Input(FormatText(messages_.InsertNewDisk, {segment, drive}),
                                            reply, false);
      if (!ok) throw EAbort();
      if (!ExtractFileDrive(reply).empty()) {
        drive = ExtractFileDrive(reply);
        name = drive + name.substr(2);
      }
      if (!platform::FolderExists(drive + "\\")) continue;
      if (options_.Has(oEraseNewDisk) && !platform::ListFolder(drive + "\\").empty()) {
        TPromptAnswer answer = TPromptAnswer::Yes;
        if (options_.Has(oConfirmFileDeletion))
          answer = Ask(messages_.Confirmation, FormatText(messages_.ConfirmFileDeletion, {drive}),
                       pbYes | pbNo | pbCancel);
        if (answer == TPromptAnswer::Cancel) throw EAbort();
        if (answer == TPromptAnswer::Yes) ClearDisk(drive);
      }
      if (DriveAccepts(name)) return name;
      Tell(FormatText(messages_.NotEnoughFreeSpaceOn, {drive}));
    }
    throw EArchiver(FormatText(messages_.NotEnoughFreeSpaceOn, {drive}));
  }
  if (DriveAccepts(name)) return name;
  for (int attempt = 0; attempt < kMaxPlaceAttempts; ++attempt) {
    std::string folder = ExtractFilePath(name);
    const std::string title =
        FormatText(messages_.SelectNewPlace, {segment, SegmentBaseName(archiveFileName_)});
    const bool ok = OnNeedNewFolder ? OnNeedNewFolder(segment, folder)
                                    : prompts_ && prompts_->SelectFolder(title, folder);
    if (!ok) throw EAbort();
    name = IncludeTrailingDelim(folder) + ExtractFileName(name);
    if (DriveAccepts(name)) return name;
    Tell(FormatText(messages_.NotEnoughFreeSpaceOn, {ExtractFileDrive(name)}));
  }
  throw EArchiver(FormatText(messages_.NotEnoughFreeSpaceOn, {ExtractFileDrive(name)}));
}

// ---- folders -----------------------------------------------------------------------------

int TCustomArchiver::AddFolder(const std::string& folder) {
  OperationGuard guard(*this, opAdd);
  Open();
  if (readOnly_) throw EArchiver(messages_.ArchiveIsReadOnly);
  startingFolder_ = ExcludeTrailingDelim(folder);
  int added = 0;
  try {
    bool any = false;
    added = AddFolderItems(startingFolder_, any);
  } catch (...) {
    startingFolder_.clear();
    throw;
  }
  startingFolder_.clear();
  return added;
}

int TCustomArchiver::AddFolderItems(const std::string& folder, bool& anyStored) {
  std::vector<platform::FolderItem> items = platform::ListFolder(folder);
  std::sort(
      items.begin(), items.end(),
      [](const platform::FolderItem& a, const platform::FolderItem& b) { return a.name < b.name; });
  int added = 0;
  for (const auto& item : items) {
    const std::string path = IncludeTrailingDelim(folder) + item.name;
    if (item.isFolder) {
      if (options_.Has(oRecurseFolders)) added += AddFolderItems(path, anyStored);
    } else if (MatchesMask(item.name, filter_) && AddFile(path)) {
      ++added;
      anyStored = true;
    }
  }
  if (items.empty() && options_.Has(oStoreEmptyFolders) && folder != startingFolder_) {
    AddFile(IncludeTrailingDelim(folder) + ".");
    anyStored = true;
  }
  return added;
}

// ---- closing -----------------------------------------------------------------------------

void TCustomArchiver::FinishSegments() {
  if (readOnly_ || !file_.IsOpen()) return;
  if (modified_ && IsSegmentedOnDisk()) {
    // Segment 1 receives the totals of the whole archive.
    const TTotals totals = header_.Totals;
    GoToSegment(1);
    header_.Totals = totals;
    WriteHeader();
  }
  if (options_.Has(oCreateReadOnly)) {
    header_.ArchiveFlag |= afReadOnly;
    WriteHeader();
  }
}

void TCustomArchiver::FinishWriting() {
  if (!solidWork_) {
    FinishSegments();
    return;
  }
  const bool changed =
      !readOnly_ && (modified_ || platform::GetFileDate(fileName_) != solidTempDate_);
  file_.Close();
  if (changed) RebuildSolid();
}

void TCustomArchiver::RebuildSolid() {
  const std::string temp = fileName_;
  fileName_ = solidFileName_;
  LeaveSolidWork();
  // The solid archive is written anew under its own name; until that has worked the
  // old one waits under a temporary name, and comes back when anything fails.
  const std::string original = fileName_;
  std::string backup;
  if (platform::FileExists(original)) {
    std::string folder = ExtractFilePath(original);
    if (folder.empty()) folder = std::string(".") + platform::kPathDelim;
    backup = TempArchiveName(folder);
    if (!platform::RenameFile(original, backup))
      throw EArchiver(FormatText(messages_.CouldNotRenameArchive, {original, backup}));
  }
  try {
    WriteSolid(temp);
  } catch (...) {
    file_.Close();
    platform::DeleteFile(fileName_);
    if (!backup.empty()) platform::RenameFile(backup, original);
    throw;
  }
  if (!backup.empty()) platform::DeleteFile(backup);
}

void TCustomArchiver::WriteSolid(const std::string& temp) {
  OperationGuard guard(*this, opAdd);
  progressPhase_ = 2;
  progressDone_ = 0;
  progressTotal_ = double(platform::FileSize(temp));
  pendingComment_ = solidComment_;
  try {
    CreateArchive();
  } catch (...) {
    pendingComment_.clear();
    throw;
  }
  pendingComment_.clear();
  if (!(header_.ArchiveFlag & afSolid)) {
    header_.ArchiveFlag |= afSolid;
    WriteHeader();
  }
  DisplayMessage(messages_.CompressingSolidArchive);
  entry_ = TFileEntry();
  entry_.Name = ExtractFileName(temp);
  entry_.Size = int32_t(std::min<int64_t>(platform::FileSize(temp), INT32_MAX));
  entry_.Attributes = platform::GetAttributes(temp);
  entry_.Date = platform::GetFileDate(temp);
  entry_.FileFlag = efFile;
  StoreFile(temp);
  FinishSegments();
}

void TCustomArchiver::EnterSolidWork() {
  TCustomExtractor::EnterSolidWork();
  solidMaxSegmentSize_ = maxSegmentSize_;
  maxSegmentSize_ = 0;
}

void TCustomArchiver::LeaveSolidWork() {
  TCustomExtractor::LeaveSolidWork();
  maxSegmentSize_ = solidMaxSegmentSize_;
}

// ---- block hooks -------------------------------------------------------------------------

bool TCustomArchiver::CompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst,
                                    int32_t dstCapacity, int32_t& dstSize, int level) {
  if (!OnCompressBlock) return false;
  dstSize = dstCapacity;
  if (!OnCompressBlock(dst, dstSize, src, srcSize, level))
    throw EArchiverCompress(messages_.CouldNotCompressBlock);
  return dstSize >= 0 && dstSize <= dstCapacity;
}

int32_t TCustomArchiver::CryptBlock(uint8_t* data, int32_t size, int32_t capacity) {
  // Without a cipher an encrypted entry cannot be written.
  if (!OnCryptBlock) throw EArchiverCompress(messages_.CouldNotCompressBlock);
  std::vector<uint8_t> source(data, data + size);
  int32_t produced = capacity;
  OnCryptBlock(data, source.data(), produced, size);
  if (produced < 0 || produced > capacity) throw EArchiverCompress(messages_.CouldNotCompressBlock);
  return produced;
}

}  // namespace archive
