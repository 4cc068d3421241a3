// The sound devices of the analyser: wave input and wave output reporting to the main
// window by messages (MM_WIM_DATA, MM_WIM_CLOSE, MM_WOM_DONE), behind small interfaces.
#pragma once
#include <windows.h>
// after windows.h
#include <mmsystem.h>

#include <cstdint>

#include "analyser/core/WaveFile.h"

namespace tessel_win {

// A wave-output device playing one looping buffer.
class WaveOutput {
 public:
  ~WaveOutput() { Close(); }
  // Opens the wave mapper with the format, prepares the buffer to repeat `loops` times and
  // writes it. False on any failure (nothing stays open).
  bool Start(HWND notify, const tessel::WaveFormat& format, uint8_t* data, uint32_t bytes,
             uint32_t loops);
  bool IsOpen() const { return device_ != nullptr; }
  // Bytes played since the start, or -1 when the device gives no usable position.
  int64_t PositionBytes() const;
  void Reset();
  // Resets, unprepares and closes.
  void Close();

 private:
  HWAVEOUT device_ = nullptr;
  WAVEHDR header_{};
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
