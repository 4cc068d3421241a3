// Storage for the analyser's two large blocks, the wave data and the spectral image: a long
// file makes each of them hundreds of megabytes, so they come from platform::AllocateLarge.
#pragma once
#include <cstddef>
#include <vector>

#include "platform/Memory.h"

namespace tessel {

template <class T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <class U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(platform::AllocateLarge(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) { platform::FreeLarge(p, n * sizeof(T)); }
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
