#include "driver/Recorder.h"

#include <algorithm>
#include <cmath>

namespace e2e {

namespace {
constexpr int kChannels = 2;
constexpr int kBufferFrames = 441;  // 10 ms
constexpr int kBuffers = 16;
// 44.1 kHz, 16 bits, stereo: the sound server's own format.
WAVEFORMATEX ServerFormat() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kChannels;
  format.nSamplesPerSec = Recorder::kRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = kChannels * 2;
  format.nAvgBytesPerSec = Recorder::kRate * format.nBlockAlign;
  return format;
}

}  // namespace

double Recorder::Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

bool Recorder::Start() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    samples_.clear();
    stamps_.clear();
  }
  WAVEFORMATEX format = ServerFormat();
  event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (waveInOpen(&device_, WAVE_MAPPER, &format, DWORD_PTR(event_), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR) {
    device_ = nullptr;
    return false;
  }
  headers_.assign(kBuffers, WAVEHDR{});
  buffers_.assign(kBuffers, std::vector<short>(kBufferFrames * kChannels));
  for (int i = 0; i < kBuffers; ++i) {
    headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
    headers_[i].dwBufferLength = DWORD(buffers_[i].size() * sizeof(short));
    waveInPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
    waveInAddBuffer(device_, &headers_[i], sizeof(WAVEHDR));
  }
  running_ = true;
  thread_ = std::thread([this] { Harvest(); });
  waveInStart(device_);
  // The first buffers of a new capture stream can take a while; a test must not start
  // its program before the recording really runs.
  for (int waited = 0; waited < 5000; waited += 20) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (samples_.size() >= size_t(kRate / 5 * kChannels)) return true;
    }
    Sleep(20);
  }
  return false;
}

namespace {

constexpr size_t kBurstFrames = Recorder::kRate / 20;  // 50 ms

// A loud square wave of kBurstFrames frames at `at`.
void PutBurst(std::vector<short>& samples, size_t at) {
  for (size_t i = 0; i < kBurstFrames * kChannels; ++i)
    samples[at * kChannels + i] = (i / 2 / 25) % 2 ? 20000 : -20000;
}

struct WaveOut {
  HWAVEOUT out = nullptr;
  std::vector<WAVEHDR> headers;
  explicit WaveOut(size_t buffers) : headers(buffers) {
    WAVEFORMATEX format = ServerFormat();
    if (waveOutOpen(&out, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
      out = nullptr;
  }
  ~WaveOut() {
    if (!out) return;
    waveOutReset(out);
    for (WAVEHDR& h : headers)
      if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(out, &h, sizeof h);
    waveOutClose(out);
  }
  void Write(size_t index, short* data, size_t frames) {
    WAVEHDR& h = headers[index];
    h.lpData = reinterpret_cast<LPSTR>(data);
    h.dwBufferLength = DWORD(frames * kChannels * sizeof(short));
    waveOutPrepareHeader(out, &h, sizeof h);
    waveOutWrite(out, &h, sizeof h);
  }
  int64_t Position() {
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(out, &time, sizeof time) != MMSYSERR_NOERROR) return -1;
    if (time.wType == TIME_BYTES) return time.u.cb / (kChannels * 2);
    return time.wType == TIME_SAMPLES ? time.u.sample : -1;
  }
};

}  // namespace

double Recorder::FirstLoudAfter(size_t from, int waitMs) const {
  const size_t block = kRate / 1000;
  for (int waited = 0; waited < waitMs; waited += 100) {
    Sleep(100);
    const std::vector<float> mono = soundcheck::MonoMix(Recording());
    for (size_t f = from; f + block <= mono.size(); f += block)
      if (soundcheck::LevelDb(mono, f, f + block) > -30) return TimeOf(f);
  }
  return -1;
}

double Recorder::MeasureLatency() {
  // 50 ms of a loud square wave, then silence enough for any sound server's start-up
  // buffering.
  std::vector<short> burst(size_t(kRate * kChannels));
  PutBurst(burst, 0);
  // A new output stream of a fresh sound server may swallow its first sound: try again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    WaveOut out(1);
    if (!out.out) return -1;
    const double written = Now();
    out.Write(0, burst.data(), size_t(kRate));
    const double heard = FirstLoudAfter(FrameAt(written), 3000);
    if (heard > written) return heard - written;
  }
  return -1;
}

double Recorder::MeasurePositionLatency() {
  // Three seconds queued at once, as a player queues ahead, with the burst in the middle:
  // by then the stream runs steadily, with the sound server's buffers full.
  constexpr size_t kParts = 12, kPartFrames = kRate / 4;
  constexpr size_t kBurstAt = kParts / 2 * kPartFrames;
  std::vector<short> sound(kParts * kPartFrames * kChannels);
  PutBurst(sound, kBurstAt);
  for (int attempt = 0; attempt < 3; ++attempt) {
    WaveOut out(kParts);
    if (!out.out) return std::nan("");
    const double written = Now();
    for (size_t i = 0; i < kParts; ++i)
      out.Write(i, sound.data() + i * kPartFrames * kChannels, kPartFrames);
    double reached = -1;
    for (double asked = Now(); reached < 0 && Now() - asked < 5000; Sleep(1)) {
      const double ask = Now();
      const int64_t position = out.Position();
      if (position < 0) return std::nan("");
      if (position >= int64_t(kBurstAt)) reached = (ask + Now()) / 2;
    }
    if (reached < 0) continue;
    // Not before a second of the stream has played: an earlier sound's tail may still be
    // arriving.
    const double heard = FirstLoudAfter(FrameAt(written + 1000), 5000);
    if (heard > 0) return heard - reached;
  }
  return std::nan("");
}

void Recorder::Harvest() {
  size_t next = 0;
  while (running_) {
    WaitForSingleObject(event_, 50);
    while (headers_[next].dwFlags & WHDR_DONE) {
      WAVEHDR& h = headers_[next];
      const double now = Now();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const short* data = buffers_[next].data();
        samples_.insert(samples_.end(), data, data + h.dwBytesRecorded / sizeof(short));
        stamps_.push_back({samples_.size() / kChannels, now});
      }
      if (!running_) break;
      h.dwFlags &= ~DWORD(WHDR_DONE);
      waveInAddBuffer(device_, &h, sizeof(WAVEHDR));
      next = (next + 1) % kBuffers;
    }
  }
}

void Recorder::Stop() {
  if (!device_) return;
  running_ = false;
  SetEvent(event_);
  if (thread_.joinable()) thread_.join();
  waveInReset(device_);
  for (auto& h : headers_) waveInUnprepareHeader(device_, &h, sizeof(WAVEHDR));
  waveInClose(device_);
  CloseHandle(event_);
  device_ = nullptr;
}

// The stamps are (frames, time) pairs of buffer arrivals; from the nearest later one
// the nominal rate counts back.
size_t Recorder::FrameAt(double ms) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stamps_.empty()) return 0;
  auto it = std::lower_bound(stamps_.begin(), stamps_.end(), ms,
                             [](const Stamp& s, double t) { return s.ms < t; });
  const Stamp& s = it == stamps_.end() ? stamps_.back() : *it;
  const double frame = double(s.frames) + (ms - s.ms) * kRate / 1000.0;
  return frame < 0 ? 0 : size_t(frame);
}

double Recorder::TimeOf(size_t frame) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stamps_.empty()) return 0;
  auto it = std::lower_bound(stamps_.begin(), stamps_.end(), frame,
                             [](const Stamp& s, size_t f) { return s.frames < f; });
  const Stamp& s = it == stamps_.end() ? stamps_.back() : *it;
  return s.ms - (double(s.frames) - double(frame)) * 1000.0 / kRate;
}

soundcheck::Pcm Recorder::Recording() const {
  std::lock_guard<std::mutex> lock(mutex_);
  soundcheck::Pcm pcm;
  pcm.rate = kRate;
  pcm.channels = kChannels;
  pcm.samples = samples_;
  return pcm;
}

}  // namespace e2e
