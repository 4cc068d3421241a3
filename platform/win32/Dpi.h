// The programs are laid out in pixels of a 96-dpi display (100 %) and declared
// DPI-aware in their manifests: every length of that design is scaled to the
// resolution of the display, and the dialog font is made for it.
#pragma once
#include <windows.h>

namespace platform {

// The display's resolution in dots per inch (96 at 100 %, 144 at 150 %, 192 at 200 %).
int SystemDpi();
// A length of the 96-dpi design in pixels of the display, rounded to the nearest.
int Scale(int designPixels);
RECT Scale(const RECT& design);
// The font of the programs' controls, "MS Shell Dlg" at 8 points, for the display; a
// stock object that the caller does not delete.
HFONT DialogFont();

}  // namespace platform
