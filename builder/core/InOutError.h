// Failed file operations of the builder's and the player's components, as exceptions.
#pragma once
#include <stdexcept>
#include <string>

#include "platform/Files.h"

namespace builder {

// A failed file operation (open, seek, read, write). It ends the current operation
// and is shown by the window's standard exception message box.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws EInOutError: "File I/O error: <what> "<path>"".
[[noreturn]] void FailInOut(const char* what, const std::string& path);

// The open file; throws EInOutError when it cannot be opened.
platform::File OpenOrFail(const std::string& path, platform::OpenMode mode);

}  // namespace builder
