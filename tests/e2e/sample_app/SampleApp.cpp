// A small window program with one control of each kind, on which the UI driver
// itself is tested: an edit, a button that asks a question, a list, a combo box,
// a menu with grey and checked items, a painted red square, and it takes dropped files.
#include <windows.h>

#include <string>

#include "platform/win32/FileDrop.h"

namespace {

enum : int {
  kEdit = 101,
  kGreet = 102,
  kResult = 103,
  kList = 104,
  kCombo = 105,
  kMenuEnabled = 201,
  kMenuGrayed = 202,
  kMenuChecked = 203,
};

HWND Control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
             int h, int id) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         HMENU(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
}

std::wstring TextOf(HWND w) {
  wchar_t buf[256] = {};
  GetWindowTextW(w, buf, 256);
  return buf;
}

void Create(HWND w) {
  Control(w, L"Edit", L"", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 150, 22, kEdit);
  Control(w, L"Button", L"&Greet", BS_PUSHBUTTON, 170, 10, 80, 22, kGreet);
  Control(w, L"Static", L"", 0, 10, 40, 240, 20, kResult);
  HWND list = Control(w, L"ListBox", L"", WS_BORDER | LBS_NOTIFY, 10, 70, 120, 60, kList);
  for (const wchar_t* s : {L"Idle", L"Normal", L"Highest"})
    SendMessageW(list, LB_ADDSTRING, 0, LPARAM(s));
  HWND combo = Control(w, L"ComboBox", L"", CBS_DROPDOWNLIST, 140, 70, 110, 100, kCombo);
  for (const wchar_t* s : {L"720 Kb", L"1,44 Mb"}) SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(s));

  HMENU bar = CreateMenu(), file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kMenuEnabled, L"&Enabled");
  AppendMenuW(file, MF_STRING | MF_GRAYED, kMenuGrayed, L"&Grayed");
  AppendMenuW(file, MF_STRING | MF_CHECKED, kMenuChecked, L"&Checked");
  AppendMenuW(bar, MF_POPUP, UINT_PTR(file), L"&File");
  SetMenu(w, bar);
}

void Command(HWND w, int id, int code) {
  HWND result = GetDlgItem(w, kResult);
  if (id == kGreet) {
    const std::wstring q = L"Hello " + TextOf(GetDlgItem(w, kEdit)) + L" ?";
    const int answer = MessageBoxW(w, q.c_str(), L"Sample", MB_YESNO | MB_ICONQUESTION);
    SetWindowTextW(result, answer == IDYES ? L"yes" : L"no");
  } else if (id == kList && code == LBN_SELCHANGE) {
    HWND list = GetDlgItem(w, kList);
    wchar_t item[64] = {};
    SendMessageW(list, LB_GETTEXT, SendMessageW(list, LB_GETCURSEL, 0, 0), LPARAM(item));
    SetWindowTextW(result, (std::wstring(L"picked ") + item).c_str());
  } else if (id == kEdit && code == EN_CHANGE) {
    SetWindowTextW(result, (L"typed " + TextOf(GetDlgItem(w, kEdit))).c_str());
  } else if (id == kMenuEnabled) {
    SetWindowTextW(result, L"menu");
  }
}

constexpr UINT kDropped = WM_APP + 1;
platform::FileDrop drop;

// Shows the number of dropped files and the first one's name.
void Dropped(HWND w) {
  const std::vector<std::wstring> files = drop.Take();
  if (files.empty()) return;
  SetWindowTextW(GetDlgItem(w, kResult),
                 (L"dropped " + std::to_wstring(files.size()) + L" " + files[0]).c_str());
}

void Paint(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  RECT square{260, 70, 300, 110};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &square, red);
  DeleteObject(red);
  EndPaint(w, &ps);
}

LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      Create(w);
      return 0;
    case WM_COMMAND:
      Command(w, LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_PAINT:
      Paint(w);
      return 0;
    case kDropped:
      Dropped(w);
      return 0;
    case WM_DESTROY:
      drop.Revoke();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
  // "/load NAME": loads a library the way an unguarded program would (the planted-library
  // tests use it to show that their markers would be found).
  if (wcsncmp(commandLine, L"/load ", 6) == 0) return LoadLibraryW(commandLine + 6) ? 0 : 1;
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"E2ESample";
  RegisterClassW(&wc);
  HWND w = CreateWindowW(L"E2ESample", L"E2E Sample", WS_OVERLAPPEDWINDOW, 50, 50, 330, 200,
                         nullptr, nullptr, instance, nullptr);
  drop.Register(w, kDropped, [] { return true; });
  ShowWindow(w, show);
  UpdateWindow(w);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return int(m.wParam);
}
