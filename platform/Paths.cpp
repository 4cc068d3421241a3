#include "platform/Paths.h"

namespace platform {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

size_t NameStart(const std::string& path) {
  const size_t delim = path.find_last_of("\\/");
  size_t start = delim == std::string::npos ? 0 : delim + 1;
  if (start == 0 && !ExtractFileDrive(path).empty()) start = 2;
  return start;
}

}  // namespace

bool IsPathDelim(char c) { return c == '\\' || c == '/'; }

std::string ExtractFileDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && IsAsciiLetter(path[0]) ? path.substr(0, 2)
                                                                      : std::string();
}

std::string ExtractFilePath(const std::string& path) { return path.substr(0, NameStart(path)); }

std::string ExtractFileName(const std::string& path) { return path.substr(NameStart(path)); }

std::string ExtractFileExt(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace platform
