// Blowfish's initial P-array and S-boxes: the first 1042 32-bit words of the hexadecimal
// fraction of pi (pi = 3.243F6A88 85A308D3 ...), P-array first, then S-boxes 1 to 4.
#pragma once
#include <cstddef>
#include <cstdint>

namespace archive {

constexpr size_t kBlowfishRounds = 16;
constexpr size_t kBlowfishPWords = kBlowfishRounds + 2;
constexpr size_t kBlowfishPiWordCount = kBlowfishPWords + 4 * 256;

extern const uint32_t kBlowfishPiWords[kBlowfishPiWordCount];

}  // namespace archive
