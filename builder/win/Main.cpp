// Vardex.exe: the builder's window, or, with "/build SONG.mp3 TARGET.exe [/split KB]",
// a build with the stored style and no window (exit code 0 on success, otherwise the
// message on standard error).
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "builder/core/BatchBuild.h"
#include "builder/win/AboutWindows.h"
#include "builder/win/MainWindow.h"
#include "builder/win/PreviewWindow.h"
#include "builder/win/WinServices.h"
#include "platform/System.h"
#include "platform/win32/SystemLibraries.h"
#include "platform/win32/Wide.h"

namespace {

std::vector<std::string> Arguments() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(platform::Narrow(argv[i]));
  if (argv) LocalFree(argv);
  return args;
}

void WriteError(const std::string& message) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) {
    // A window program started from a console has no standard error of its own.
    if (AttachConsole(ATTACH_PARENT_PROCESS))
      err = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                        nullptr);
  }
  const std::string line = "Vardex: " + message + "\n";
  DWORD written = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE)
    WriteFile(err, line.data(), DWORD(line.size()), &written, nullptr);
}

int BatchBuild(std::vector<std::string> args) {
  args.erase(args.begin());  // "/build"
  builder::BatchRequest request;
  if (const auto error = builder::ParseBatchArguments(args, "/", request)) {
    WriteError(*error + "\nusage: Vardex.exe /build SONG.mp3 TARGET.exe [/split KB]");
    return 2;
  }
  builder::TStyleTab style;
  vardexwin::RegistryStore store;
  style.RestoreFrom(store);
  request.record = style.Record();
  request.tempFolder = platform::TempFolder();
  vardexwin::ExeResources resources;
  const std::string error = builder::RunBatchBuild(request, resources);
  if (error.empty()) return 0;
  WriteError(error);
  return 1;
}

int RunWindows(HINSTANCE instance, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  vardexwin::RegisterAboutClasses(instance);
  builder::TStyleTab style;
  vardexwin::RegistryStore store;
  vardexwin::PreviewWindow preview(instance, style);
  vardexwin::MainWindow main(instance, style, store, preview);
  if (!main.Create() || !preview.Create(main.Handle())) return 1;
  // The preview window is created last and restores the style.
  style.RestoreFrom(store);
  main.StyleChanged();
  main.Show(show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(main.Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  platform::RestrictLibrarySearch();
  const std::vector<std::string> args = Arguments();
  if (!args.empty() && lstrcmpiW(platform::Widen(args[0]).c_str(), L"/build") == 0)
    return BatchBuild(args);
  return RunWindows(instance, show);
}
