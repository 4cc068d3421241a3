// Clock, temporary folder, disks, language and code page of the system.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Milliseconds since an arbitrary start (system start on Windows); wraps around.
uint32_t TickCount();

// The temporary folder with a trailing separator; empty when none is known.
std::string TempFolder();

enum class DriveType { Unknown, Removable, Fixed };

// Free bytes on the drive or file system holding `path`; -1 when unknown.
int64_t DriveFreeSpace(const std::string& path);
DriveType GetDriveType(const std::string& path);

// The Windows primary language id (LANG_GERMAN = 0x07 ...) of the user's default
// language; 0 (neutral) when unknown.
int UserDefaultPrimaryLangId();

// Entry names in archives are 8-bit strings of the Windows ANSI code page.
// The POSIX implementation takes them as UTF-8 unchanged.
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);

}  // namespace platform
