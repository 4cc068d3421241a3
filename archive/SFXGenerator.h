// TCustomSFXGenerator: the executable code in front of a self-extracting
// archive. It supplies the start offset as the sum of the decimal values
// "SFXCodeSize" and "TagInfoSize" of the code's version block (a missing or
// unreadable value counts 0) and writes the code in front of a new archive.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "archive/Messages.h"
#include "platform/Files.h"

namespace archive {

class TCustomSFXGenerator {
 public:
  virtual ~TCustomSFXGenerator() = default;

  TLanguage Language() const { return language_; }
  void SetLanguage(TLanguage value) { language_ = value; }

  // The executable code: read from a file, or given as bytes.
  bool LoadCodeFromFile(const std::string& path);
  void SetCode(std::vector<uint8_t> code) { code_ = std::move(code); }
  const std::vector<uint8_t>& Code() const { return code_; }

  virtual int32_t ExecutableCodeSize() const;
  // Writes the code from offset 0 of the archive file; false on a write error.
  virtual bool WriteSFXCode(platform::File& archive) const;

 private:
  TLanguage language_ = lgAutomatic;
  std::vector<uint8_t> code_;
};

// The decimal value of a string of an executable's version block ("SFXCodeSize"),
// 0 when it is missing or not a number.
int32_t VersionBlockNumber(const std::vector<uint8_t>& executable, const std::string& key);

}  // namespace archive
