#include "platform/win32/SystemLibraries.h"

namespace platform {

// Windows 7 without its 2011 update lacks the search flags; they are asked for by name.
bool HasSearchFlags() {
  static const bool has =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories") != nullptr;
  return has;
}

void RestrictLibrarySearch() {
  SetDllDirectoryW(L"");
  using SetDefaults = BOOL(WINAPI*)(DWORD);
  if (auto set = reinterpret_cast<SetDefaults>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"))))
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
  if (HasSearchFlags()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Library names are plain ASCII: the ANSI calls take them unchanged.
  char path[MAX_PATH];
  const UINT n = GetSystemDirectoryA(path, MAX_PATH);
  if (n == 0 || n + 1 + lstrlenA(name) >= MAX_PATH) return nullptr;
  path[n] = '\\';
  lstrcpyA(path + n + 1, name);
  return LoadLibraryA(path);
}

}  // namespace platform
