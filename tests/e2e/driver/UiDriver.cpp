#include "UiDriver.h"

#include <commctrl.h>

#include <cstdio>

namespace e2e {
namespace {

constexpr int kPollMs = 50;
constexpr UINT kSendTimeoutMs = 5000;

LRESULT SendWithTimeout(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  return LRESULT(result);
}

struct EnumState {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<EnumState*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == s->pid && IsWindowVisible(w)) s->found.push_back(w);
  return TRUE;
}

struct ChildState {
  std::wstring className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<ChildState*>(lp);
  if (s->className.empty() || _wcsicmp(GetClass(w).c_str(), s->className.c_str()) == 0)
    s->found.push_back(w);
  return TRUE;
}

bool StartsWith(const std::wstring& s, const std::wstring& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  const WPARAM wp = MAKEWPARAM(GetDlgCtrlID(control), code);
  PostMessageW(parent, WM_COMMAND, wp, LPARAM(control));
}

bool IsComboBox(HWND w) {
  const std::wstring cls = GetClass(w);
  return _wcsicmp(cls.c_str(), L"ComboBox") == 0 || cls.find(L"Combo") != std::wstring::npos;
}

}  // namespace

std::wstring Widen(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

Process Launch(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir) {
  std::wstring cmd = L"\"" + exe + L"\"";
  if (!args.empty()) cmd += L" " + args;
  std::wstring dir = workDir;
  if (dir.empty()) {
    const size_t slash = exe.find_last_of(L"\\/");
    if (slash != std::wstring::npos) dir = exe.substr(0, slash);
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  Process p;
  if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    p.handle = pi.hProcess;
    p.id = pi.dwProcessId;
    WaitForInputIdle(pi.hProcess, 10000);
  }
  return p;
}

int WaitExit(Process& p, int timeoutMs) {
  if (!p.handle) return -1;
  if (WaitForSingleObject(p.handle, DWORD(timeoutMs)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(p.handle, &code);
  CloseHandle(p.handle);
  p.handle = nullptr;
  return int(code);
}

void Kill(Process& p) {
  if (!p.handle) return;
  TerminateProcess(p.handle, 1);
  WaitForSingleObject(p.handle, 5000);
  CloseHandle(p.handle);
  p.handle = nullptr;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
  EnumState s{pid, {}};
  EnumWindows(CollectTopLevel, LPARAM(&s));
  return s.found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& className, const std::wstring& captionPrefix,
                   int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
    for (HWND w : TopLevelWindows(pid)) {
      if (!className.empty() && GetClass(w) != className) continue;
      if (!captionPrefix.empty() && !StartsWith(GetText(w), captionPrefix)) continue;
      return w;
    }
    Sleep(kPollMs);
  }
  return nullptr;
}

std::vector<HWND> Children(HWND parent, const std::wstring& className) {
  ChildState s{className, {}};
  EnumChildWindows(parent, CollectChild, LPARAM(&s));
  return s.found;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text) {
  for (HWND w : Children(parent, className))
    if (GetText(w) == text) return w;
  return nullptr;
}

HWND FindChildById(HWND parent, int id) {
  for (HWND w : Children(parent))
    if (GetDlgCtrlID(w) == id) return w;
  return nullptr;
}

std::wstring GetText(HWND w) {
  const LRESULT n = SendWithTimeout(w, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(size_t(n) + 1, L'\0');
  const LRESULT got = SendWithTimeout(w, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()));
  text.resize(size_t(got));
  return text;
}

std::wstring GetClass(HWND w) {
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  return name;
}

void SetText(HWND w, const std::wstring& text) {
  SendWithTimeout(w, WM_SETTEXT, 0, LPARAM(text.c_str()));
  if (!IsComboBox(w)) NotifyParent(w, EN_CHANGE);
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

int TrackbarPos(HWND trackbar) { return int(SendWithTimeout(trackbar, TBM_GETPOS, 0, 0)); }

void MoveTrackbar(HWND trackbar, int pos) {
  SendWithTimeout(trackbar, TBM_SETPOS, TRUE, LPARAM(pos));
  const bool vertical = (GetWindowLongW(trackbar, GWL_STYLE) & TBS_VERT) != 0;
  const UINT message = vertical ? WM_VSCROLL : WM_HSCROLL;
  SendWithTimeout(GetParent(trackbar), message, MAKEWPARAM(TB_THUMBPOSITION, pos),
                  LPARAM(trackbar));
  SendWithTimeout(GetParent(trackbar), message, MAKEWPARAM(TB_ENDTRACK, 0), LPARAM(trackbar));
}

void SelectItem(HWND w, int index) {
  if (IsComboBox(w)) {
    SendWithTimeout(w, CB_SETCURSEL, WPARAM(index), 0);
    NotifyParent(w, CBN_SELCHANGE);
  } else {
    SendWithTimeout(w, LB_SETCURSEL, WPARAM(index), 0);
    NotifyParent(w, LBN_SELCHANGE);
  }
}

int SelectedItem(HWND w) {
  return int(SendWithTimeout(w, IsComboBox(w) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

std::wstring ItemText(HWND w, int index) {
  const bool combo = IsComboBox(w);
  const LRESULT n = SendWithTimeout(w, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, WPARAM(index), 0);
  if (n < 0) return {};
  std::wstring text(size_t(n) + 1, L'\0');
  SendWithTimeout(w, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(index), LPARAM(text.data()));
  text.resize(size_t(n));
  return text;
}

bool IsChecked(HWND button) { return SendWithTimeout(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SendCommand(HWND window, int commandId) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void PressKey(HWND window, UINT key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, LPARAM(0xC0000001));
}

void Close(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

void MovePointer(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  SetCursorPos(p.x, p.y);
}

MessageBoxInfo WaitForMessageBox(DWORD pid, int timeoutMs) {
  MessageBoxInfo box;
  box.window = WaitForWindow(pid, L"#32770", L"", timeoutMs);
  if (!box.window) return box;
  box.caption = GetText(box.window);
  // The message text is the static control with id 0xFFFF in a standard message box;
  // in other dialogs, the longest static text stands for it.
  if (HWND text = FindChildById(box.window, 0xFFFF)) box.text = GetText(text);
  if (box.text.empty())
    for (HWND s : Children(box.window, L"Static"))
      if (GetText(s).size() > box.text.size()) box.text = GetText(s);
  return box;
}

bool AnswerMessageBox(const MessageBoxInfo& box, int buttonId) {
  HWND button = FindChildById(box.window, buttonId);
  if (!button) return false;
  PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), LPARAM(button));
  return true;
}

bool AnswerMessageBox(const MessageBoxInfo& box, const std::wstring& caption) {
  HWND button = FindChild(box.window, L"Button", caption);
  if (!button) return false;
  return AnswerMessageBox(box, GetDlgCtrlID(button));
}

// Asks the probe in the window's process: a hook loads it there, the first query installs
// it on the window and the second is answered. -1 when the probe cannot be loaded.
static LRESULT AskProbe(HWND window, const wchar_t* queryName, WPARAM w) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  static HMODULE probe = LoadLibraryW((BuildDir() + L"\\tests-bin\\uidriver_probe.dll").c_str());
  auto hookProc = probe ? reinterpret_cast<HOOKPROC>(
                              reinterpret_cast<void*>(GetProcAddress(probe, "UiDriverHook")))
                        : nullptr;
  HHOOK hook = hookProc ? SetWindowsHookExW(WH_CALLWNDPROC, hookProc, probe, thread) : nullptr;
  if (!hook) return -1;
  const UINT query = RegisterWindowMessageW(queryName);
  SendWithTimeout(window, query, w, 0);  // installs the probe
  const LRESULT answer = SendWithTimeout(window, query, w, 0);
  UnhookWindowsHookEx(hook);
  return answer;
}

int MenuItemState(HWND window, UINT commandId) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  UINT state = UINT(-1);
  if (pid == GetCurrentProcessId()) {
    HMENU menu = GetMenu(window);
    if (menu) state = GetMenuState(menu, commandId, MF_BYCOMMAND);
  } else {
    // Another process's menu is read by the probe.
    const LRESULT answer = AskProbe(window, L"UiDriverMenuState", commandId);
    if (answer > 0) state = UINT(answer - 1);
  }
  return state == UINT(-1) ? -1 : int(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
}

SIZE TextExtent(HWND control) {
  const LRESULT answer = AskProbe(control, L"UiDriverTextExtent", 0);
  if (answer <= 0) return SIZE{-1, -1};
  return SIZE{LOWORD(answer), HIWORD(answer)};
}

// Above 96 dpi Wine shows the desktop scaled down to the X screen, and the screen's
// pixels are the scaled ones: a window's own pixels are then copied in its process.
static bool DesktopScaled() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi != 96;
}

// The pixels of `window` (its client area, or all of it when `whole`) as its process drew
// them, 32 bits a pixel, rows top-down; empty when they cannot be copied.
static std::vector<uint8_t> CopyFromProcess(HWND window, bool whole, int width, int height) {
  const size_t bytes = size_t(width) * size_t(height) * 4;
  HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      DWORD(bytes), L"UiDriverCapture");
  std::vector<uint8_t> copy;
  if (!section) return copy;
  if (AskProbe(window, L"UiDriverCapture", whole ? 1 : 0) == MAKELRESULT(width, height)) {
    if (const void* view = MapViewOfFile(section, FILE_MAP_READ, 0, 0, bytes)) {
      const auto* first = static_cast<const uint8_t*>(view);
      copy.assign(first, first + bytes);
      UnmapViewOfFile(view);
    }
  }
  CloseHandle(section);
  return copy;
}

// The pixels of a rectangle of the screen, or of the window that covers it where the
// desktop is scaled, as a device-independent bitmap of `bitCount` (24 or 32) bits a
// pixel, rows of 4-byte multiples, bottom-up as a BMP file stores them or top-down.
static std::vector<uint8_t> CopyScreen(HWND window, bool whole, const RECT& r, WORD bitCount,
                                       bool topDown, BITMAPINFOHEADER& header) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = topDown ? -h : h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = bitCount;
  header = bi.bmiHeader;
  const size_t stride = (size_t(w) * bitCount / 8 + 3) & ~size_t(3);
  if (window && DesktopScaled()) {
    const std::vector<uint8_t> drawn = CopyFromProcess(window, whole, w, h);
    if (drawn.empty()) return drawn;
    std::vector<uint8_t> copy(stride * size_t(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* from = &drawn[(size_t(y) * size_t(w) + size_t(x)) * 4];
        uint8_t* to = &copy[size_t(topDown ? y : h - 1 - y) * stride + size_t(x) * bitCount / 8];
        for (int c = 0; c < bitCount / 8; ++c) to[c] = c < 3 ? from[c] : 0;
      }
    return copy;
  }
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const uint8_t*>(bits);
  std::vector<uint8_t> copy(first, first + stride * size_t(h));
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return copy;
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window) GetWindowRect(window, &r);
  if (r.right <= r.left || r.bottom <= r.top) return false;
  BITMAPINFOHEADER header{};
  const std::vector<uint8_t> bits = CopyScreen(window, true, r, 24, false, header);
  if (bits.empty()) return false;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof header;
  fh.bfSize = DWORD(fh.bfOffBits + bits.size());
  bool ok = false;
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&header, sizeof header, 1, f) == 1 &&
         fwrite(bits.data(), 1, bits.size(), f) == bits.size();
    fclose(f);
  }
  return ok;
}

COLORREF ClientPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

ClientPicture CaptureClient(HWND window) {
  ClientPicture picture;
  RECT r;
  if (!GetClientRect(window, &r) || r.right <= 0 || r.bottom <= 0) return picture;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&r, origin.x, origin.y);
  BITMAPINFOHEADER header{};
  const std::vector<uint8_t> bgrx = CopyScreen(window, false, r, 32, true, header);
  if (bgrx.empty()) return picture;
  picture.width = r.right - r.left;
  picture.height = r.bottom - r.top;
  picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
  for (size_t i = 0; i < picture.pixels.size(); ++i)
    picture.pixels[i] = RGB(bgrx[i * 4 + 2], bgrx[i * 4 + 1], bgrx[i * 4]);
  return picture;
}

void Pause(int ms) { Sleep(DWORD(ms)); }

}  // namespace e2e

namespace e2e {

std::wstring BuildDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = path;
  for (int up = 0; up < 2; ++up) dir = dir.substr(0, dir.find_last_of(L"\\/"));
  return dir;
}

std::wstring ProgramPath(const std::wstring& exeName) { return BuildDir() + L"\\bin\\" + exeName; }

std::wstring ArtifactPath(const std::wstring& fileName) {
  const std::wstring dir = BuildDir() + L"\\artifacts";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir + L"\\" + fileName;
}

bool RunUnix(const std::string& command, int timeoutMs) {
  // The command goes through a script file, so that no quoting of the command line
  // stands between it and the shell; the script leaves a mark when it ends, since a
  // Unix process's handle under Wine does not tell.
  const std::string base = "/tmp/vardex-unix-" + std::to_string(GetCurrentProcessId());
  const std::string script = base + ".sh", done = base + ".done";
  DeleteFileA(("Z:" + done).c_str());
  FILE* f = std::fopen(("Z:" + script).c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "%s\ntouch %s\n", command.c_str(), done.c_str());
  std::fclose(f);
  std::string line = "Z:\\bin\\sh " + script;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int waited = 0; waited < timeoutMs; waited += kPollMs) {
    if (GetFileAttributesA(("Z:" + done).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(kPollMs);
  }
  return false;
}

std::string UnixPath(const std::wstring& path) {
  std::string unix = Narrow(path);
  if (unix.size() >= 2 && (unix[0] == 'Z' || unix[0] == 'z') && unix[1] == ':') unix.erase(0, 2);
  for (char& c : unix)
    if (c == '\\') c = '/';
  return unix;
}

}  // namespace e2e
