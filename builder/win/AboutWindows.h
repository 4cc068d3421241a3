// The information window ("&About": "Vardex v1.5") and, from it, the author window,
// whose picture gives way to a scrolling credits banner when double-clicked.
#pragma once
#include <windows.h>

namespace vardexwin {

// Registers the author picture's window class; call once at start-up.
bool RegisterAboutClasses(HINSTANCE instance);
// Shows the information window, modal to `owner`.
void ShowInformation(HINSTANCE instance, HWND owner);

}  // namespace vardexwin
