#include "Artifacts.h"

#include <filesystem>

#include "builder/core/OutputLayout.h"
#include "platform/Files.h"

namespace vardextool {
namespace fs = std::filesystem;

namespace {

fs::path ToolFolder() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : self.parent_path();
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  platform::File in;
  if (!in.Open(path, platform::OpenMode::Read)) return false;
  const int64_t size = in.Size();
  if (size < 0) return false;
  bytes.resize(size_t(size));
  return in.Read(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

ArtifactPaths DefaultArtifacts(bool win64) {
  const fs::path build = ToolFolder() / ".." / ".." / (win64 ? "win64" : "win32");
  ArtifactPaths p;
  p.player = (build / "bin" / "Tunlet.exe").lexically_normal().string();
  p.decoderArchive = (build / "share" / "vardex" / "kelvaro.arc").lexically_normal().string();
  return p;
}

std::string FileResources::Load(const ArtifactPaths& paths) {
  if (!ReadFile(paths.player, player_) || player_.empty())
    return "Cannot read the player image " + paths.player;
  // The archive begins at this offset in every output: the image must fill it exactly.
  if (player_.size() != size_t(builder::kStartOffset))
    return "The player image " + paths.player + " is not " + std::to_string(builder::kStartOffset) +
           " bytes long";
  if (!ReadFile(paths.decoderArchive, decoder_) || decoder_.empty())
    return "Cannot read the decoder archive " + paths.decoderArchive;
  return std::string();
}

bool FileResources::Find(const std::string& type, const std::string& name, const uint8_t*& data,
                         size_t& size) {
  const std::vector<uint8_t>* file = nullptr;
  if (type == builder::kPlayerResourceType && name == builder::kPlayerResourceName) file = &player_;
  if (type == builder::kDecoderResourceType && name == builder::kDecoderResourceName)
    file = &decoder_;
  if (file == nullptr || file->empty()) return false;
  data = file->data();
  size = file->size();
  return true;
}

}  // namespace vardextool
