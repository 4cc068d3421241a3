#include "decoder/win/WaveOutDevices.h"

#include <windows.h>
// The multimedia declarations need the base types above.
#include <mmsystem.h>

namespace kelvaro {
namespace {

class WaveOutDevice : public WaveDevice {
 public:
  ~WaveOutDevice() override {
    if (out_) {
      waveOutReset(out_);
      for (int i = 0; i < 3; ++i) Release(i);
      waveOutClose(out_);
    }
  }
  bool Open(int channels, int rate) override {
    channels_ = channels;
    rate_ = rate;
    ResetPosition();
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = WORD(channels);
    format.nSamplesPerSec = DWORD(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = WORD(channels * 2);
    format.nAvgBytesPerSec = DWORD(rate * channels * 2);
    return waveOutOpen(&out_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL | WAVE_ALLOWSYNC) ==
           MMSYSERR_NOERROR;
  }
  bool Write(int index, const uint8_t* data, uint32_t bytes) override {
    WAVEHDR& h = headers_[index];
    h = WAVEHDR();
    h.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(data));
    h.dwBufferLength = bytes;
    if (waveOutPrepareHeader(out_, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    prepared_[index] = true;
    return waveOutWrite(out_, &h, sizeof h) == MMSYSERR_NOERROR;
  }
  bool Done(int index) override {
    return !prepared_[index] || (headers_[index].dwFlags & WHDR_DONE);
  }
  void Release(int index) override {
    if (!prepared_[index]) return;
    while (waveOutUnprepareHeader(out_, &headers_[index], sizeof(WAVEHDR)) == WAVERR_STILLPLAYING)
      ::Sleep(20);
    prepared_[index] = false;
  }
  void Reset() override {
    waveOutReset(out_);  // the device's position starts again at 0
    ResetPosition();
  }
  bool Close() override {
    if (!out_) return true;
    if (waveOutClose(out_) == WAVERR_STILLPLAYING) return false;
    out_ = nullptr;
    return true;
  }
  void Sleep(int ms) override { ::Sleep(DWORD(ms)); }
  // The device's playback position in samples (asked for in samples; a driver that answers in
  // bytes or milliseconds is converted). The 32-bit count wraps; the wraps are added up.
  int64_t PlayedSamples() override {
    if (!out_) return -1;
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(out_, &time, sizeof time) != MMSYSERR_NOERROR) return -1;
    uint32_t raw;
    switch (time.wType) {
      case TIME_SAMPLES:
        raw = time.u.sample;
        break;
      case TIME_BYTES:
        raw = time.u.cb;
        break;
      case TIME_MS:
        raw = time.u.ms;
        break;
      default:
        return -1;
    }
    if (raw < last_) wraps_ += int64_t(1) << 32;
    last_ = raw;
    const int64_t value = wraps_ + raw;
    if (time.wType == TIME_BYTES) return value / (2 * channels_);
    if (time.wType == TIME_MS) return value * rate_ / 1000;
    return value;
  }

 private:
  void ResetPosition() {
    last_ = 0;
    wraps_ = 0;
  }

  int channels_ = 2;
  int rate_ = 44100;
  uint32_t last_ = 0;
  int64_t wraps_ = 0;
  HWAVEOUT out_ = nullptr;
  WAVEHDR headers_[3] = {};
  bool prepared_[3] = {};
};

}  // namespace

std::unique_ptr<WaveDevice> WaveOutDevices::NewWaveDevice() {
  return std::make_unique<WaveOutDevice>();
}

}  // namespace kelvaro
