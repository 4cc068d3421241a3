// Large blocks of memory, hundreds of megabytes each (the analyser's wave data and spectral
// image of a long file). On Linux a block of 2 MB or more starts on a 2 MB boundary and asks
// for huge pages, since touching it page by page otherwise costs one fault per 4 KB;
// elsewhere it is plain heap memory.
#pragma once
#include <cstddef>

namespace platform {

// Throws std::bad_alloc when memory runs out, as operator new does.
void* AllocateLarge(std::size_t bytes);
// `bytes` as given to AllocateLarge.
void FreeLarge(void* block, std::size_t bytes);

}  // namespace platform
