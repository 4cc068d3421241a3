// The commands that work on an analysis: Analyze File, Change and Restore, Save Wave, the
// bitmaps, the data logs, printing, help, the volume control and the about box.
#include <windows.h>
// after windows.h
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "analyser/core/Analysis.h"
#include "analyser/core/BitmapFile.h"
#include "analyser/core/DataLog.h"
#include "analyser/core/Readouts.h"
#include "analyser/core/View.h"
#include "analyser/win/App.h"
#include "platform/win32/Wide.h"

namespace tessel_win {

using namespace tessel;

namespace {

const wchar_t kWaveFilter[] = L"Wave Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0";
const wchar_t kLogFilter[] = L"Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
const wchar_t kBitmapFilter[] = L"Bitmap Files (*.bmp)\0*.bmp\0All Files (*.*)\0*.*\0";

std::wstring Number(double v) {
  wchar_t b[32];
  swprintf(b, 32, L"%ld", long(std::lround(v)));
  return b;
}

double ParseNumber(const std::wstring& s) {
  const std::wstring t = s.substr(0, 7);
  return t.empty() ? 0 : _wtof(t.c_str());
}

// Loads the segment and runs the analysis pass, draining the queue as it goes.
void RunAnalysis(const WaveFileInfo& info, const AnalysisRequest& request, double timeScaleMs) {
  const int fftSize = 1 << FftExponentOfChoice(g.s.fftSizeChoice);
  SetMenuState(MenuState::Busy);
  for (int i = 0; i < 4; ++i) EnableButton(i, false);
  EnableButton(2, true);
  g.stopRequested = false;
  auto next = std::make_unique<Analysed>();
  AnalysisSettings s = g.s;
  s.timeScaleMs = float(timeScaleMs);
  try {
    SampleBuffer sample =
        LoadSegment(platform::Narrow(g.wavePath), info, request.beginMs, request.endMs, fftSize);
    // The All Spectrum log's header tells the analysis that fills it.
    if (g.allLog.IsOpen())
      g.allLog.Write(SpectrumLogHeader(platform::WideToAnsi(g.wavePath), info.sampleRateHz, fftSize,
                                       request.beginMs, timeScaleMs));
    AnalysisOptions options = OptionsFromSettings(s, info.sampleRateHz);
    options.minWidth = g.screenW;
    // The queue is drained by the clock, not by a column count: a column that also writes
    // the All Spectrum log takes far longer than one that does not.
    DWORD lastPump = GetTickCount(), lastShown = lastPump;
    g.growingView = WindowView();
    g.growingView.width = g.displayW;
    g.growingView.height = g.displayH;
    g.growingView.channelView = options.channelView;
    // The columns are shown as they come: the view follows the newest column once the
    // image is wider than the window, and the window is refreshed by the clock, at most
    // every 20 ms, so that showing costs the pass next to nothing.
    auto columnDrawn = [&](const DisplayBitmap& image, int x) {
      g.growing = &image;
      g.growingView.width = g.displayW;
      g.growingView.height = g.displayH;
      ColumnBlits(image, x, g.growingView);
      if (GetTickCount() - lastShown >= 20) {
        ShowGrowingImage();
        lastShown = GetTickCount();
      }
    };
    DisplayBitmap bitmap;
    try {
      bitmap = AnalyseSample(
          sample, options,
          [&](int64_t, int64_t) {
            if (GetTickCount() - lastPump >= 20) {
              PumpMessages();
              lastPump = GetTickCount();
            }
            return !g.stopRequested;
          },
          g.allLog.IsOpen() ? &g.allLog : nullptr, columnDrawn);
    } catch (...) {
      g.growing = nullptr;
      throw;
    }
    g.growing = nullptr;
    if (g.allLog.IsOpen() && !g.allLog.Close())
      ShowMessage("Error Writing File", MessageIcon::Stop);
    *next = AnalysedOf(s, std::move(sample), std::move(bitmap), info, request.beginMs, timeScaleMs);
  } catch (const TesselError& e) {
    if (g.allLog.IsOpen()) g.allLog.Close();
    g.stopRequested = true;
    ShowError(e);
    RestoreCommand();
    return;
  }
  g.stopRequested = true;
  g.s.timeScaleMs = float(timeScaleMs);
  g.segmentEndMs = request.endMs;
  CommitAnalysis(g, std::move(*next));
  ApplyPalette();
  EnterReadyWithData();
  if (g.closePending) PostMessageW(g.window, WM_CLOSE, 0, 0);
}

// The "Modify Analysis Parameters" dialog and the checks after it; false when cancelled.
bool AskAnalysis(WaveFileInfo& info, double beginMs, double endMs, AnalysisRequest& request,
                 double& timeScaleMs) {
  FileDialogValues v;
  v.sampleRateHz = info.sampleRateHz;
  v.begin = Number(beginMs);
  v.end = Number(endMs);
  v.timeScale = Number(g.s.timeScaleMs);
  g.s.bitsChoice = info.bitsPerSample == 8 ? kBits8 : kBits16;
  g.s.channelType = info.channels == 2 ? kStereo : kMono;
  for (;;) {
    if (!ParameterDialog(102, &v)) return false;
    request = RequestFromDialog(g.s, info, v.sampleRateHz, ParseNumber(v.begin), ParseNumber(v.end),
                                ParseNumber(v.timeScale));
    try {
      timeScaleMs = ValidateAnalysis(info, request, 1 << FftExponentOfChoice(g.s.fftSizeChoice));
      g.s.sampleRateHz = info.sampleRateHz;
      return true;
    } catch (const TesselError& e) {
      ShowError(e);
      if (!ShowsDialogAgain(e.what())) {
        RestoreCommand();
        return false;
      }
    }
  }
}

// A scroll bar of the display over `range` positions; one with nothing to scroll is off.
void SetDisplayBar(HWND bar, int range, int position) {
  SetScrollBar(bar, 0, range, position);
  EnableWindow(bar, range > 0);
}

}  // namespace

bool ChooseFile(bool save, const wchar_t* title, const wchar_t* filter, std::wstring& path) {
  wchar_t buffer[MAX_PATH] = L"";
  wchar_t fileTitle[512] = L"";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g.window;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFileTitle = fileTitle;
  ofn.nMaxFileTitle = 512;
  ofn.lpstrTitle = title;
  ofn.Flags = save ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY
                   : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok) return false;
  path = buffer;
  if (!save) g.fileTitle = fileTitle;
  return true;
}

void EnterReadyWithData() {
  EnableButton(0, true);
  EnableButton(1, true);
  EnableButton(2, false);
  EnableButton(3, true);
  SetDisplayBar(g.hScroll, HorizontalRange(g), g.scrollX);
  SetDisplayBar(g.vScroll, VerticalRange(g), g.scrollY);
  SetMenuState(MenuState::ReadyWithData);
  InvalidateRect(g.window, nullptr, FALSE);
  SetFocus(g.window);
}

bool ChooseWaveFile(bool chosen, ProbeMode mode, ProbeResult& probe) {
  for (;;) {
    if (!chosen && !ChooseFile(false, L"Open Wave File", kWaveFilter, g.wavePath)) return false;
    chosen = false;
    try {
      probe = Probe(platform::Narrow(g.wavePath), mode);
      if (probe.warnNotPcm)
        ShowMessage("File may not be PCM Wave Format", MessageIcon::Exclamation);
      CheckSampleFormat(probe.info);
      return true;
    } catch (const TesselError& e) {
      ShowError(e);
      if (std::string(e.what()) != "Sample Size Too Small") return false;
    }
  }
}

void AnalyzeFileCommand(int how) {
  ProbeResult probe;
  if (!ChooseWaveFile(how != 0, ProbeMode::AnalyzeFile, probe)) return;
  WaveFileInfo info = probe.info;
  AnalysisRequest request;
  double timeScale = g.s.timeScaleMs;
  try {
    if (how == kAnalyseRecording) {
      // A recording just made, with the parameters it was recorded with.
      request = WholeFileRequest(g.s, info);
      timeScale = ValidateAnalysis(info, request, 1 << FftExponentOfChoice(g.s.fftSizeChoice));
    } else if (!AskAnalysis(info, 0, DataMilliseconds(info), request, timeScale)) {
      return;
    }
  } catch (const TesselError& e) {
    return ShowError(e);
  }
  RunAnalysis(info, request, timeScale);
}

void ChangeCommand(bool fromDrag, double beginMs, double endMs) {
  if (!g.displayBitmapValid || g.wavePath.empty()) return;
  ProbeResult probe;
  try {
    probe = Probe(platform::Narrow(g.wavePath), ProbeMode::AnalyzeFile);
  } catch (const TesselError& e) {
    return ShowError(e);
  }
  WaveFileInfo info = probe.info;
  info.sampleRateHz = g.current.info.sampleRateHz;
  info.bitsPerSample = g.current.info.bitsPerSample;
  info.channels = g.current.info.channels;
  if (!fromDrag) {
    beginMs = g.current.startMs;
    endMs = g.segmentEndMs;
  }
  AnalysisRequest request;
  double timeScale = g.s.timeScaleMs;
  if (!AskAnalysis(info, beginMs, endMs, request, timeScale)) {
    if (g.allLog.IsOpen()) g.allLog.Close();
    return;
  }
  RunAnalysis(info, request, timeScale);
}

void RestoreCommand() {
  if (RestorePrevious(g)) {
    ApplyPalette();
    EnterReadyWithData();
    return;
  }
  for (int i = 0; i < 4; ++i) EnableButton(i, false);
  SetMenuState(MenuState::ReadyWithoutData);
  InvalidateRect(g.window, nullptr, FALSE);
}

void SaveWaveCommand() {
  if (g.current.sample.Empty()) return;
  RedrawPanel();
  std::wstring path;
  if (!ChooseFile(true, L"Record Wave File", kWaveFilter, path)) return;
  SaveWave(g.current.sample, platform::Narrow(path));
}

void SaveBitmapCommand(bool entire) {
  IndexedImage image = BitmapToSave(g, entire);
  if (image.Empty()) return;
  std::wstring path;
  if (!ChooseFile(true, L"Save Bitmap", kBitmapFilter, path)) return;
  if (!MagnificationDialog(image.Width(), image.Height())) return;
  if (g.s.bitmapFactor > 100) {
    image = Magnify(image, g.s.bitmapFactor);
    if (image.Empty()) return ShowMessage("Unable to Magnify Bitmap", MessageIcon::Stop);
  }
  SaveBitmap8(platform::Narrow(path), image, CurrentPalette());
}

void LogCommand(uint32_t command) {
  if (!g.displayBitmapValid) return;
  std::wstring path;
  if (!ChooseFile(true, L"Save Data Log", kLogFilter, path)) return;
  const std::string log = platform::Narrow(path);
  // The log names the wave in the ANSI code page, as its other 8-bit texts.
  const std::string wave = platform::WideToAnsi(g.wavePath);
  if (command == kCmdLogPoints) {
    g.pointsLog.Open(log, true);
    g.pointsLog.Write(PointsLogHeader(wave));
    g.pointsDialog = OpenPointsDialog();
    g.pointsMode = true;
  } else if (command == kCmdLogSingle) {
    g.spectrumLog.Open(log, false);
    g.spectrumPath = log;
    g.lastClickColumn = -1;
    g.spectrumDialog = OpenSpectrumDialog();
  } else {
    // The header is written when the pass begins: its start and time step come from the
    // dialog that follows.
    g.allLog.Open(log, false);
    PostMessageW(g.window, WM_COMMAND, kCmdParamChange, 0);
  }
}

// The points dialog's "Enter Point" and "Save/Exit".
bool WritePoint(const std::string& event, const std::string& time, const std::string& freq,
                const std::string& level) {
  if (!g.pointsLog.IsOpen()) return false;
  g.pointsLog.Write(PointsLogLine(event, time, freq, level));
  return true;
}

void ClosePointsLog() {
  if (g.pointsLog.IsOpen() && !g.pointsLog.Close())
    ShowMessage("Error Writing File", MessageIcon::Stop);
  g.pointsMode = false;
  g.pointsDialog = nullptr;
  SetMenuState(MenuState::ReadyWithData);
}

void CloseSpectrumLog(bool save) {
  if (save && g.lastClickColumn >= 0) {
    try {
      g.spectrumLog.Write(SpectrumLogHeader(platform::WideToAnsi(g.wavePath),
                                            g.current.info.sampleRateHz, g.current.fftSize,
                                            g.current.startMs, -1));
      for (const BinReadout& b : ColumnBins(g, g.lastClickColumn))
        g.spectrumLog.Write(SpectrumLogLine(b));
    } catch (const TesselError& e) {
      ShowError(e);
    }
  }
  if (g.spectrumLog.IsOpen() && !g.spectrumLog.Close() && save)
    ShowMessage("Error Writing File", MessageIcon::Stop);
  if (!save) DeleteFileW(platform::Widen(g.spectrumPath).c_str());
  g.spectrumDialog = nullptr;
  SetMenuState(MenuState::ReadyWithData);
}

void PrintCommand() {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = g.window;
  pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
  if (!PrintDlgW(&pd) || !pd.hDC) return;
  const IndexedImage image = WindowImage(g, true);
  HDC screen = GetDC(g.window);
  const double sx = double(GetDeviceCaps(pd.hDC, LOGPIXELSX)) / GetDeviceCaps(screen, LOGPIXELSX);
  const double sy = double(GetDeviceCaps(pd.hDC, LOGPIXELSY)) / GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(g.window, screen);
  const int w = int(image.Width() * sx), h = int(image.Height() * sy);
  const int x = std::max(0, (GetDeviceCaps(pd.hDC, HORZRES) - w) / 2);
  const int y = std::max(0, (GetDeviceCaps(pd.hDC, VERTRES) - h) / 2);
  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = L"Sonaris";
  if (StartDocW(pd.hDC, &doc) > 0) {
    StartPage(pd.hDC);
    const std::vector<uint8_t> file = EncodeBitmap8(image, CurrentPalette());
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + 14);
    if (StretchDIBits(pd.hDC, x, y, w, h, 0, 0, image.Width(), image.Height(),
                      file.data() + kBitmapHeaderBytes, info, DIB_RGB_COLORS,
                      SRCCOPY) == int(GDI_ERROR))
      ShowMessage("Incompatible Printer", MessageIcon::Stop);
    EndPage(pd.hDC);
    EndDoc(pd.hDC);
  }
  DeleteDC(pd.hDC);
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
}

void HelpCommand() {
  auto exists = [](const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  const std::wstring hlp = g.exeFolder + L"Tessel.hlp";
  if (exists(hlp) && WinHelpW(g.window, hlp.c_str(), HELP_FINDER, 0)) return;
  // Windows has shipped no engine for .hlp files since Vista: the HTML help beside the
  // program opens with whatever the system opens .htm files with.
  const std::wstring htm = g.exeFolder + L"Tessel.htm";
  if (exists(htm) &&
      INT_PTR(ShellExecuteW(g.window, L"open", htm.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32)
    return;
  ShowMessage("Cannot Access Help", MessageIcon::Exclamation);
}

void VolumeCommand() {
  if (g.volumeProcess) {
    DWORD code = 0;
    GetExitCodeProcess(g.volumeProcess, &code);
    TerminateProcess(g.volumeProcess, code);
    CloseHandle(g.volumeProcess);
    g.volumeProcess = nullptr;
  }
  // The classic mixer first, then the one of newer systems.
  for (const wchar_t* program : {L"sndvol32", L"sndvol"}) {
    std::wstring line = program;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
      CloseHandle(pi.hThread);
      g.volumeProcess = pi.hProcess;
      return;
    }
  }
  ShowMessage("Cannot locate volume control", MessageIcon::Exclamation);
}

void AboutCommand() {
  MessageBoxW(g.window,
              L"Sonaris spectral analyser (Tessel)\nVersion 4.2\n"
              L"Scans and analyses sound into time/frequency pictures.",
              L"Sonaris 4.2", MB_OK | MB_ICONINFORMATION);
}

}  // namespace tessel_win
