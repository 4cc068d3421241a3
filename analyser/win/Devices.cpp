#include "analyser/win/Devices.h"

namespace tessel_win {

namespace {

WAVEFORMATEX FormatOf(const tessel::WaveFormat& f) {
  WAVEFORMATEX w{};
  w.wFormatTag = WAVE_FORMAT_PCM;
  w.nChannels = f.channels;
  w.nSamplesPerSec = f.sampleRateHz;
  w.nBlockAlign = f.BlockAlign();
  w.nAvgBytesPerSec = f.BytesPerSecond();
  w.wBitsPerSample = f.bitsPerSample;
  return w;
}

int64_t BytesOf(const MMTIME& t, uint32_t blockAlign) {
  if (t.wType == TIME_BYTES) return t.u.cb;
  if (t.wType == TIME_SAMPLES) return int64_t{t.u.sample} * blockAlign;
  return -1;
}

}  // namespace

bool WaveOutput::Open(HWND notify, const tessel::WaveFormat& format) {
  Close();
  WAVEFORMATEX w = FormatOf(format);
  blockAlign_ = w.nBlockAlign;
  if (waveOutOpen(&device_, WAVE_MAPPER, &w, DWORD_PTR(notify), 0, CALLBACK_WINDOW) !=
      MMSYSERR_NOERROR) {
    device_ = nullptr;
    return false;
  }
  return true;
}

bool WaveOutput::Write(int index, uint8_t* data, uint32_t bytes) {
  if (!device_ || index < 0 || index > 1) return false;
  WAVEHDR& h = headers_[index];
  // Prepared again for each length: the mapper may size a conversion buffer by it.
  if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof h);
  h = WAVEHDR{};
  h.lpData = reinterpret_cast<LPSTR>(data);
  h.dwBufferLength = bytes;
  return waveOutPrepareHeader(device_, &h, sizeof h) == MMSYSERR_NOERROR &&
         waveOutWrite(device_, &h, sizeof h) == MMSYSERR_NOERROR;
}

bool WaveOutput::IsReturned(const WAVEHDR* header) const {
  if (header != &headers_[0] && header != &headers_[1]) return false;
  return (header->dwFlags & WHDR_DONE) && !(header->dwFlags & WHDR_INQUEUE);
}

int64_t WaveOutput::PositionBytes() const {
  if (!device_) return -1;
  MMTIME t{};
  t.wType = TIME_BYTES;
  if (waveOutGetPosition(device_, &t, sizeof t) != MMSYSERR_NOERROR) return -1;
  return BytesOf(t, blockAlign_);
}

void WaveOutput::Reset() {
  if (device_) waveOutReset(device_);
}

void WaveOutput::Close() {
  if (!device_) return;
  waveOutReset(device_);
  for (WAVEHDR& h : headers_) {
    if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof h);
    h = WAVEHDR{};
  }
  waveOutClose(device_);
  device_ = nullptr;
}

bool WaveInput::Open(HWND notify, const tessel::WaveFormat& format) {
  Close();
  WAVEFORMATEX w = FormatOf(format);
  blockAlign_ = w.nBlockAlign;
  if (waveInOpen(&device_, WAVE_MAPPER, &w, DWORD_PTR(notify), 0,
                 CALLBACK_WINDOW | WAVE_ALLOWSYNC) != MMSYSERR_NOERROR) {
    device_ = nullptr;
    return false;
  }
  return true;
}

bool WaveInput::Start(uint8_t* a, uint8_t* b, uint32_t bytes) {
  uint8_t* data[2] = {a, b};
  count_ = b ? 2 : 1;
  for (int i = 0; i < count_; ++i) {
    headers_[i] = WAVEHDR{};
    headers_[i].lpData = reinterpret_cast<LPSTR>(data[i]);
    headers_[i].dwBufferLength = bytes;
    if (waveInPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveInAddBuffer(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
      return false;
  }
  return waveInStart(device_) == MMSYSERR_NOERROR;
}

int64_t WaveInput::PositionBytes() const {
  if (!device_) return -1;
  MMTIME t{};
  t.wType = TIME_BYTES;
  if (waveInGetPosition(device_, &t, sizeof t) != MMSYSERR_NOERROR) return -1;
  return BytesOf(t, blockAlign_);
}

void WaveInput::Requeue(WAVEHDR* h) {
  if (!device_) return;
  waveInUnprepareHeader(device_, h, sizeof(WAVEHDR));
  h->dwFlags = 0;
  h->dwBytesRecorded = 0;
  if (waveInPrepareHeader(device_, h, sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
    waveInAddBuffer(device_, h, sizeof(WAVEHDR));
}

void WaveInput::StopAndReset() {
  if (!device_) return;
  waveInStop(device_);
  waveInReset(device_);
}

void WaveInput::Close() {
  if (!device_) return;
  waveInStop(device_);
  waveInReset(device_);
  for (int i = 0; i < count_; ++i)
    if (headers_[i].dwFlags & WHDR_PREPARED)
      waveInUnprepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
  waveInClose(device_);
  device_ = nullptr;
  count_ = 0;
}

}  // namespace tessel_win
