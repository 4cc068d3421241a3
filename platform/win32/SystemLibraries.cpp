#include "platform/win32/SystemLibraries.h"

#include "platform/win32/Wide.h"

namespace platform {
namespace {

// Windows 7 without its 2011 update lacks the search flags; they are asked for by name.
bool HasSearchFlags() {
  static const bool has =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories") != nullptr;
  return has;
}

}  // namespace

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

HMODULE LoadLibraryBeside(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (HasSearchFlags())
    return LoadLibraryExW(wide.c_str(), nullptr,
                          LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The library's folder takes the place of the program's folder in the search.
  return LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace platform
