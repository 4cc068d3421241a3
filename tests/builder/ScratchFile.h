// Scratch files of the builder's tests: a file in the test's working folder, named
// after the running test (and a suffix, for tests that need several), removed again
// when the test ends.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace buildertest {

using Bytes = std::vector<uint8_t>;

class ScratchFile {
 public:
  explicit ScratchFile(const std::string& suffix = "") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ =
        std::string("scratch_") + info->test_suite_name() + "_" + info->name() + suffix + ".mp3";
    std::remove(path_.c_str());
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }

  void Write(const Bytes& bytes) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
  }
  Bytes Read() const {
    Bytes bytes;
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (f == nullptr) return bytes;
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(uint8_t(c));
    std::fclose(f);
    return bytes;
  }

 private:
  std::string path_;
};

// Some audio-like bytes that never contain "TAG".
inline Bytes Audio(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(0x80 + i % 50);
  return b;
}

}  // namespace buildertest
