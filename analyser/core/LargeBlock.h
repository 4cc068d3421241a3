// Storage for the analyser's two large blocks, the wave data and the spectral image: a long
// file makes each of them hundreds of megabytes. On Linux a block of 2 MB or more starts on a
// 2 MB boundary and asks for huge pages, since touching it page by page otherwise costs one
// fault per 4 KB; elsewhere it is plain heap memory.
#pragma once
#include <cstddef>
#include <vector>

namespace tessel {

// Throw std::bad_alloc when memory runs out, as operator new does.
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* block, std::size_t bytes);

template <class T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <class U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) { FreeLarge(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const LargeBlockAllocator<U>&) const {
    return true;
  }
  template <class U>
  bool operator!=(const LargeBlockAllocator<U>&) const {
    return false;
  }
};

template <class T>
using LargeVector = std::vector<T, LargeBlockAllocator<T>>;

}  // namespace tessel
