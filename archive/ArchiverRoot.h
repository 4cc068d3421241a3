// TArchiverRoot: what the reading and the writing archive components share:
// properties, message table, events, the open segment file and its header,
// operation nesting, progress, timing, passwords and error handling.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/Errors.h"
#include "archive/Format.h"
#include "archive/Messages.h"
#include "archive/Prompts.h"
#include "platform/Files.h"

namespace archive {

enum TErrorAction { eaContinue, eaAbort, eaAsk };

enum TOption {
  oStoreEmptyFolders = 0,
  oShowEmptyFolders = 1,
  oCreateReadOnly = 2,
  oCreateSolidArchives = 3,
  oCompress = 4,
  oCrypt = 5,
  oEraseFirstDisk = 6,
  oEraseNewDisk = 7,
  oConfirmFileDeletion = 8,
  oEnumerateAfterOpen = 9,
  oIncludeStartingDirectory = 10,
  oRecurseFolders = 11,
  oOpenSingleSegment = 12,
  oRestorePath = 13,
  oSecureAccess = 14,
  oWriteSFXCode = 15,
  oEncryptFiles = 16,
  oMaintainFileDirectory = 17,
};

// A set of TOption, stored as the bits of their numbers.
class TOptions {
 public:
  constexpr TOptions() = default;
  constexpr explicit TOptions(uint32_t bits) : bits_(bits) {}
  constexpr bool Has(TOption o) const { return (bits_ >> o) & 1u; }
  TOptions& Include(TOption o) {
    bits_ |= 1u << o;
    return *this;
  }
  TOptions& Exclude(TOption o) {
    bits_ &= ~(1u << o);
    return *this;
  }
  constexpr uint32_t Bits() const { return bits_; }
  bool operator==(const TOptions& other) const { return bits_ == other.bits_; }

 private:
  uint32_t bits_ = 0;
};

// [oStoreEmptyFolders, oCompress, oEraseNewDisk, oConfirmFileDeletion,
//  oRecurseFolders, oRestorePath, oSecureAccess]
constexpr uint32_t kDefaultOptions = 27025;

// The kind of the running operation.
enum TOperation { opNone = 0, opAdd = 1, opExtract = 2, opList = 3, opDelete = 4 };

class TCustomSFXGenerator;

class TArchiverRoot {
 public:
  TArchiverRoot();
  virtual ~TArchiverRoot();
  TArchiverRoot(const TArchiverRoot&) = delete;
  TArchiverRoot& operator=(const TArchiverRoot&) = delete;

  // Published properties.
  int32_t BlockSize() const { return blockSize_; }
  void SetBlockSize(int32_t value);  // below 1024 (or above 16 MiB) ignored
  TErrorAction ErrorAction() const { return errorAction_; }
  void SetErrorAction(TErrorAction value) { errorAction_ = value; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);  // closes the archive first
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& value) { filter_ = value; }
  TLanguage Language() const { return language_; }
  void SetLanguage(TLanguage value);
  TArchMessages& Messages() { return messages_; }
  const TArchMessages& Messages() const { return messages_; }
  TOptions Options() const { return options_; }
  void SetOptions(TOptions value) { options_ = value; }

  // The start offset in its two forms (see StartOffsetFor in Format.h).
  int32_t ExecutableCodeSize() const { return executableCodeSize_; }
  void SetExecutableCodeSize(int32_t value) { executableCodeSize_ = value < 0 ? 0 : value; }
  int32_t Segment1Offset() const { return segment1Offset_; }
  void SetSegment1Offset(int32_t value) { segment1Offset_ = value < 0 ? 0 : value; }
  TCustomSFXGenerator* SFXGenerator() const { return sfxGenerator_; }
  void SetSFXGenerator(TCustomSFXGenerator* value) { sfxGenerator_ = value; }

  // The questions asked of the user; without prompts every question is cancelled.
  void SetPrompts(TArchivePrompts* prompts) { prompts_ = prompts; }

  virtual void Open() = 0;
  virtual void Close() = 0;

  // State of the open archive.
  bool IsOpen() const { return open_; }
  bool IsReadOnly() const { return readOnly_; }
  const TArchiveHeader& Header() const { return header_; }
  int CurrentSegment() const { return header_.Segment; }
  TOperation Operation() const { return operation_; }

  // Events (the component is the sender: capture it where needed).
  std::function<void(const TArchiveHeader& header, bool& accept)> OnAcceptArchive;
  std::function<void(TUserData& userData)> OnWriteUserData;
  std::function<void(const std::exception& e, const TFileEntry& entry, TErrorAction& action)>
      OnError;
  std::function<void(int percent)> OnFileProgress;
  std::function<void()> OnStartOperation;
  std::function<void()> OnFinishOperation;
  std::function<void(std::string& key)> OnEnterCryptKey;
  std::function<void(std::string& key)> OnRequestCryptKey;
  std::function<void()> OnBeforeOpen;
  std::function<void()> OnAfterOpen;
  std::function<void()> OnBeforeClose;
  std::function<void()> OnAfterClose;
  std::function<void(int32_t& signature)> OnGetSignature;
  std::function<void()> OnAfterHeaderUpdate;
  std::function<void(const std::string& comment)> OnShowComment;
  // Both values are day counts (1.0 = 24 hours).
  std::function<void(double elapsedTime, double remainingTime)> OnShowTiming;
  std::function<void(const std::string& message)> OnDisplayMessage;
  std::function<void()> OnClearFileList;

 protected:
  // Overridable hooks.
  virtual int32_t Signature();
  virtual int32_t MinKeyLength() const { return 10; }
  virtual int32_t OutputBufferSize() const;
  // Hands the password to the cipher.
  virtual void UseKey(const std::string&) {}

  // Operation nesting.
  class OperationGuard {
   public:
    OperationGuard(TArchiverRoot& root, TOperation kind) : root_(root) {
      root_.StartOperation(kind);
    }
    ~OperationGuard() {
      try {
        root_.FinishOperation();
      } catch (...) {  // an event handler failed while the operation unwinds
      }
    }
    OperationGuard(const OperationGuard&) = delete;
    OperationGuard& operator=(const OperationGuard&) = delete;

   private:
    TArchiverRoot& root_;
  };
  void StartOperation(TOperation kind);
  void FinishOperation();
  void ReportProgress();
  void AddProgress(double bytes);
  // The block buffers at the size of the open archive's blocks. They stay while the
  // archive is open and are freed with ReleaseWorkingMemory when it is closed.
  void EnsureBuffers();
  // Frees the block buffers (and what a component keeps beside them, such as its
  // compressor); called when no operation runs and the archive is closed.
  virtual void ReleaseWorkingMemory();

  // Header of the current segment file.
  void WriteHeader();
  // The bytes of header `h` as written: signature and user data filled in.
  std::vector<uint8_t> HeaderBytes(TArchiveHeader& h);
  // Reads and checks the header of the archive at `start` in `file`.
  void ReadHeader(platform::File& file, int64_t start, const std::string& name,
                  TArchiveHeader& header);
  // The same in two steps: the fixed fields with the signature and version checks
  // (returns the stored comment length; `header` holds what was read even when a
  // cut header fails with EArchiverDamaged), then the comment and the checks of every
  // length against the file, which fail with EArchiverDamaged.
  int32_t ReadHeaderStart(platform::File& file, int64_t start, const std::string& name,
                          TArchiveHeader& header);
  void ReadHeaderRest(platform::File& file, int64_t start, const std::string& name,
                      int32_t commentLength, TArchiveHeader& header);
  int64_t SegmentEnd() const { return startOffset_ + header_.DataEnd; }
  int32_t EffectiveExecutableCodeSize() const;
  int64_t StartOffsetOf(const std::string& name, int segment) const;

  // Exact reads and writes of the open segment file.
  void ReadBytes(void* buffer, size_t size);
  void WriteBytes(const void* buffer, size_t size);
  void SeekTo(int64_t position);
  // Structural faults (EArchiverDamaged) of the file `name`, by default the open
  // segment file: it ends before its data, or holds an impossible length or offset.
  [[noreturn]] void StructuralFault(const std::string& text, const std::string& name) const;
  [[noreturn]] void Truncated(const std::string& name) const {
    StructuralFault(messages_.TruncatedArchive, name);
  }
  [[noreturn]] void Damaged(const std::string& name) const {
    StructuralFault(messages_.DamagedArchive, name);
  }
  [[noreturn]] void Truncated() const { Truncated(segmentFileName_); }
  [[noreturn]] void Damaged() const { Damaged(segmentFileName_); }

  // Passwords: a new one is asked twice, an existing one once.
  void ObtainPassword(bool newKey);
  void ForgetPassword();

  // Questions; without prompts every question is cancelled.
  TPromptAnswer Ask(const std::string& caption, const std::string& text, unsigned buttons);
  bool Input(const std::string& prompt, std::string& value, bool masked);
  void Tell(const std::string& text);
  void DisplayMessage(const std::string& message);

  // Called inside a catch block while adding or extracting one file: returns
  // when the operation goes on with the next file (progress done is then set to
  // `progressWhenSkipped`), rethrows otherwise.
  void HandleFileError(const TFileEntry& entry, double progressWhenSkipped);

  // A free name "~Archiv-<hex>.tmp" in `folder`, by default the temporary folder.
  std::string TempArchiveName(const std::string& folder = std::string()) const;
  std::string EntryLine(double size, double date) const;

  // Properties.
  int32_t blockSize_ = kDefaultBlockSize;
  TErrorAction errorAction_ = eaAsk;
  std::string fileName_;
  std::string filter_ = "*.*";
  TLanguage language_ = lgAutomatic;
  TArchMessages messages_;
  TOptions options_{kDefaultOptions};
  int32_t executableCodeSize_ = 0;
  int32_t segment1Offset_ = 0;
  TCustomSFXGenerator* sfxGenerator_ = nullptr;
  TArchivePrompts* prompts_ = nullptr;

  // The open archive.
  bool open_ = false;
  bool readOnly_ = false;
  platform::File file_;
  TArchiveHeader header_;
  int32_t archiveID_ = 0;
  int64_t startOffset_ = 0;
  std::string segmentFileName_;  // the file open now
  std::string archiveFileName_;  // the name later segment names derive from
  std::string firstSegmentName_;
  bool fileInProgress_ = false;  // a file is being written: headers count it
  bool modified_ = false;
  bool structureChecked_ = false;  // the writer may append to the open archive

  // The running operation.
  int nesting_ = 0;
  TOperation operation_ = opNone;
  double progressTotal_ = 0;
  double progressDone_ = 0;
  int32_t processedFiles_ = 0;
  int progressPhase_ = 0;  // solid archives: 1 unpacking, 2 after it
  uint32_t startTick_ = 0;
  double elapsedMs_ = 0;
  bool yesToAllErrors_ = false;
  bool yesToAllOverwrite_ = false;
  TByteBuffer inBuffer_;
  TByteBuffer outBuffer_;

  std::string password_;
  bool havePassword_ = false;

 private:
  void ApplyLanguage();
};

}  // namespace archive
