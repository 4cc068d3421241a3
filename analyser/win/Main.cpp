// Tessel.exe: registers the "Sonaris" window class, creates the main window, restores the
// settings from "tessel.ini" beside the program and acts on a wave file named on the command
// line or dropped on the window (analysed with startMode 0, scanned with startMode 1).
#include <windows.h>

#include <string>

#include "analyser/win/App.h"
#include "platform/win32/SystemLibraries.h"
#include "platform/win32/Wide.h"
#include "resources/analyser/resource.h"

namespace tessel_win {

App g;

namespace {

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// The command line is one file name, possibly quoted.
std::wstring FileArgument(const wchar_t* commandLine) {
  std::wstring s = commandLine ? commandLine : L"";
  while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.pop_back();
  while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.erase(0, 1);
  if (s.size() >= 2 && s.front() == L'"' && s.back() == L'"') s = s.substr(1, s.size() - 2);
  return s;
}

}  // namespace

std::string SettingsPath() { return platform::Narrow(g.exeFolder + L"tessel.ini"); }

void OpenFileArgument(const std::wstring& file) {
  wchar_t full[MAX_PATH];
  wchar_t* name = nullptr;
  if (GetFullPathNameW(file.c_str(), MAX_PATH, full, &name) && name) {
    g.wavePath = full;
    g.fileTitle = name;
    SetCurrentDirectoryW(std::wstring(full, name - full).c_str());
  } else {
    g.wavePath = file;
  }
  const UINT command = g.s.startMode == 1 ? tessel::kCmdScanFile : tessel::kCmdAnalyzeFile;
  PostMessageW(g.window, WM_COMMAND, command, 1);
}

void OnFilesDropped() {
  // The first file of a drop, as one given on the command line.
  const std::vector<std::wstring> files = g.drop.Take();
  if (!files.empty() && g.fKeys) OpenFileArgument(files.front());
}

int Run(HINSTANCE instance, const wchar_t* commandLine, int show) {
  g.instance = instance;
  g.exeFolder = ExeFolder();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TESSEL));
  wc.hIconSm = wc.hIcon;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = L"Sonaris";
  if (!RegisterClassExW(&wc)) return 0;

  // The panel is drawn around the push buttons, never over them.
  HWND w = CreateWindowW(L"Sonaris", L"Sonaris", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                         nullptr, instance, nullptr);
  if (!w) return 0;
  ShowWindow(w, show);
  UpdateWindow(w);

  tessel::LoadSettingsFile(SettingsPath(), g.s);
  SetVariablesMode(g.s.variablesMode);
  SetPointerStyle(g.s.pointerStyle);
  ApplyPalette();

  const std::wstring file = FileArgument(commandLine);
  if (!file.empty()) OpenFileArgument(file);
  // Drops are taken when the F-keys would be: nothing runs (and no dialog is up).
  g.drop.Register(w, kFilesDropped, [] { return g.fKeys && IsWindowEnabled(g.window); });

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (g.colorsDialog && IsDialogMessageW(g.colorsDialog, &msg)) continue;
    if (g.pointsDialog && IsDialogMessageW(g.pointsDialog, &msg)) continue;
    if (g.spectrumDialog && IsDialogMessageW(g.spectrumDialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace tessel_win

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
  platform::RestrictLibrarySearch();
  return tessel_win::Run(instance, commandLine, show);
}
