#include "decoder/win/Win32Platform.h"

#include <windows.h>
// The multimedia declarations need the base types above.
#include <mmsystem.h>

namespace kelvaro {
namespace {

class Win32Thread : public PlayThread {
 public:
  explicit Win32Thread(std::function<void()> body) : body_(std::move(body)) {}
  ~Win32Thread() override { Join(); }

  bool Start(int priority) {
    DWORD id = 0;
    handle_ = CreateThread(nullptr, 0, &Win32Thread::Main, this, CREATE_SUSPENDED, &id);
    if (!handle_) return false;
    SetThreadPriority(handle_, priority);
    ResumeThread(handle_);
    return true;
  }
  void SetPriority(int priority) override {
    if (handle_) SetThreadPriority(handle_, priority);
  }
  void Join() override {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  static DWORD WINAPI Main(LPVOID self) {
    static_cast<Win32Thread*>(self)->body_();
    return 0;
  }
  std::function<void()> body_;
  HANDLE handle_ = nullptr;
};

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
  void Reset() override { waveOutReset(out_); }
  bool Close() override {
    if (!out_) return true;
    if (waveOutClose(out_) == WAVERR_STILLPLAYING) return false;
    out_ = nullptr;
    return true;
  }
  void Sleep(int ms) override { ::Sleep(DWORD(ms)); }

 private:
  HWAVEOUT out_ = nullptr;
  WAVEHDR headers_[3] = {};
  bool prepared_[3] = {};
};

}  // namespace

std::unique_ptr<PlayThread> Win32Platform::StartThread(std::function<void()> body, int priority) {
  auto thread = std::make_unique<Win32Thread>(std::move(body));
  if (!thread->Start(priority)) return nullptr;
  return thread;
}

std::unique_ptr<WaveDevice> Win32Platform::NewWaveDevice() {
  return std::make_unique<WaveOutDevice>();
}

void Win32Platform::Sleep(int ms) { ::Sleep(DWORD(ms < 0 ? 0 : ms)); }

}  // namespace kelvaro
