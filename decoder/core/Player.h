#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "decoder/core/FrameDecoder.h"
#include "decoder/core/FrameReader.h"
#include "decoder/core/InputStream.h"
#include "decoder/core/Output.h"
#include "decoder/core/WaveDevices.h"
#include "platform/Threads.h"

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
  explicit Player(WaveDevices& devices);
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
  // The current frame times the frame duration. Playing to the sound card, the current frame
  // is the one being heard (from the device's played position, to the fraction of a frame);
  // otherwise, and while the device cannot tell, the frame the play thread reached.
  int CurrentPos() const;
  // The error with which the play thread ended playback (0 none), cleared by this call: the
  // library keeps it pending until the caller reads LastError.
  Error TakeThreadError() { return static_cast<Error>(threadError_.exchange(kNoError)); }
  int Length() const { return lengthMs_; }
  int Layer() const { return layer_; }
  int Bitrate() const { return bitrate_; }
  int Frequency() const { return frequency_; }

 private:
  // Where a frame's samples begin in what was written to the current output.
  struct Mark {
    int64_t sample;
    int64_t frame;
    int samples;
  };
  static constexpr int kMarks = 1024;  // more frames than three buffers can hold

  int StartPlayback(Error& error);
  static void RunThread(void* player) { static_cast<Player*>(player)->Run(); }
  void Run();
  void EndOfSong();
  // Ends playback with an error that the caller reads through LastError.
  void Fail(Error error);
  // The frame's sampling rate differs from the output's: reopens the output at the new rate,
  // or ends playback with an error where it cannot. False when playback ended.
  bool FollowRate(const FrameHeader& h);
  void SetOutput(std::unique_ptr<SoundOutput> output);
  void ClearOutput();
  void MarkFrame(int64_t frame, int samples);
  double HeardFrame(int64_t played) const;
  void JoinThread();
  void Remember(const FrameHeader& h);

  WaveDevices& devices_;
  std::unique_ptr<InputStream> stream_;
  std::unique_ptr<FrameReader> reader_;
  std::unique_ptr<FrameDecoder> decoder_;
  std::unique_ptr<SoundOutput> output_;
  platform::Thread thread_;
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
  char outputName_[261] = {};  // up to 260 characters, like the caller's buffer
  float scale_ = 32768.0f;
  double durationMs_ = 0;
  int lengthMs_ = -1;
  int layer_ = 0;
  int frequency_ = 0;
  int channels_ = 0;
  int samplesPerFrame_ = 0;
  int openRate_ = 0;    // the first frame's sampling rate
  int outputRate_ = 0;  // the sampling rate of the current output
  bool outputHasSound_ = false;
  volatile uint8_t* endFlag_ = nullptr;
  std::atomic<int> threadError_{kNoError};

  // The output and the frames written to it, shared with CurrentPos on the caller's thread.
  mutable platform::Mutex positionMutex_;
  Mark marks_[kMarks];
  int markFirst_ = 0;
  int markCount_ = 0;
  int64_t written_ = 0;  // samples per channel written since the output was made or cleared
};

}  // namespace kelvaro
