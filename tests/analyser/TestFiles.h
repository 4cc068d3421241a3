// Scratch files for the analyser's tests, in the system's temporary folder.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tessel_test {

// A file path unique to this test run; the file is removed when the object goes.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name) {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tessel_test_" + std::to_string(reinterpret_cast<uintptr_t>(&counter) % 100000) + "_" +
             std::to_string(++counter) + "_" + name);
    std::filesystem::remove(path_);
  }
  ~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  // UTF-8, as the analyser's files take paths.
  std::string Path() const { return path_.u8string(); }

  void Write(const std::vector<uint8_t>& bytes) const {
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<uint8_t> Read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
};

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
inline void PutText(std::vector<uint8_t>& v, const char* s) {
  while (*s) v.push_back(uint8_t(*s++));
}
inline uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
  return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (uint32_t(v[at + 3]) << 24);
}
inline uint16_t Get16(const std::vector<uint8_t>& v, size_t at) {
  return uint16_t(v[at] | (v[at + 1] << 8));
}

}  // namespace tessel_test
