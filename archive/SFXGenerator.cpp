#include "archive/SFXGenerator.h"

#include <algorithm>

#include "platform/LittleEndian.h"

namespace archive {

bool TCustomSFXGenerator::LoadCodeFromFile(const std::string& path) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Read)) return false;
  const int64_t size = f.Size();
  if (size < 0 || size > 64 * 1024 * 1024) return false;
  std::vector<uint8_t> code(static_cast<size_t>(size));
  if (f.Read(code.data(), code.size()) != code.size()) return false;
  code_ = std::move(code);
  return true;
}

int32_t TCustomSFXGenerator::ExecutableCodeSize() const {
  const int64_t sum =
      int64_t(VersionBlockNumber(code_, "SFXCodeSize")) + VersionBlockNumber(code_, "TagInfoSize");
  return sum > 0x7FFFFFFF ? 0 : int32_t(sum);
}

bool TCustomSFXGenerator::WriteSFXCode(platform::File& archive) const {
  return archive.Seek(0) && archive.Write(code_.data(), code_.size());
}

// A version block string is: uint16 wLength, uint16 wValueLength, uint16 wType,
// the key in UTF-16 with its terminator, padding to a 4-byte boundary, the value
// in UTF-16. The key is looked for as UTF-16 text, its structure checked around it.
int32_t VersionBlockNumber(const std::vector<uint8_t>& executable, const std::string& key) {
  std::vector<uint8_t> pattern;
  for (char c : key) {
    pattern.push_back(uint8_t(c));
    pattern.push_back(0);
  }
  pattern.push_back(0);
  pattern.push_back(0);
  const size_t n = executable.size();
  for (size_t at = 6; at + pattern.size() <= n; at += 2) {
    if (executable[at] != pattern[0] ||
        !std::equal(pattern.begin(), pattern.end(), executable.begin() + long(at)))
      continue;
    const size_t structStart = at - 6;
    const size_t length = platform::GetLe16(&executable[structStart]);
    const size_t valueChars = platform::GetLe16(&executable[structStart + 2]);
    size_t value = at + pattern.size();
    value += (4 - (value - structStart) % 4) % 4;
    if (length < value - structStart || structStart + length > n) continue;
    int64_t number = 0;
    bool digits = false;
    for (size_t k = 0; k < valueChars && value + 2 * k + 1 < structStart + length; ++k) {
      const uint16_t ch = platform::GetLe16(&executable[value + 2 * k]);
      if (ch == 0) break;
      if (ch == ' ' && !digits) continue;
      if (ch < '0' || ch > '9') return 0;
      number = number * 10 + (ch - '0');
      if (number > 0x7FFFFFFF) return 0;
      digits = true;
    }
    return digits ? int32_t(number) : 0;
  }
  return 0;
}

}  // namespace archive
