// Large blocks from the heap: Windows gives large pages only to privileged processes.
#include <new>

#include "platform/Memory.h"

namespace platform {

void* AllocateLarge(std::size_t bytes) { return ::operator new(bytes); }
void FreeLarge(void* block, std::size_t) { ::operator delete(block); }

}  // namespace platform
