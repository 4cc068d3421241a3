// The devices the player window talks to, each behind a small interface: the
// Windows shell implements them with the Win32 API, tests with scripted fakes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace player {

// Volume of wave output device 0: left channel in the low 16 bits, right in the high.
class TWaveVolume {
 public:
  virtual ~TWaveVolume() = default;
  virtual int NumDevs() = 0;
  // False when the volume could not be read.
  virtual bool GetVolume(uint32_t& volume) = 0;
  virtual void SetVolume(uint32_t volume) = 0;
};

// The mixer's peak meter of the wave output line.
class TMixerPeakMeter {
 public:
  virtual ~TMixerPeakMeter() = default;
  // The number of wave output devices.
  virtual int WaveOutDevices() = 0;
  // Finds the mixer that belongs to wave output device 0.
  virtual bool GetMixerId() = 0;
  // Opens that mixer, finds the wave output source line and its peak meter and
  // prepares the value request; false on any failure.
  virtual bool OpenPeakMeter() = 0;
  // The current signed values of up to two channels; false on failure.
  virtual bool ReadPeaks(int32_t values[2], int& channels) = 0;
  virtual void Close() = 0;
};

// The peak meter of the system's default sound output (the Core Audio endpoint of
// Windows Vista and later), for systems whose mixer has no peak meter.
class TEndpointPeakMeter {
 public:
  virtual ~TEndpointPeakMeter() = default;
  // Finds the default output's meter; false where the system has none.
  virtual bool Open() = 0;
  // The current peaks (0.0 to 1.0) of up to two channels; false on failure.
  virtual bool ReadPeaks(float values[2], int& channels) = 0;
  virtual void Close() = 0;
};

// Message boxes of the player window.
class TDialogs {
 public:
  virtual ~TDialogs() = default;
  // A plain message with OK, titled with the application title.
  virtual void ShowMessage(const std::string& text) = 0;
  // A message box with its own title and OK only.
  virtual void ShowMessageBox(const std::string& title, const std::string& text) = 0;
};

// The archive behind the player's own bytes.
class TSongArchive {
 public:
  virtual ~TSongArchive() = default;
  // Opens `archivePath` as an archive starting at `startOffset` and extracts every
  // entry into `folder` (which ends with a separator), calling `onExtracted` with
  // each entry's stored name and the path of the file written. Failures throw.
  virtual void ExtractAll(const std::string& archivePath, int64_t startOffset,
                          const std::string& folder,
                          const std::function<void(const std::string& entryName,
                                                   const std::string& path)>& onExtracted) = 0;
};

// Folders of the system.
class TPlayerSystem {
 public:
  virtual ~TPlayerSystem() = default;
  // The path of the running executable.
  virtual std::string ExePath() = 0;
  // The temporary folder, with its trailing separator.
  virtual std::string TempFolder() = 0;
  // Creates a folder that must not exist yet; false when it exists or cannot be made.
  virtual bool CreateNewFolder(const std::string& path) = 0;
  // A number that differs between processes (the process id).
  virtual uint32_t ProcessId() = 0;
  // Marks `folder` (ending with a separator) as the folder of this running player, until
  // ReleaseFolder; another player can tell it from a folder left behind.
  virtual void HoldFolder(const std::string& folder) = 0;
  virtual void ReleaseFolder() = 0;
  // True when a running player holds `folder`, or may be about to (it was made just now).
  virtual bool FolderHeld(const std::string& folder) = 0;
};

}  // namespace player
