// A library loaded by its full path (apart from SystemLibraries.cpp, which every program and
// kelvaro.dll link for their delay-load hook, so that those need no std::string).
#include "platform/win32/SystemLibraries.h"
#include "platform/win32/Wide.h"

namespace platform {

HMODULE LoadLibraryBeside(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (HasSearchFlags())
    return LoadLibraryExW(wide.c_str(), nullptr,
                          LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The library's folder takes the place of the program's folder in the search.
  return LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace platform
