// Tunlet: the player at the front of every self-playing file.
#include <windows.h>

#include "player/win/MainWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  tunlet::MainWindow window;
  return window.Run(instance, show);
}
