// The archive behind the player's bytes, read with TExtractor, and the Win32
// dialogs that answer the archive component's questions.
#pragma once
#include <windows.h>

#include "archive/Archiver.h"
#include "archive/win/WinArchivePrompts.h"
#include "player/core/Devices.h"

namespace tunlet {

class WinSongArchive : public player::TSongArchive {
 public:
  WinSongArchive();
  void SetOwner(HWND owner) { prompts_.SetOwner(owner); }
  void ExtractAll(const std::string& archivePath, int64_t startOffset, const std::string& folder,
                  const std::function<void(const std::string& entryName, const std::string& path)>&
                      onExtracted) override;

 private:
  archive::TWinArchivePrompts prompts_;
  archive::TExtractor Extractor1;
};

}  // namespace tunlet
