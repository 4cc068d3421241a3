// The layout of every output file: the player image, then the archive.
#pragma once
#include <cstdint>

namespace builder {

// The start offset of the archive: the number of bytes of executable code in front
// of it, which is the player image's exact length. The player looks at the same
// place, and its version block records it as "SFXCodeSize". The build defines it
// (cmake/Common.cmake), for the player's padding and resources as well.
#ifndef VARDEX_START_OFFSET
#error "VARDEX_START_OFFSET comes from the build (cmake/Common.cmake)"
#endif
inline constexpr int32_t kStartOffset = VARDEX_START_OFFSET;

}  // namespace builder
