// Large blocks on huge pages where the system offers them.
#include <sys/mman.h>

#include <cstdlib>
#include <new>

#include "platform/Memory.h"

namespace platform {

#ifdef MADV_HUGEPAGE
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}

void* AllocateLarge(std::size_t bytes) {
  if (bytes < kHugePage) return ::operator new(bytes);
  void* block = nullptr;
  if (posix_memalign(&block, kHugePage, bytes) != 0) throw std::bad_alloc();
  madvise(block, bytes, MADV_HUGEPAGE);  // only advice: without it the block still works
  return block;
}

void FreeLarge(void* block, std::size_t bytes) {
  if (bytes < kHugePage)
    ::operator delete(block);
  else
    std::free(block);
}
#else
void* AllocateLarge(std::size_t bytes) { return ::operator new(bytes); }
void FreeLarge(void* block, std::size_t) { ::operator delete(block); }
#endif

}  // namespace platform
