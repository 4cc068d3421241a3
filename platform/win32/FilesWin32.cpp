// Win32 files and folders through the wide API.
#include <windows.h>
// The facade's own names, not the API's macros.
#undef DeleteFile

#include "platform/DayCount.h"
#include "platform/Files.h"
#include "platform/win32/Wide.h"

namespace platform {

File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

bool File::Open(const std::string& path, OpenMode mode) {
  Close();
  DWORD access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
  switch (mode) {
    case OpenMode::Read:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
    case OpenMode::ReadDenyWrite:
      break;
    case OpenMode::ReadWrite:
      access |= GENERIC_WRITE;
      break;
    case OpenMode::Create:
      access |= GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
    case OpenMode::OpenOrCreate:
      access |= GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
  }
  HANDLE h = CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  return true;
}

bool File::IsOpen() const { return handle_ != nullptr; }

void File::Close() {
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
}

size_t File::Read(void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const DWORD chunk = DWORD(size - done > 0x10000000 ? 0x10000000 : size - done);
    DWORD n = 0;
    if (!ReadFile(handle_, static_cast<char*>(buffer) + done, chunk, &n, nullptr) || n == 0) break;
    done += n;
  }
  return done;
}

bool File::Write(const void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const DWORD chunk = DWORD(size - done > 0x10000000 ? 0x10000000 : size - done);
    DWORD n = 0;
    if (!WriteFile(handle_, static_cast<const char*>(buffer) + done, chunk, &n, nullptr) || n == 0)
      return false;
    done += n;
  }
  return true;
}

bool File::Seek(int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return position >= 0 && SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN);
}

int64_t File::Position() const {
  LARGE_INTEGER zero, now;
  zero.QuadPart = 0;
  return handle_ && SetFilePointerEx(handle_, zero, &now, FILE_CURRENT) ? now.QuadPart : -1;
}

int64_t File::Size() const {
  LARGE_INTEGER size;
  return handle_ && GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
}

bool File::Truncate() { return handle_ && SetEndOfFile(handle_); }

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  if (FolderExists(path)) return true;
  std::string trimmed = path;
  while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/'))
    trimmed.pop_back();
  if (trimmed.size() == 2 && trimmed[1] == ':') return FolderExists(trimmed + "\\");
  const size_t slash = trimmed.find_last_of("\\/");
  if (slash != std::string::npos && slash > 0 && !CreateFolders(trimmed.substr(0, slash)))
    return false;
  return CreateDirectoryW(Widen(trimmed).c_str(), nullptr) || FolderExists(trimmed);
}

bool DeleteFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveFolder(const std::string& path) { return RemoveDirectoryW(Widen(path).c_str()) != 0; }

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return FileIdentity(a, ia) && FileIdentity(b, ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

int32_t GetAttributes(const std::string& path) {
  const DWORD a = GetFileAttributesW(Widen(path).c_str());
  return a == INVALID_FILE_ATTRIBUTES ? -1 : int32_t(a);
}

bool IsLink(const std::string& path) {
  const DWORD a = GetFileAttributesW(Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  // Folder and volume bits cannot be set; no bit left means "normal".
  attributes &= ~uint32_t(FILE_ATTRIBUTE_DIRECTORY | 0x08);
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesW(Widen(path).c_str(), attributes) != 0;
}

double GetFileDate(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  FILETIME local;
  SYSTEMTIME st;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
      !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
    return 0;
  CivilTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  return EncodeDayCount(t);
}

bool SetFileDate(const std::string& path, double dayCount) {
  CivilTime t;
  if (!DecodeDayCount(dayCount, t) || t.year < 1601) return false;
  SYSTEMTIME st = {};
  st.wYear = WORD(t.year);
  st.wMonth = WORD(t.month);
  st.wDay = WORD(t.day);
  st.wHour = WORD(t.hour);
  st.wMinute = WORD(t.minute);
  st.wSecond = WORD(t.second);
  st.wMilliseconds = WORD(t.millisecond);
  FILETIME local, utc;
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  HANDLE h =
      CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(h, nullptr, nullptr, &utc) != 0;
  CloseHandle(h);
  return ok;
}

std::vector<FolderItem> ListFolder(const std::string& folder) {
  std::vector<FolderItem> items;
  std::wstring pattern = Widen(folder);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return items;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    // A junction is not walked into: it may lead back up the tree.
    const DWORD a = data.dwFileAttributes;
    items.push_back(
        {Narrow(name), (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)});
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return items;
}

}  // namespace platform
