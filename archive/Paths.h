// Path helpers for archive and entry names. Both '\' and '/' separate folders,
// whatever the system, because entry names come from Windows.
#pragma once
#include <string>

#include "platform/Paths.h"

namespace archive {

// The parts of a path, as everywhere in the suite.
using platform::ExtractFileDrive;
using platform::ExtractFileExt;
using platform::ExtractFileName;
using platform::ExtractFilePath;
using platform::IsPathDelim;

std::string IncludeTrailingDelim(const std::string& path);
std::string ExcludeTrailingDelim(const std::string& path);
std::string UpperAscii(std::string s);
bool SameTextAscii(const std::string& a, const std::string& b);
// Windows-style mask match ('*' and '?', case-insensitive; "*.*" matches all).
bool MatchesMask(const std::string& name, const std::string& mask);

// The folder part of a stored entry name made safe to put under a target folder:
// no drive, no root, no "." or ".." components; separators become the system's.
// Empty when nothing remains.
std::string SafeRelativeFolder(const std::string& storedFolder);
// The file name part of a stored entry name made safe as one name in a folder:
// characters Windows forbids and control characters become '_'; trailing dots and
// spaces go, so "." and ".." become empty; a reserved device name gets a '_' in front.
std::string SafeFileName(const std::string& storedName);
// True for the names Windows gives to devices in every folder: CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM0-COM9 and LPT0-LPT9 (also with a superscript 1, 2 or 3),
// in any case, with any extension and with spaces around the device name.
bool IsReservedDeviceName(const std::string& name);

}  // namespace archive
