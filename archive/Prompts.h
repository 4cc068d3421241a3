// The questions the archive components ask the user (disks, folders, passwords,
// overwrites, errors). A Windows program plugs in dialogs; tests and tools plug
// in scripted answers. A component without prompts treats every question as
// cancelled.
#pragma once
#include <string>

namespace archive {

enum class TPromptAnswer { Yes, YesToAll, No, Cancel };

enum TPromptButtons : unsigned {
  pbYes = 1,
  pbYesToAll = 2,
  pbNo = 4,
  pbCancel = 8,
};

class TArchivePrompts {
 public:
  virtual ~TArchivePrompts() = default;
  // A question box; `buttons` is a combination of TPromptButtons.
  virtual TPromptAnswer Ask(const std::string& caption, const std::string& text,
                            unsigned buttons) = 0;
  // An input box prefilled with `value`; false when cancelled.
  virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                          bool masked) = 0;
  // A message with an OK button.
  virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
  // An open-file dialog prefilled with `path`; false when cancelled.
  virtual bool SelectFile(const std::string& title, std::string& path) = 0;
  // A folder selection dialog prefilled with `folder`; false when cancelled.
  virtual bool SelectFolder(const std::string& title, std::string& folder) = 0;
};

}  // namespace archive
