// A build without a window, for scripted use (Vardex.exe /build and the native
// vardex tool): an existing target is overwritten, nothing is started afterwards,
// and every failure comes back as its message.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "builder/core/Pipeline.h"

namespace builder {

struct BatchRequest {
  std::string song;
  std::string target;
  int64_t splitKb = 0;  // 0: one file
  PlayerSettingsRecord record = DefaultPlayerSettings();
  std::string tempFolder;  // with a trailing separator
};

// Reads "/split KB" or "--split KB" style arguments: `args` are the words after the
// program's own name; `optionPrefix` is "/" or "--". Returns the message of a
// malformed command line, or nothing.
std::optional<std::string> ParseBatchArguments(const std::vector<std::string>& args,
                                               const std::string& optionPrefix,
                                               BatchRequest& request);

// Builds; returns an empty text on success, otherwise the message that a window
// would have shown. The target gets the ".exe" extension as the target field
// would give it.
std::string RunBatchBuild(const BatchRequest& request, TBuildResources& resources);

}  // namespace builder
