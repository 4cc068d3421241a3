// The analyser's window program: one main window per process, its state in one set of
// globals (the window procedure is re-entered while long commands drain the queue), and the
// handlers that the window procedure and the commands share.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "analyser/core/Messages.h"
#include "analyser/core/State.h"
#include "analyser/win/Devices.h"
#include "platform/win32/FileDrop.h"

namespace tessel_win {

// Posted to the main window when files have been dropped on it.
inline constexpr UINT kFilesDropped = WM_APP + 1;

// The window program's handles beside the analyser's one state (the core's).
struct App : tessel::AnalyserState {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HWND buttons[4] = {};  // Play, Play Wdw, Stop, Toggle Grid
  HWND hScroll = nullptr, vScroll = nullptr;
  HFONT font = nullptr, smallFont = nullptr;
  HCURSOR cursors[3] = {};
  HMENU menu = nullptr;
  HPALETTE palette = nullptr;
  bool paletteDevice = false;

  std::wstring exeFolder;
  std::wstring wavePath;  // the open-file name buffer
  std::wstring fileTitle;
  platform::FileDrop drop;  // files dropped on the window

  // Modeless dialogs.
  HWND colorsDialog = nullptr, pointsDialog = nullptr, spectrumDialog = nullptr;
  HANDLE volumeProcess = nullptr;

  // Devices.
  WaveOutput output;
  WaveInput input;
};

extern App g;

// Main window (MainWindow.cpp).
LRESULT CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM);
void SetMenuState(tessel::MenuState state);
void EnableButton(int index, bool on);
tessel::ScrollCode ScrollCodeOf(int scrollBarCode);
int ThumbOf(HWND bar);  // the thumb's track position
// A scroll bar control's range and position.
void SetScrollBar(HWND bar, int low, int high, int position);
// Moves a scroll bar control from `position` as its scroll code (SB_LINELEFT ...) asks,
// within `steps`; returns the new position, which the bar shows.
int MoveScrollBar(HWND bar, int code, int position, const tessel::ScrollSteps& steps);
void PumpMessages();
void ShowMessage(const std::string& text, tessel::MessageIcon icon);
void ShowError(const tessel::TesselError& e);
void SetPointerStyle(int style);
void SetVariablesMode(uint32_t mode);
void ApplyPalette();  // the palette of the scheme and attenuation in force
void Relayout();
// The settings file beside the program, as platform/ takes paths (UTF-8).
std::string SettingsPath();
// A wave file named on the command line or dropped on the window: chosen as the open
// dialog would, then analysed (startMode 0) or scanned (startMode 1).
void OpenFileArgument(const std::wstring& file);
void OnFilesDropped();

// Display (Display.cpp).
void PaintDisplay(HDC dc);
void PaintPanel(HDC dc);
void RedrawDisplay();  // repaint the display area now
void RedrawPanel();
void BlitLive();          // copy the live image to the window
void ShowGrowingImage();  // copy the part of a running analysis pass to the window
void UpdateReadouts(int x, int y);
const tessel::Palette& CurrentPalette();

// Commands (Commands.cpp).
// how: 0 asks for the file; 1 or 2, the file is chosen; kAnalyseRecording, a recording just
// made is analysed without a dialog.
constexpr int kAnalyseRecording = 3;
void AnalyzeFileCommand(int how);
void ChangeCommand(bool fromDrag, double beginMs, double endMs);
void RestoreCommand();
void SaveWaveCommand();
void SaveBitmapCommand(bool entire);
void LogCommand(uint32_t command);
void PrintCommand();
void HelpCommand();
void VolumeCommand();
void AboutCommand();
void EnterReadyWithData();
// Chooses (unless chosen) and probes a wave file, asking again after "Sample Size Too Small";
// false when the command ends (a format the analyser cannot read gives "Improper Entry").
bool ChooseWaveFile(bool chosen, tessel::ProbeMode mode, tessel::ProbeResult& probe);
bool ChooseFile(bool save, const wchar_t* title, const wchar_t* filter, std::wstring& path);
void PointsLogClick(double timeMs, double freqHz, double levelDb);
void SpectrumLogClick(int column);
bool WritePoint(const std::string& event, const std::string& time, const std::string& freq,
                const std::string& level);
void ClosePointsLog();
void CloseSpectrumLog(bool save);

// Dialogs (Dialogs.cpp).
struct FileDialogValues {
  uint32_t sampleRateHz = 0;
  std::wstring begin, end, timeScale;
};
// Opens dialog 102, 103, 104 or 136; returns true on OK. The file dialogs take and return the
// file's sample rate and the begin/end/time-scale texts.
bool ParameterDialog(int id, FileDialogValues* file);
void OpenColorsDialog();
void MarkersDialog();
void ShowNotice(const std::string& text);
bool MagnificationDialog(int width, int height);
HWND OpenPointsDialog();
HWND OpenSpectrumDialog();
void CentreDialog(HWND dialog, int above);

// Real-time work (Realtime.cpp).
void ScanInputCommand();
void AnalyzeInputCommand();
void ScanFileCommand(bool fileChosen);
void PlayCommand(bool window);
void StopCommand();
void OnWaveInData(WAVEHDR* header);
void OnWaveInClose();
void OnWaveOutDone(WAVEHDR* header);
// The end of Play and Play Wdw: closes the output and sets the buttons and menus back.
void EndPlayback();
void QuickSaveButton(bool save);

}  // namespace tessel_win
