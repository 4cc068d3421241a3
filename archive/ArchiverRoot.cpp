#include "archive/ArchiverRoot.h"

#include <cmath>

#include "archive/FormatText.h"
#include "archive/Paths.h"
#include "archive/SFXGenerator.h"
#include "platform/DayCount.h"
#include "platform/System.h"

namespace archive {

TArchiverRoot::TArchiverRoot() { ApplyLanguage(); }

TArchiverRoot::~TArchiverRoot() = default;

void TArchiverRoot::SetBlockSize(int32_t value) {
  if (value >= 1024 && value <= kMaxBlockSize) blockSize_ = value;
}

void TArchiverRoot::SetFileName(const std::string& value) {
  if (open_) Close();
  fileName_ = value;
}

void TArchiverRoot::SetLanguage(TLanguage value) {
  language_ = value;
  ApplyLanguage();
}

void TArchiverRoot::ApplyLanguage() {
  const TLanguage resolved = language_ == lgAutomatic
                                 ? LanguageForPrimaryLangId(platform::UserDefaultPrimaryLangId())
                                 : language_;
  FillMessages(resolved, messages_);
}

int32_t TArchiverRoot::Signature() {
  int32_t signature = kDefaultSignature;
  if (OnGetSignature) OnGetSignature(signature);
  return signature;
}

int32_t TArchiverRoot::OutputBufferSize() const {
  const int32_t blockSize = header_.BlockSize > 0 ? header_.BlockSize : blockSize_;
  // Room for an encrypted block's padding even with tiny block sizes.
  const int32_t margin = blockSize / 100 > 16 ? blockSize / 100 : 16;
  return blockSize + margin;
}

// ---- operation nesting, progress and timing -----------------------------------------------

void TArchiverRoot::ReleaseWorkingMemory() {
  inBuffer_ = TByteBuffer();
  outBuffer_ = TByteBuffer();
}

void TArchiverRoot::StartOperation(TOperation kind) {
  if (nesting_++ > 0) return;
  operation_ = kind;
  progressTotal_ = 0;
  progressDone_ = 0;
  processedFiles_ = 0;
  yesToAllErrors_ = false;
  yesToAllOverwrite_ = false;
  startTick_ = platform::TickCount();
  elapsedMs_ = 0;
  if (OnStartOperation) OnStartOperation();
  if (OnFileProgress) OnFileProgress(0);
}

void TArchiverRoot::FinishOperation() {
  if (nesting_ == 0 || --nesting_ > 0) return;
  // An open archive keeps its buffers for the next operation (adding the next file).
  if (!open_) ReleaseWorkingMemory();
  elapsedMs_ = double(uint32_t(platform::TickCount() - startTick_));
  if (OnShowTiming) OnShowTiming(elapsedMs_ / 86400000.0, 0);
  if (OnFinishOperation) OnFinishOperation();
  operation_ = opNone;
  progressPhase_ = 0;
  if (!(header_.ArchiveFlag & afCrypted)) ForgetPassword();
}

void TArchiverRoot::AddProgress(double bytes) {
  progressDone_ += bytes;
  ReportProgress();
}

void TArchiverRoot::ReportProgress() {
  double percent = 0;
  if (options_.Has(oOpenSingleSegment)) {
    if (header_.SegmentTotals.FileCount > 0)
      percent = 100.0 * processedFiles_ / header_.SegmentTotals.FileCount;
  } else if (progressTotal_ > 0) {
    percent = 100.0 * progressDone_ / progressTotal_;
  }
  percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  if (progressPhase_ == 1) percent /= 2;
  if (progressPhase_ == 2) percent = percent / 2 + 50;
  if (OnFileProgress) OnFileProgress(int(std::lround(percent)));
  if (OnShowTiming) {
    elapsedMs_ = double(uint32_t(platform::TickCount() - startTick_));
    double remainingMs = 0;
    if (progressDone_ > 0 && progressTotal_ > progressDone_)
      remainingMs = (progressTotal_ - progressDone_) / (progressDone_ / elapsedMs_);
    OnShowTiming(elapsedMs_ / 86400000.0,
                 std::isfinite(remainingMs) ? remainingMs / 86400000.0 : 0);
  }
}

// ---- headers and segment files -------------------------------------------------------------

int32_t TArchiverRoot::EffectiveExecutableCodeSize() const {
  return sfxGenerator_ ? sfxGenerator_->ExecutableCodeSize() : executableCodeSize_;
}

int64_t TArchiverRoot::StartOffsetOf(const std::string& name, int segment) const {
  return StartOffsetFor(name, segment, EffectiveExecutableCodeSize(), segment1Offset_);
}

int32_t TArchiverRoot::ReadHeaderStart(platform::File& file, int64_t start, const std::string& name,
                                       TArchiveHeader& header) {
  uint8_t fixed[kHeaderFixedSize] = {};
  const size_t got = file.Seek(start) ? file.Read(fixed, sizeof fixed) : 0;
  const int32_t commentLength = DecodeHeaderFixed(fixed, header);
  if (got < 4 || header.Signature != Signature())
    throw EArchiver(FormatText(messages_.BadSignature, {name}));
  // The signature is there: a header cut short is an incomplete file, not a foreign one.
  if (got != sizeof fixed) Truncated(name);
  if (header.Version > kArchiveVersion) throw EArchiver(messages_.UnknownVersion);
  return commentLength;
}

void TArchiverRoot::ReadHeaderRest(platform::File& file, int64_t start, const std::string& name,
                                   int32_t commentLength, TArchiveHeader& header) {
  // Impossible values are damage; data that would lie past the end of the file is
  // missing. Nothing is read or allocated before its length is known to fit.
  if (header.BlockSize < kMinBlockSize || header.BlockSize > kMaxBlockSize || header.Segment == 0 ||
      commentLength < 0 || header.DataEnd < kHeaderFixedSize + int64_t(commentLength))
    Damaged(name);
  const int64_t fileSize = file.Size();
  if (commentLength > fileSize - start - kHeaderFixedSize) Truncated(name);
  header.Comment.resize(size_t(commentLength));
  if (commentLength > 0 &&
      file.Read(&header.Comment[0], header.Comment.size()) != header.Comment.size())
    Truncated(name);
  if (start + header.DataEnd > fileSize) Truncated(name);
}

void TArchiverRoot::ReadHeader(platform::File& file, int64_t start, const std::string& name,
                               TArchiveHeader& header) {
  TArchiveHeader h;
  const int32_t commentLength = ReadHeaderStart(file, start, name, h);
  ReadHeaderRest(file, start, name, commentLength, h);
  header = std::move(h);
}

void TArchiverRoot::ReadBytes(void* buffer, size_t size) {
  if (file_.Read(buffer, size) != size) Truncated();
}

void TArchiverRoot::SeekTo(int64_t position) {
  if (!file_.Seek(position)) Damaged();
}

void TArchiverRoot::StructuralFault(const std::string& text, const std::string& name) const {
  throw EArchiverDamaged(FormatText(text, {name}));
}

// ---- passwords ---------------------------------------------------------------------------

void TArchiverRoot::ObtainPassword(bool newKey) {
  if (havePassword_) return;
  const std::string tooShort = FormatText(messages_.KeyTooShort, {int(MinKeyLength())});
  std::string key;
  if (newKey && OnEnterCryptKey) {
    OnEnterCryptKey(key);
    if (int32_t(key.size()) < MinKeyLength()) throw EArchiver(tooShort);
  } else if (newKey) {
    for (;;) {
      key.clear();
      if (!Input(messages_.EnterCryptKey, key, true)) throw EAbort();
      if (int32_t(key.size()) < MinKeyLength()) {
        Tell(tooShort);
        continue;
      }
      std::string confirmation;
      if (!Input(messages_.ConfirmCryptKey, confirmation, true)) throw EAbort();
      if (confirmation == key) break;
      Tell(messages_.KeyNotConfirmed);
    }
  } else if (OnRequestCryptKey) {
    OnRequestCryptKey(key);
  } else if (!Input(messages_.EnterDecryptKey, key, true)) {
    throw EAbort();
  }
  // No key opens an encrypted block: an empty reply is a bad key, like any wrong one.
  if (key.empty()) throw EArchiverBadKey(messages_.BadKey);
  password_ = key;
  havePassword_ = true;
  UseKey(password_);
}

void TArchiverRoot::ForgetPassword() {
  password_.assign(password_.size(), '\0');
  password_.clear();
  havePassword_ = false;
}

// ---- questions ---------------------------------------------------------------------------

TPromptAnswer TArchiverRoot::Ask(const std::string& caption, const std::string& text,
                                 unsigned buttons) {
  return prompts_ ? prompts_->Ask(caption, text, buttons) : TPromptAnswer::Cancel;
}

bool TArchiverRoot::Input(const std::string& prompt, std::string& value, bool masked) {
  return prompts_ && prompts_->InputQuery(messages_.SystemMessage, prompt, value, masked);
}

void TArchiverRoot::Tell(const std::string& text) {
  if (prompts_) prompts_->ShowMessage(messages_.SystemMessage, text);
}

void TArchiverRoot::DisplayMessage(const std::string& message) {
  if (OnDisplayMessage) OnDisplayMessage(message);
}

namespace {

// At most 50 characters, the end kept: "C:\...\folder\file.ext".
std::string ShortenName(const std::string& name) {
  if (name.size() <= 50) return name;
  size_t cut = name.size() - 47;
  while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) ++cut;
  return "..." + name.substr(cut);
}

std::string DateText(double date) {
  platform::CivilTime t;
  if (date == 0 || !platform::DecodeDayCount(date, t)) return std::string();
  return FormatText("%.4d-%.2d-%.2d %.2d:%.2d:%.2d",
                    {t.year, t.month, t.day, t.hour, t.minute, t.second});
}

}  // namespace

std::string TArchiverRoot::EntryLine(double size, double date) const {
  return FormatText("%.0n bytes  %s", {size, DateText(date)});
}

void TArchiverRoot::HandleFileError(const TFileEntry& entry, double progressWhenSkipped) {
  try {
    throw;
  } catch (const EAbort&) {
    throw;
  } catch (const std::exception& e) {
    TErrorAction action = errorAction_;
    if (OnError) OnError(e, entry, action);
    if (action == eaAbort) throw;
    if (action == eaAsk && !yesToAllErrors_) {
      const std::string text = std::string(e.what()) + "\n\n" + messages_.AFile + ": " +
                               ShortenName(entry.Name) + "\n" + EntryLine(entry.Size, entry.Date) +
                               "\n\n" + messages_.CanContinue;
      const TPromptAnswer answer = Ask(messages_.Error, text, pbYes | pbYesToAll | pbNo);
      if (answer == TPromptAnswer::YesToAll) yesToAllErrors_ = true;
      if (answer != TPromptAnswer::Yes && answer != TPromptAnswer::YesToAll) {
        if (operation_ == opList) throw EAbort();
        throw;
      }
    }
    // Going on: the file counts as done.
    progressDone_ = progressWhenSkipped;
    ReportProgress();
  }
}

std::string TArchiverRoot::TempArchiveName(const std::string& inFolder) const {
  std::string folder = inFolder.empty() ? platform::TempFolder() : inFolder;
  if (folder.empty()) folder = "c:\\";
  const uint32_t tick = platform::TickCount();
  for (uint32_t i = 1; i <= 1000; ++i) {
    const std::string name = FormatText("%s~Archiv-%x.tmp", {folder, unsigned(tick + i)});
    if (!platform::FileExists(name) && !platform::FolderExists(name)) return name;
  }
  throw EArchiver(messages_.CanNotBuildTempFileName);
}

}  // namespace archive
