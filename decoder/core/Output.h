#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/Threads.h"

namespace kelvaro {

// Where the play thread's PCM goes: 16-bit samples, channels interleaved.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  virtual void Write(const int16_t* pcm, int samplesPerChannel) = 0;
  // One decoded frame is complete.
  virtual void FrameDone() = 0;
  // Drops what is buffered or queued (before a seek).
  virtual void Clear() = 0;
  // Normal end: queued sound plays out, then the output closes.
  virtual void Finish() = 0;
  // End after a stop request: queued sound is discarded.
  virtual void Abort() = 0;
  // Before the output is closed to reopen another one (the sampling rate changed): what was
  // written plays out, without padding.
  virtual void Drain() { Finish(); }
  // False while the next frame would fill a buffer that has to wait for the device.
  virtual bool Ready() { return true; }
  // Samples per channel that have been heard since the output was created or last cleared;
  // -1 when the output does not play sound (a file) or is closed. May be called from another
  // thread than the one that writes.
  virtual int64_t Played() { return -1; }
};

// Device 2: a RIFF WAVE file with a "fmt " chunk (PCM, 16 bits) and a "data" chunk.
class WaveFileOutput : public SoundOutput {
 public:
  // Null when the file cannot be created.
  static std::unique_ptr<WaveFileOutput> Create(const char* name, int channels, int rate);
  ~WaveFileOutput() override;
  void Write(const int16_t* pcm, int samplesPerChannel) override;
  void FrameDone() override {}
  void Clear() override {}
  void Finish() override { Close(); }
  void Abort() override { Close(); }

 private:
  WaveFileOutput(std::FILE* file, int channels, int rate);
  void WriteHeader();
  void Close();

  std::FILE* file_;
  int channels_;
  int rate_;
  uint32_t dataBytes_ = 0;
};

// A wave output device in the manner of the Windows multimedia wave-out functions.
class WaveDevice {
 public:
  virtual ~WaveDevice() = default;
  virtual bool Open(int channels, int rate) = 0;
  // Prepares and queues buffer `index` (0..2) holding `bytes` bytes of `data`.
  virtual bool Write(int index, const uint8_t* data, uint32_t bytes) = 0;
  // Whether a queued buffer has finished playing.
  virtual bool Done(int index) = 0;
  // Releases (unprepares) a finished or reset buffer.
  virtual void Release(int index) = 0;
  // Stops playback and returns every queued buffer.
  virtual void Reset() = 0;
  // Closes the device; false while it still plays.
  virtual bool Close() = 0;
  virtual void Sleep(int ms) = 0;
  // Samples per channel played since Open or the last Reset (the device's playback
  // position); -1 when the device cannot tell.
  virtual int64_t PlayedSamples() { return -1; }
};

// Device 0/1: three buffers of 32 frames each, at most two queued at the device. A buffer is
// full when it holds 32 frames' samples (of the frame size it was made for): frames of another
// size (after a change of layer) run on into the next buffer.
class BufferedWaveOutput : public SoundOutput {
 public:
  static constexpr int kFramesPerBuffer = 32;

  // Null when the device cannot be opened. While `interrupt` (when given) is set, waiting
  // for queued sound to play out gives way: the queued sound is discarded, so that a stop
  // request is not kept waiting by the end of a song.
  static std::unique_ptr<BufferedWaveOutput> Create(std::unique_ptr<WaveDevice> device,
                                                    int channels, int rate, int samplesPerFrame,
                                                    const std::atomic<bool>* interrupt = nullptr);
  ~BufferedWaveOutput() override;
  void Write(const int16_t* pcm, int samplesPerChannel) override;
  void FrameDone() override;
  void Clear() override;
  void Finish() override;
  void Abort() override;
  void Drain() override;
  bool Ready() override;
  int64_t Played() override;

 private:
  BufferedWaveOutput(std::unique_ptr<WaveDevice> device, int channels, uint32_t bufferBytes);
  void BufferFull();
  void Queue(int index, uint32_t bytes);
  void WaitAndRelease(int index);
  void ReleaseAll();
  void End(bool pad);
  void CloseDevice();
  void ResetDevice();

  std::unique_ptr<WaveDevice> device_;
  int channels_;
  uint32_t bufferBytes_;
  std::unique_ptr<uint8_t[]> buffers_[3];
  bool queued_[3] = {};
  int current_ = 0;
  uint32_t fill_ = 0;
  int fullBuffers_ = 0;
  std::atomic<bool> closed_{false};
  const std::atomic<bool>* interrupt_ = nullptr;
  // Keeps the position query (another thread) off a device that is being reset or closed.
  platform::Mutex deviceMutex_;
};

}  // namespace kelvaro
