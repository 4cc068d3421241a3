// The parts of a path: drive, folder, file name and extension. Both '\' and '/'
// separate folders, whatever the system, because paths and archive entry names
// come from Windows; a colon ends only a drive letter ("C:").
#pragma once
#include <string>

namespace platform {

bool IsPathDelim(char c);
// "C:" when the path begins with a drive letter and a colon; empty otherwise.
std::string ExtractFileDrive(const std::string& path);
// Drive and folders up to and including the last separator.
std::string ExtractFilePath(const std::string& path);
// The file name without its folders: the part behind the last separator (or behind
// the drive's colon).
std::string ExtractFileName(const std::string& path);
// The extension of the file name, with its dot; empty when there is none.
std::string ExtractFileExt(const std::string& path);

}  // namespace platform
