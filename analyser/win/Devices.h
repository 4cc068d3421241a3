// The sound devices of the analyser: wave input and wave output reporting to the main
// window by messages (MM_WIM_DATA, MM_WIM_CLOSE, MM_WOM_DONE), behind small interfaces.
#pragma once
#include <windows.h>
// after windows.h
#include <mmsystem.h>

#include <cstdint>

#include "analyser/core/WaveFile.h"

namespace tessel_win {

// A wave-output device streaming through two plain buffers that are written in turn (a
// looping buffer skips under some drivers); each one comes back as MM_WOM_DONE.
class WaveOutput {
 public:
  ~WaveOutput() { Close(); }
  // Opens the wave mapper with the format. False on failure (nothing stays open).
  bool Open(HWND notify, const tessel::WaveFormat& format);
  // Prepares buffer `index` (0 or 1) over the bytes and writes it; false on failure.
  bool Write(int index, uint8_t* data, uint32_t bytes);
  bool IsOpen() const { return device_ != nullptr; }
  // True when the header is one of ours and the device is done with it (a message that
  // arrives after the buffer was written again, or after Close, is stale).
  bool IsReturned(const WAVEHDR* header) const;
  // Bytes played since the start, or -1 when the device gives no usable position.
  int64_t PositionBytes() const;
  // Hands every buffer back at once.
  void Reset();
  // Resets, unprepares and closes.
  void Close();

 private:
  HWAVEOUT device_ = nullptr;
  WAVEHDR headers_[2]{};
  uint32_t blockAlign_ = 1;
};

// A wave-input device recording into two alternating buffers (or one for a fixed length).
class WaveInput {
 public:
  ~WaveInput() { Close(); }
  // Opens the wave mapper; false when the device refuses the format.
  bool Open(HWND notify, const tessel::WaveFormat& format);
  // Prepares and adds the buffers and starts recording; false on any failure.
  bool Start(uint8_t* a, uint8_t* b, uint32_t bytes);
  bool IsOpen() const { return device_ != nullptr; }
  // Bytes recorded since the start, or -1.
  int64_t PositionBytes() const;
  // Adds the buffer of a completed header again.
  void Requeue(WAVEHDR* header);
  bool IsA(const WAVEHDR* header) const { return header == &headers_[0]; }
  void StopAndReset();
  void Close();

 private:
  HWAVEIN device_ = nullptr;
  WAVEHDR headers_[2]{};
  int count_ = 0;
  uint32_t blockAlign_ = 1;
};

}  // namespace tessel_win
