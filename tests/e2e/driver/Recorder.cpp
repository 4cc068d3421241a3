#include "driver/Recorder.h"

#include <algorithm>

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

double Recorder::MeasureLatency() {
  WAVEFORMATEX format = ServerFormat();
  // 50 ms of a loud square wave, then silence enough for any sound server's start-up
  // buffering.
  std::vector<short> burst(size_t(kRate * kChannels));
  for (size_t i = 0; i < size_t(kRate / 20 * kChannels); ++i)
    burst[i] = (i / 2 / 25) % 2 ? 20000 : -20000;
  // A new output stream of a fresh sound server may swallow its first sound: try again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return -1;
    WAVEHDR h{};
    h.lpData = reinterpret_cast<LPSTR>(burst.data());
    h.dwBufferLength = DWORD(burst.size() * sizeof(short));
    waveOutPrepareHeader(out, &h, sizeof h);
    const size_t before = Recording().Frames();
    const double written = Now();
    waveOutWrite(out, &h, sizeof h);
    double found = -1;
    for (int waited = 0; waited < 3000 && found < 0; waited += 100) {
      Sleep(100);
      const std::vector<float> mono = soundcheck::MonoMix(Recording());
      const size_t block = kRate / 1000;
      for (size_t f = before; f + block <= mono.size() && found < 0; f += block)
        if (soundcheck::LevelDb(mono, f, f + block) > -30) found = TimeOf(f) - written;
    }
    waveOutReset(out);
    waveOutUnprepareHeader(out, &h, sizeof h);
    waveOutClose(out);
    if (found > 0) return found;
  }
  return -1;
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
