// The analyser's window program: one main window per process, its state in one set of
// globals (the window procedure is re-entered while long commands drain the queue), and the
// handlers that the window procedure and the commands share.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "analyser/core/Colours.h"
#include "analyser/core/DisplayBitmap.h"
#include "analyser/core/Messages.h"
#include "analyser/core/Rows.h"
#include "analyser/core/Scope.h"
#include "analyser/core/Settings.h"
#include "analyser/core/ShellState.h"
#include "analyser/core/WaveFile.h"
#include "analyser/win/Devices.h"
#include "platform/win32/FileDrop.h"

namespace tessel_win {

enum class Mode { None, ScanInput, AnalyzeInput, ScanFile, AnalyzeFile };

// What one analysis left behind: enough to show it again ("&Restore").
struct Analysed {
  tessel::DisplayBitmap bitmap;
  tessel::SampleBuffer sample;
  tessel::WaveFileInfo info;
  int32_t attenuationStep = 0;
  uint32_t paletteChoice = tessel::kPaletteCB;
  double startMs = 0, timeScaleMs = 10, decadesPerRow = 0;
  int fftSize = 1024, bandLowHz = 0, bandHighHz = 0;
  bool logScale = false;
  uint32_t channelView = tessel::kViewDual;
};

// Posted to the main window when files have been dropped on it.
inline constexpr UINT kFilesDropped = WM_APP + 1;

struct App {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HWND buttons[4] = {};  // Play, Play Wdw, Stop, Toggle Grid
  HWND hScroll = nullptr, vScroll = nullptr;
  HFONT font = nullptr, smallFont = nullptr;
  HCURSOR cursors[3] = {};
  HMENU menu = nullptr;
  HPALETTE palette = nullptr;
  bool paletteDevice = false;

  int cw = 8, ch = 16, captionHeight = 20, screenW = 800, screenH = 600;
  int createWidth = 0, createHeight = 0;
  int displayW = 0, displayH = 300;

  tessel::AnalysisSettings s;
  std::wstring exeFolder;
  std::wstring wavePath;  // the open-file name buffer
  std::wstring fileTitle;
  platform::FileDrop drop;  // files dropped on the window

  // Activity flags.
  bool stopRequested = true;
  bool playingAll = false, playingWindow = false;
  bool inputOpen = false;
  bool gridShown = false;
  bool displayBitmapValid = false;
  bool lowMemory = false;
  bool fKeys = false;
  bool quickSaving = false;
  bool frozen = false;
  bool leftDrag = false, rightDrag = false;
  bool closePending = false;
  bool pointsMode = false;
  tessel::MenuState menuState = tessel::MenuState::ReadyWithoutData;
  Mode mode = Mode::None;
  bool scopeShown = false;  // the display shows a Scope image

  // The current analysis (valid with displayBitmapValid) and the previous one.
  Analysed current;
  std::unique_ptr<Analysed> previous;
  int scrollX = 0, scrollY = 0;
  // The image of an analysis pass while it grows, and the view the window shows of it.
  const tessel::DisplayBitmap* growing = nullptr;
  tessel::WindowView growingView;
  int scopeRaise = 0;         // how far the Scope graph shown is raised (pixels)
  uint64_t scannedBytes = 0;  // what the panel tells as the length during a scan

  // The window image of the Scan modes (live scroll or scope), palette indices.
  tessel::IndexedImage live;
  tessel::ScopeOrigin scopeOrigin;
  int pointerX = -1, pointerY = -1;  // the Scope display's cross-shaped pointer

  // Read-outs.
  double timeNowSec = 0;
  int dragStartX = 0, dragStartY = 0;
  int selectFromX = -1, selectToX = -1;  // window x of a left drag's ends, shown while it runs
  int lastClickColumn = -1;
  double lastTimeMs = 0, lastFreqHz = 0, lastLevelDb = -90;

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
void PumpMessages();
void ShowMessage(const std::string& text, tessel::MessageIcon icon);
void ShowError(const tessel::TesselError& e);
void SetPointerStyle(int style);
void SetVariablesMode(uint32_t mode);
void ApplyPalette();  // the palette of the scheme and attenuation in force
void Relayout();
std::wstring SettingsPath();
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
tessel::IndexedImage WindowImage(bool withOverlays);

// Commands (Commands.cpp).
void AnalyzeFileCommand(bool fileChosen);
void ChangeCommand(bool fromDrag, double beginMs, double endMs);
void RestoreCommand();
void SaveWaveCommand();
void SaveBitmapCommand(bool entire);
void LogCommand(uint32_t command);
void PrintCommand();
void HelpCommand();
void VolumeCommand();
void AboutCommand();
void ReleaseAnalysis();
void EnterReadyWithData();
bool ChooseFile(bool save, const wchar_t* title, const wchar_t* filter, std::wstring& path);
void PointsLogClick(double timeMs, double freqHz, double levelDb);
void SpectrumLogClick(int column);
bool WritePoint(const std::string& event, const std::string& time, const std::string& freq,
                const std::string& level);
void ClosePointsLog();
void CloseSpectrumLog(bool save);
std::vector<tessel::BinReadout> SpectrumOfColumn(int column);

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
void ShowNotice(const wchar_t* text);
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
