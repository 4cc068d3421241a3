#include "analyser/core/LargeBlock.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessel {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}

#if defined(__linux__)
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

}  // namespace tessel
