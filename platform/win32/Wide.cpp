// Conversions between 8-bit text and UTF-16, all through the system's code-page functions.
#include "platform/win32/Wide.h"

#include <windows.h>

namespace platform {
namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0], n);
  return wide;
}

// `usedDefault`, when given, tells whether a character had no form in the code page.
std::string FromWide(UINT codePage, DWORD flags, const std::wstring& wide, BOOL* usedDefault) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), nullptr, 0,
                                    nullptr, usedDefault);
  std::string text(size_t(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), &text[0], n, nullptr,
                        usedDefault);
  return text;
}

}  // namespace

std::wstring Widen(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(const std::wstring& wide) { return FromWide(CP_UTF8, 0, wide, nullptr); }

std::wstring AnsiToWide(const std::string& ansi) { return ToWide(CP_ACP, ansi); }

std::string WideToAnsi(const std::wstring& wide) { return FromWide(CP_ACP, 0, wide, nullptr); }

bool WideToAnsiExactly(const std::wstring& wide, std::string& ansi) {
  BOOL usedDefault = FALSE;
  ansi = FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, &usedDefault);
  return !usedDefault;
}

}  // namespace platform
