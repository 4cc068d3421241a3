#include "player/core/MPEGPlay.h"

#include <cstring>
#include <exception>

namespace player {
namespace exports {

const std::array<const char*, kExportCount>& ExportNames() {
  static const std::array<const char*, kExportCount> names = {
      "init",           "deinit",        "Open",
      "Play",           "Pause",         "Restart",
      "Close",          "SetPriority",   "SetOutputDevice",
      "GetPlayerMode",  "GetCurrentPos", "GetLength",
      "Seek",           "LastError",     "Stop",
      "GetFrequency",   "GetBitrate",    "GetLayer",
      "ResetPlayerMode"};
  return names;
}

}  // namespace exports

namespace {

// The library takes names in fixed buffers: 512 bytes for the song, 260 for the
// PCM file, each with its terminator.
constexpr size_t kStreamNameBuffer = 512;
constexpr size_t kOutFileNameBuffer = 260;

bool LowByte(exports::Bool32 v) { return (v & 0xFF) != 0; }

}  // namespace

std::string MPEGErrorMessage(int32_t code) {
  switch (code) {
    case mpegNotLoaded:
      return "MPEG library not loaded";
    case mpegInternal:
      return "Internal decoder error";
    case mpegIncorrectMode:
      return "Incorrect mode";
    case mpegInputStream:
      return "Input stream error";
    case mpegNonSeekable:
      return "Input stream is non-seekable";
    case mpegOutputDevice:
      return "Output device failure";
    case mpegNoStream:
      return "Can't play non-specified stream";
    case mpegCantLoad:
      return "Can't load MPEG library";
    default:
      // A code the library does not document; keep it visible.
      return "Internal decoder error (" + std::to_string(code) + ")";
  }
}

int32_t ThreadPriorityValue(TPlayPriority p) {
  switch (p) {
    case TPlayPriority::Idle:
      return -15;
    case TPlayPriority::Lowest:
      return -2;
    case TPlayPriority::BelowNormal:
      return -1;
    case TPlayPriority::Normal:
      return 0;
    case TPlayPriority::AboveNormal:
      return 1;
    case TPlayPriority::Highest:
      return 2;
    case TPlayPriority::TimeCritical:
      return 15;
  }
  return 0;
}

TMPEGPlayer::~TMPEGPlayer() {
  try {
    UnloadLibrary();
  } catch (...) {
    // A destructor cannot report; the library is released below in any case.
  }
  if (library_) {
    loader_.Free(library_);
    ForgetLibrary();
  }
}

template <typename Fn>
Fn TMPEGPlayer::Export(exports::Export e) const {
  return reinterpret_cast<Fn>(exports_[e]);
}

void TMPEGPlayer::RequireLibrary() const {
  if (!library_) throw TMPEGError(mpegNotLoaded);
}

void TMPEGPlayer::CheckError() {
  const int32_t code = Export<exports::IntFn>(exports::kLastError)();
  if (code > 0) {
    lastError_ = code;
    if (playing_) playFailed_ = true;
    throw TMPEGError(code);
  }
}

void TMPEGPlayer::ForgetLibrary() {
  library_ = nullptr;
  exports_.fill(nullptr);
}

void TMPEGPlayer::SetPlayerPriority(TPlayPriority p) {
  priority_ = p;
  if (!library_) return;
  Export<exports::SetPriorityFn>(exports::kSetPriority)(ThreadPriorityValue(p));
  CheckError();
}

void TMPEGPlayer::SetTimerFreq(uint32_t ms) {
  timerFreq_ = ms;
  if (ms == 0) useTimer_ = false;
  timer_.SetInterval(useTimer_ ? timerFreq_ : 0);
}

void TMPEGPlayer::SetStreamName(const std::string& name) {
  if (name == streamName_) return;
  if (opened_) Stop();
  streamName_ = name;
}

void TMPEGPlayer::SetOutputDevice(TOutputDevice d) {
  outputDevice_ =
      (d == TOutputDevice::pcmfile && outFilename_.empty()) ? TOutputDevice::wavemapper : d;
}

std::string TMPEGPlayer::LibraryPath() const {
  std::string path = pathToDll_;
  if (!path.empty()) {
    const char last = path.back();
    // A slash also ends a folder, so that the native tests can use their own paths.
    if (last != '\\' && last != ':' && last != '/') path += '\\';
  }
  return path + kDecoderLibraryName;
}

void TMPEGPlayer::LoadLibrary() {
  if (library_) return;
  void* lib = loader_.Load(LibraryPath());
  if (!lib) throw TMPEGError(mpegCantLoad);
  const auto& names = exports::ExportNames();
  for (size_t i = 0; i < names.size(); ++i) {
    exports_[i] = loader_.Symbol(lib, names[i]);
    if (!exports_[i]) {
      loader_.Free(lib);
      exports_.fill(nullptr);
      throw TMPEGError(mpegNotLoaded);
    }
  }
  library_ = lib;
  if (!LowByte(Export<exports::InitFn>(exports::kInit)())) {
    const int32_t code = Export<exports::IntFn>(exports::kLastError)();
    // The library could not set itself up: release it instead of leaking it.
    loader_.Free(lib);
    ForgetLibrary();
    lastError_ = code;
    throw TMPEGError(code);
  }
  timer_.SetEnabled(false);
  timer_.SetInterval(useTimer_ ? timerFreq_ : 0);
  length_ = 0;
}

void TMPEGPlayer::UnloadLibrary() {
  if (!library_) return;
  timer_.SetEnabled(false);
  // The library is released even when stopping the song fails.
  std::exception_ptr failure;
  try {
    if (opened_) Stop();
  } catch (...) {
    failure = std::current_exception();
  }
  Export<exports::DeinitFn>(exports::kDeinit)();
  loader_.Free(library_);
  ForgetLibrary();
  if (failure) std::rethrow_exception(failure);
}

void TMPEGPlayer::Open() {
  if (opened_) Stop();
  opened_ = false;
  RequireLibrary();
  if (streamName_.empty()) throw TMPEGError(mpegNoStream);
  const std::string name = loader_.LibraryFileName(streamName_);
  // A name that does not fit the library's buffer would open a different file.
  if (name.size() >= kStreamNameBuffer) throw TMPEGError(mpegInputStream);
  char buffer[kStreamNameBuffer] = {};
  std::memcpy(buffer, name.data(), name.size());
  Export<exports::OpenFn>(exports::kOpen)(buffer, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr);
  CheckError();
  opened_ = true;
  playedXTimes_ = 1;
  length_ = GetLength();
  if (autoPlay_) Play();
}

void TMPEGPlayer::Play() {
  if (paused_) {
    Pause(false);
    return;
  }
  if (playing_) return;
  if (!opened_) {
    Open();
    if (!opened_) return;
    // AutoPlay may already have started it.
    if (playing_) return;
  }
  if (playedXTimes_ > 1) {
    Restart();
    return;
  }
  RequireLibrary();
  Export<exports::SetPriorityFn>(exports::kSetPriority)(ThreadPriorityValue(priority_));
  CheckError();
  const std::string out = outputDevice_ == TOutputDevice::pcmfile
                              ? loader_.LibraryFileName(outFilename_)
                              : std::string();
  if (out.size() >= kOutFileNameBuffer) throw TMPEGError(mpegOutputDevice);
  char outBuffer[kOutFileNameBuffer] = {};
  std::memcpy(outBuffer, out.data(), out.size());
  Export<exports::SetOutputDeviceFn>(exports::kSetOutputDevice)(
      outputDevice_ == TOutputDevice::pcmfile ? 2 : 0, outBuffer);
  CheckError();
  endReached_ = 0;
  playFailed_ = false;
  const int32_t result = Export<exports::PlayFn>(exports::kPlay)(
      startPos_, endPos_, const_cast<uint8_t*>(&endReached_));
  CheckError();
  if (result != 0) throw TMPEGError(mpegInternal);
  playing_ = true;
  ++playedXTimes_;
  StartTimer();
}

void TMPEGPlayer::StartTimer() {
  if (useTimer_ && timerFreq_ != 0) {
    timer_.SetEnabled(true);
    Poll();
  }
}

void TMPEGPlayer::Pause(bool pause) {
  if (!playing_ || endReached_ != 0) {
    paused_ = false;
    if (pause) throw TMPEGError(mpegIncorrectMode);
    return;
  }
  RequireLibrary();
  Export<exports::PauseFn>(exports::kPause)(pause ? 0 : 1);
  CheckError();
  paused_ = pause;
}

void TMPEGPlayer::Restart() {
  if (!opened_) throw TMPEGError(mpegIncorrectMode);
  RequireLibrary();
  endReached_ = 0;
  playFailed_ = false;
  Export<exports::VoidFn>(exports::kRestart)();
  CheckError();
  playing_ = true;
  ++playedXTimes_;
  StartTimer();
}

void TMPEGPlayer::Stop() {
  opened_ = false;
  paused_ = false;
  playing_ = false;
  playedXTimes_ = 0;
  RequireLibrary();
  Export<exports::VoidFn>(exports::kClose)();
  CheckError();
}

void TMPEGPlayer::Seek(int32_t ms) {
  RequireLibrary();
  Export<exports::SeekFn>(exports::kSeek)(ms);
  CheckError();
}

int32_t TMPEGPlayer::CallInt(exports::Export e) {
  RequireLibrary();
  const int32_t value = Export<exports::IntFn>(e)();
  CheckError();
  return value;
}

int32_t TMPEGPlayer::GetPlayerMode() { return CallInt(exports::kGetPlayerMode); }
int32_t TMPEGPlayer::GetCurrentPos() { return CallInt(exports::kGetCurrentPos); }
int32_t TMPEGPlayer::GetLength() { return CallInt(exports::kGetLength); }

void TMPEGPlayer::Poll() {
  if (!opened_ || !playing_) {
    timer_.SetEnabled(false);
    return;
  }
  // The end flag is read before the position: a play thread that ends with an error makes it
  // pending before it sets the flag, so the position's error check raises it in this poll.
  const bool ended = endReached_ != 0;
  std::exception_ptr failure;
  try {
    int32_t pos = GetCurrentPos();
    if (pos > length_) pos = 0;
    if (OnPosUpdate) OnPosUpdate(pos, length_);
  } catch (const TMPEGError&) {
    // Reported after the end below, so that the window is back in its stopped state.
    failure = std::current_exception();
  }
  if (ended) {
    timer_.SetEnabled(false);
    playing_ = false;
    if (OnPlayEnd) {
      endReached_ = 0;
      OnPlayEnd();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace player
