// The archive behind the player's bytes, read with TExtractor, and the Win32
// dialogs that answer the archive component's questions.
#pragma once
#include <windows.h>

#include "archive/Archiver.h"
#include "archive/Prompts.h"
#include "player/core/Devices.h"

namespace tunlet {

class WinArchivePrompts : public archive::TArchivePrompts {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  archive::TPromptAnswer Ask(const std::string& caption, const std::string& text,
                             unsigned buttons) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                  bool masked) override;
  void ShowMessage(const std::string& caption, const std::string& text) override;
  bool SelectFile(const std::string& title, std::string& path) override;
  bool SelectFolder(const std::string& title, std::string& folder) override;

 private:
  HWND owner_ = nullptr;
};

class WinSongArchive : public player::TSongArchive {
 public:
  WinSongArchive();
  void SetOwner(HWND owner) { prompts_.SetOwner(owner); }
  void ExtractAll(const std::string& archivePath, int64_t startOffset, const std::string& folder,
                  const std::function<void(const std::string& entryName, const std::string& path)>&
                      onExtracted) override;

 private:
  WinArchivePrompts prompts_;
  archive::TExtractor Extractor1;
};

}  // namespace tunlet
