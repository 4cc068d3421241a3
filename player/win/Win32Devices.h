// The Win32 side of the player's devices: the decoder library loader, the polling
// timer, wave-output volume, the mixer's peak meter, message boxes and folders.
#pragma once
#include <windows.h>
// after windows.h
#include <mmsystem.h>

#include <string>

#include "player/core/Devices.h"
#include "player/core/KelvaroLibrary.h"
#include "player/core/MPEGPlay.h"
#include "player/core/MasterVolume.h"

namespace tunlet {

class WinLibraryLoader : public player::TLibraryLoader {
 public:
  void* Load(const std::string& path) override;
  void* Symbol(void* library, const char* name) override;
  void Free(void* library) override;
  // The ANSI form of the path, or its short form when it has characters outside
  // the ANSI code page.
  std::string LibraryFileName(const std::string& path) override;
};

// A window timer whose ticks arrive as WM_TIMER with `id`.
class WinPollTimer : public player::TPollTimer {
 public:
  WinPollTimer(UINT_PTR id) : id_(id) {}
  void SetWindow(HWND window) { window_ = window; }
  void SetInterval(uint32_t ms) override;
  void SetEnabled(bool enabled) override;

 private:
  void Apply();
  HWND window_ = nullptr;
  UINT_PTR id_;
  uint32_t interval_ = 0;
  bool enabled_ = false;
  bool running_ = false;
};

// The volume of wave output device 0. Where the system refuses a device number in
// place of a handle (Wine), the volume control of the mixer line that the wave output
// plays into stands in for it: it sets the process's session volume, which the decoder
// library's own wave output follows. That control keeps one value for both channels.
class WinWaveVolume : public player::TWaveVolume {
 public:
  ~WinWaveVolume() override;
  int NumDevs() override;
  bool GetVolume(uint32_t& volume) override;
  void SetVolume(uint32_t volume) override;

 private:
  bool OpenMixerVolume();
  bool MixerValue(DWORD& value, bool set);

  HMIXER mixer_ = nullptr;
  DWORD controlId_ = 0;
  bool mixerTried_ = false;
  player::TMasterVolume master_;
};

class WinMixerPeakMeter : public player::TMixerPeakMeter {
 public:
  ~WinMixerPeakMeter() override { Close(); }
  int WaveOutDevices() override;
  bool GetMixerId() override;
  bool OpenPeakMeter() override;
  bool ReadPeaks(int32_t values[2], int& channels) override;
  void Close() override;

 private:
  UINT mixerId_ = 0;
  HMIXER mixer_ = nullptr;
  DWORD controlId_ = 0;
  DWORD channels_ = 0;
};

// IAudioMeterInformation, which the compiler's headers only name.
struct IEndpointPeakMeter;

// The default output's meter of the Core Audio API. Everything it needs is found at run
// time through COM, so the player still starts where that API is missing.
class WinEndpointPeakMeter : public player::TEndpointPeakMeter {
 public:
  ~WinEndpointPeakMeter() override { Close(); }
  bool Open() override;
  bool ReadPeaks(float values[2], int& channels) override;
  void Close() override;

 private:
  bool comStarted_ = false;
  IEndpointPeakMeter* meter_ = nullptr;
  UINT channels_ = 0;
};

class WinDialogs : public player::TDialogs {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  void SetTitle(const std::string& title) { title_ = title; }
  void ShowMessage(const std::string& text) override;
  void ShowMessageBox(const std::string& title, const std::string& text) override;
  // The standard exception message box.
  void ShowError(const std::string& message);

 private:
  HWND owner_ = nullptr;
  std::string title_;
};

// A running player holds a mark file in its folder open without sharing: another
// player's attempt to open it fails until the holder ends, however it ends.
class WinPlayerSystem : public player::TPlayerSystem {
 public:
  ~WinPlayerSystem() override { ReleaseFolder(); }
  std::string ExePath() override;
  std::string TempFolder() override;
  bool CreateNewFolder(const std::string& path) override;
  uint32_t ProcessId() override { return GetCurrentProcessId(); }
  void HoldFolder(const std::string& folder) override;
  void ReleaseFolder() override;
  bool FolderHeld(const std::string& folder) override;

 private:
  HANDLE mark_ = INVALID_HANDLE_VALUE;
  std::wstring markPath_;
};

}  // namespace tunlet
