// Loaded into a program under test by the UI driver's window hook, so that the
// driver can read that program's menu states: menus belong to their process, and
// Wine does not let another process read them.
#include <windows.h>

namespace {

const wchar_t kOldProc[] = L"UiDriverOldProc";

UINT QueryMessage() {
  static const UINT message = RegisterWindowMessageW(L"UiDriverMenuState");
  return message;
}

// Answers the query with GetMenuState + 1 (0: no menu or no such item).
LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == QueryMessage()) {
    HMENU menu = GetMenu(w);
    const UINT state = menu ? GetMenuState(menu, UINT(wp), MF_BYCOMMAND) : UINT(-1);
    return state == UINT(-1) ? 0 : LRESULT(state) + 1;
  }
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
    if (call->message == QueryMessage()) InstallProbe(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
