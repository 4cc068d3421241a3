#include "builder/win/PageBackground.h"

namespace vardexwin {
namespace {

bool IsGroupBox(HWND control) {
  wchar_t cls[16] = {};
  GetClassNameW(control, cls, 16);
  return lstrcmpiW(cls, L"BUTTON") == 0 &&
         (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

}  // namespace

PageBackground::~PageBackground() { Forget(); }

void PageBackground::Forget() {
  if (brush_) DeleteObject(brush_);
  if (picture_) DeleteObject(picture_);
  brush_ = nullptr;
  picture_ = nullptr;
}

void PageBackground::Capture() {
  RECT r;
  GetClientRect(tabs_, &r);
  if (r.right <= 0 || r.bottom <= 0) return;
  HDC screen = GetDC(tabs_);
  HDC dc = CreateCompatibleDC(screen);
  picture_ = CreateCompatibleBitmap(screen, r.right, r.bottom);
  ReleaseDC(tabs_, screen);
  HGDIOBJ old = SelectObject(dc, picture_);
  // What the tab control leaves unpainted is the window's own face.
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  SendMessageW(tabs_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  SelectObject(dc, old);
  DeleteDC(dc);
  brush_ = CreatePatternBrush(picture_);
}

HBRUSH PageBackground::Prepare(HWND control, HDC dc) {
  if (!brush_) Capture();
  if (!brush_) return nullptr;
  // The picture's origin is the tab control's; the control's DC has its own.
  POINT tabs{0, 0}, at{0, 0};
  MapWindowPoints(tabs_, nullptr, &tabs, 1);
  MapWindowPoints(control, nullptr, &at, 1);
  SetBrushOrgEx(dc, tabs.x - at.x, tabs.y - at.y, nullptr);
  SetBkMode(dc, TRANSPARENT);
  if (IsGroupBox(control)) {
    RECT r;
    GetClientRect(control, &r);
    FillRect(dc, &r, brush_);
  }
  return brush_;
}

void PageBackground::PaintOn(HWND parent, HDC dc) {
  if (!picture_) Capture();
  if (!picture_) return;
  RECT r;
  GetClientRect(tabs_, &r);
  MapWindowPoints(tabs_, parent, reinterpret_cast<POINT*>(&r), 2);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, picture_);
  BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace vardexwin
