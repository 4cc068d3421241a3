// Win32 services of the builder: the embedded files, the registry store, message
// boxes, the archive component's questions, the file and colour dialogs. Texts come and go
// through platform/win32/Wide.h (paths are UTF-8 in the core, tag texts are ANSI as in the
// file).
#pragma once
#include <windows.h>

#include <string>

#include "archive/Prompts.h"
#include "builder/core/Colour.h"
#include "builder/core/Pipeline.h"
#include "builder/core/SettingsStore.h"

namespace vardexwin {

inline constexpr wchar_t kAppTitle[] = L"Vardex Converter";

std::wstring WindowText(HWND window);

// The two files embedded in the running program.
class ExeResources : public builder::TBuildResources {
 public:
  bool Find(const std::string& type, const std::string& name, const uint8_t*& data,
            size_t& size) override;
};

// The key "Software\Quendt\VARDEX\v1.5" under HKEY_LOCAL_MACHINE, or under
// HKEY_CURRENT_USER when the machine key cannot be opened for writing (a user
// without administrator rights).
class RegistryStore : public builder::TSettingsStore {
 public:
  RegistryStore();
  ~RegistryStore() override;
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;
  bool IsOpen() const { return key_ != nullptr; }
  bool InCurrentUser() const { return currentUser_; }

  std::optional<int32_t> ReadInteger(const std::string& name) const override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  void WriteInteger(const std::string& name, int32_t value) override;
  void WriteString(const std::string& name, const std::string& value) override;

 private:
  HKEY key_ = nullptr;
  bool currentUser_ = false;
};

// The application's standard exception message box.
void ShowError(HWND owner, const std::string& message);
// A confirmation-style box with the given buttons (MB_OK, MB_YESNO); returns the answer.
int Confirm(HWND owner, const std::string& text, UINT buttons);

// The colour dialog, preset with `colour` (a system colour is shown resolved);
// false when cancelled.
bool ChooseColour(HWND owner, builder::TColor& colour);

// The explicit colour of a colour value, system colours resolved by the system.
COLORREF Resolve(builder::TColor colour);

// Lets pending window messages run (Application.ProcessMessages); false once the
// application is closing (the quit message, which stays posted for the message loop).
bool ProcessMessages();

// Waits until `dueMs` milliseconds after `startTick` (a GetTickCount value) while
// pending messages keep running; false once the application is closing. A moment long
// past (the messages ran a dialog, or another animation) moves `startTick` on, so that
// what follows keeps its pace instead of rushing to catch up.
bool WaitWithMessages(DWORD& startTick, int64_t dueMs);

// The user's decimal separator.
std::string DecimalSeparator();

}  // namespace vardexwin
