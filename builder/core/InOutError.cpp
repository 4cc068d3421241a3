#include "builder/core/InOutError.h"

namespace builder {

void FailInOut(const char* what, const std::string& path) {
  throw EInOutError(std::string("File I/O error: ") + what + " \"" + path + "\"");
}

platform::File OpenOrFail(const std::string& path, platform::OpenMode mode) {
  platform::File file;
  if (path.empty() || !file.Open(path, mode)) FailInOut("cannot open", path);
  return file;
}

}  // namespace builder
