// Windows whose messages a C++ object handles, the classic "scratch program" set-up
// written once. The object goes to CreateWindowEx as the creation parameter and is kept
// in the window's user data from WM_NCCREATE on; the few messages before that go to
// DefWindowProc. A class T of such objects has a member `HWND window_`, which holds the
// window from WM_NCCREATE on (so that WM_CREATE can already build the controls), and
// `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`, and befriends ObjectWindowProc<T>.
// (No base class: a second base of the player's window would bring the run-time type
// information of multiple inheritance into the player.)
#pragma once
#include <windows.h>

namespace platform {

// The object of a window: the creation parameter at WM_NCCREATE, which is kept in the
// window's user data; that data afterwards (null before WM_NCCREATE).
void* WindowObject(HWND window, UINT message, LPARAM l);

template <typename T>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  T* self = static_cast<T*>(WindowObject(window, message, l));
  if (!self) return DefWindowProcW(window, message, w, l);
  if (message == WM_NCCREATE) self->window_ = window;
  return self->HandleMessage(message, w, l);
}

// Registers a window class with the arrow cursor. A null `background` leaves the
// painting to the window.
bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure,
                         HICON icon, HBRUSH background);
// Creates a window of a class whose procedure is ObjectWindowProc, with `object` behind
// it and a client area of width x height pixels of the 96-dpi design, scaled to the
// display.
HWND CreateObjectWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title,
                        DWORD style, int width, int height, HWND owner, void* object);

}  // namespace platform
