// kelvaro.dll's own operator new and delete. The C++ runtime's operator new throws
// std::bad_alloc, and with it comes the exception machinery: the unwinder, the exception
// classes with their strings, a threads layer for the exception heap, the terminate handler
// with a symbol demangler. Nothing in the library throws or catches.
#include <cstddef>
#include <cstdlib>
#include <new>

// An allocation that fails ends the process, as an uncaught std::bad_alloc would.
void* operator new(std::size_t size) {
  if (void* p = std::malloc(size ? size : 1)) return p;
  std::abort();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
