#include "builder/core/FileIO.h"

#include <sys/stat.h>

namespace builder {
namespace {

#ifdef _WIN32
// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& s) {
  std::wstring out;
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t c = uint8_t(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    uint32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    ++i;
    for (int k = 0; k < extra; ++k, ++i) {
      if (i >= s.size() || (uint8_t(s[i]) >> 6) != 2) {
        extra = -1;
        break;
      }
      cp = cp << 6 | (uint8_t(s[i]) & 0x3F);
    }
    if (extra < 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(wchar_t(0xD800 + (cp >> 10)));
      out.push_back(wchar_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(wchar_t(cp));
    }
  }
  return out;
}
#endif

std::FILE* OpenPath(const std::string& path, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(Utf8ToWide(path).c_str(), wideMode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

const char* ModeString(File::Mode mode) {
  switch (mode) {
    case File::Mode::Read:
      return "rb";
    case File::Mode::ReadWrite:
      return "r+b";
    case File::Mode::Append:
      return "ab";
  }
  return "rb";
}

}  // namespace

bool FileExists(const std::string& path) {
#ifdef _WIN32
  struct _stat64 st;
  if (_wstat64(Utf8ToWide(path).c_str(), &st) != 0) return false;
  return (st.st_mode & _S_IFMT) == _S_IFREG;
#else
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return S_ISREG(st.st_mode);
#endif
}

bool RemoveFile(const std::string& path) {
#ifdef _WIN32
  return _wremove(Utf8ToWide(path).c_str()) == 0;
#else
  return std::remove(path.c_str()) == 0;
#endif
}

File::File(const std::string& path, Mode mode) : path_(path) {
  f_ = path.empty() ? nullptr : OpenPath(path, ModeString(mode));
  if (f_ == nullptr) Fail("cannot open");
}

File::~File() {
  if (f_ != nullptr) std::fclose(f_);
}

void File::Fail(const char* what) const {
  throw EInOutError(std::string("File I/O error: ") + what + " \"" + path_ + "\"");
}

void File::Seek(int64_t offset, int whence) {
  if (offset < 0 && whence == SEEK_SET) Fail("cannot seek before the start of");
#ifdef _WIN32
  const int rc = _fseeki64(f_, offset, whence);
#else
  const int rc = fseeko(f_, off_t(offset), whence);
#endif
  if (rc != 0) Fail("cannot seek in");
}

int64_t File::Size() {
  Seek(0, SEEK_END);
#ifdef _WIN32
  const int64_t size = _ftelli64(f_);
#else
  const int64_t size = ftello(f_);
#endif
  if (size < 0) Fail("cannot take the size of");
  return size;
}

void File::ReadAt(int64_t offset, void* data, size_t size) {
  Seek(offset, SEEK_SET);
  if (std::fread(data, 1, size, f_) != size) Fail("cannot read");
}

void File::WriteAt(int64_t offset, const void* data, size_t size) {
  Seek(offset, SEEK_SET);
  if (std::fwrite(data, 1, size, f_) != size) Fail("cannot write");
}

void File::Append(const void* data, size_t size) {
  Seek(0, SEEK_END);
  if (std::fwrite(data, 1, size, f_) != size) Fail("cannot write");
}

void File::Close() {
  std::FILE* f = f_;
  f_ = nullptr;
  if (f != nullptr && std::fclose(f) != 0) Fail("cannot finish writing");
}

}  // namespace builder
