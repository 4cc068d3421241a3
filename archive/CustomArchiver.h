// TCustomArchiver: creating archives, adding files block by block and
// splitting archives into segment files.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "archive/CustomExtractor.h"

namespace archive {

enum TCompressionLevel { clMaximum, clNormal, clFast, clSuperFast, clNone };
enum TPathStorage { psNone, psWhole, psRelative };

class TCustomArchiver : public TCustomExtractor {
 public:
  TCustomArchiver() = default;
  ~TCustomArchiver() override;

  TCompressionLevel CompressionLevel() const { return compressionLevel_; }
  void SetCompressionLevel(TCompressionLevel value) { compressionLevel_ = value; }
  int32_t MaxSegmentSize() const { return maxSegmentSize_; }
  // A value above 0 and below 3 x BlockSize raises EArchiver; the old value stays.
  void SetMaxSegmentSize(int32_t value);
  int32_t MinFreeSpace() const { return minFreeSpace_; }
  void SetMinFreeSpace(int32_t value) { minFreeSpace_ = value < 0 ? 0 : value; }
  TPathStorage PathStorage() const { return pathStorage_; }
  void SetPathStorage(TPathStorage value) { pathStorage_ = value; }

  // Adds one file, or an empty-folder entry for a path whose name part is ".".
  // True when the file exists or names a folder entry (also when OnAddFile refused it).
  bool AddFile(const std::string& path);
  // Adds the files of a folder that match Filter (with oRecurseFolders also those
  // of its subfolders, with oStoreEmptyFolders an entry for each empty folder);
  // paths are stored relative to `folder` with psRelative. Returns the files added.
  int AddFolder(const std::string& folder);
  // Deletes the entries that OnDeleteFile chooses by writing the archive anew without
  // them (blocks are copied as stored: no password is needed); the file is replaced
  // only once the new one is complete. A solid archive is rebuilt on Close, as after
  // adding. Without OnDeleteFile: EArchiver DeleteFileEventNeeded; a segmented archive:
  // UnableToDeleteFiles. Returns the number of entries deleted.
  int DeleteFiles();

  // Events.
  std::function<void(TFileEntry& entry, bool& accept)> OnAddFile;
  std::function<void(const TFileEntry& entry)> OnFileAdded;
  // Chooses the entries DeleteFiles removes: accept starts false, true deletes.
  std::function<void(const TFileEntry& entry, bool& accept)> OnDeleteFile;
  std::function<bool(uint8_t* dest, int32_t& destSize, const uint8_t* src, int32_t srcSize,
                     int level)>
      OnCompressBlock;
  std::function<void(uint8_t* dest, const uint8_t* src, int32_t& destSize, int32_t srcSize)>
      OnCryptBlock;
  // The prompts answer false for Cancel.
  std::function<bool(int segment, std::string& drive)> OnNeedNewDisk;
  std::function<bool(int segment, std::string& path)> OnNeedNewFolder;
  std::function<void(const std::string& drive)> OnClearDisk;
  std::function<bool(platform::File& archive)> OnWriteSFXCode;

 protected:
  // Compresses n source bytes into dst; false keeps the block stored.
  virtual bool CompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                             int32_t& dstSize, int level);
  // Enciphers m bytes in place (capacity >= m + 9); returns the stored length.
  virtual int32_t CryptBlock(uint8_t* data, int32_t size, int32_t capacity);
  // Writes the executable code in front of a new archive.
  virtual void WriteSFXCode();

  bool CanWrite() const override { return true; }
  void CreateArchive() override;
  void FinishWriting() override;
  void EnterSolidWork() override;
  void LeaveSolidWork() override;

 private:
  std::string StoredName(const std::string& path) const;
  void AddEntry(const std::string& path, const std::string& storedName);
  // Walks the entries and block headers of the open segment (not the block data):
  // they must lead exactly to DataEnd, else EArchiverDamaged.
  void CheckSegmentStructure();
  void StoreFile(const std::string& path);
  void WriteFileData(const std::string& path, platform::File& source);
  void FinishSegments();
  void WriteEntryAt(const TFileEntry& entry, int64_t position);
  bool RequestRoom(int64_t bytes);
  void StartNewSegment();
  std::string PrepareNewSegmentPlace(const std::string& name);
  bool DriveAccepts(const std::string& path) const;
  void ClearDisk(const std::string& drive);
  int AddFolderItems(const std::string& folder, bool& anyStored);
  void RebuildSolid();
  // The new solid archive, holding the inner archive `temp` as its one entry.
  void WriteSolid(const std::string& temp);
  // DeleteFiles: the kept entries copied into a new file behind the same code.
  struct TKeptEntry;
  void WriteWithout(const std::vector<TKeptEntry>& kept, const std::string& target);
  void CopyStored(platform::File& out, int64_t from, int64_t count);

  TCompressionLevel compressionLevel_ = clNormal;
  int32_t maxSegmentSize_ = 0;
  int32_t minFreeSpace_ = 1048576;
  TPathStorage pathStorage_ = psRelative;
  std::string startingFolder_;  // of the running AddFolder

  // The file being written.
  TFileEntry entry_;
  int64_t writePosition_ = 0;  // of its entry record
  bool partHasData_ = false;
  bool changingSegment_ = false;
  std::string pendingComment_;  // for the archive created next
  int32_t solidMaxSegmentSize_ = 0;
};

}  // namespace archive
