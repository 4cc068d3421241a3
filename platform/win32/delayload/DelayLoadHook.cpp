// The libraries that a program imports on first use (see cmake/SystemLibraries.cmake)
// come from the system folder: the default search would look in the program's folder
// first.
#include <windows.h>
// after windows.h, whose types it uses
#include <delayimp.h>

#include "platform/win32/SystemLibraries.h"

namespace {

FARPROC WINAPI LoadFromSystemFolder(unsigned notice, PDelayLoadInfo info) {
  if (notice != dliNotePreLoadLibrary) return nullptr;
  return reinterpret_cast<FARPROC>(platform::LoadSystemLibrary(info->szDll));
}

}  // namespace

extern "C" {
PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolder;
}
