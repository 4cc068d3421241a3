// A stored entry name made safe: its folder part and file name must pass the oracle's
// own safe-name check (FuzzArchive.h), and making them safe again changes nothing.
#include "FuzzArchive.h"
#include "archive/Paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string stored(reinterpret_cast<const char*>(data), size);
  const std::string name = archive::SafeFileName(archive::ExtractFileName(stored));
  if (!name.empty() && !fuzzarchive::SafeComponent(name))
    fuzzarchive::Finding("unsafe file name: " + name);
  if (archive::SafeFileName(name) != name) fuzzarchive::Finding("not stable: " + name);
  const std::string folder = archive::SafeRelativeFolder(archive::ExtractFilePath(stored));
  if (!folder.empty()) {
    size_t at = 0;
    while (at <= folder.size()) {
      const size_t end = std::min(folder.find('/', at), folder.size());
      if (!fuzzarchive::SafeComponent(folder.substr(at, end - at)))
        fuzzarchive::Finding("unsafe folder: " + folder);
      at = end + 1;
    }
    if (archive::SafeRelativeFolder(folder + "/") != folder)
      fuzzarchive::Finding("folder not stable: " + folder);
  }
  return 0;
}
