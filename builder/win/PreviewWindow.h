// TPreviewForm "Vardex": a copy of the player window's layout that shows the style
// at once. Its two level meters are the style tab's meters; its check boxes and
// sliders only mirror the main window and snap back when touched.
#pragma once
#include <windows.h>

#include "builder/core/StyleTab.h"
#include "builder/win/controls/PlayerControls.h"
#include "platform/win32/ObjectWindow.h"

namespace vardexwin {

class PreviewWindow {
 public:
  PreviewWindow(HINSTANCE instance, builder::TStyleTab& style);

  bool Create(HWND owner);
  HWND Handle() const { return window_; }
  // Shows the window; on top of all windows when asked.
  void Show(bool topMost);
  // Shows the style tab's current state.
  void Refresh();

 private:
  friend LRESULT CALLBACK platform::ObjectWindowProc<PreviewWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);

  HINSTANCE instance_;
  builder::TStyleTab& style_;
  HWND window_ = nullptr;
  builder::PlayerControls controls_;
};

}  // namespace vardexwin
