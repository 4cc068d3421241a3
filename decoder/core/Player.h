#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "decoder/core/FrameDecoder.h"
#include "decoder/core/FrameReader.h"
#include "decoder/core/InputStream.h"
#include "decoder/core/Output.h"
#include "decoder/core/Platform.h"

namespace kelvaro {

// The library's error codes.
enum Error {
  kNoError = 0,
  kIncorrectMode = 2,
  kInputStream = 3,
  kNotSeekable = 4,
  kOutputDevice = 5
};

enum Mode { kNoStream = 0, kOpened = 1, kEnded = 2, kPlaying = 3, kPaused = 4 };

// The player object: one open stream, a play thread that decodes it frame by frame, and the
// requests (stop, pause toggle, seek) through which the caller steers that thread.
class Player {
 public:
  explicit Player(Platform& platform);
  ~Player();

  Error Open(std::unique_ptr<InputStream> stream);
  // Returns 0 when playback started, 1 when the output could not be created.
  int Play(int startMs, int endMs, volatile uint8_t* endFlag, Error& error);
  Error Pause(int resume);
  Error Restart();
  Error Stop();
  Error Close();
  void SetPriority(int priority);
  void SetOutputDevice(int device, const char* fileName);
  // False (without an error) for a position beyond the length.
  bool Seek(int ms, Error& error);
  void ResetPlayerMode();
  void UseScaleFactor(bool on, float factor) { scale_ = on ? factor : 32768.0f; }

  int Mode() const { return mode_; }
  bool Seekable() const { return stream_ && stream_->Seekable(); }
  int CurrentPos() const;
  int Length() const { return lengthMs_; }
  int Layer() const { return layer_; }
  int Bitrate() const { return bitrate_; }
  int Frequency() const { return frequency_; }

 private:
  int StartPlayback(Error& error);
  void Run();
  void EndOfSong();
  void JoinThread();
  void Remember(const FrameHeader& h);

  Platform& platform_;
  std::unique_ptr<InputStream> stream_;
  std::unique_ptr<FrameReader> reader_;
  std::unique_ptr<FrameDecoder> decoder_;
  std::unique_ptr<SoundOutput> output_;
  std::unique_ptr<PlayThread> thread_;
  int16_t pcm_[FrameDecoder::kMaxSamples];

  std::atomic<bool> stopRequest_{false};
  std::atomic<bool> pauseRequest_{false};
  std::atomic<bool> seekRequest_{false};
  std::atomic<int64_t> seekTarget_{0};
  std::atomic<int64_t> currentFrame_{-1};
  std::atomic<int> mode_{kNoStream};
  std::atomic<int> bitrate_{0};
  int64_t startFrame_ = 0;
  int64_t endFrame_ = 0;
  bool playToStreamEnd_ = true;
  int priority_ = 0;
  int device_ = 0;
  std::string outputName_;
  float scale_ = 32768.0f;
  double durationMs_ = 0;
  int lengthMs_ = -1;
  int layer_ = 0;
  int frequency_ = 0;
  int channels_ = 0;
  int samplesPerFrame_ = 0;
  volatile uint8_t* endFlag_ = nullptr;
};

}  // namespace kelvaro
