// Arbitrary bytes as an archive file: listing, checking every block and extracting must
// end in one of the component's messages, never in a crash, a hang, an internal text or a
// write outside the target folder or under an unsafe name (FuzzArchive.h).
#include "FuzzArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzarchive::WriteInput("input.arc", data, size);
  fuzzarchive::ReadAllWays(path, [](archive::TExtractor&) {});
  fuzzarchive::CleanUp();
  return 0;
}
