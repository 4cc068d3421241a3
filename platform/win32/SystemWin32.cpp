// Win32 clock, temporary folder, disks, language and code page.
#include <windows.h>
// The facade's own names, not the API's macros.
#undef GetDriveType

#include "platform/System.h"
#include "platform/win32/Wide.h"

namespace platform {

uint32_t TickCount() { return GetTickCount(); }

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return std::string();
  std::string folder = Narrow(std::wstring(buffer, n));
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

namespace {

// "C:\" for a path that begins with a drive letter; empty otherwise.
std::wstring DriveRoot(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return std::wstring();
  const char letter = path[0];
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
    return std::wstring();
  return std::wstring{wchar_t(letter), L':', L'\\'};
}

}  // namespace

int64_t DriveFreeSpace(const std::string& path) {
  const std::wstring root = DriveRoot(path);
  if (root.empty()) return -1;
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return -1;
  return int64_t(available.QuadPart);
}

DriveType GetDriveType(const std::string& path) {
  const std::wstring root = DriveRoot(path);
  if (root.empty()) return DriveType::Unknown;
  switch (GetDriveTypeW(root.c_str())) {
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
      return DriveType::Removable;
    case DRIVE_FIXED:
    case DRIVE_REMOTE:
    case DRIVE_RAMDISK:
      return DriveType::Fixed;
    default:
      return DriveType::Unknown;
  }
}

int UserDefaultPrimaryLangId() { return PRIMARYLANGID(GetUserDefaultLangID()); }

std::string AnsiToUtf8(const std::string& ansi) { return Narrow(AnsiToWide(ansi)); }

std::string Utf8ToAnsi(const std::string& utf8) { return WideToAnsi(Widen(utf8)); }

}  // namespace platform
