// The real-time work: Scan Input and Analyze Input on the wave input, Scan File and the two
// Play commands on the wave output. Everything runs on the window's thread: the loops drain
// the queue between frames, and the devices report finished buffers as window messages.
#include "analyser/core/Realtime.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "analyser/core/Analysis.h"
#include "analyser/core/Readouts.h"
#include "analyser/core/View.h"
#include "analyser/win/App.h"
#include "platform/win32/Wide.h"
#include "resources/analyser/resource.h"

namespace tessel_win {

using namespace tessel;

namespace {

const wchar_t kWaveFilter[] = L"Wave Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0";

double NowMs() { return double(GetTickCount()); }

class SystemClock : public Clock {
 public:
  double NowMs() override { return tessel_win::NowMs(); }
  void SleepMs(int ms) override { Sleep(DWORD(ms)); }
};

// Fills the next stretch of the selection into its half and hands that half to the device;
// false when the selection is exhausted or the device refuses it.
bool WriteNextHalf() {
  HalfFill fill;
  if (!g.run.halves.Next(fill)) return false;
  const uint32_t half = g.run.playback.bytes / 2;
  uint8_t* dst = g.run.ring.data() + size_t(fill.half) * half;
  FillHalf(g, dst, half, fill.offset);
  if (g.output.Write(fill.half, dst, fill.length)) return true;
  g.run.halves.Returned();  // never queued
  return false;
}

// Both halves go out at once, so that one plays while the other is refilled.
bool StartOutput() {
  const WaveFormat& f = g.run.format;
  g.run.playback = PlaybackBufferFor(f.sampleRateHz, f.channels, f.BytesPerSample());
  g.run.ring.assign(g.run.playback.bytes, g.run.playback.silence);
  // A quarter of a second of silence after the selection (see HalfSchedule).
  const uint32_t tail = f.BytesPerSecond() / 4 / f.BlockAlign() * f.BlockAlign();
  g.run.halves = HalfSchedule(g.run.selectionBytes, g.run.playback.bytes / 2, tail);
  if (!g.output.Open(g.window, f)) return false;
  if (!WriteNextHalf()) {
    g.output.Close();
    return false;
  }
  WriteNextHalf();
  return true;
}

// Everything a start command shares before its device opens. The menus go busy first: the
// queue is drained below, and a start key handled there would run a second command inside
// this one; every path that ends the command sets them back.
void PrepareDisplay(Mode mode, const wchar_t* title) {
  SetMenuState(MenuState::Busy);
  for (int i = 0; i < 4; ++i) EnableButton(i, false);
  ReleaseAnalysis(g);
  BeginScan(g, mode, g.run.format);
  LONG style = GetWindowLongW(g.window, GWL_STYLE);
  style = g.scopeShown ? (style & ~(WS_THICKFRAME | WS_MAXIMIZEBOX))
                       : (style | WS_THICKFRAME | WS_MAXIMIZEBOX);
  SetWindowLongW(g.window, GWL_STYLE, style);
  RECT r;
  GetWindowRect(g.window, &r);
  const int width = g.scopeShown ? std::max(int(r.right - r.left), 90 * g.cw) : r.right - r.left;
  SetWindowPos(g.window, nullptr, 0, 0, width, g.createHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  Relayout();
  ApplyPalette();
  ResetLiveDisplay(g);
  SetWindowTextW(g.window, title);
  InvalidateRect(g.window, nullptr, FALSE);
  PumpMessages();
}

// The real-time loop under the system clock; the live image goes to the window as it grows.
void RunLoop(const std::function<int64_t()>& positionFrames, uint32_t ringFrames,
             int64_t endFrames) {
  SystemClock clock;
  RealtimeLoop(g, clock, {PumpMessages, positionFrames, BlitLive}, ringFrames, endFrames);
}

void BusyButtons() {
  for (int i = 0; i < 4; ++i) EnableButton(i, false);
  EnableButton(2, true);
}

void EndScanState() {
  g.stopRequested = true;
  EnableButton(2, false);
  SetWindowTextW(g.window, L"Sonaris");
  SetWindowTextW(g.buttons[0], L"Play");
  SetWindowTextW(g.buttons[1], L"Play Wdw");
  g.inputOpen = false;
  SetMenuState(MenuState::ReadyWithoutData);
  InvalidateRect(g.window, nullptr, FALSE);
}

bool ShowCaptureDialog(int id) {
  if (g.s.variablesMode == kVariablesFreeze) return true;
  return ParameterDialog(id, nullptr);
}

// Opens the input and runs the loop; false when the device could not be used.
bool RunInput(uint32_t fixedSeconds) {
  g.run.buffers = InputBuffersFor(g.run.format, fixedSeconds);
  g.run.ring.assign(size_t(g.run.buffers.bytes) * 2, g.run.buffers.silence);
  g.run.analyser.Setup(LiveOptions(g.s, g.run.format.sampleRateHz), g.run.format);
  if (!g.input.Open(g.window, g.run.format)) {
    ShowMessage("Cannot Open Audio Device", MessageIcon::Stop);
    return false;
  }
  if (!g.input.Start(g.run.ring.data(), g.run.ring.data() + g.run.buffers.bytes,
                     g.run.buffers.bytes)) {
    g.input.Close();
    return false;
  }
  g.run.total = 0;
  g.run.bufferStartMs = NowMs();
  g.stopRequested = false;
  g.inputOpen = true;
  SetMenuState(MenuState::Busy);
  BusyButtons();
  if (g.run.scanInput && g.s.quickSave == kQuickSaveOn) {
    SetWindowTextW(g.buttons[0], L"Save");
    SetWindowTextW(g.buttons[1], L"Stop Save");
    EnableButton(0, true);
  }
  const uint32_t blockAlign = g.run.format.BlockAlign();
  RunLoop(
      [blockAlign] {
        return g.input.PositionBytes() < 0 ? -1 : g.input.PositionBytes() / blockAlign;
      },
      g.run.buffers.frames * 2, 0);
  // Let the device hand back its buffers and report its closing.
  const double until = NowMs() + 3000;
  while (g.inputOpen && NowMs() < until) {
    PumpMessages();
    Sleep(5);
  }
  if (g.inputOpen) {
    g.input.Close();
    OnWaveInClose();
  }
  return true;
}

}  // namespace

void ScanInputCommand() {
  g.frozen = false;
  RedrawPanel();
  if (!ShowCaptureDialog(IDD_SCAN_INPUT)) return InvalidateRect(g.window, nullptr, FALSE), void();
  g.run = LiveRun{};
  g.run.scanInput = true;
  g.run.format = CaptureFormat(g.s);
  std::wstring path;
  if (g.s.quickSave == kQuickSaveOn && !ChooseFile(true, L"Record Wave File", kWaveFilter, path))
    g.s.quickSave = kQuickSaveOff;
  g.run.recordingPath = platform::Narrow(path);
  g.s.lengthChoice = kLengthAny;
  PrepareDisplay(Mode::ScanInput, L"Scan Input");
  const bool ran = RunInput(0);
  const bool saved = g.run.quickBegun;
  EndScanState();
  if (ran && !g.closePending && !g.scopeShown) ShowNotice(ScanCompleteNotice(saved));
  if (g.closePending) PostMessageW(g.window, WM_CLOSE, 0, 0);
}

void AnalyzeInputCommand() {
  g.s.quickSave = kQuickSaveOff;
  g.run = LiveRun{};
  std::wstring path;
  if (!ChooseFile(true, L"Record Wave File", kWaveFilter, path)) return;
  g.run.recordingPath = platform::Narrow(path);
  g.run.format = CaptureFormat(g.s);
  try {
    g.run.file.Begin(g.run.recordingPath, g.run.format);
  } catch (const TesselError& e) {
    return ShowError(e);
  }
  if (!ShowCaptureDialog(IDD_ANALYZE_INPUT)) {
    g.run.file.Finish(0);
    DeleteFileW(path.c_str());
    return;
  }
  g.run.format = CaptureFormat(g.s);
  g.run.file.Begin(g.run.recordingPath, g.run.format);
  g.run.recording = true;
  PrepareDisplay(Mode::AnalyzeInput, L"Analyze Input");
  const uint32_t seconds = RecordingSeconds(g.s.lengthChoice);
  g.run.recordLimit = seconds ? uint64_t(seconds) * g.run.format.BytesPerSecond() : 0;
  const bool ran = RunInput(0);
  EndScanState();
  if (g.closePending) return void(PostMessageW(g.window, WM_CLOSE, 0, 0));
  if (!ran) {
    DeleteFileW(path.c_str());
    return;
  }
  // A fixed-length recording in the Scroll display becomes the analysis at once; otherwise it
  // is analysed as a file that was opened with Analyze File.
  g.scopeShown = false;
  g.wavePath = path;
  PostMessageW(g.window, WM_COMMAND, kCmdAnalyzeFile, AnalyseRecordingAtOnce(g.s) ? 3 : 2);
}

void ScanFileCommand(bool fileChosen) {
  ProbeResult probe;
  if (!ChooseWaveFile(fileChosen, ProbeMode::ScanFile, probe)) return;
  WaveFileInfo info = probe.info;
  g.s.bitsChoice = info.bitsPerSample == 8 ? kBits8 : kBits16;
  g.s.channelType = info.channels == 2 ? kStereo : kMono;
  if (g.s.variablesMode == kVariablesAdjust) {
    FileDialogValues v;
    v.sampleRateHz = info.sampleRateHz;
    for (;;) {
      if (!ParameterDialog(IDD_SCAN_FILE, &v)) return;
      info.sampleRateHz = v.sampleRateHz;
      if (info.sampleRateHz < 4000 || info.sampleRateHz > 44100) {
        ShowMessage("Sample Rate Out of Range", MessageIcon::Stop);
        v.sampleRateHz = info.sampleRateHz = 11025;
        continue;
      }
      break;
    }
  }
  info.bitsPerSample = g.s.bitsChoice == kBits8 ? 8 : 16;
  info.channels = g.s.channelType == kStereo ? 2 : 1;
  if (info.dataBytes < kMinimumSampleBytes)
    return ShowMessage("Sample Size Too Small", MessageIcon::Stop);
  ApplyBandRules(g.s, info.sampleRateHz);
  g.run = LiveRun{};
  g.run.scanFile = true;
  g.run.format = info.Format();
  if (!g.run.source.Open(platform::Narrow(g.wavePath), platform::OpenMode::Read) ||
      !g.run.source.Seek(info.dataOffset))
    return ShowMessage("Cannot Open File", MessageIcon::Exclamation);
  g.run.fileBytesLeft = info.dataBytes;
  g.run.selectionBytes = info.dataBytes;
  PrepareDisplay(Mode::ScanFile, L"Scan File");
  try {
    g.run.analyser.Setup(LiveOptions(g.s, g.run.format.sampleRateHz), g.run.format);
  } catch (const TesselError& e) {
    EndScanState();
    return ShowError(e);
  }
  if (!StartOutput()) {
    g.run.source.Close();
    EndScanState();
    return ShowMessage("Cannot Open Audio Device", MessageIcon::Stop);
  }
  g.playingAll = true;
  g.stopRequested = false;
  SetMenuState(MenuState::Busy);
  BusyButtons();
  const uint32_t blockAlign = g.run.format.BlockAlign();
  const uint32_t ringFrames = g.run.playback.bytes / blockAlign;
  RunLoop(
      [start = NowMs()] {
        return PlayedFrames(g.output.PositionBytes(), NowMs() - start, g.run.format);
      },
      ringFrames, int64_t(info.dataBytes / blockAlign));
  g.output.Close();
  g.playingAll = false;
  g.run.source.Close();
  EndScanState();
  if (g.closePending) return void(PostMessageW(g.window, WM_CLOSE, 0, 0));
  if (g.s.analysisAtStop == kAnalysisOn) {
    g.scopeShown = false;
    PostMessageW(g.window, WM_COMMAND, kCmdAnalyzeFile, 2);
  }
}

void PlayCommand(bool window) {
  if (!g.displayBitmapValid || g.current.sample.Empty()) return;
  g.run = LiveRun{};
  SelectPlayback(g, window);
  if (!StartOutput()) return ShowMessage("Drag Select a Smaller Time Segment", MessageIcon::Stop);
  (window ? g.playingWindow : g.playingAll) = true;
  g.stopRequested = false;
  SetMenuState(MenuState::Busy);
  BusyButtons();
  const double start = NowMs();
  while ((g.playingAll || g.playingWindow) && !g.stopRequested) {
    PumpMessages();
    g.timeNowSec = (NowMs() - start) / 1000;
    Sleep(10);
  }
  // Stop: the reset hands the buffers back through the done message.
  const double until = NowMs() + 2000;
  while ((g.playingAll || g.playingWindow) && NowMs() < until) {
    PumpMessages();
    Sleep(5);
  }
  if (g.playingAll || g.playingWindow) EndPlayback();
  if (g.closePending) PostMessageW(g.window, WM_CLOSE, 0, 0);
}

void StopCommand() {
  g.stopRequested = true;
  g.run.startPending = false;
  if (g.playingAll || g.playingWindow) g.output.Reset();
  if (g.inputOpen) g.input.StopAndReset();
  PumpMessages();
  EnableButton(2, false);
  SetFocus(g.window);
}

// The device handed a half back: it takes the next stretch, and the playback ends when the
// last one has been heard or a stop request reset the device.
void OnWaveOutDone(WAVEHDR* header) {
  if (!g.output.IsOpen() || !g.output.IsReturned(header)) return;
  g.run.halves.Returned();
  if (!g.stopRequested) WriteNextHalf();
  // A file scan ends by the clock (or Stop), which also covers a device that is done early.
  if (g.run.scanFile) return;
  if (g.stopRequested || g.run.halves.Finished()) EndPlayback();
}

void EndPlayback() {
  if (!g.playingAll && !g.playingWindow) return;
  g.output.Close();
  g.playingAll = g.playingWindow = false;
  g.stopRequested = true;
  EnableButton(2, false);
  EnableButton(1, true);
  EnableButton(3, true);
  EnableButton(0, PlayAllUseful(g));
  SetMenuState(MenuState::ReadyWithData);
  InvalidateRect(g.window, nullptr, FALSE);
}

void OnWaveInData(WAVEHDR* header) {
  if (!header || !g.input.IsOpen()) return;
  const InputDone done = InputBufferDone(g, reinterpret_cast<const uint8_t*>(header->lpData),
                                         header->dwBytesRecorded, NowMs());
  if (done.saveEnabled) {
    EnableButton(0, true);
    EnableButton(1, false);
  }
  if (done.postStop) PostMessageW(g.window, WM_COMMAND, kCmdStop, 0);
  if (done.requeue)
    g.input.Requeue(header);
  else
    g.input.Close();
}

void OnWaveInClose() {
  if (g.run.file.IsOpen()) g.run.file.Finish(uint32_t(std::min<uint64_t>(g.run.total, UINT32_MAX)));
  g.quickSaving = false;
  g.inputOpen = false;
}

void QuickSaveButton(bool save) {
  if (!g.inputOpen) return;
  try {
    QuickSavePress(g, save, NowMs());
  } catch (const TesselError& e) {
    return ShowError(e);
  }
  if (save) {
    EnableButton(0, false);
    EnableButton(1, true);
  }
  SetFocus(g.window);
}

}  // namespace tessel_win
