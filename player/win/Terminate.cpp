// The C++ runtime's default terminate handler prints the demangled type of an
// uncaught exception, which links the whole demangler (about 45 KB) into the
// player. Every exception is caught at the window's event boundary, so a plain
// abort does the same job here. Part of the player's lean build
// (cmake/PlayerLean.cmake).
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
