// A scripted stand-in for the decoder library: the 19 exports as plain functions
// over one shared state, bound through a fake loader.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "player/core/KelvaroLibrary.h"

namespace fake {

struct Kelvaro {
  int32_t mode = 0;
  int32_t lastError = 0;
  bool initResult = true;
  int32_t initError = 0;
  int32_t length = 205000;
  int32_t pos = 0;
  int32_t playResult = 0;
  std::string openedName;
  int32_t priority = -99;
  int32_t device = -1;
  std::string outName;
  int32_t playStart = -1, playEnd = -1;
  uint8_t* endFlag = nullptr;
  int32_t seekTo = -1;
  std::vector<std::string> calls;
  // An export named here sets this error code when it is called.
  std::map<std::string, int32_t> errorOn;

  int Count(const std::string& name) const;
};

extern Kelvaro lib;

// Binds the fake's exports; Load succeeds for paths ending in "kelvaro.dll" unless
// `loadFails` is set. `missing` names exports that the fake "library" lacks.
class Loader : public player::TLibraryLoader {
 public:
  void* Load(const std::string& path) override;
  void* Symbol(void* library, const char* name) override;
  void Free(void* library) override;

  bool loadFails = false;
  std::set<std::string> missing;
  std::string loadedPath;
  int loads = 0, frees = 0;
};

}  // namespace fake
