// UTF-8 <-> UTF-16 for the wide Win32 API, and the ANSI code page <-> UTF-16.
#pragma once
#include <string>

namespace platform {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// The ANSI code page <-> UTF-16 (8-bit names of fixed formats, tag texts).
std::wstring AnsiToWide(const std::string& ansi);
std::string WideToAnsi(const std::wstring& wide);

}  // namespace platform
