// A small Win32 UI driver for end-to-end tests: it starts a program, finds its
// windows and controls, reads and sets texts, clicks, picks list items, answers
// message boxes, reads menu states, takes screenshots and closes windows.
// Every wait has a timeout, so a test fails instead of hanging.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Process {
  HANDLE handle = nullptr;
  DWORD id = 0;
};

// Starts `exe` with `args` in `workDir` (empty: the exe's folder).
Process Launch(const std::wstring& exe, const std::wstring& args = L"",
               const std::wstring& workDir = L"");
// Waits for the process to end; returns its exit code, or -1 on timeout.
int WaitExit(Process& p, int timeoutMs);
void Kill(Process& p);

// The first visible top-level window of process `pid` whose class (when not
// empty) and caption prefix (when not empty) match; nullptr after the timeout.
HWND WaitForWindow(DWORD pid, const std::wstring& className, const std::wstring& captionPrefix,
                   int timeoutMs);
std::vector<HWND> TopLevelWindows(DWORD pid);

// A child control (any depth) by class and exact text, or by control id.
HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text);
HWND FindChildById(HWND parent, int id);
std::vector<HWND> Children(HWND parent, const std::wstring& className = L"");

std::wstring GetText(HWND w);
std::wstring GetClass(HWND w);
void SetText(HWND w, const std::wstring& text);  // WM_SETTEXT + EN_CHANGE to the parent
void Click(HWND button);                         // posts BM_CLICK (modal dialogs may follow)
void SelectItem(HWND listOrCombo, int index);    // LB/CB_SETCURSEL + selection-change notice
int SelectedItem(HWND listOrCombo);
std::wstring ItemText(HWND listOrCombo, int index);
bool IsChecked(HWND button);
int TrackbarPos(HWND trackbar);
// Moves a trackbar's thumb as a user would: the new position, then the scroll messages
// that the trackbar sends its parent.
void MoveTrackbar(HWND trackbar, int pos);
void SendCommand(HWND window, int commandId);  // posts WM_COMMAND as a menu would
void PressKey(HWND window, UINT virtualKey);   // posts WM_KEYDOWN/WM_KEYUP
void Close(HWND window);                       // posts WM_CLOSE
// Moves the mouse pointer to a client point of a window, as a user's hand would: the
// system tells whatever lies under it.
void MovePointer(HWND window, int x, int y);
// Drags `files` (full paths) with the mouse to a client point of a window and drops them
// there; false when the window did not take them.
bool DropFiles(HWND window, int x, int y, const std::vector<std::wstring>& files);

// A message box (dialog class "#32770") of process `pid`; its text and buttons.
struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
};
MessageBoxInfo WaitForMessageBox(DWORD pid, int timeoutMs);
// Presses the button with the given id (IDOK, IDYES, ...) or, when its caption is given, the
// button with that caption.
bool AnswerMessageBox(const MessageBoxInfo& box, int buttonId);
bool AnswerMessageBox(const MessageBoxInfo& box, const std::wstring& buttonCaption);

// Menu item state of a window's menu bar (searched through every submenu):
// returns MF_GRAYED/MF_DISABLED/MF_CHECKED bits, or -1 when the item is not found.
int MenuItemState(HWND window, UINT commandId);
// The size of a control's text on one line in the control's own font, measured in its
// process; {-1, -1} when it cannot be measured.
SIZE TextExtent(HWND control);

// Saves the window's screen area (the whole screen for nullptr) as a 24-bit BMP.
bool SaveScreenshot(HWND window, const std::wstring& path);
// Reads the colour at a client-area point of a window from the screen.
COLORREF ClientPixel(HWND window, int x, int y);
// The client area of a window as it is on the screen at one moment: reading many pixels
// one by one takes seconds under Wine, while the picture moves on.
struct ClientPicture {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // rows top-down
  COLORREF At(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height
               ? CLR_INVALID
               : pixels[size_t(y) * size_t(width) + size_t(x)];
  }
};
ClientPicture CaptureClient(HWND window);

// Runs a shell command of the Unix system under Wine (/bin/sh) and waits for it; false
// when it could not be started or did not end in time.
bool RunUnix(const std::string& command, int timeoutMs);
// The Unix path of a path on Wine's drive Z: (the Unix root).
std::string UnixPath(const std::wstring& path);

// Lets pending messages of other processes run (a short sleep loop).
void Pause(int ms);

std::wstring Widen(const std::string& s);
std::string Narrow(const std::wstring& s);

}  // namespace e2e

namespace e2e {

// Folders of the build tree, found from the running test program (build/<preset>/tests-bin).
std::wstring BuildDir();                                  // build/<preset>
std::wstring ProgramPath(const std::wstring& exeName);    // build/<preset>/bin/<exeName>
std::wstring ArtifactPath(const std::wstring& fileName);  // build/<preset>/artifacts/<fileName>

}  // namespace e2e
