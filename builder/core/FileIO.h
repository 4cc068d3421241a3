// A very small file helper over C stdio for the tag component: whole-path checks and
// positioned reads and writes with 64-bit offsets. Paths are UTF-8; on Windows they
// are converted to UTF-16 and opened with the wide-character runtime functions, so
// names outside the ANSI code page work too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace builder {

// A failed file operation (open, seek, read, write). It ends the current operation
// and is shown by the window's standard exception message box.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// True when `path` names an existing file (not a folder).
bool FileExists(const std::string& path);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const std::string& path);

class File {
 public:
  enum class Mode { Read, ReadWrite, Append };

  // Throws EInOutError when the file cannot be opened.
  File(const std::string& path, Mode mode);
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  int64_t Size();
  // Reads or writes exactly `size` bytes at `offset`; anything less throws.
  void ReadAt(int64_t offset, void* data, size_t size);
  void WriteAt(int64_t offset, const void* data, size_t size);
  void Append(const void* data, size_t size);
  // Flushes and closes; throws when the last writes could not be completed.
  void Close();

 private:
  void Seek(int64_t offset, int whence);
  [[noreturn]] void Fail(const char* what) const;

  std::FILE* f_ = nullptr;
  std::string path_;
};

}  // namespace builder
