// An encrypted archive read with the key it was made with (kFuzzKey): the blocks are
// deciphered, so mutations reach the inflation and the checks behind the cipher. The
// first byte chooses the key: odd gives an empty one, which must be a bad key like any
// wrong one.
#include "FuzzArchive.h"

namespace {
const char kFuzzKey[] = "fuzzing key 0123456789";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool emptyKey = data[0] & 1;
  const std::string path = fuzzarchive::WriteInput("input.arc", data + 1, size - 1);
  fuzzarchive::ReadAllWays(path, [&](archive::TExtractor& reader) {
    reader.OnRequestCryptKey = [emptyKey](std::string& key) { key = emptyKey ? "" : kFuzzKey; };
  });
  fuzzarchive::CleanUp();
  return 0;
}
