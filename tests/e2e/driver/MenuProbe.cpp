// Loaded into a program under test by the UI driver's window hook, so that the
// driver can read that program's menu states and measure its controls' texts: menus
// and fonts belong to their process, and Wine does not let another process use them.
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

// Answers the query with GetMenuState + 1 (0: no menu or no such item).
LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == QueryMessage()) {
    HMENU menu = GetMenu(w);
    const UINT state = menu ? GetMenuState(menu, UINT(wp), MF_BYCOMMAND) : UINT(-1);
    return state == UINT(-1) ? 0 : LRESULT(state) + 1;
  }
  if (msg == ExtentMessage()) return TextExtent(w);
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
    if (call->message == QueryMessage() || call->message == ExtentMessage())
      InstallProbe(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
