#include "archive/Paths.h"

#include "platform/Files.h"

namespace archive {

namespace {
char UpperChar(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
}  // namespace

std::string IncludeTrailingDelim(const std::string& path) {
  if (path.empty() || IsPathDelim(path.back())) return path;
  return path + platform::kPathDelim;
}

std::string ExcludeTrailingDelim(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && IsPathDelim(p.back()) && !(p.size() == 3 && p[1] == ':')) p.pop_back();
  return p;
}

std::string UpperAscii(std::string s) {
  for (char& c : s) c = UpperChar(c);
  return s;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  return UpperAscii(a) == UpperAscii(b);
}

namespace {
bool MatchFrom(const std::string& name, size_t n, const std::string& mask, size_t m) {
  while (m < mask.size()) {
    if (mask[m] == '*') {
      while (m < mask.size() && mask[m] == '*') ++m;
      if (m == mask.size()) return true;
      for (size_t k = n; k <= name.size(); ++k)
        if (MatchFrom(name, k, mask, m)) return true;
      return false;
    }
    if (n == name.size()) return false;
    if (mask[m] != '?' && UpperChar(mask[m]) != UpperChar(name[n])) return false;
    ++n;
    ++m;
  }
  return n == name.size();
}
}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
  if (mask.empty() || mask == "*.*" || mask == "*") return true;
  return MatchFrom(name, 0, mask, 0);
}

std::string SafeRelativeFolder(const std::string& storedFolder) {
  std::string result;
  std::string component;
  // A drive ("C:") and the root are dropped; the remaining components are kept
  // when they are real names.
  const size_t begin = ExtractFileDrive(storedFolder).empty() ? 0 : 2;
  for (size_t i = begin; i <= storedFolder.size(); ++i) {
    if (i == storedFolder.size() || IsPathDelim(storedFolder[i])) {
      const std::string safe = SafeFileName(component);
      if (!safe.empty()) {
        if (!result.empty()) result += platform::kPathDelim;
        result += safe;
      }
      component.clear();
    } else {
      component += storedFolder[i];
    }
  }
  return result;
}

namespace {
// The n characters at s equal the upper-case word w, in any case.
bool SameWord(const char* s, size_t n, const char* w) {
  for (size_t i = 0; i < n; ++i, ++w)
    if (*w == 0 || UpperChar(s[i]) != *w) return false;
  return *w == 0;
}

// The number of a COM or LPT port: a digit, or a superscript one, two or three,
// which Windows takes as digits (in UTF-8 or as the Windows-1252 byte).
bool IsPortNumber(const char* s, size_t n) {
  const unsigned char last = static_cast<unsigned char>(s[n - 1]);
  const bool superscript = last == 0xB9 || last == 0xB2 || last == 0xB3;
  if (n == 1) return (last >= '0' && last <= '9') || superscript;
  return n == 2 && static_cast<unsigned char>(s[0]) == 0xC2 && superscript;
}
}  // namespace

bool IsReservedDeviceName(const std::string& name) {
  // Windows opens the device whatever follows the first dot, and ignores spaces
  // around the device name and dots and spaces at the end of the whole name.
  size_t begin = 0, end = name.find('.');
  if (end == std::string::npos) end = name.size();
  while (begin < end && name[begin] == ' ') ++begin;
  while (end > begin && name[end - 1] == ' ') --end;
  const char* s = name.data() + begin;
  const size_t n = end - begin;
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (SameWord(s, n, device)) return true;
  return n > 3 && (SameWord(s, 3, "COM") || SameWord(s, 3, "LPT")) && IsPortNumber(s + 3, n - 3);
}

std::string SafeFileName(const std::string& storedName) {
  std::string name = storedName;
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
        c == '|' || IsPathDelim(c))
      c = '_';
  }
  // Windows drops trailing dots and spaces, which would turn "..." into "..".
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  // A device name would open the device (COM1, LPT1, CON) or swallow the data (NUL):
  // with a '_' in front it is an ordinary file name.
  if (IsReservedDeviceName(name)) name.insert(0, 1, '_');
  return name;
}

}  // namespace archive
