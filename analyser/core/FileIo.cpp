#include "analyser/core/FileIo.h"

#include <system_error>

namespace tessel {

FileHandle OpenFile(const std::filesystem::path& path, FileMode mode) {
#ifdef _WIN32
  auto open = [&](const wchar_t* m) { return _wfopen(path.c_str(), m); };
  const wchar_t* read = L"rb";
  const wchar_t* create = L"wb";
  const wchar_t* update = L"r+b";
#else
  auto open = [&](const char* m) { return std::fopen(path.c_str(), m); };
  const char* read = "rb";
  const char* create = "wb";
  const char* update = "r+b";
#endif
  switch (mode) {
    case FileMode::Read:
      return FileHandle(open(read));
    case FileMode::CreateAlways:
      return FileHandle(open(create));
    case FileMode::OpenAlways: {
      std::FILE* f = open(update);
      if (!f) {
        // Missing: create it. (An existing file that cannot be updated stays refused.)
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) return nullptr;
        f = open(create);
        if (f) {
          std::fclose(f);
          f = open(update);
        }
      }
      return FileHandle(f);
    }
  }
  return nullptr;
}

bool SeekFile(std::FILE* f, uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(f, static_cast<int64_t>(offset), SEEK_SET) == 0;
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

int64_t FileLength(std::FILE* f) {
#ifdef _WIN32
  if (_fseeki64(f, 0, SEEK_END) != 0) return -1;
  int64_t length = _ftelli64(f);
#else
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
  int64_t length = ftello(f);
#endif
  return SeekFile(f, 0) ? length : -1;
}

size_t ReadFile(std::FILE* f, void* dst, size_t count) {
  return count == 0 ? 0 : std::fread(dst, 1, count, f);
}

size_t WriteFile(std::FILE* f, const void* src, size_t count) {
  return count == 0 ? 0 : std::fwrite(src, 1, count, f);
}

}  // namespace tessel
