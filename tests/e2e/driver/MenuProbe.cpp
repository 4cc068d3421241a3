// Loaded into a program under test by the UI driver's window hook, so that the
// driver can read that program's menu states, measure its controls' texts and copy its
// windows' pixels: menus, fonts and (on a scaled desktop) the pixels a window drew
// belong to its process, and Wine does not let another process use them.
#include <windows.h>

namespace {

const wchar_t kOldProc[] = L"UiDriverOldProc";

UINT QueryMessage() {
  static const UINT message = RegisterWindowMessageW(L"UiDriverMenuState");
  return message;
}
UINT ExtentMessage() {
  static const UINT message = RegisterWindowMessageW(L"UiDriverTextExtent");
  return message;
}

// The size of the window's text on one line in the window's own font, with '&' marking
// the mnemonic as the controls draw it: width in the low word, height in the high one.
LRESULT TextExtent(HWND w) {
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  HDC dc = GetDC(w);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  return MAKELRESULT(r.right - r.left, r.bottom - r.top);
}

UINT CaptureMessage() {
  static const UINT message = RegisterWindowMessageW(L"UiDriverCapture");
  return message;
}

// Copies the window's client area (wp 0) or whole window (wp 1) as it drew it into the
// driver's shared section "UiDriverCapture": 32-bit pixels, rows top-down. Answers the
// size copied (width low, height high), or 0.
LRESULT Capture(HWND w, bool whole) {
  RECT r{};
  if (whole) {
    GetWindowRect(w, &r);
    OffsetRect(&r, -r.left, -r.top);
  } else {
    GetClientRect(w, &r);
  }
  const int width = r.right, height = r.bottom;
  if (width <= 0 || height <= 0) return 0;
  HANDLE section = OpenFileMappingW(FILE_MAP_WRITE, FALSE, L"UiDriverCapture");
  if (!section) return 0;
  const size_t bytes = size_t(width) * size_t(height) * 4;
  void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, bytes);
  LRESULT answer = 0;
  if (view) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HDC source = whole ? GetWindowDC(w) : GetDC(w);
    HDC mem = CreateCompatibleDC(source);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib) {
      HGDIOBJ old = SelectObject(mem, dib);
      BitBlt(mem, 0, 0, width, height, source, 0, 0, SRCCOPY);
      GdiFlush();
      CopyMemory(view, bits, bytes);
      SelectObject(mem, old);
      DeleteObject(dib);
      answer = MAKELRESULT(width, height);
    }
    DeleteDC(mem);
    ReleaseDC(w, source);
    UnmapViewOfFile(view);
  }
  CloseHandle(section);
  return answer;
}

// Answers the query with GetMenuState + 1 (0: no menu or no such item).
LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == QueryMessage()) {
    HMENU menu = GetMenu(w);
    const UINT state = menu ? GetMenuState(menu, UINT(wp), MF_BYCOMMAND) : UINT(-1);
    return state == UINT(-1) ? 0 : LRESULT(state) + 1;
  }
  if (msg == ExtentMessage()) return TextExtent(w);
  if (msg == CaptureMessage()) return Capture(w, wp != 0);
  return CallWindowProcW(WNDPROC(GetPropW(w, kOldProc)), w, msg, wp, lp);
}

void InstallProbe(HWND w) {
  if (GetPropW(w, kOldProc)) return;
  // The probe must outlive the hook that loaded it: the window keeps calling it.
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&ProbeProc), &self);
  const LONG_PTR old = SetWindowLongPtrW(w, GWLP_WNDPROC, LONG_PTR(&ProbeProc));
  SetPropW(w, kOldProc, HANDLE(old));
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK UiDriverHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (call->message == QueryMessage() || call->message == ExtentMessage() ||
        call->message == CaptureMessage())
      InstallProbe(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
