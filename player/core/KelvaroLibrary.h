// The interface of the decoder library "kelvaro.dll" as the player binds it: the
// 19 exports that the player looks up by name, their argument lists and the
// calling convention (stdcall on 32-bit Windows; integers are 32-bit, Booleans
// come back in the low byte of a 32-bit value).
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/LibraryCall.h"

namespace player {

inline constexpr char kDecoderLibraryName[] = "kelvaro.dll";

// The library's exports as the player binds them; the library's own code is ::kelvaro.
namespace exports {

using Bool32 = uint32_t;  // only the low byte counts
using InitFn = Bool32(PLATFORM_STDCALL*)();
using DeinitFn = Bool32(PLATFORM_STDCALL*)();
// FileName, FromStream, six stream callbacks (open, close, restart, get size, seek,
// read), Context.
using OpenFn = Bool32(PLATFORM_STDCALL*)(const char*, int32_t, void*, void*, void*, void*, void*,
                                         void*, void*);
using PlayFn = int32_t(PLATFORM_STDCALL*)(int32_t startMs, int32_t endMs, uint8_t* endReached);
using PauseFn = Bool32(PLATFORM_STDCALL*)(int32_t resume);
using VoidFn = void(PLATFORM_STDCALL*)();
using SetPriorityFn = void(PLATFORM_STDCALL*)(int32_t priority);
using SetOutputDeviceFn = void(PLATFORM_STDCALL*)(int32_t device, const char* fileName);
using IntFn = int32_t(PLATFORM_STDCALL*)();
using SeekFn = Bool32(PLATFORM_STDCALL*)(int32_t ms);

// The exports, in the order of the table below.
enum Export {
  kInit,
  kDeinit,
  kOpen,
  kPlay,
  kPause,
  kRestart,
  kClose,
  kSetPriority,
  kSetOutputDevice,
  kGetPlayerMode,
  kGetCurrentPos,
  kGetLength,
  kSeek,
  kLastError,
  kStop,
  kGetFrequency,
  kGetBitrate,
  kGetLayer,
  kResetPlayerMode,
  kExportCount
};

// The export names, indexed by Export.
const std::array<const char*, kExportCount>& ExportNames();

}  // namespace exports

// Loading a shared library and looking up its exports. The Windows shell uses
// LoadLibrary/GetProcAddress/FreeLibrary; tests bind a fake library.
class TLibraryLoader {
 public:
  virtual ~TLibraryLoader() = default;
  // A handle, or nullptr when the file could not be loaded.
  virtual void* Load(const std::string& path) = 0;
  // The address of an export, or nullptr when the library lacks it.
  virtual void* Symbol(void* library, const char* name) = 0;
  virtual void Free(void* library) = 0;
  // The 8-bit name under which the library can open `path` (the library takes
  // names in the ANSI code page; Windows gives the short form of a path that has
  // characters outside it).
  virtual std::string LibraryFileName(const std::string& path) { return path; }
};

}  // namespace player
