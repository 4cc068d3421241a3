// Text for the wide Win32 API: UTF-8 (the suite's paths and texts) <-> UTF-16, and the ANSI
// code page (8-bit names of fixed formats, tag texts, the analyser's texts) <-> UTF-16.
// Every such conversion of the suite is one of these.
#pragma once
#include <string>

namespace platform {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
std::wstring AnsiToWide(const std::string& ansi);
// Characters without a form in the code page become a similar one ("best fit") or '?'.
std::string WideToAnsi(const std::wstring& wide);
// No best fit: false when a character has no form of its own in the code page (it is then
// the code page's default character in `ansi`).
bool WideToAnsiExactly(const std::wstring& wide, std::string& ansi);

}  // namespace platform
