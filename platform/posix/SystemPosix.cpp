// POSIX clock, temporary folder, disks and language.
#include <sys/statvfs.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/System.h"

namespace platform {

uint32_t TickCount() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

int64_t DriveFreeSpace(const std::string& path) {
  std::string probe = path.empty() ? "." : path;
  // The path may name a file that does not exist yet: walk up to an existing folder.
  struct statvfs fs;
  while (::statvfs(probe.c_str(), &fs) != 0) {
    const size_t slash = probe.find_last_of('/');
    if (slash == std::string::npos) {
      probe = ".";
      if (::statvfs(probe.c_str(), &fs) != 0) return -1;
      break;
    }
    probe = slash == 0 ? "/" : probe.substr(0, slash);
  }
  return int64_t(fs.f_bavail) * int64_t(fs.f_frsize);
}

DriveType GetDriveType(const std::string&) { return DriveType::Fixed; }

namespace {

struct LanguageCode {
  const char* iso;
  int primaryId;
};

// ISO 639-1 codes and the matching Windows LANG_* primary ids.
constexpr LanguageCode kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"id", 0x21}, {"uk", 0x22}, {"sl", 0x24}, {"et", 0x25},
    {"lv", 0x26}, {"lt", 0x27}, {"vi", 0x2A},
};

}  // namespace

int UserDefaultPrimaryLangId() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    value = std::getenv(name);
    if (value && *value) break;
  }
  if (!value || std::strlen(value) < 2) return 0;
  const char code[3] = {char(value[0] | 0x20), char(value[1] | 0x20), 0};
  for (const auto& language : kLanguages)
    if (std::strcmp(language.iso, code) == 0 &&
        (value[2] == 0 || value[2] == '_' || value[2] == '.' || value[2] == '@'))
      return language.primaryId;
  return 0;
}

std::string AnsiToUtf8(const std::string& ansi) { return ansi; }
std::string Utf8ToAnsi(const std::string& utf8) { return utf8; }

}  // namespace platform
