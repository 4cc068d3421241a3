// An archive behind executable code. The first three bytes choose how the reader is told
// where it begins; the rest is the whole file, code and archive.
//   byte 0, bits 0-1: 0 segment-1 offset ("x.dat"), 1 executable code size ("x.exe"),
//                     2 the same with "x.EXE", 3 the same with "x.dat" (searched at 0)
//   bytes 1-2: the offset, little-endian
#include "FuzzArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int mode = data[0] & 3;
  const int32_t offset = int32_t(data[1] | data[2] << 8);
  const char* names[] = {"x.dat", "x.exe", "x.EXE", "x.dat"};
  const std::string path = fuzzarchive::WriteInput(names[mode], data + 3, size - 3);
  fuzzarchive::ReadAllWays(path, [&](archive::TExtractor& reader) {
    if (mode == 0)
      reader.SetSegment1Offset(offset);
    else
      reader.SetExecutableCodeSize(offset);
  });
  fuzzarchive::CleanUp();
  return 0;
}
