// The signatures of kelvaro.dll's exports as a 32- or 64-bit Windows caller binds them
// (stdcall on i686), shared by the library's Windows tests and its benchmark program.
#pragma once
#include <windows.h>

#include <cstdint>

namespace kelvaro_dll {

using BoolFn = BOOL(WINAPI*)();
using OpenFn = BOOL(WINAPI*)(const char*, int32_t, void*, void*, void*, void*, void*, void*, void*);
using PlayFn = int32_t(WINAPI*)(int32_t, int32_t, uint8_t*);
using IntFn = int32_t(WINAPI*)();
using VoidFn = void(WINAPI*)();
using DeviceFn = void(WINAPI*)(int32_t, const char*);

}  // namespace kelvaro_dll
