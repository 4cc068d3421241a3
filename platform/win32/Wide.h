// UTF-8 <-> UTF-16 for the wide Win32 API.
#pragma once
#include <string>

namespace platform {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace platform
