#include "builder/win/WinServices.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "builder/win/controls/Controls.h"
#include "platform/win32/Wide.h"
#include "resources/builder/resource.h"

namespace vardexwin {

std::wstring WindowText(HWND window) {
  const int n = GetWindowTextLengthW(window);
  std::wstring text(size_t(n) + 1, L'\0');
  GetWindowTextW(window, &text[0], n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

bool ExeResources::Find(const std::string& type, const std::string& name, const uint8_t*& data,
                        size_t& size) {
  HRSRC info = FindResourceW(nullptr, platform::Widen(name).c_str(), platform::Widen(type).c_str());
  if (!info) return false;
  size = SizeofResource(nullptr, info);
  HGLOBAL loaded = LoadResource(nullptr, info);
  if (!loaded || size == 0) return false;
  data = static_cast<const uint8_t*>(LockResource(loaded));
  return data != nullptr;
}

RegistryStore::RegistryStore() {
  const std::wstring path = platform::Widen(builder::kSettingsKey);
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                      nullptr, &key_, nullptr) == ERROR_SUCCESS)
    return;
  key_ = nullptr;
  currentUser_ = true;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                      &key_, nullptr) != ERROR_SUCCESS)
    key_ = nullptr;
}

RegistryStore::~RegistryStore() {
  if (key_) RegCloseKey(key_);
}

std::optional<int32_t> RegistryStore::ReadInteger(const std::string& name) const {
  if (!key_) return std::nullopt;
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExW(key_, platform::Widen(name).c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return int32_t(value);
}

std::optional<std::string> RegistryStore::ReadString(const std::string& name) const {
  if (!key_) return std::nullopt;
  DWORD type = 0, size = 0;
  const std::wstring n = platform::Widen(name);
  if (RegQueryValueExW(key_, n.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ || size > 65536)
    return std::nullopt;
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key_, n.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  return platform::Narrow(text.data());
}

void RegistryStore::WriteInteger(const std::string& name, int32_t value) {
  if (!key_) return;
  const DWORD v = DWORD(value);
  RegSetValueExW(key_, platform::Widen(name).c_str(), 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&v), sizeof v);
}

void RegistryStore::WriteString(const std::string& name, const std::string& value) {
  if (!key_) return;
  const std::wstring v = platform::Widen(value);
  RegSetValueExW(key_, platform::Widen(name).c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(v.c_str()), DWORD((v.size() + 1) * sizeof(wchar_t)));
}

void ShowError(HWND owner, const std::string& message) {
  MessageBoxW(owner, platform::Widen(message).c_str(), kAppTitle, MB_OK | MB_ICONSTOP);
}

int Confirm(HWND owner, const std::string& text, UINT buttons) {
  return MessageBoxW(owner, platform::Widen(text).c_str(), L"Confirm", buttons | MB_ICONQUESTION);
}

COLORREF Resolve(builder::TColor colour) {
  return builder::ResolveColour(colour, builder::SystemColours{});
}

bool ChooseColour(HWND owner, builder::TColor& colour) {
  static COLORREF custom[16] = {};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = Resolve(colour);
  cc.lpCustColors = custom;
  cc.Flags = CC_ANYCOLOR | CC_RGBINIT | CC_FULLOPEN | CC_SHOWHELP;
  if (!ChooseColorW(&cc)) return false;
  colour = cc.rgbResult & 0xFFFFFF;
  return true;
}

bool ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

bool WaitWithMessages(DWORD& startTick, int64_t dueMs) {
  constexpr int64_t kLongPastMs = 100;
  for (;;) {
    if (!ProcessMessages()) return false;
    const int64_t now = int64_t(GetTickCount() - startTick);
    if (now - dueMs > kLongPastMs) startTick += DWORD(now - dueMs);
    if (now >= dueMs) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(dueMs - now), QS_ALLINPUT);
  }
}

std::string DecimalSeparator() {
  wchar_t sep[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8) <= 1) return ".";
  return platform::Narrow(sep);
}

}  // namespace vardexwin
