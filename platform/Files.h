// Files and folders. Paths are UTF-8; the Windows implementation converts them
// to UTF-16 and calls the wide API.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

#ifdef _WIN32
constexpr char kPathDelim = '\\';
#else
constexpr char kPathDelim = '/';
#endif

enum class OpenMode {
  Read,           // reading, others may read and write
  ReadDenyWrite,  // reading, others may read but not write
  ReadWrite,      // existing file, reading and writing, others may read
  Create,         // created or truncated, reading and writing, others may read
  OpenOrCreate,   // existing file kept as it is, or a new one; reading and writing, others may read
};

// An open file; closed by its destructor. Errors are reported by return values.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool Open(const std::string& path, OpenMode mode);
  bool IsOpen() const;
  void Close();

  // Bytes actually read: fewer than asked at the end of the file or on an error.
  size_t Read(void* buffer, size_t size);
  // True when every byte was written.
  bool Write(const void* buffer, size_t size);
  bool Seek(int64_t position);
  int64_t Position() const;
  int64_t Size() const;
  // Cuts the file at the current position.
  bool Truncate();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// Windows file attribute bits; the POSIX implementation maps read-only to the
// write permission and reports 0x10 for folders, 0x20 for files.
enum : uint32_t {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faVolumeID = 0x08,
  faDirectory = 0x10,
  faArchive = 0x20,
};

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Creates the folder and every missing parent; true when it exists afterwards.
bool CreateFolders(const std::string& path);
bool DeleteFile(const std::string& path);
// Gives the file `from` the name `to` on the same drive, replacing a file of that name
// in one step.
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFolder(const std::string& path);
// -1 when the file does not exist.
int64_t FileSize(const std::string& path);
// True when both paths name the same existing file (links and other spellings included).
bool SameFile(const std::string& a, const std::string& b);
// -1 when the path does not exist.
int32_t GetAttributes(const std::string& path);
// True when the path itself is a symbolic link (on Windows any reparse point:
// links and junctions), whether or not what it points to exists.
bool IsLink(const std::string& path);
bool SetAttributes(const std::string& path, uint32_t attributes);
// Last-write time as a day count (days since 30 December 1899, local time, the
// time of day as the fraction); 0 when unavailable.
double GetFileDate(const std::string& path);
bool SetFileDate(const std::string& path, double dayCount);

struct FolderItem {
  std::string name;
  bool isFolder = false;
};
// The items of a folder, without "." and "..". Links to folders (junctions) do
// not count as folders, so that walking a tree always ends.
std::vector<FolderItem> ListFolder(const std::string& folder);

}  // namespace platform
