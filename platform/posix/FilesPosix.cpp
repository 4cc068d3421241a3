// POSIX files and folders.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/DayCount.h"
#include "platform/Files.h"

namespace platform {

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool File::Open(const std::string& path, OpenMode mode) {
  Close();
  int flags = O_RDONLY;
  if (mode == OpenMode::ReadWrite) flags = O_RDWR;
  if (mode == OpenMode::Create) flags = O_RDWR | O_CREAT | O_TRUNC;
  if (mode == OpenMode::OpenOrCreate) flags = O_RDWR | O_CREAT;
  fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    Close();
    return false;
  }
  return true;
}

bool File::IsOpen() const { return fd_ >= 0; }

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

size_t File::Read(void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  return done;
}

bool File::Write(const void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

bool File::Seek(int64_t position) {
  return position >= 0 && ::lseek(fd_, off_t(position), SEEK_SET) == off_t(position);
}

int64_t File::Position() const { return fd_ < 0 ? -1 : int64_t(::lseek(fd_, 0, SEEK_CUR)); }

int64_t File::Size() const {
  struct stat st;
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? int64_t(st.st_size) : -1;
}

bool File::Truncate() {
  const int64_t pos = Position();
  return pos >= 0 && ::ftruncate(fd_, off_t(pos)) == 0;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  if (FolderExists(path)) return true;
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !CreateFolders(trimmed.substr(0, slash)))
    return false;
  return ::mkdir(trimmed.c_str(), 0777) == 0 || FolderExists(trimmed);
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

int64_t FileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) ? int64_t(st.st_size) : -1;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

int32_t GetAttributes(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  uint32_t attributes = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
  if (!(st.st_mode & S_IWUSR)) attributes |= faReadOnly;
  return int32_t(attributes);
}

bool IsLink(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  if (attributes & faReadOnly)
    mode &= mode_t(~(S_IWUSR | S_IWGRP | S_IWOTH));
  else
    mode |= S_IWUSR;
  return mode == (st.st_mode & 07777) || ::chmod(path.c_str(), mode) == 0;
}

double GetFileDate(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return 0;
  const time_t seconds = st.st_mtim.tv_sec;
  struct tm local;
  if (!::localtime_r(&seconds, &local)) return 0;
  CivilTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  t.millisecond = int(st.st_mtim.tv_nsec / 1000000);
  return EncodeDayCount(t);
}

bool SetFileDate(const std::string& path, double dayCount) {
  CivilTime t;
  if (!DecodeDayCount(dayCount, t)) return false;
  struct tm local = {};
  local.tm_year = t.year - 1900;
  local.tm_mon = t.month - 1;
  local.tm_mday = t.day;
  local.tm_hour = t.hour;
  local.tm_min = t.minute;
  local.tm_sec = t.second;
  local.tm_isdst = -1;
  const time_t seconds = ::mktime(&local);
  if (seconds == time_t(-1)) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = seconds;
  times[1].tv_nsec = long(t.millisecond) * 1000000L;
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::vector<FolderItem> ListFolder(const std::string& folder) {
  std::vector<FolderItem> items;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return items;
  while (struct dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    // A link to a folder is not walked into: it may lead back up the tree. The entry's
    // own type says so without a look-up, where the file system reports one.
    bool folderItem = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN) {
      std::string full = folder;
      if (!full.empty() && full.back() != '/') full += '/';
      struct stat st;
      folderItem = ::lstat((full + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    items.push_back({name, folderItem});
  }
  ::closedir(dir);
  return items;
}

}  // namespace platform
