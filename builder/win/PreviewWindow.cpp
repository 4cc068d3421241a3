#include "builder/win/PreviewWindow.h"

#include <commctrl.h>

#include "builder/win/ControlIds.h"
#include "builder/win/WinServices.h"
#include "builder/win/controls/Controls.h"
#include "platform/win32/Wide.h"

namespace vardexwin {
namespace {

constexpr wchar_t kClassName[] = L"TPreviewForm";

}  // namespace

PreviewWindow::PreviewWindow(HINSTANCE instance, builder::TStyleTab& style)
    : instance_(instance), style_(style) {}

bool PreviewWindow::Create(HWND owner) {
  if (!platform::RegisterWindowClass(instance_, kClassName,
                                     platform::ObjectWindowProc<PreviewWindow>,
                                     LoadIconW(nullptr, IDI_APPLICATION), nullptr) ||
      !builder::RegisterDbmeterClass(instance_))
    return false;
  window_ = platform::CreateObjectWindow(instance_, kClassName, L"Vardex",
                                         builder::kPlayerWindowStyle, builder::kPlayerClientWidth,
                                         builder::kPlayerClientHeight, owner, this);
  if (!window_) return false;
  controls_.Create(window_, instance_, IDC_PV_POSITION, WS_CLIPSIBLINGS, false);
  // The controls clip their siblings, so the group lies beneath the controls drawn over it.
  SetWindowPos(controls_[builder::kVolumeGroup], HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int i = 0; i < 2; ++i) {
    builder::Tdbmeter& m = i == 0 ? style_.Meter1() : style_.Meter2();
    controls_.AttachMeter(i, &m);
    // Setters repaint at once, so that the test animation is seen step by step.
    m.OnInvalidate = [this, i] { controls_.RepaintMeter(i); };
  }
  Refresh();
  return true;
}

void PreviewWindow::Show(bool topMost) {
  SetWindowPos(window_, topMost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void PreviewWindow::Refresh() {
  if (!window_) return;
  const builder::PreviewState& p = style_.Preview();
  const std::wstring caption = platform::Widen(p.caption);
  if (WindowText(window_) != caption) SetWindowTextW(window_, caption.c_str());
  controls_.SetChecked(builder::kLoopedBox, p.loopedCB);
  controls_.SetChecked(builder::kLockBox, p.lockbox);
  controls_.ShowPriority(p.priorityVisible);
  controls_.SetVolumes(p.leftSlider, p.rightSlider);
  controls_.SetBackground(p.panelColor);
}

LRESULT PreviewWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  if (controls_.HandlePaintMessage(message, w, l, result)) return result;
  switch (message) {
    case WM_COMMAND:
    case WM_VSCROLL:
    case WM_HSCROLL:
      // The preview's own controls cannot be changed from inside.
      Refresh();
      return 0;
    case WM_CLOSE:
      ShowWindow(window_, SW_HIDE);
      return 0;
  }
  return DefWindowProcW(window_, message, w, l);
}

}  // namespace vardexwin
