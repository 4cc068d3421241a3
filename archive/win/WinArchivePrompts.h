// The archive component's questions answered by Win32 dialogs: the question and
// input boxes of resources/archive/ArchivePrompts.rc (which the program's resource
// script includes), the open-file dialog and the folder selection.
#pragma once
#include <windows.h>

#include "archive/Prompts.h"

namespace archive {

class TWinArchivePrompts : public TArchivePrompts {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  TPromptAnswer Ask(const std::string& caption, const std::string& text, unsigned buttons) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                  bool masked) override;
  void ShowMessage(const std::string& caption, const std::string& text) override;
  bool SelectFile(const std::string& title, std::string& path) override;
  bool SelectFolder(const std::string& title, std::string& folder) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace archive
