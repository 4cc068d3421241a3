// The two files that Vardex.exe carries as resources, taken from a Windows build of
// this source tree: build/<preset>/bin/Tunlet.exe (the padded player image) and
// build/<preset>/share/vardex/kelvaro.arc (the decoder archive). The tool lives in
// build/native/bin, so the default folders are <tool>/../../win32 and ../../win64.
#pragma once
#include <string>
#include <vector>

#include "builder/core/Pipeline.h"

namespace vardextool {

struct ArtifactPaths {
  std::string player;
  std::string decoderArchive;
};

// The files of the win32 or the win64 build next to the native build that holds the
// running tool.
ArtifactPaths DefaultArtifacts(bool win64);

class FileResources : public builder::TBuildResources {
 public:
  // Reads both files; returns the message of the first that cannot be read.
  std::string Load(const ArtifactPaths& paths);
  bool Find(const std::string& type, const std::string& name, const uint8_t*& data,
            size_t& size) override;

 private:
  std::vector<uint8_t> player_, decoder_;
};

}  // namespace vardextool
