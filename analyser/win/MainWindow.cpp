// The main window: its procedure cracks messages into handlers that delegate at once to the
// commands, the display and the real-time work; layout, menu states and buttons live here.
#include <windows.h>

#include <algorithm>

#include "analyser/core/Readouts.h"
#include "analyser/core/View.h"
#include "analyser/win/App.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Wide.h"
#include "resources/analyser/resource.h"

namespace tessel_win {

using namespace tessel;

namespace {

const wchar_t* const kButtonTexts[4] = {L"Play", L"Play Wdw", L"Stop", L"Toggle Grid"};
const int kButtonIds[4] = {IDC_PLAY, IDC_PLAYWDW, IDC_STOP, IDC_GRID};

// The item of a submenu that holds `command`, found by walking the menu bar.
bool FindPopupOf(HMENU menu, UINT command, HMENU& parent, int& position) {
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    HMENU sub = GetSubMenu(menu, i);
    if (!sub) continue;
    if (GetMenuState(sub, command, MF_BYCOMMAND) != UINT(-1)) {
      // The deepest submenu whose own items hold the command.
      const int m = GetMenuItemCount(sub);
      for (int j = 0; j < m; ++j)
        if (GetMenuItemID(sub, j) == command) {
          parent = menu;
          position = i;
          return true;
        }
      if (FindPopupOf(sub, command, parent, position)) return true;
    }
  }
  return false;
}

void EnablePopup(UINT anyCommandInside, bool on) {
  HMENU parent = nullptr;
  int position = 0;
  if (g.menu && FindPopupOf(g.menu, anyCommandInside, parent, position))
    EnableMenuItem(parent, position, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
}

void OnCreate(HWND w) {
  g.window = w;
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&version) && version.dwMajorVersion < 4)
    ShowMessage("This program is designed for Windows 95.", MessageIcon::Exclamation);
#pragma GCC diagnostic pop
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (GlobalMemoryStatusEx(&memory)) g.lowMemory = memory.ullTotalPhys < 12000000ull;

  g.captionHeight = GetSystemMetrics(SM_CYCAPTION);
  g.screenW = GetSystemMetrics(SM_CXSCREEN);
  g.screenH = GetSystemMetrics(SM_CYSCREEN);
  HDC dc = GetDC(w);
  const int paletteSize = GetDeviceCaps(dc, SIZEPALETTE);
  const int reserved = GetDeviceCaps(dc, NUMRESERVED);
  g.paletteDevice = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) && paletteSize > 0;
  if (g.paletteDevice && paletteSize - reserved < kPaletteSize)
    ShowMessage("Not enough colors are available.", MessageIcon::Exclamation);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  ReleaseDC(w, dc);
  g.cw = std::max<int>(1, tm.tmAveCharWidth);
  g.ch = std::max<int>(1, tm.tmHeight);
  // The layout follows the system font. Above 100 % it is at least the 96-dpi design
  // (7 x 16) scaled, where the system keeps a smaller font (Windows keeps the raster
  // font of the resolution it started with).
  if (platform::SystemDpi() > 96) {
    g.cw = std::max(g.cw, platform::Scale(7));
    g.ch = std::max(g.ch, platform::Scale(16));
  }

  g.menu =
      LoadMenuW(g.instance, MAKEINTRESOURCEW(g.paletteDevice ? IDM_PALETTE_MENU : IDM_PLAIN_MENU));
  SetMenu(w, g.menu);
  g.cursors[0] = LoadCursorW(g.instance, MAKEINTRESOURCEW(IDC_POINTER_TARGET));
  g.cursors[1] = LoadCursorW(g.instance, MAKEINTRESOURCEW(IDC_POINTER_WHITE));
  g.cursors[2] = LoadCursorW(g.instance, MAKEINTRESOURCEW(IDC_POINTER_BLACK));

  g.createWidth = 82 * g.cw;
  g.createHeight = 5 * g.ch + 2 * g.cw + 2 * g.captionHeight + 308;
  const int x = std::max(0, (g.screenW - g.createWidth) / 2);
  const int y = std::max(0, (g.screenH - g.createHeight) / 2);
  MoveWindow(w, x, y, g.createWidth, g.createHeight, FALSE);

  g.font = CreateFontW(g.ch, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Arial");
  g.smallFont =
      CreateFontW(g.ch * 14 / 16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Arial");
  g.hScroll = CreateWindowW(L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 300, 10,
                            2 * g.cw, w, nullptr, g.instance, nullptr);
  g.vScroll = CreateWindowW(L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 2 * g.cw,
                            300, w, nullptr, g.instance, nullptr);
  EnableWindow(g.hScroll, FALSE);
  EnableWindow(g.vScroll, FALSE);
  for (int i = 0; i < 4; ++i) {
    g.buttons[i] =
        CreateWindowW(L"BUTTON", kButtonTexts[i], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 10,
                      10, w, reinterpret_cast<HMENU>(INT_PTR(kButtonIds[i])), g.instance, nullptr);
    SendMessageW(g.buttons[i], WM_SETFONT, WPARAM(g.font), FALSE);
    EnableWindow(g.buttons[i], FALSE);
  }
  ApplyPalette();
  SetMenuState(MenuState::ReadyWithoutData);
}

void OnGetMinMax(MINMAXINFO* mm) {
  if (!g.createWidth) return;
  const FrameLimits l = FrameLimitsOf(g);
  mm->ptMinTrackSize = POINT{l.minWidth, l.minHeight};
  mm->ptMaxTrackSize = POINT{l.maxWidth, l.maxHeight};
  mm->ptMaxSize = mm->ptMaxTrackSize;
}

bool Running() { return !g.stopRequested || g.playingAll || g.playingWindow || g.inputOpen; }

void OnCommand(UINT id, LPARAM param) {
  try {
    switch (id) {
      case kCmdAnalyzeFile:
        return AnalyzeFileCommand(int(param));
      case kCmdAnalyzeInput:
        return AnalyzeInputCommand();
      case kCmdScanFile:
        return ScanFileCommand(param == 1);
      case kCmdScanInput:
        return ScanInputCommand();
      case kCmdParamChange:
        return ChangeCommand(param == 1, 0, 0);
      case kCmdParamRestore:
        return RestoreCommand();
      case kCmdLogAll:
      case kCmdLogSingle:
      case kCmdLogPoints:
        return LogCommand(id);
      case kCmdSaveWave:
        return SaveWaveCommand();
      case kCmdWindowBitmap:
        return SaveBitmapCommand(false);
      case kCmdEntireBitmap:
        return SaveBitmapCommand(true);
      case kCmdPrintWindow:
        return PrintCommand();
      case kCmdVolumeControl:
        return VolumeCommand();
      case kCmdExit:
        PostMessageW(g.window, WM_CLOSE, 0, 0);
        return;
      case kCmdAdjust:
      case kCmdFreeze:
        return SetVariablesMode(id);
      case kCmdColorsChange:
        return OpenColorsDialog();
      case kCmdPointerTarget:
      case kCmdPointerWhite:
      case kCmdPointerBlack:
        return SetPointerStyle(PointerStyleOfCommand(id));
      case kCmdFreqMark:
        MarkersDialog();
        RedrawDisplay();
        return;
      case kCmdHelpTopics:
        return HelpCommand();
      case kCmdAbout:
        return AboutCommand();
      case kCmdPlay:
        if (g.inputOpen && g.s.quickSave == kQuickSaveOn) return QuickSaveButton(true);
        return PlayCommand(false);
      case kCmdPlayWindow:
        if (g.inputOpen && g.s.quickSave == kQuickSaveOn) return QuickSaveButton(false);
        return PlayCommand(true);
      case kCmdStop:
        return StopCommand();
      case kCmdToggleGrid:
        g.gridShown = !g.gridShown;
        SetFocus(g.window);
        if (g.displayBitmapValid || g.scopeShown) RedrawDisplay();
        return;
      default:
        if (uint32_t choice = FftChoiceOfCommand(id)) g.s.fftSizeChoice = choice;
        return;
    }
  } catch (const TesselError& e) {
    ShowError(e);
  }
}

void OnKeyDown(WPARAM key) {
  if (const uint32_t command = KeyCommand(int(key), g.fKeys))
    SendMessageW(g.window, WM_COMMAND, command, 0);
}

void OnClose() {
  g.stopRequested = true;
  if (g.playingAll || g.playingWindow) g.output.Reset();
  if (g.inputOpen) g.input.StopAndReset();
  PumpMessages();
  if (g.menuState == MenuState::Busy) {
    // A command further up the stack still runs: it posts the close again when it ends.
    g.closePending = true;
    return;
  }
  SaveSettingsFile(SettingsPath(), g.s);
  g.output.Close();
  g.input.Close();
  if (g.volumeProcess) CloseHandle(g.volumeProcess);
  DestroyWindow(g.window);
}

void Scroll(HWND bar, int code, int& position, int range) {
  const ScrollCode c = ScrollCodeOf(code);
  if (c == ScrollCode::Other || c == ScrollCode::First || c == ScrollCode::Last) return;
  position = MoveScrollBar(bar, code, position, {0, range, 4, 100});
  RedrawDisplay();
}

void OnHScroll(int code) {
  if (Running() || !g.displayBitmapValid || g.scopeShown) return;
  if (const int range = HorizontalRange(g)) Scroll(g.hScroll, code, g.scrollX, range);
}

void OnVScroll(int code) {
  if (!g.displayBitmapValid || g.scopeShown || g.playingAll) return;
  if (const int range = VerticalRange(g)) Scroll(g.vScroll, code, g.scrollY, range);
}

// The column of the spectral image under a window x (Dual view: one half each).
int ColumnOfX(int x) { return WindowXToBitmapX(x, g.displayW, DualView(g)); }

void OnLeftDown(int x, int y) {
  if (y >= g.displayH || x >= g.displayW) return;
  if (g.scopeShown) {
    g.pointerX = y < g.scopeOrigin.y0 ? x : -1;
    g.pointerY = y;
    RedrawDisplay();
    return;
  }
  if (g.pointsMode || g.spectrumDialog) {
    if (g.pointsMode) PointsLogClick(g.lastTimeMs, g.lastFreqHz, g.lastLevelDb);
    if (g.spectrumDialog) SpectrumLogClick(g.scrollX + ColumnOfX(x));
    return;
  }
  if (!g.displayBitmapValid || Running() || g.menuState == MenuState::Busy) return;
  SetCapture(g.window);
  g.leftDrag = true;
  g.dragStartX = ColumnOfX(x);
  g.selectFromX = g.selectToX = x;
}

void OnLeftUp(int x) {
  if (!g.leftDrag) return;
  g.leftDrag = false;
  ReleaseCapture();
  g.selectFromX = g.selectToX = -1;
  RedrawDisplay();
  double begin = 0, end = 0;
  if (DragSegment(g, g.dragStartX, ColumnOfX(std::clamp(x, 0, g.displayW - 1)), begin, end))
    ChangeCommand(true, begin, end);
}

void OnRightDown(int x, int y) {
  if (g.inputOpen && g.s.quickSave != kQuickSaveOn) {
    g.frozen = !g.frozen;
    return;
  }
  if (g.scopeShown || !g.displayBitmapValid || y >= g.displayH) return;
  g.rightDrag = true;
  g.dragStartX = x;
  g.dragStartY = y;
  SetCapture(g.window);
}

void OnRightUp() {
  if (!g.rightDrag) return;
  g.rightDrag = false;
  ReleaseCapture();
  RedrawDisplay();
}

void OnMouseMove(int x, int y) {
  SetCursor(g.cursors[std::clamp<int>(g.s.pointerStyle, 1, 3) - 1]);
  if (g.leftDrag && x != g.selectToX) {
    g.selectToX = std::clamp(x, 0, g.displayW - 1);
    RedrawDisplay();
  }
  if (x < 0 || y < 0 || x >= g.displayW || y >= g.displayH) return;
  UpdateReadouts(x, y);
}

void OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(g.window, &ps);
  if (g.palette) {
    SelectPalette(dc, g.palette, FALSE);
    RealizePalette(dc);
  }
  PaintDisplay(dc);
  PaintPanel(dc);
  EndPaint(g.window, &ps);
}

LRESULT OnPaletteMessage(UINT msg, WPARAM wp) {
  if (!g.palette || (msg == WM_PALETTECHANGED && HWND(wp) == g.window)) return 0;
  HDC dc = GetDC(g.window);
  SelectPalette(dc, g.palette, FALSE);
  const UINT changed = RealizePalette(dc);
  ReleaseDC(g.window, dc);
  if (changed) InvalidateRect(g.window, nullptr, FALSE);
  return changed ? TRUE : FALSE;
}

}  // namespace

void Relayout() {
  if (!g.window || !g.hScroll) return;
  RECT client;
  GetClientRect(g.window, &client);
  RECT frame;
  GetWindowRect(g.window, &frame);
  g.displayW = std::max(1, int(client.right) - 2 * g.cw);
  g.displayH = 300 + std::max(0, int(frame.bottom - frame.top) - g.createHeight);
  MoveWindow(g.hScroll, 0, g.displayH, g.displayW, 2 * g.cw, TRUE);
  MoveWindow(g.vScroll, g.displayW, 0, 2 * g.cw, g.displayH, TRUE);
  const int top = g.displayH + 2 * g.cw + 4;
  const int right = client.right - 4;
  const int bh = g.ch * 3 / 2;
  MoveWindow(g.buttons[0], right - 17 * g.cw, top, 6 * g.cw, bh, TRUE);
  MoveWindow(g.buttons[1], right - 11 * g.cw, top, 11 * g.cw, bh, TRUE);
  MoveWindow(g.buttons[3], right - 17 * g.cw, top + bh + 2, 17 * g.cw, bh, TRUE);
  MoveWindow(g.buttons[2], right - 17 * g.cw, top + 2 * bh + 4, 17 * g.cw, bh, TRUE);
  InvalidateRect(g.window, nullptr, FALSE);
}

void SetMenuState(MenuState state) {
  g.menuState = state;
  const MenuEnables e = MenuEnablesFor(state, MenuContextOf(g));
  if (g.menu) {
    for (int i = 0; i < kMenuEntryCount; ++i)
      if (uint32_t command = CommandOfEntry(MenuEntry(i)))
        EnableMenuItem(g.menu, command, MF_BYCOMMAND | (e[i] ? MF_ENABLED : MF_GRAYED));
    EnablePopup(kCmdParamChange, e[kEntryParametersMenu]);
    EnablePopup(kCmdLogAll, e[kEntryLogDataMenu]);
    EnablePopup(kCmdWindowBitmap, e[kEntrySaveBitmapMenu]);
    DrawMenuBar(g.window);
  }
  EnableMenuItem(GetSystemMenu(g.window, FALSE), SC_CLOSE,
                 MF_BYCOMMAND | (e[kEntrySystemClose] ? MF_ENABLED : MF_GRAYED));
  g.fKeys = FKeysEnabled(state);
  if (state != MenuState::Busy) SetVariablesMode(g.s.variablesMode);
}

ScrollCode ScrollCodeOf(int code) {
  switch (code) {
    case SB_LINELEFT:
      return ScrollCode::LineBack;
    case SB_LINERIGHT:
      return ScrollCode::LineOn;
    case SB_PAGELEFT:
      return ScrollCode::PageBack;
    case SB_PAGERIGHT:
      return ScrollCode::PageOn;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return ScrollCode::Thumb;
    case SB_LEFT:
      return ScrollCode::First;
    case SB_RIGHT:
      return ScrollCode::Last;
    default:
      return ScrollCode::Other;
  }
}

int ThumbOf(HWND bar) {
  SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(bar, SB_CTL, &si);
  return si.nTrackPos;
}

void SetScrollBar(HWND bar, int low, int high, int position) {
  SetScrollRange(bar, SB_CTL, low, high, FALSE);
  SetScrollPos(bar, SB_CTL, position, TRUE);
}

int MoveScrollBar(HWND bar, int code, int position, const ScrollSteps& steps) {
  position = ScrolledPosition(position, ScrollCodeOf(code), ThumbOf(bar), steps);
  SetScrollPos(bar, SB_CTL, position, TRUE);
  return position;
}

void EnableButton(int index, bool on) { EnableWindow(g.buttons[index], on ? TRUE : FALSE); }

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      return;
    }
    if (g.colorsDialog && IsDialogMessageW(g.colorsDialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void ShowMessage(const std::string& text, MessageIcon icon) {
  MessageBoxW(g.window, platform::AnsiToWide(text).c_str(), L"Sonaris",
              MB_OK | (icon == MessageIcon::Stop ? MB_ICONSTOP : MB_ICONEXCLAMATION));
}

void ShowError(const TesselError& e) { ShowMessage(e.what(), e.Icon()); }

void SetPointerStyle(int style) {
  style = std::clamp(style, 1, 3);
  g.s.pointerStyle = uint32_t(style);
  for (int i = 1; i <= 3; ++i)
    CheckMenuItem(g.menu, kCmdPointerTarget + i - 1,
                  MF_BYCOMMAND | (i == style ? MF_CHECKED : MF_UNCHECKED));
  SetCursor(g.cursors[style - 1]);
}

void SetVariablesMode(uint32_t mode) {
  g.s.variablesMode = mode == kVariablesFreeze ? kVariablesFreeze : kVariablesAdjust;
  CheckMenuItem(g.menu, kCmdAdjust,
                MF_BYCOMMAND | (g.s.variablesMode == kVariablesAdjust ? MF_CHECKED : 0));
  CheckMenuItem(g.menu, kCmdFreeze,
                MF_BYCOMMAND | (g.s.variablesMode == kVariablesFreeze ? MF_CHECKED : 0));
}

LRESULT CALLBACK MainWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate(w);
      return 0;
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_GETMINMAXINFO:
      OnGetMinMax(reinterpret_cast<MINMAXINFO*>(lp));
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      g.drop.Revoke();
      PostQuitMessage(0);
      return 0;
    case kFilesDropped:
      OnFilesDropped();
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wp);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), lp);
      return 0;
    case WM_HSCROLL:
      OnHScroll(LOWORD(wp));
      return 0;
    case WM_VSCROLL:
      OnVScroll(LOWORD(wp));
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        SetCursor(g.cursors[std::clamp<int>(g.s.pointerStyle, 1, 3) - 1]);
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(short(LOWORD(lp)), short(HIWORD(lp)));
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftDown(short(LOWORD(lp)), short(HIWORD(lp)));
      return 0;
    case WM_LBUTTONUP:
      OnLeftUp(short(LOWORD(lp)));
      return 0;
    case WM_RBUTTONDOWN:
      OnRightDown(short(LOWORD(lp)), short(HIWORD(lp)));
      return 0;
    case WM_RBUTTONUP:
      OnRightUp();
      return 0;
    case WM_NCMOUSEMOVE:
      if (g.rightDrag || g.leftDrag) break;
      RedrawPanel();
      break;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      return OnPaletteMessage(msg, wp);
    case MM_WOM_DONE:
      OnWaveOutDone(reinterpret_cast<WAVEHDR*>(lp));
      return 0;
    case MM_WIM_DATA:
      OnWaveInData(reinterpret_cast<WAVEHDR*>(lp));
      return 0;
    case MM_WIM_CLOSE:
      OnWaveInClose();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace tessel_win
