// TCustomExtractor: opening archives (also behind executable code and across
// segment files), listing, testing and extracting their entries.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiverRoot.h"

namespace archive {

enum TRestoreAction { raOverwrite, raSkip, raUpdate, raAsk, raExistingOnly, raUpdateExisting };

class TCustomExtractor : public TArchiverRoot {
 public:
  TCustomExtractor() = default;
  ~TCustomExtractor() override;

  const std::string& ExtractPath() const { return extractPath_; }
  void SetExtractPath(const std::string& value) { extractPath_ = value; }
  TRestoreAction RestoreAction() const { return restoreAction_; }
  void SetRestoreAction(TRestoreAction value) { restoreAction_ = value; }

  // Opens the archive named by FileName; a reading component never creates one.
  void Open() override;
  void Close() override;

  // Extracts every entry into ExtractPath.
  void ExtractFiles();
  // Extracts the entry listed at `offset` of segment `segment` to the file `destPath`.
  void ExtractFile(int segment, int32_t offset, const std::string& destPath);
  // Reads and checks every block of every file without writing anything; returns
  // the number of files found damaged (each one went through ErrorAction/OnError).
  int TestFiles();
  // Reads every entry into FileList(); fires OnEnumeration. Segment and Offset of
  // the listed entries tell where their first part is.
  void List();
  const std::vector<TFileEntry>& FileList() const { return fileList_; }

  // Segment location, also used by the writer.
  void GoToSegment(int segment);
  void GoToLastSegment();

  // Events.
  std::function<void(const TFileEntry& entry)> OnEnumeration;
  std::function<void(const TFileEntry& entry, std::string& destPath, bool& accept)> OnExtractFile;
  std::function<void(const TFileEntry& entry, const std::string& destPath)> OnFileExtracted;
  std::function<bool(uint8_t* dest, int32_t& destSize, const uint8_t* src, int32_t srcSize)>
      OnUncompressBlock;
  std::function<void(uint8_t* dest, const uint8_t* src, int32_t& destSize, int32_t srcSize)>
      OnDecryptBlock;
  // The location prompts answer false for Cancel.
  std::function<bool(int segment, std::string& drive)> OnInsertDisk;
  std::function<bool(std::string& drive)> OnInsertLastDisk;
  std::function<bool(int segment, std::string& path)> OnLocateSegment;
  std::function<bool(std::string& path)> OnLocateLastSegment;
  std::function<void()> OnSegmentChanged;

 protected:
  // Block hooks: the plain component copies blocks unchanged and does not decipher.
  virtual bool UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst,
                               int32_t dstCapacity, int32_t& dstSize);
  // Deciphers `size` stored bytes in place; `plainSize` = bytes kept; false when
  // the block's layout cannot be encrypted data.
  virtual bool DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize);
  virtual bool CanWrite() const { return false; }
  virtual void CreateArchive();
  // Finishing work of a writer before the file is closed.
  virtual void FinishWriting() {}
  // Solid archives: the working options of the unpacked inner archive.
  virtual void EnterSolidWork();
  virtual void LeaveSolidWork();

  void OpenArchiveFile();
  void OpenFile(const std::string& name, bool writable, platform::File& file, bool& readOnly);
  bool TryOpenSegment(const std::string& name, int segment, bool wantLast);
  std::string ExpectedSegmentName(int segment) const;
  // Opened on a later segment: finds segment 1 by the base name.
  bool FindFirstSegment();
  bool IsSegmentedOnDisk() const;

  // Entries and their data.
  void ReadEntry(TFileEntry& entry);
  // Reads every part of the entry (following continuation segments) into `dest`,
  // or only checks it when `dest` is null.
  void ReadEntryData(TFileEntry& entry, platform::File* dest);
  void SkipEntryData(TFileEntry& entry);
  // Links already under `root` are never followed on the way to destPath.
  void ExtractEntryTo(TFileEntry& entry, const std::string& destPath, const std::string& root);
  void ProcessEntries(const std::function<void(TFileEntry&)>& process);
  std::string DestinationFolder(const TFileEntry& entry) const;
  // Where the entry read last begins in its segment file.
  int64_t EntryPosition() const { return entryPosition_; }

  std::string extractPath_;
  TRestoreAction restoreAction_ = raAsk;
  std::vector<TFileEntry> fileList_;

  // Solid archives: the outer archive while its unpacked inner archive is in use.
  bool solidWork_ = false;
  bool solidSegmented_ = false;  // the solid archive itself spans segment files
  std::string solidFileName_;
  TOptions solidOptions_;
  std::string solidComment_;
  double solidTempDate_ = 0;
  std::string solidTempName_;

 private:
  struct PendingBlock;
  // Reads up to kMaxParallelChecks blocks of the part from `consumed` on.
  int ReadBlocks(const TFileEntry& part, int64_t consumed, PendingBlock* blocks);
  void ReadPart(TFileEntry& part, platform::File* dest);
  void NextPart(TFileEntry& entry, platform::File* dest);
  // Inside a catch block: skips the rest of the file whose reading failed.
  void RecoverAfterError();
  bool OverwriteAllowed(const TFileEntry& entry, const std::string& destPath);
  void UnpackSolid();
  bool AskForSegment(int segment, std::string& name);
  void LocateLastSegment();

  // The part read last: where its entry and its blocks begin.
  TFileEntry currentPart_;
  int64_t entryPosition_ = 0;
  int64_t partDataStart_ = 0;
  int partSegment_ = 0;
  std::string destName_;
  int32_t solidExecutableCodeSize_ = 0;
  int32_t solidSegment1Offset_ = 0;
  TCustomSFXGenerator* solidGenerator_ = nullptr;
};

}  // namespace archive
