#include "builder/win/controls/Controls.h"

#include "platform/win32/Dpi.h"

namespace builder {
namespace {

constexpr wchar_t kDbmeterClass[] = L"Tdbmeter";

void PaintImage(HDC dc, const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0) return;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = image.width;
  bmi.bmiHeader.biHeight = -image.height;  // top-down rows
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, 0, 0, DWORD(image.width), DWORD(image.height), 0, 0, 0, UINT(image.height),
                    image.pixels.data(), &bmi, DIB_RGB_COLORS);
}

Tdbmeter* AttachedMeter(HWND control) {
  return reinterpret_cast<Tdbmeter*>(GetWindowLongPtrW(control, GWLP_USERDATA));
}

LRESULT CALLBACK DbmeterProc(HWND control, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    if (Tdbmeter* meter = AttachedMeter(control)) PaintImage(dc, meter->Paint());
    EndPaint(control, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // the image covers the whole control
  return DefWindowProcW(control, message, w, l);
}

}  // namespace

bool RegisterDbmeterClass(HINSTANCE instance) {
  WNDCLASSEXW meter{};
  meter.cbSize = sizeof meter;
  meter.lpfnWndProc = DbmeterProc;
  meter.hInstance = instance;
  meter.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  meter.lpszClassName = kDbmeterClass;
  return RegisterClassExW(&meter) != 0;
}

void AttachDbmeter(HWND control, Tdbmeter* meter) {
  if (meter) meter->SetDpi(platform::SystemDpi());
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(meter));
  InvalidateRect(control, nullptr, FALSE);
}

void PaintDbmeter(HWND control) {
  Tdbmeter* meter = control ? AttachedMeter(control) : nullptr;
  if (!meter) return;
  HDC dc = GetDC(control);
  PaintImage(dc, meter->Paint());
  ReleaseDC(control, dc);
}

void DrawGlyphButton(const DRAWITEMSTRUCT& item, TPlaybackGlyph glyph) {
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  RECT r = item.rcItem;
  DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  // The glyphs are drawn in design pixels (96 dpi) around the centre.
  const auto s = [](int design) { return platform::Scale(design); };
  const int cx = (r.left + r.right) / 2 + (pushed ? s(1) : 0);
  const int cy = (r.top + r.bottom) / 2 + (pushed ? s(1) : 0);
  HGDIOBJ oldBrush =
      SelectObject(item.hDC, GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  HGDIOBJ oldPen = SelectObject(item.hDC, GetStockObject(NULL_PEN));
  // A triangle, two bars and a square.
  if (glyph == TPlaybackGlyph::Play) {
    const POINT p[3] = {{cx - s(3), cy - s(5)}, {cx + s(4), cy}, {cx - s(3), cy + s(5)}};
    Polygon(item.hDC, p, 3);
  } else if (glyph == TPlaybackGlyph::Pause) {
    Rectangle(item.hDC, cx - s(4), cy - s(5), cx - s(1), cy + s(6));
    Rectangle(item.hDC, cx + s(1), cy - s(5), cx + s(4), cy + s(6));
  } else {
    Rectangle(item.hDC, cx - s(4), cy - s(4), cx + s(5), cy + s(5));
  }
  SelectObject(item.hDC, oldPen);
  SelectObject(item.hDC, oldBrush);
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&r, -s(3), -s(3));
    DrawFocusRect(item.hDC, &r);
  }
}

}  // namespace builder
