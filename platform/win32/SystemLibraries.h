// Libraries are loaded from the system folder, never from the program's folder or the
// current folder, where a planted copy could lie (a Downloads folder, a shared drive).
#pragma once
#include <windows.h>

#include <string>

namespace platform {

// Takes the current folder out of the library search and, where the system can, leaves
// only the system folder in the default search of every later load.
void RestrictLibrarySearch();

// Whether the system knows the library search flags (LOAD_LIBRARY_SEARCH_...).
bool HasSearchFlags();

// A system library (for example "winmm.dll") from the system folder only.
HMODULE LoadSystemLibrary(const char* name);

// A library given by its full path; the libraries it imports are looked up in its own
// folder and the system folder only.
HMODULE LoadLibraryBeside(const std::string& path);

}  // namespace platform
