// TMPEGPlayer: the playback component. It loads the decoder library, binds its
// exports, checks the library's error code after every call, keeps the play state,
// polls the position on a timer and reports the end of the song.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "player/core/KelvaroLibrary.h"

namespace player {

// The library's error codes and the component's own.
enum TMPEGErrorCode : int32_t {
  mpegNotLoaded = 0,
  mpegInternal = 1,
  mpegIncorrectMode = 2,
  mpegInputStream = 3,
  mpegNonSeekable = 4,
  mpegOutputDevice = 5,
  mpegNoStream = 254,  // StreamName empty
  mpegCantLoad = 255,  // the library file could not be loaded
};

// The message of a code: the library's table, then the component's own two.
std::string MPEGErrorMessage(int32_t code);

class TMPEGError : public std::runtime_error {
 public:
  explicit TMPEGError(int32_t code) : TMPEGError(MPEGErrorMessage(code), code) {}
  TMPEGError(const std::string& message, int32_t code) : std::runtime_error(message), code_(code) {}
  int32_t Code() const { return code_; }

 private:
  int32_t code_;
};

enum class TPlayPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
// The Windows thread priority of a playback priority (-15, -2, -1, 0, 1, 2, 15).
int32_t ThreadPriorityValue(TPlayPriority p);

enum class TOutputDevice { wavemapper, pcmfile };

// The component's polling timer. The Windows shell runs a window timer and calls
// TMPEGPlayer::Poll on every tick.
class TPollTimer {
 public:
  virtual ~TPollTimer() = default;
  virtual void SetInterval(uint32_t ms) = 0;  // 0: never fires
  virtual void SetEnabled(bool enabled) = 0;
};

class TMPEGPlayer {
 public:
  TMPEGPlayer(TLibraryLoader& loader, TPollTimer& timer) : loader_(loader), timer_(timer) {}
  ~TMPEGPlayer();
  TMPEGPlayer(const TMPEGPlayer&) = delete;
  TMPEGPlayer& operator=(const TMPEGPlayer&) = delete;

  bool Seekable() const { return seekable_; }
  void SetSeekable(bool v) { seekable_ = v; }
  TPlayPriority PlayerPriority() const { return priority_; }
  // Passed to the library at once when it is loaded, also during playback.
  void SetPlayerPriority(TPlayPriority p);
  bool UseTimer() const { return useTimer_; }
  void SetUseTimer(bool v) { useTimer_ = v; }
  uint32_t TimerFreq() const { return timerFreq_; }
  // 0 also clears UseTimer.
  void SetTimerFreq(uint32_t ms);
  bool AutoPlay() const { return autoPlay_; }
  void SetAutoPlay(bool v) { autoPlay_ = v; }
  const std::string& StreamName() const { return streamName_; }
  // Changing the name while a song is open closes it.
  void SetStreamName(const std::string& name);
  // pcmfile is kept only while OutFilename is not empty.
  TOutputDevice OutputDevice() const { return outputDevice_; }
  void SetOutputDevice(TOutputDevice d);
  const std::string& OutFilename() const { return outFilename_; }
  void SetOutFilename(const std::string& name) { outFilename_ = name; }
  const std::string& PathToDLL() const { return pathToDll_; }
  void SetPathToDLL(const std::string& path) { pathToDll_ = path; }
  int32_t StartPos() const { return startPos_; }
  void SetStartPos(int32_t ms) { startPos_ = ms; }
  int32_t EndPos() const { return endPos_; }
  void SetEndPos(int32_t ms) { endPos_ = ms; }
  int32_t PlayedXTimes() const { return playedXTimes_; }

  // PathToDLL + "kelvaro.dll", with a backslash between when needed.
  std::string LibraryPath() const;
  void LoadLibrary();
  // Stops an open song, calls deinit and frees the library. Safe when not loaded.
  void UnloadLibrary();
  bool Loaded() const { return library_ != nullptr; }

  void Open();
  void Play();
  void Pause(bool pause);
  void Restart();
  void Stop();
  void Seek(int32_t ms);
  // One tick of the polling timer.
  void Poll();

  int32_t GetPlayerMode();
  int32_t GetCurrentPos();
  int32_t GetLength();

  bool Opened() const { return opened_; }
  bool Playing() const { return playing_; }
  bool Paused() const { return paused_; }
  bool EndReached() const { return endReached_ != 0; }
  int32_t Length() const { return length_; }
  int32_t LastErrorCode() const { return lastError_; }
  // Whether the library reported an error while the song played (since the last Play or
  // Restart): playback may have ended because of it (the library's play thread keeps such an
  // error for the next LastError), so a looped song is not started again into it.
  bool PlayFailed() const { return playFailed_; }

  std::function<void(int32_t pos, int32_t len)> OnPosUpdate;
  std::function<void()> OnPlayEnd;

 private:
  template <typename Fn>
  Fn Export(exports::Export e) const;
  // Raises the code-0 error when no library is loaded.
  void RequireLibrary() const;
  // Reads the library's error code and raises it when it is above 0.
  void CheckError();
  int32_t CallInt(exports::Export e);
  void ForgetLibrary();
  void StartTimer();

  TLibraryLoader& loader_;
  TPollTimer& timer_;
  void* library_ = nullptr;
  std::array<void*, exports::kExportCount> exports_{};

  bool seekable_ = true;
  TPlayPriority priority_ = TPlayPriority::Normal;
  bool useTimer_ = true;
  uint32_t timerFreq_ = 500;
  bool autoPlay_ = false;
  std::string streamName_;
  TOutputDevice outputDevice_ = TOutputDevice::wavemapper;
  std::string outFilename_;
  std::string pathToDll_;
  int32_t startPos_ = 0;
  int32_t endPos_ = 13000;

  bool opened_ = false;
  bool playing_ = false;
  bool paused_ = false;
  // Written by the library's play thread, read on the UI thread's polls.
  volatile uint8_t endReached_ = 0;
  int32_t length_ = 0;
  int32_t lastError_ = 0;
  int32_t playedXTimes_ = 0;
  bool playFailed_ = false;
};

}  // namespace player
