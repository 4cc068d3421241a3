// The layout of every output file: the player image, then the archive.
#pragma once
#include <cstdint>

namespace builder {

// The start offset of the archive: the number of bytes of executable code in front
// of it, which is the player image's exact length. The player looks at the same
// place, and its version block records it as "SFXCodeSize".
inline constexpr int32_t kStartOffset = 423424;

}  // namespace builder
