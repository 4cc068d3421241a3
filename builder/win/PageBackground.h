// The background of a tab set's page for the controls that lie on it. Labels, check
// boxes, radio buttons, group boxes and sliders take their background from their
// parent's WM_CTLCOLOR* answer; a page that the tab control paints in another colour
// than the window (white under a visual style) would show them as grey boxes. This
// hands them a brush of the page's own picture, aligned to where each control lies.
#pragma once
#include <windows.h>

namespace vardexwin {

class PageBackground {
 public:
  PageBackground() = default;
  ~PageBackground();
  PageBackground(const PageBackground&) = delete;
  PageBackground& operator=(const PageBackground&) = delete;

  void SetTabs(HWND tabs) { tabs_ = tabs; }
  // The page's picture is taken again when it is next needed (colours or theme changed).
  void Forget();
  // Prepares `dc` for a control on the page (transparent text background, the brush's
  // origin at the control's place) and returns the brush; a group box, which leaves its
  // inside to its parent, gets its inside filled.
  HBRUSH Prepare(HWND control, HDC dc);
  // Paints the page where it lies in `parent`'s client area, on a DC of that area: themed
  // controls (group boxes under visual styles) ask their parent to print its background.
  void PaintOn(HWND parent, HDC dc);

 private:
  void Capture();

  HWND tabs_ = nullptr;
  HBITMAP picture_ = nullptr;
  HBRUSH brush_ = nullptr;
};

}  // namespace vardexwin
