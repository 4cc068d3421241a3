// The real-time work: Scan Input and Analyze Input on the wave input, Scan File and the two
// Play commands on the wave output. Everything runs on the window's thread: the loops drain
// the queue between frames, and the devices report finished buffers as window messages.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "analyser/core/Analysis.h"
#include "analyser/core/LiveScan.h"
#include "analyser/core/Playback.h"
#include "analyser/core/Readouts.h"
#include "analyser/win/App.h"
#include "resources/analyser/resource.h"

namespace tessel_win {

using namespace tessel;

namespace {

const wchar_t kWaveFilter[] = L"Wave Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0";

struct LiveRun {
  WaveFormat format;
  InputBuffers buffers;
  std::vector<uint8_t> ring;  // input: buffers A and B; output: the two halves played in turn
  LiveAnalyser analyser;
  std::unique_ptr<LiveScrollDisplay> scroll;
  ScopePlot scope;
  bool scanInput = false;
  // Recording (Analyze Input) and Quick Save (Scan Input).
  RecordingFile file;
  bool recording = false;
  std::wstring recordingPath;
  uint64_t total = 0;
  bool quickBegun = false, startPending = false, stopPending = false;
  double saveMs = 0, stopMs = 0, bufferStartMs = 0;
  int completions = 0;
  // Playback.
  PlaybackBuffer playback;
  uint64_t selectionBegin = 0, selectionBytes = 0;  // within the source
  HalfSchedule halves;
  FileHandle source;  // Scan File reads the wave file
  uint64_t fileBytesLeft = 0;
  bool scanFile = false;
} g_run;

double NowMs() { return double(GetTickCount()); }

void FillFromSource(uint8_t* dst, uint32_t bytes, uint64_t offset) {
  std::fill_n(dst, bytes, g_run.playback.silence);
  if (g_run.scanFile) {
    const size_t want = size_t(std::min<uint64_t>(bytes, g_run.fileBytesLeft));
    const size_t got = want ? ReadFile(g_run.source.get(), dst, want) : 0;
    g_run.fileBytesLeft -= got;
    if (got < want) g_run.fileBytesLeft = 0;
    return;
  }
  if (offset >= g_run.selectionBytes) return;
  const uint64_t n = std::min<uint64_t>(bytes, g_run.selectionBytes - offset);
  std::copy_n(g.current.sample.Data() + g_run.selectionBegin + offset, size_t(n), dst);
}

// Fills the next stretch of the selection into its half and hands that half to the device;
// false when the selection is exhausted or the device refuses it.
bool WriteNextHalf() {
  HalfFill fill;
  if (!g_run.halves.Next(fill)) return false;
  const uint32_t half = g_run.playback.bytes / 2;
  uint8_t* dst = g_run.ring.data() + size_t(fill.half) * half;
  FillFromSource(dst, half, fill.offset);
  if (g.output.Write(fill.half, dst, fill.length)) return true;
  g_run.halves.Returned();  // never queued
  return false;
}

// Both halves go out at once, so that one plays while the other is refilled.
bool StartOutput() {
  const WaveFormat& f = g_run.format;
  g_run.playback = PlaybackBufferFor(f.sampleRateHz, f.channels, f.BytesPerSample());
  g_run.ring.assign(g_run.playback.bytes, g_run.playback.silence);
  // A quarter of a second of silence after the selection (see HalfSchedule).
  const uint32_t tail = f.BytesPerSecond() / 4 / f.BlockAlign() * f.BlockAlign();
  g_run.halves = HalfSchedule(g_run.selectionBytes, g_run.playback.bytes / 2, tail);
  if (!g.output.Open(g.window, f)) return false;
  if (!WriteNextHalf()) {
    g.output.Close();
    return false;
  }
  WriteNextHalf();
  return true;
}

AnalysisOptions LiveOptions() {
  AnalysisOptions o = OptionsFromSettings(g.s, g_run.format.sampleRateHz);
  o.spectrumAverage =
      g.s.displayType == kDisplayScope ? g.s.spectrumAverageScope : g.s.spectrumAverageScroll;
  return o;
}

void SetCurrentForScan() {
  g.current = Analysed();
  g.scannedBytes = g_run.scanFile ? g_run.selectionBytes : 0;
  g.scopeRaise = 0;
  g.current.info.sampleRateHz = g_run.format.sampleRateHz;
  g.current.info.channels = g_run.format.channels;
  g.current.info.bitsPerSample = g_run.format.bitsPerSample;
  g.current.fftSize = 1 << FftExponentOfChoice(g.s.fftSizeChoice);
  g.current.bandLowHz = g.s.bandLowHz;
  g.current.bandHighHz = g.s.bandHighHz;
  g.current.logScale = g.s.freqScale == kScaleLog;
  g.current.channelView = g.s.channelView;
  if (g.current.logScale)
    g.current.decadesPerRow = BuildRowBinTable(g.s.bandLowHz, g.s.bandHighHz, g.current.fftSize,
                                               g_run.format.sampleRateHz, 256)
                                  .step;
}

// Everything a start command shares before its device opens. The menus go busy first: the
// queue is drained below, and a start key handled there would run a second command inside
// this one; every path that ends the command sets them back.
void PrepareDisplay(Mode mode, const wchar_t* title) {
  SetMenuState(MenuState::Busy);
  for (int i = 0; i < 4; ++i) EnableButton(i, false);
  ReleaseAnalysis();
  g.mode = mode;
  g.frozen = false;
  g.scopeShown = g.s.displayType == kDisplayScope;
  LONG style = GetWindowLongW(g.window, GWL_STYLE);
  style = g.scopeShown ? (style & ~(WS_THICKFRAME | WS_MAXIMIZEBOX))
                       : (style | WS_THICKFRAME | WS_MAXIMIZEBOX);
  SetWindowLongW(g.window, GWL_STYLE, style);
  if (g.scopeShown) {
    g.s.paletteChoice = kPaletteCB;
    RECT r;
    GetWindowRect(g.window, &r);
    SetWindowPos(g.window, nullptr, 0, 0, std::max(int(r.right - r.left), 90 * g.cw),
                 g.createHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  } else {
    RECT r;
    GetWindowRect(g.window, &r);
    SetWindowPos(g.window, nullptr, 0, 0, r.right - r.left, g.createHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  Relayout();
  SetCurrentForScan();
  ApplyPalette();
  const bool stereo = g_run.format.channels == 2;
  g.live = IndexedImage(g.displayW, g.displayH, kIndexBackground);
  g.scopeOrigin = ScopeOriginFor(g.displayW, g.displayH, g.cw, g.ch);
  g_run.scroll =
      std::make_unique<LiveScrollDisplay>(g.displayW, g.displayH, stereo, g.s.channelView);
  g_run.scope.Reset();
  SetWindowTextW(g.window, title);
  InvalidateRect(g.window, nullptr, FALSE);
  PumpMessages();
}

void DrawLiveFrame() {
  LiveAnalyser& a = g_run.analyser;
  if (g.scopeShown) {
    g.live.Fill(kIndexBackground);
    const bool dual = a.Channels() == 2 && g.s.channelView == kViewDual;
    const int single = a.Channels() == 2 && g.s.channelView == kViewRight ? 1 : 0;
    const int* rows[2] = {a.Averaged(dual ? 0 : single), dual ? a.Averaged(1) : nullptr};
    g_run.scope.Draw(g.live, g.scopeOrigin, rows, g_run.format.bitsPerSample == 16,
                     g.s.displayType);
    g.scopeRaise = g_run.scope.Raise();
    BlitLive();
    return;
  }
  const uint8_t* indices[2] = {a.Indices(0), a.Indices(a.Channels() == 2 ? 1 : 0)};
  const WaveExtremes extremes[2] = {a.Extremes(0), a.Extremes(a.Channels() == 2 ? 1 : 0)};
  g_run.scroll->AddColumn(indices, extremes);
  if (g_run.scroll->Columns() % 4 == 0) {
    g.live = g_run.scroll->Window();
    BlitLive();
  }
}

// The real-time loop: one frame per pass until the stop request. positionFrames gives the
// device position in frames (or -1); ringFrames is the length of the circular data.
void RealtimeLoop(const std::function<int64_t()>& positionFrames, uint32_t ringFrames,
                  int64_t endFrames) {
  const WaveFormat& f = g_run.format;
  const int n = g_run.analyser.N();
  const double windowMs = LiveOptions().windowMs;
  const double initialDelay =
      std::max(0.0, std::trunc(windowMs > 0 ? windowMs : 0) + g.s.latencyMs);
  const double start = NowMs();
  const double pace = g.scopeShown ? 10 : 4;
  double last = -1e9;
  int64_t frames = 0;
  std::vector<uint8_t> frame;
  while (!g.stopRequested) {
    PumpMessages();
    if (g.stopRequested) break;
    const double elapsed = NowMs() - start;
    if (elapsed < initialDelay || elapsed - last < pace) {
      Sleep(1);
      continue;
    }
    last = elapsed;
    g.timeNowSec = elapsed / 1000;
    if (!g_run.scanFile) g.scannedBytes = uint64_t(g.timeNowSec * f.BytesPerSecond());
    const int64_t position = positionFrames();
    const int64_t end = position >= 0
                            ? LatencyAdjustedFrame(position, f.sampleRateHz, g.s.latencyMs)
                            : int64_t((elapsed - g.s.latencyMs) * f.sampleRateHz / 1000);
    if (endFrames > 0 && int64_t(elapsed * f.sampleRateHz / 1000) >= endFrames - n) {
      g.stopRequested = true;
      break;
    }
    if (end < n || !GatherRingFrame(g_run.ring.data() + (g_run.scanInput ? 0 : 0), ringFrames, end,
                                    n, f.BlockAlign(), frame))
      continue;
    g_run.analyser.Run(frame.data());
    ++frames;
    g.current.timeScaleMs = elapsed / double(frames);
    DrawLiveFrame();
  }
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

WaveFormat CaptureFormat() {
  WaveFormat f;
  f.channels = g.s.channelType == kStereo ? 2 : 1;
  f.bitsPerSample = g.s.bitsChoice == kBits8 ? 8 : 16;
  f.sampleRateHz = RateOfChoice(g.s.rateChoice);
  if (!f.sampleRateHz) f.sampleRateHz = 22050;
  return f;
}

// Opens the input and runs the loop; false when the device could not be used.
bool RunInput(uint32_t fixedSeconds) {
  g_run.buffers = InputBuffersFor(g_run.format, fixedSeconds);
  g_run.ring.assign(size_t(g_run.buffers.bytes) * 2, g_run.buffers.silence);
  g_run.analyser.Setup(LiveOptions(), g_run.format);
  if (!g.input.Open(g.window, g_run.format)) {
    ShowMessage("Cannot Open Audio Device", MessageIcon::Stop);
    return false;
  }
  if (!g.input.Start(g_run.ring.data(), g_run.ring.data() + g_run.buffers.bytes,
                     g_run.buffers.bytes)) {
    g.input.Close();
    return false;
  }
  g_run.total = 0;
  g_run.completions = 0;
  g_run.bufferStartMs = NowMs();
  g.stopRequested = false;
  g.inputOpen = true;
  SetMenuState(MenuState::Busy);
  BusyButtons();
  if (g_run.scanInput && g.s.quickSave == kQuickSaveOn) {
    SetWindowTextW(g.buttons[0], L"Save");
    SetWindowTextW(g.buttons[1], L"Stop Save");
    EnableButton(0, true);
  }
  const uint32_t blockAlign = g_run.format.BlockAlign();
  RealtimeLoop(
      [blockAlign] {
        return g.input.PositionBytes() < 0 ? -1 : g.input.PositionBytes() / blockAlign;
      },
      g_run.buffers.frames * 2, 0);
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
  g_run = LiveRun{};
  g_run.scanInput = true;
  g_run.format = CaptureFormat();
  if (g.s.quickSave == kQuickSaveOn &&
      !ChooseFile(true, L"Record Wave File", kWaveFilter, g_run.recordingPath))
    g.s.quickSave = kQuickSaveOff;
  g.s.lengthChoice = kLengthAny;
  PrepareDisplay(Mode::ScanInput, L"Scan Input");
  const bool ran = RunInput(0);
  const bool saved = g_run.quickBegun;
  EndScanState();
  if (ran && !g.closePending && !g.scopeShown)
    ShowNotice(saved ? L"Audio Scanning Complete.  Wave data has been saved to file."
                     : L"Audio Scanning Complete.  No wave data has been saved.");
  if (g.closePending) PostMessageW(g.window, WM_CLOSE, 0, 0);
}

void AnalyzeInputCommand() {
  g.s.quickSave = kQuickSaveOff;
  g_run = LiveRun{};
  if (!ChooseFile(true, L"Record Wave File", kWaveFilter, g_run.recordingPath)) return;
  g_run.format = CaptureFormat();
  try {
    g_run.file.Begin(g_run.recordingPath, g_run.format);
  } catch (const TesselError& e) {
    return ShowError(e);
  }
  if (!ShowCaptureDialog(IDD_ANALYZE_INPUT)) {
    g_run.file.Finish(0);
    DeleteFileW(g_run.recordingPath.c_str());
    return;
  }
  g_run.format = CaptureFormat();
  g_run.file.Begin(g_run.recordingPath, g_run.format);
  g_run.recording = true;
  PrepareDisplay(Mode::AnalyzeInput, L"Analyze Input");
  const uint32_t seconds = RecordingSeconds(g.s.lengthChoice);
  g_run.fileBytesLeft = seconds ? uint64_t(seconds) * g_run.format.BytesPerSecond() : 0;
  const bool ran = RunInput(0);
  EndScanState();
  if (g.closePending) return void(PostMessageW(g.window, WM_CLOSE, 0, 0));
  if (!ran) {
    DeleteFileW(g_run.recordingPath.c_str());
    return;
  }
  // The recording is analysed as a file that was opened with Analyze File.
  g.scopeShown = false;
  g.wavePath = g_run.recordingPath;
  PostMessageW(g.window, WM_COMMAND, kCmdAnalyzeFile, 2);
}

void ScanFileCommand(bool fileChosen) {
  ProbeResult probe;
  for (;;) {
    if (!fileChosen && !ChooseFile(false, L"Open Wave File", kWaveFilter, g.wavePath)) return;
    fileChosen = false;
    try {
      probe = Probe(g.wavePath, ProbeMode::ScanFile);
      break;
    } catch (const TesselError& e) {
      ShowError(e);
      if (std::string(e.what()) != "Sample Size Too Small") return;
    }
  }
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
  g_run = LiveRun{};
  g_run.scanFile = true;
  g_run.format = info.Format();
  g_run.source = OpenFile(g.wavePath, FileMode::Read);
  if (!g_run.source || !SeekFile(g_run.source.get(), info.dataOffset))
    return ShowMessage("Cannot Open File", MessageIcon::Exclamation);
  g_run.fileBytesLeft = info.dataBytes;
  g_run.selectionBytes = info.dataBytes;
  PrepareDisplay(Mode::ScanFile, L"Scan File");
  try {
    g_run.analyser.Setup(LiveOptions(), g_run.format);
  } catch (const TesselError& e) {
    EndScanState();
    return ShowError(e);
  }
  if (!StartOutput()) {
    g_run.source.reset();
    EndScanState();
    return ShowMessage("Cannot Open Audio Device", MessageIcon::Stop);
  }
  g.playingAll = true;
  g.stopRequested = false;
  SetMenuState(MenuState::Busy);
  BusyButtons();
  const uint32_t blockAlign = g_run.format.BlockAlign();
  const uint32_t ringFrames = g_run.playback.bytes / blockAlign;
  RealtimeLoop(
      [blockAlign, start = NowMs()] {
        // A device that reports more than the time gone by (one that plays at once) is
        // followed by the clock, so that the picture keeps pace with the sound.
        const int64_t byClock = int64_t((NowMs() - start) * g_run.format.BytesPerSecond() / 1000) /
                                blockAlign * blockAlign;
        int64_t bytes = g.output.PositionBytes();
        bytes = bytes < 0 ? -1 : std::min(bytes, byClock);
        return bytes < 0 ? -1 : bytes / blockAlign;
      },
      ringFrames, int64_t(info.dataBytes / blockAlign));
  g.output.Close();
  g.playingAll = false;
  g_run.source.reset();
  EndScanState();
  if (g.closePending) return void(PostMessageW(g.window, WM_CLOSE, 0, 0));
  if (g.s.analysisAtStop == kAnalysisOn) {
    g.scopeShown = false;
    PostMessageW(g.window, WM_COMMAND, kCmdAnalyzeFile, 2);
  }
}

void PlayCommand(bool window) {
  if (!g.displayBitmapValid || g.current.sample.Empty()) return;
  const WaveFileInfo& info = g.current.info;
  g_run = LiveRun{};
  g_run.format = g.current.sample.Format();
  const uint32_t data = g.current.sample.DataBytes();
  if (window) {
    const bool dual = g.current.bitmap.Stereo() && g.current.channelView == kViewDual;
    const int visible = dual ? g.displayW / 2 - 3 : g.displayW;
    const uint32_t a = MillisecondsToDataOffset(g.scrollX * g.current.timeScaleMs, info);
    const uint32_t b =
        MillisecondsToDataOffset((g.scrollX + visible) * g.current.timeScaleMs, info);
    g_run.selectionBegin = std::min(a, data);
    g_run.selectionBytes = std::min(b, data) - g_run.selectionBegin;
  } else {
    g_run.selectionBytes = data;
  }
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
  g_run.startPending = false;
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
  g_run.halves.Returned();
  if (!g.stopRequested) WriteNextHalf();
  // A file scan ends by the clock (or Stop), which also covers a device that is done early.
  if (g_run.scanFile) return;
  if (g.stopRequested || g_run.halves.Finished()) EndPlayback();
}

void EndPlayback() {
  if (!g.playingAll && !g.playingWindow) return;
  g.output.Close();
  g.playingAll = g.playingWindow = false;
  g.stopRequested = true;
  const bool dual = g.current.bitmap.Stereo() && g.current.channelView == kViewDual;
  const int visible = dual ? g.displayW / 2 - 3 : g.displayW;
  const double columns =
      g.current.timeScaleMs > 0
          ? (g.current.sample.DataBytes() /
             (g.current.info.sampleRateHz * double(g.current.info.BlockAlign()) / 1000)) /
                g.current.timeScaleMs
          : 0;
  EnableButton(2, false);
  EnableButton(1, true);
  EnableButton(3, true);
  EnableButton(0, columns > visible);
  SetMenuState(MenuState::ReadyWithData);
  InvalidateRect(g.window, nullptr, FALSE);
}

void OnWaveInData(WAVEHDR* header) {
  if (!header || !g.input.IsOpen()) return;
  const uint32_t b = header->dwBytesRecorded;
  const auto* data = reinterpret_cast<const uint8_t*>(header->lpData);
  if (g_run.recording) {
    const uint64_t limit = g_run.fileBytesLeft;  // a fixed length ends the recording
    uint32_t n = b;
    if (limit && g_run.total + n >= limit) {
      n = uint32_t(limit - g_run.total);
      g.stopRequested = true;
    }
    g_run.total += g_run.file.Append(data, n);
  } else if (g_run.scanInput && g.s.quickSave == kQuickSaveOn && g.quickSaving) {
    const ByteRange r = QuickSaveRange(g_run.startPending, g_run.stopPending, g_run.saveMs,
                                       g_run.stopMs, g_run.bufferStartMs, g_run.format, b);
    g_run.total += g_run.file.Append(data + r.begin, r.end - r.begin);
    g_run.startPending = false;
    if (g_run.stopPending) {
      g_run.stopPending = false;
      g.quickSaving = false;
      EnableButton(0, true);
      EnableButton(1, false);
    }
  }
  if (RecordingFull(g_run.total, g_run.buffers.bytes))
    PostMessageW(g.window, WM_COMMAND, kCmdStop, 0);
  if (!g.stopRequested) {
    g.input.Requeue(header);
    g_run.bufferStartMs = NowMs();
    return;
  }
  g.input.Close();
}

void OnWaveInClose() {
  if (g_run.file.IsOpen()) g_run.file.Finish(uint32_t(std::min<uint64_t>(g_run.total, UINT32_MAX)));
  g.quickSaving = false;
  g.inputOpen = false;
}

void QuickSaveButton(bool save) {
  if (!g.inputOpen) return;
  if (save) {
    if (!g_run.quickBegun) {
      try {
        g_run.file.Begin(g_run.recordingPath, g_run.format);
      } catch (const TesselError& e) {
        return ShowError(e);
      }
      g_run.quickBegun = true;
      g_run.total = 0;
    }
    EnableButton(0, false);
    g_run.startPending = true;
    g_run.stopPending = false;
    EnableButton(1, true);
    g_run.saveMs = NowMs();
    g.quickSaving = true;
  } else {
    g_run.stopPending = true;
    g_run.stopMs = NowMs();
  }
  SetFocus(g.window);
}

}  // namespace tessel_win
