#include "builder/win/AboutWindows.h"

#include "platform/win32/Dpi.h"
#include "resources/builder/resource.h"

namespace vardexwin {
namespace {

constexpr wchar_t kPictureClass[] = L"VardexAuthorPicture";
constexpr UINT_PTR kScrollTimer = 1;
const wchar_t* const kCredits[] = {L"Vardex v1.5",          L"",
                                   L"written by Quendt",    L"",
                                   L"Player: Tunlet",       L"Decoder: kelvaro.dll",
                                   L"Archive: zlib blocks", L"",
                                   L"Thanks for listening!"};

// Per picture window: 0 shows the picture, otherwise the banner's scroll offset + 1.
LONG_PTR& Offset(HWND w) { return *reinterpret_cast<LONG_PTR*>(GetWindowLongPtrW(w, 0)); }

void PaintPicture(HDC dc, const RECT& r) {
  // A small sunset: bands from deep blue to orange, and a sun.
  const int h = r.bottom - r.top;
  for (int y = 0; y < h; ++y) {
    const int t = y * 255 / (h > 1 ? h - 1 : 1);
    HBRUSH b = CreateSolidBrush(RGB(40 + t * 3 / 4, 40 + t / 3, 120 - t * 2 / 5));
    RECT line{r.left, r.top + y, r.right, r.top + y + 1};
    FillRect(dc, &line, b);
    DeleteObject(b);
  }
  HBRUSH sun = CreateSolidBrush(RGB(255, 220, 90));
  HGDIOBJ old = SelectObject(dc, sun);
  const int cx = (r.left + r.right) / 2, cy = r.top + h * 2 / 3;
  const int radius = platform::Scale(22);
  Ellipse(dc, cx - radius, cy - radius, cx + radius, cy + radius);
  SelectObject(dc, old);
  DeleteObject(sun);
}

void PaintBanner(HDC dc, const RECT& r, LONG_PTR offset) {
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(120, 255, 120));
  HGDIOBJ oldFont = SelectObject(dc, platform::DialogFont());
  const int lineHeight = platform::Scale(16);
  const int total = int(sizeof kCredits / sizeof kCredits[0]) * lineHeight;
  const int height = r.bottom - r.top;
  const int top = height - int(offset % (total + height));
  for (size_t i = 0; i < sizeof kCredits / sizeof kCredits[0]; ++i) {
    RECT line{r.left, top + int(i) * lineHeight, r.right, top + int(i + 1) * lineHeight};
    DrawTextW(dc, kCredits[i], -1, &line, DT_CENTER | DT_SINGLELINE);
  }
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK PictureProc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(new LONG_PTR(0)));
      return 0;
    case WM_DESTROY:
      KillTimer(w, kScrollTimer);
      delete reinterpret_cast<LONG_PTR*>(GetWindowLongPtrW(w, 0));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (Offset(w) == 0) {
        Offset(w) = 1;
        SetTimer(w, kScrollTimer, 40, nullptr);
      }
      return 0;
    case WM_TIMER:
      ++Offset(w);
      InvalidateRect(w, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      RECT r;
      GetClientRect(w, &r);
      if (Offset(w) == 0)
        PaintPicture(dc, r);
      else
        PaintBanner(dc, r, Offset(w) - 1);
      EndPaint(w, &ps);
      return 0;
    }
  }
  return DefWindowProcW(w, message, wp, lp);
}

INT_PTR CALLBACK AuthorProc(HWND dialog, UINT message, WPARAM w, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(w));
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM w, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(w) == IDC_INFO_AUTHOR) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_AUTHOR), dialog, AuthorProc, 0);
    return TRUE;
  }
  if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) {
    EndDialog(dialog, LOWORD(w));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

bool RegisterAboutClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = PictureProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPictureClass;
  return RegisterClassExW(&wc) != 0;
}

void ShowInformation(HINSTANCE instance, HWND owner) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INFO), owner, InfoProc, 0);
}

}  // namespace vardexwin
