// A byte vector for the block buffers: every byte is written before it is read, so
// growing it leaves the new bytes as they come instead of clearing them first.
#pragma once
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace archive {

template <typename T>
struct TNoClearAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = TNoClearAllocator<U>;
  };
  TNoClearAllocator() = default;
  template <typename U>
  TNoClearAllocator(const TNoClearAllocator<U>&) noexcept {}
  // Default construction (resize) leaves the element uninitialised.
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using TByteBuffer = std::vector<uint8_t, TNoClearAllocator<uint8_t>>;

}  // namespace archive
