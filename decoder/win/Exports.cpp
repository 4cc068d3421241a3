// The exports of kelvaro.dll: stdcall, 32-bit integers, Booleans in the low byte of a 32-bit
// value. Each one hands over to the export layer of the core.
#include <windows.h>

#include <cstdint>

#include "decoder/core/Library.h"
#include "decoder/win/WaveOutDevices.h"

namespace lib = kelvaro::library;

namespace {

kelvaro::WaveOutDevices waveOut;

// The caller's stream callbacks; their argument lists are this library's own.
using OpenStreamFn = BOOL(WINAPI*)(void* context);
using CloseStreamFn = void(WINAPI*)(void* context);
using RestartStreamFn = BOOL(WINAPI*)(void* context);
using StreamSizeFn = int32_t(WINAPI*)(void* context);  // -1: unknown
using SeekStreamFn = BOOL(WINAPI*)(void* context, int32_t offset);
using ReadStreamFn = int32_t(WINAPI*)(void* context, void* buffer, int32_t bytes);

class Callbacks : public kelvaro::StreamCallbacks {
 public:
  Callbacks(void* open, void* close, void* restart, void* size, void* seek, void* read,
            void* context)
      : open_(reinterpret_cast<OpenStreamFn>(open)),
        close_(reinterpret_cast<CloseStreamFn>(close)),
        restart_(reinterpret_cast<RestartStreamFn>(restart)),
        size_(reinterpret_cast<StreamSizeFn>(size)),
        seek_(reinterpret_cast<SeekStreamFn>(seek)),
        read_(reinterpret_cast<ReadStreamFn>(read)),
        context_(context) {}
  bool Complete() const { return open_ && close_ && restart_ && size_ && seek_ && read_; }
  bool OpenStream() override { return open_(context_) != 0; }
  void CloseStream() override { close_(context_); }
  bool RestartStream() override { return restart_(context_) != 0; }
  int64_t StreamSize() override { return size_(context_); }
  bool SeekStream(int64_t offset) override {
    return offset <= 0x7FFFFFFF && seek_(context_, int32_t(offset)) != 0;
  }
  int ReadStream(uint8_t* buffer, int bytes) override { return read_(context_, buffer, bytes); }

 private:
  OpenStreamFn open_;
  CloseStreamFn close_;
  RestartStreamFn restart_;
  StreamSizeFn size_;
  SeekStreamFn seek_;
  ReadStreamFn read_;
  void* context_;
};

}  // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI init() {
  lib::SetWaveDevices(&waveOut);
  return lib::Init();
}

__declspec(dllexport) BOOL WINAPI deinit() { return lib::Deinit(); }

__declspec(dllexport) BOOL WINAPI
    Open(const char* fileName, int32_t fromStream, void* open, void* close, void* restart,
         void* size, void* seek, void* read, void* context) {
  std::unique_ptr<Callbacks> callbacks;
  if (fromStream) {
    callbacks = std::make_unique<Callbacks>(open, close, restart, size, seek, read, context);
    if (!callbacks->Complete()) callbacks.reset();
  }
  return lib::Open(fileName, fromStream != 0, std::move(callbacks));
}

__declspec(dllexport) int32_t WINAPI Play(int32_t startMs, int32_t endMs, uint8_t* endReached) {
  return lib::Play(startMs, endMs, endReached);
}

__declspec(dllexport) BOOL WINAPI Pause(int32_t resume) { return lib::Pause(resume); }
__declspec(dllexport) void WINAPI Restart() { lib::Restart(); }
__declspec(dllexport) void WINAPI Stop() { lib::Stop(); }
__declspec(dllexport) void WINAPI Close() { lib::Close(); }
__declspec(dllexport) void WINAPI SetPriority(int32_t priority) { lib::SetPriority(priority); }
__declspec(dllexport) void WINAPI SetOutputDevice(int32_t device, const char* fileName) {
  lib::SetOutputDevice(device, fileName);
}
__declspec(dllexport) int32_t WINAPI GetPlayerMode() { return lib::GetPlayerMode(); }
__declspec(dllexport) int32_t WINAPI GetCurrentPos() { return lib::GetCurrentPos(); }
__declspec(dllexport) int32_t WINAPI GetLength() { return lib::GetLength(); }
__declspec(dllexport) BOOL WINAPI Seek(int32_t ms) { return lib::Seek(ms); }
__declspec(dllexport) BOOL WINAPI Seekable() { return lib::Seekable(); }
__declspec(dllexport) int32_t WINAPI LastError() { return lib::LastError(); }
__declspec(dllexport) int32_t WINAPI GetFrequency() { return lib::GetFrequency(); }
__declspec(dllexport) int32_t WINAPI GetBitrate() { return lib::GetBitrate(); }
__declspec(dllexport) int32_t WINAPI GetLayer() { return lib::GetLayer(); }
__declspec(dllexport) void WINAPI ResetPlayerMode() { lib::ResetPlayerMode(); }
__declspec(dllexport) void WINAPI UseScaleFactor(int32_t on, float factor) {
  lib::UseScaleFactor(on != 0, factor);
}

}  // extern "C"
