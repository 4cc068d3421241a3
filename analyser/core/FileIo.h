// Plain binary files for the analyser's core: open by path (wide on Windows), read and write
// at 64-bit offsets. The core never includes the system headers of a window system.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace tessel {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

enum class FileMode {
  Read,          // existing file, read only
  CreateAlways,  // created or truncated, write only
  OpenAlways,    // created when missing, never truncated, read and write
};

FileHandle OpenFile(const std::filesystem::path& path, FileMode mode);
bool SeekFile(std::FILE* f, uint64_t offset);
// Length of an open file, or -1.
int64_t FileLength(std::FILE* f);
// Reads up to `count` bytes; returns how many were read.
size_t ReadFile(std::FILE* f, void* dst, size_t count);
// Writes `count` bytes; returns how many were written.
size_t WriteFile(std::FILE* f, const void* src, size_t count);

}  // namespace tessel
