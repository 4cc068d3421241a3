#include "platform/win32/ObjectWindow.h"

#include "platform/win32/Dpi.h"

namespace platform {

void* WindowObject(HWND window, UINT message, LPARAM l) {
  if (message != WM_NCCREATE)
    return reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  void* object = reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
  return object;
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure,
                         HICON icon, HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateObjectWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title,
                        DWORD style, int width, int height, HWND owner, void* object) {
  RECT r = Scale(RECT{0, 0, width, height});
  AdjustWindowRectEx(&r, style, FALSE, 0);
  return CreateWindowExW(0, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                         r.bottom - r.top, owner, nullptr, instance, object);
}

}  // namespace platform
