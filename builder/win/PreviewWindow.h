// TPreviewForm "Vardex": a copy of the player window's layout that shows the style
// at once. Its two level meters are the style tab's meters; its check boxes and
// sliders only mirror the main window and snap back when touched.
#pragma once
#include <windows.h>

#include "builder/core/StyleTab.h"

namespace vardexwin {

class PreviewWindow {
 public:
  PreviewWindow(HINSTANCE instance, builder::TStyleTab& style);
  ~PreviewWindow();
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  bool Create(HWND owner);
  HWND Handle() const { return window_; }
  // Shows the window; on top of all windows when asked.
  void Show(bool topMost);
  // Shows the style tab's current state.
  void Refresh();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND Control(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
               int id);
  void CreateControls();
  void OnDrawButton(const DRAWITEMSTRUCT& item);

  HINSTANCE instance_;
  builder::TStyleTab& style_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH background_ = nullptr;
  builder::TColor backgroundColour_ = 0xFFFFFFFF;
  HWND meters_[2] = {};
  HWND loopedCB_ = nullptr, label12_ = nullptr, priorityCombo_ = nullptr, lockbox_ = nullptr;
  HWND leftSlider_ = nullptr, rightSlider_ = nullptr;
};

}  // namespace vardexwin
