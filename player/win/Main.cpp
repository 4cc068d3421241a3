// Tunlet: the player at the front of every self-playing file.
#include <windows.h>

#include "platform/win32/SystemLibraries.h"
#include "player/win/MainWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  platform::RestrictLibrarySearch();
  tunlet::MainWindow window;
  return window.Run(instance, show);
}
