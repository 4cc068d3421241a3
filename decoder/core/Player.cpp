#include "decoder/core/Player.h"

#include <algorithm>
#include <climits>

namespace kelvaro {

Player::Player(WaveDevices& devices) : devices_(devices) {}

Player::~Player() { Close(); }

void Player::Remember(const FrameHeader& h) {
  layer_ = h.layer;
  frequency_ = h.SampleRate();
  bitrate_ = h.Bitrate();
}

Error Player::Open(std::unique_ptr<InputStream> stream) {
  if (mode_ != kNoStream && mode_ != kOpened) return kIncorrectMode;
  if (mode_ == kOpened) Close();
  if (!stream) return kInputStream;
  auto reader = std::make_unique<FrameReader>(*stream);
  if (!reader->Open()) return kInputStream;
  stream_ = std::move(stream);
  reader_ = std::move(reader);
  const FrameHeader& h = reader_->Header();
  Remember(h);
  channels_ = h.Channels();
  samplesPerFrame_ = h.SamplesPerFrame();
  openRate_ = h.SampleRate();
  durationMs_ = h.DurationMs();
  const int64_t frames = reader_->FrameCount();
  lengthMs_ = static_cast<int>(std::min<double>(INT_MAX, frames * durationMs_));
  startFrame_ = 0;
  endFrame_ = frames;
  playToStreamEnd_ = true;
  currentFrame_ = 0;
  mode_ = kOpened;
  return kNoError;
}

int Player::Play(int startMs, int endMs, volatile uint8_t* endFlag, Error& error) {
  if (mode_ != kOpened && mode_ != kEnded) {
    error = kIncorrectMode;
    return 0;
  }
  endFlag_ = endFlag;
  stopRequest_ = false;
  if (endFlag_) *endFlag_ = 0;
  // An end of 0 means the end of the song, also when the start is checked against it; a
  // start that does not fit plays from the beginning.
  const bool toEnd = endMs <= 0 || endMs > lengthMs_;
  const int lastMs = toEnd ? lengthMs_ : endMs;
  startFrame_ = (startMs > 0 && startMs < lastMs) ? static_cast<int64_t>(startMs / durationMs_) : 0;
  if (toEnd) {
    endFrame_ = reader_->FrameCount();
    playToStreamEnd_ = true;
  } else {
    endFrame_ = static_cast<int64_t>(endMs / durationMs_);
    playToStreamEnd_ = false;
  }
  return StartPlayback(error);
}

int Player::StartPlayback(Error& error) {
  JoinThread();
  threadError_ = kNoError;  // a new playback: an unread failure of the previous one is moot
  if (!decoder_) decoder_ = std::make_unique<FrameDecoder>();
  decoder_->SetScale(scale_);
  decoder_->Reset();
  // The output takes the first frame's format; a part of the stream at another rate reopens
  // it when it is reached.
  const int rate = openRate_;
  if (device_ == 2)
    SetOutput(WaveFileOutput::Create(outputName_, channels_, rate));
  else
    SetOutput(BufferedWaveOutput::Create(devices_.NewWaveDevice(), channels_, rate,
                                         samplesPerFrame_, &stopRequest_));
  if (!output_) {
    mode_ = kOpened;
    error = kOutputDevice;
    return 1;
  }
  outputRate_ = rate;
  outputHasSound_ = false;
  // The thread starts by positioning at the start frame (which the end check must not see
  // as the position of an earlier run).
  currentFrame_ = startFrame_;
  seekTarget_ = startFrame_;
  seekRequest_ = true;
  pauseRequest_ = false;
  mode_ = kPlaying;
  if (!thread_.Start(&Player::RunThread, this, priority_)) {
    SetOutput(nullptr);
    mode_ = kOpened;
    error = kOutputDevice;
    return 1;
  }
  return 0;
}

void Player::SetOutput(std::unique_ptr<SoundOutput> output) {
  platform::MutexLock lock(positionMutex_);
  output_ = std::move(output);
  markFirst_ = markCount_ = 0;
  written_ = 0;
}

void Player::ClearOutput() {
  platform::MutexLock lock(positionMutex_);
  output_->Clear();
  markFirst_ = markCount_ = 0;
  written_ = 0;
}

void Player::MarkFrame(int64_t frame, int samples) {
  platform::MutexLock lock(positionMutex_);
  const int at = (markFirst_ + markCount_) % kMarks;
  if (markCount_ == kMarks)
    markFirst_ = (markFirst_ + 1) % kMarks;  // long heard
  else
    ++markCount_;
  marks_[at] = {written_, frame, samples};
  written_ += samples;
}

// The frame (with the fraction heard of it) that holds sample `played` of the output.
double Player::HeardFrame(int64_t played) const {
  auto mark = [this](int k) -> const Mark& { return marks_[(markFirst_ + k) % kMarks]; };
  if (played < mark(0).sample) return double(mark(0).frame);
  int low = 0, high = markCount_ - 1;
  while (low < high) {
    const int middle = (low + high + 1) / 2;
    if (mark(middle).sample <= played)
      low = middle;
    else
      high = middle - 1;
  }
  const Mark& m = mark(low);
  const double heard = m.samples > 0 ? double(played - m.sample) / m.samples : 0;
  return double(m.frame) + std::min(1.0, heard);
}

void Player::EndOfSong() {
  if (output_) output_->Finish();
  mode_ = kEnded;
  if (endFlag_) *endFlag_ = 1;
}

void Player::Fail(Error error) {
  // The error is in place before the caller can see the end of the song.
  threadError_.store(error);
  std::atomic_thread_fence(std::memory_order_seq_cst);
  EndOfSong();
}

bool Player::FollowRate(const FrameHeader& h) {
  const int rate = h.SampleRate();
  if (device_ == 2 && outputHasSound_) {
    // A wave file has one sampling rate: the rest of the stream cannot go into it. What was
    // written stays, and the caller learns why it ends there.
    Fail(kInputStream);
    return false;
  }
  // The sound card plays what it has at the old rate, then is opened again at the new one.
  output_->Drain();
  SetOutput(nullptr);
  if (device_ == 2)
    SetOutput(WaveFileOutput::Create(outputName_, channels_, rate));
  else
    SetOutput(BufferedWaveOutput::Create(devices_.NewWaveDevice(), channels_, rate,
                                         h.SamplesPerFrame(), &stopRequest_));
  if (!output_) {
    Fail(kOutputDevice);
    return false;
  }
  outputRate_ = rate;
  // The new output starts afresh, and so does the decoding: no filter history or Layer III
  // overlap of the frames at the old rate carries into it.
  decoder_->Reset();
  return true;
}

void Player::Run() {
  for (;;) {
    if (stopRequest_) {
      if (output_) output_->Abort();
      stopRequest_ = false;
      mode_ = kOpened;
      return;
    }
    if (!playToStreamEnd_ && endFrame_ < currentFrame_) return EndOfSong();
    if (pauseRequest_) {
      mode_ = mode_ == kPlaying ? kPaused : kPlaying;
      pauseRequest_ = false;
    }
    if (seekRequest_) {
      seekRequest_ = false;
      if (stream_->Seekable()) {
        currentFrame_ = seekTarget_.load();
        ClearOutput();
        if (!reader_->SeekToFrame(seekTarget_)) return EndOfSong();
        decoder_->Reset();
        currentFrame_ = reader_->FrameNumber();
      }
    }
    if (mode_ == kPaused) {
      // Queued sound plays on; the thread only waits. A short sleep rather than a bare
      // yield keeps a paused player from spinning a processor.
      platform::Sleep(10);
      continue;
    }
    if (!output_->Ready()) {
      // The device still plays the two queued buffers: wait here, where requests are seen,
      // rather than inside the output with a third buffer that a pause would let play.
      platform::Sleep(20);
      continue;
    }
    if (!reader_->HasFrame()) return EndOfSong();  // a replay of a stream that cannot rewind
    const FrameHeader& h = reader_->Header();
    if (h.SampleRate() != outputRate_ && !FollowRate(h)) return;
    // Main data from before a gap (damage, a dropped frame) does not belong to this frame.
    if (reader_->FollowsGap()) decoder_->ForgetMainData();
    // Every frame at the output's channel count, whatever its own.
    int samples = decoder_->Decode(h, reader_->Data(), reader_->Bytes(), pcm_, channels_);
    MarkFrame(reader_->FrameNumber(), samples);
    output_->Write(pcm_, samples);
    output_->FrameDone();
    outputHasSound_ = true;
    if (!reader_->Next()) return EndOfSong();
    Remember(reader_->Header());
    currentFrame_ = reader_->FrameNumber();
  }
}

void Player::JoinThread() {
  thread_.Join();
  SetOutput(nullptr);
}

Error Player::Pause(int resume) {
  if (!thread_.Joinable()) return kIncorrectMode;
  if ((mode_ == kPaused && resume == 1) || (mode_ == kPlaying && resume == 0)) pauseRequest_ = true;
  return kNoError;
}

Error Player::Restart() {
  if (mode_ != kOpened && mode_ != kEnded) return kIncorrectMode;
  if (endFlag_) *endFlag_ = 0;
  JoinThread();
  if (!reader_->Rewind()) return kInputStream;
  Remember(reader_->Header());
  currentFrame_ = 0;
  mode_ = kOpened;
  // The stored frames are used as they are: a round trip through milliseconds could lose
  // the last frame to truncation.
  Error error = kNoError;
  StartPlayback(error);
  return error;
}

Error Player::Stop() {
  const int mode = mode_;
  if (mode == kEnded) {
    JoinThread();
    mode_ = kOpened;
    return kNoError;
  }
  if (mode != kPlaying && mode != kPaused) return kIncorrectMode;
  if (mode == kPaused) {
    pauseRequest_ = true;
    while (mode_ == kPaused) platform::Sleep(0);
  }
  stopRequest_ = true;
  JoinThread();
  stopRequest_ = false;
  mode_ = kOpened;
  if (endFlag_) *endFlag_ = 0;
  return kNoError;
}

Error Player::Close() {
  if (mode_ == kNoStream) return kIncorrectMode;
  if (mode_ == kPlaying || mode_ == kPaused) Stop();
  JoinThread();
  reader_.reset();
  stream_.reset();
  lengthMs_ = -1;
  currentFrame_ = -1;
  layer_ = frequency_ = bitrate_ = 0;
  mode_ = kNoStream;
  return kNoError;
}

void Player::SetPriority(int priority) {
  priority_ = priority;
  if (mode_ == kPlaying || mode_ == kPaused) thread_.SetPriority(priority);
}

void Player::SetOutputDevice(int device, const char* fileName) {
  if (device == 0 || device == 1) {
    device_ = 0;
  } else if (device == 2) {
    device_ = 2;
    // The name is bounded like the caller's 260-character buffer.
    int n = 0;
    for (; fileName && n < 260 && fileName[n]; ++n) outputName_[n] = fileName[n];
    outputName_[n] = 0;
  }
}

bool Player::Seek(int ms, Error& error) {
  if (stream_ && !stream_->Seekable()) {
    error = kNotSeekable;
    return false;
  }
  if (mode_ != kPlaying && mode_ != kPaused) {
    error = kIncorrectMode;
    return false;
  }
  if (ms < 0 || ms > lengthMs_) return false;
  seekTarget_ = static_cast<int64_t>(ms / durationMs_);
  seekRequest_ = true;
  return true;
}

void Player::ResetPlayerMode() {
  if (mode_ != kEnded) return;
  JoinThread();
  mode_ = kOpened;
  if (endFlag_) *endFlag_ = 0;
}

int Player::CurrentPos() const {
  double frame = double(currentFrame_.load());
  if (frame < 0) return 0;
  {
    platform::MutexLock lock(positionMutex_);
    if (output_ && markCount_ > 0) {
      const int64_t played = output_->Played();
      if (played >= 0) frame = HeardFrame(played);
    }
  }
  return static_cast<int>(std::min<double>(INT_MAX, frame * durationMs_));
}

}  // namespace kelvaro
