#include "platform/win32/Dpi.h"

namespace platform {

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return d > 0 ? d : 96;
  }();
  return dpi;
}

int Scale(int designPixels) { return MulDiv(designPixels, SystemDpi(), 96); }

RECT Scale(const RECT& design) {
  return RECT{Scale(design.left), Scale(design.top), Scale(design.right), Scale(design.bottom)};
}

HFONT DialogFont() {
  // Made once and kept for the life of the process, like the stock font it replaces,
  // which keeps its 96-dpi size.
  static const HFONT font = [] {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, SystemDpi(), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(lf.lfFaceName, L"MS Shell Dlg");
    HFONT f = CreateFontIndirectW(&lf);
    return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

}  // namespace platform
