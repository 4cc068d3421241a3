// A fresh folder in the system's temporary folder for one test, deleted afterwards,
// and small file helpers. Portable: the same tests run natively and under Wine.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/System.h"

namespace testutil {

inline void DeleteTree(const std::string& folder) {
  for (const auto& item : platform::ListFolder(folder)) {
    const std::string path = folder + platform::kPathDelim + item.name;
    platform::SetAttributes(path, item.isFolder ? uint32_t(platform::faDirectory) : 0u);
    if (item.isFolder)
      DeleteTree(path);
    else
      platform::DeleteFile(path);
  }
  platform::RemoveFolder(folder);
}

class TestFolder {
 public:
  TestFolder() {
    static unsigned counter = 0;
    std::random_device rd;
    path_ = platform::TempFolder() + "vardex-test-" + std::to_string(rd()) + "-" +
            std::to_string(++counter);
    platform::CreateFolders(path_);
  }
  ~TestFolder() { DeleteTree(path_); }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const {
    return path_ + platform::kPathDelim + name;
  }

 private:
  std::string path_;
};

inline std::vector<uint8_t> ReadAll(const std::string& path) {
  platform::File f;
  std::vector<uint8_t> bytes;
  if (!f.Open(path, platform::OpenMode::Read)) return bytes;
  bytes.resize(size_t(f.Size()));
  bytes.resize(f.Read(bytes.data(), bytes.size()));
  return bytes;
}

inline bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  platform::File f;
  return f.Open(path, platform::OpenMode::Create) && f.Write(bytes.data(), bytes.size());
}

// Text-like (compressible) and random (incompressible) stretches mixed.
inline std::vector<uint8_t> MixedData(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  std::mt19937 rng(seed);
  // Eight characters each.
  const char* words[] = {"archive ", "block   ", "segment ", "entry   ", "header  ", "zlib    "};
  size_t i = 0;
  while (i < size) {
    const size_t run = 1 + rng() % 5000;
    const bool random = rng() % 3 == 0;
    for (size_t k = 0; k < run && i < size; ++k, ++i) {
      if (random) {
        bytes[i] = uint8_t(rng());
      } else {
        const char* w = words[(i / 8) % 6];
        bytes[i] = uint8_t(w[i % 8]);
      }
    }
  }
  return bytes;
}

}  // namespace testutil
