#include "FuzzArchive.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/Files.h"

// AddressSanitizer keeps freed memory in a quarantine of 256 MB by default, so every
// component's compression buffers land on fresh pages and each run spends about a fifth of its
// time in page faults. 16 MB still holds what several runs freed, which is where a use
// after free in one run would point.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

namespace fuzzarchive {

const char kSeparator[9] = "\x00SEG\xFF\x01\x02\x03";

namespace {

const char kPrefix[] = "archive_fuzz.";

bool enforcing = false;
bool anywhereInWork = false;
// Heterogeneous lookup: the oracle checks every write without copying the path.
std::set<std::string, std::less<>> inputs;

void RemoveTree(const std::string& folder) {
  for (const platform::FolderItem& item : platform::ListFolder(folder)) {
    const std::string path = folder + "/" + item.name;
    if (item.isFolder) {
      RemoveTree(path);
      platform::RemoveFolder(path);
    } else {
      platform::DeleteFile(path);  // a read-only file too: unlink asks the folder, not the file
    }
  }
}

// Work folders of earlier runs whose process is gone (a crash skips the clean-up).
void RemoveStaleFolders(const std::string& parent) {
  for (const platform::FolderItem& item : platform::ListFolder(parent)) {
    if (!item.isFolder || item.name.compare(0, sizeof kPrefix - 1, kPrefix) != 0) continue;
    const long pid = std::strtol(item.name.c_str() + sizeof kPrefix - 1, nullptr, 10);
    if (pid > 0 && kill(pid_t(pid), 0) != 0 && errno == ESRCH) {
      RemoveTree(parent + "/" + item.name);
      platform::RemoveFolder(parent + "/" + item.name);
    }
  }
}

struct Work {
  std::string folder;
  std::string folderSlash;  // folder + "/"
  std::string target;       // folder + "/out"
  std::string targetSlash;  // target + "/"
  Work() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string parent = platform::FolderExists("/dev/shm") ? "/dev/shm"
                               : tmp && *tmp                      ? tmp
                                                                  : "/tmp";
    RemoveStaleFolders(parent);
    folder = parent + "/" + kPrefix + std::to_string(getpid());
    folderSlash = folder + "/";
    target = folder + "/out";
    targetSlash = target + "/";
    RemoveTree(folder);
    if (!platform::CreateFolders(folder + "/out")) {
      std::fprintf(stderr, "cannot create %s\n", folder.c_str());
      std::abort();
    }
    // Temporary archives (solid archives) go to the work folder too.
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~Work() {
    RemoveTree(folder);
    platform::RemoveFolder(folder);
  }
};

Work& TheWork() {
  static Work work;
  return work;
}

bool IsTempArchiveName(std::string_view name) {
  return name.size() > 12 && name.compare(0, 8, "~Archiv-") == 0 &&
         name.compare(name.size() - 4, 4, ".tmp") == 0 && name.find('/') == std::string::npos;
}

// The device names Windows reserves, as the oracle knows them: spelled out.
const std::set<std::string, std::less<>>& DeviceNames() {
  static const std::set<std::string, std::less<>> names = [] {
    std::set<std::string, std::less<>> n = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    const char* ports[] = {"0", "1", "2",    "3",    "4",    "5",        "6",        "7",
                           "8", "9", "\xB9", "\xB2", "\xB3", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    for (const char* p : ports) {
      n.insert(std::string("COM") + p);
      n.insert(std::string("LPT") + p);
    }
    return n;
  }();
  return names;
}

// The longest of the names above, in bytes.
constexpr size_t kLongestDeviceName = 7;

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

void CheckWrite(const char* what, const char* path) {
  if (!enforcing || !path) return;
  std::string_view p = path;
  const Work& work = TheWork();
  const bool inTarget = StartsWith(p, work.targetSlash);
  // The inputs, and the target itself (the component makes it and may set its date).
  if (inputs.find(p) != inputs.end() || p == work.target) return;
  if (StartsWith(p, work.folderSlash) && !inTarget &&
      (anywhereInWork || IsTempArchiveName(p.substr(work.folderSlash.size()))))
    return;
  if (!inTarget) Finding(std::string(what) + " outside the target folder: " + path);
  if (p.back() == '/') p.remove_suffix(1);
  for (size_t at = work.targetSlash.size(); at <= p.size();) {
    const size_t end = std::min(p.find('/', at), p.size());
    if (!SafeComponent(p.substr(at, end - at)))
      Finding(std::string(what) + " of an unsafe name: " + path);
    at = end + 1;
  }
}

}  // namespace

const std::string& WorkFolder() { return TheWork().folder; }

std::string TargetFolder() { return WorkFolder() + "/out"; }

std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = WorkFolder() + "/" + name;
  inputs.insert(path);
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Create) || !f.Write(data, size))
    Finding("cannot write the input " + path);
  return path;
}

Guard::Guard(bool anywhere) {
  TheWork();
  enforcing = true;
  anywhereInWork = anywhere;
}

Guard::~Guard() {
  enforcing = false;
  anywhereInWork = false;
}

bool SafeComponent(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c < 0x20 || std::strchr(":*?\"<>|\\/", c)) return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  // A device name: the part before the first dot, spaces around it dropped, any case.
  std::string_view stem = name.substr(0, name.find('.'));
  const size_t first = stem.find_first_not_of(' ');
  if (first == std::string_view::npos) return true;
  stem = stem.substr(first, stem.find_last_not_of(' ') + 1 - first);
  if (stem.size() > kLongestDeviceName) return true;
  char upper[kLongestDeviceName];
  for (size_t i = 0; i < stem.size(); ++i)
    upper[i] = stem[i] >= 'a' && stem[i] <= 'z' ? char(stem[i] - 'a' + 'A') : stem[i];
  return DeviceNames().find(std::string_view(upper, stem.size())) == DeviceNames().end();
}

void Finding(const std::string& what) {
  std::fprintf(stderr, "FINDING: %s\n", what.c_str());
  __builtin_trap();
}

void EmptyTarget() { RemoveTree(TargetFolder()); }

void CleanUp() {
  EmptyTarget();
  for (const platform::FolderItem& item : platform::ListFolder(WorkFolder())) {
    const std::string path = WorkFolder() + "/" + item.name;
    if (item.name == "out" || inputs.count(path)) continue;
    Finding("left behind in the work folder: " + item.name);
  }
}

void ConfigureReader(archive::TCustomExtractor& reader) {
  reader.SetLanguage(archive::lgEnglish);
  reader.SetErrorAction(archive::eaContinue);
  reader.SetRestoreAction(archive::raOverwrite);
}

std::vector<std::string> SplitInput(const uint8_t* data, size_t size) {
  std::vector<std::string> parts;
  const std::string all(reinterpret_cast<const char*>(data), size);
  const std::string separator(kSeparator, sizeof kSeparator - 1);
  size_t from = 0;
  for (;;) {
    const size_t at = all.find(separator, from);
    parts.push_back(all.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + separator.size();
  }
}

}  // namespace fuzzarchive

// The calls through which the archive components write to the file system (see --wrap
// in CMakeLists.txt): each is checked, then passed on.
extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_mkdir(const char* path, mode_t mode);
int __real_unlink(const char* path);
int __real_rmdir(const char* path);
int __real_chmod(const char* path, mode_t mode);
int __real_utimensat(int dir, const char* path, const struct timespec times[2], int flags);
int __real_rename(const char* from, const char* to);

int __wrap_open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list args;
    va_start(args, flags);
    mode = mode_t(va_arg(args, int));
    va_end(args);
  }
  if (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) fuzzarchive::CheckWrite("open", path);
  return __real_open(path, flags, mode);
}

int __wrap_mkdir(const char* path, mode_t mode) {
  fuzzarchive::CheckWrite("mkdir", path);
  return __real_mkdir(path, mode);
}

int __wrap_unlink(const char* path) {
  fuzzarchive::CheckWrite("unlink", path);
  return __real_unlink(path);
}

int __wrap_rmdir(const char* path) {
  fuzzarchive::CheckWrite("rmdir", path);
  return __real_rmdir(path);
}

int __wrap_chmod(const char* path, mode_t mode) {
  fuzzarchive::CheckWrite("chmod", path);
  return __real_chmod(path, mode);
}

int __wrap_utimensat(int dir, const char* path, const struct timespec times[2], int flags) {
  fuzzarchive::CheckWrite("utimensat", path);
  return __real_utimensat(dir, path, times, flags);
}

int __wrap_rename(const char* from, const char* to) {
  fuzzarchive::CheckWrite("rename", from);
  fuzzarchive::CheckWrite("rename", to);
  return __real_rename(from, to);
}
}
