#include "FakeKelvaro.h"

#include <algorithm>
#include <cstring>

namespace fake {

Kelvaro lib;

int Kelvaro::Count(const std::string& name) const {
  return int(std::count(calls.begin(), calls.end(), name));
}

namespace {

using player::exports::Bool32;

void Enter(const char* name) {
  lib.calls.push_back(name);
  auto it = lib.errorOn.find(name);
  if (it != lib.errorOn.end()) lib.lastError = it->second;
}

Bool32 PLATFORM_STDCALL Init() {
  Enter("init");
  if (!lib.initResult) lib.lastError = lib.initError;
  return lib.initResult ? 0x101 : 0x100;  // only the low byte counts
}
Bool32 PLATFORM_STDCALL Deinit() {
  Enter("deinit");
  return 1;
}
Bool32 PLATFORM_STDCALL Open(const char* name, int32_t, void*, void*, void*, void*, void*, void*,
                             void*) {
  Enter("Open");
  lib.openedName = name ? name : "";
  if (lib.lastError == 0) lib.mode = 1;
  return lib.lastError == 0;
}
int32_t PLATFORM_STDCALL Play(int32_t start, int32_t end, uint8_t* flag) {
  Enter("Play");
  lib.playStart = start;
  lib.playEnd = end;
  lib.endFlag = flag;
  if (lib.lastError == 0 && lib.playResult == 0) lib.mode = 3;
  return lib.playResult;
}
Bool32 PLATFORM_STDCALL Pause(int32_t resume) {
  Enter("Pause");
  lib.mode = resume ? 3 : 4;
  return 1;
}
void PLATFORM_STDCALL Restart() {
  Enter("Restart");
  lib.mode = 3;
  lib.pos = 0;
}
void PLATFORM_STDCALL Close() {
  Enter("Close");
  lib.mode = 0;
}
void PLATFORM_STDCALL SetPriority(int32_t p) {
  Enter("SetPriority");
  lib.priority = p;
}
void PLATFORM_STDCALL SetOutputDevice(int32_t device, const char* name) {
  Enter("SetOutputDevice");
  lib.device = device;
  lib.outName = name ? name : "";
}
int32_t PLATFORM_STDCALL GetPlayerMode() {
  Enter("GetPlayerMode");
  return lib.mode;
}
int32_t PLATFORM_STDCALL GetCurrentPos() {
  Enter("GetCurrentPos");
  return lib.pos;
}
int32_t PLATFORM_STDCALL GetLength() {
  Enter("GetLength");
  return lib.length;
}
Bool32 PLATFORM_STDCALL Seek(int32_t ms) {
  Enter("Seek");
  lib.seekTo = ms;
  return 1;
}
int32_t PLATFORM_STDCALL LastError() {
  const int32_t code = lib.lastError;
  lib.lastError = 0;
  return code;
}
void PLATFORM_STDCALL Unused() { Enter("unused export"); }

int library_token;

}  // namespace

void* Loader::Load(const std::string& path) {
  ++loads;
  loadedPath = path;
  const std::string tail = player::kDecoderLibraryName;
  if (loadFails || path.size() < tail.size() ||
      path.compare(path.size() - tail.size(), tail.size(), tail) != 0)
    return nullptr;
  return &library_token;
}

void* Loader::Symbol(void* library, const char* name) {
  if (library != &library_token || missing.count(name)) return nullptr;
  static const std::map<std::string, void*> exports = {
      {"init", reinterpret_cast<void*>(&Init)},
      {"deinit", reinterpret_cast<void*>(&Deinit)},
      {"Open", reinterpret_cast<void*>(&Open)},
      {"Play", reinterpret_cast<void*>(&Play)},
      {"Pause", reinterpret_cast<void*>(&Pause)},
      {"Restart", reinterpret_cast<void*>(&Restart)},
      {"Close", reinterpret_cast<void*>(&Close)},
      {"SetPriority", reinterpret_cast<void*>(&SetPriority)},
      {"SetOutputDevice", reinterpret_cast<void*>(&SetOutputDevice)},
      {"GetPlayerMode", reinterpret_cast<void*>(&GetPlayerMode)},
      {"GetCurrentPos", reinterpret_cast<void*>(&GetCurrentPos)},
      {"GetLength", reinterpret_cast<void*>(&GetLength)},
      {"Seek", reinterpret_cast<void*>(&Seek)},
      {"LastError", reinterpret_cast<void*>(&LastError)},
      {"Stop", reinterpret_cast<void*>(&Unused)},
      {"GetFrequency", reinterpret_cast<void*>(&Unused)},
      {"GetBitrate", reinterpret_cast<void*>(&Unused)},
      {"GetLayer", reinterpret_cast<void*>(&Unused)},
      {"ResetPlayerMode", reinterpret_cast<void*>(&Unused)},
  };
  auto it = exports.find(name);
  return it == exports.end() ? nullptr : it->second;
}

void Loader::Free(void* library) {
  if (library == &library_token) ++frees;
}

}  // namespace fake
