#include "analyser/core/Realtime.h"

#include <algorithm>
#include <cmath>

#include "analyser/core/View.h"

namespace tessel {

bool AnalyseRecordingAtOnce(const AnalysisSettings& s) {
  return RecordingSeconds(s.lengthChoice) > 0 && s.displayType != kDisplayScope;
}

const char* ScanCompleteNotice(bool saved) {
  return saved ? "Audio Scanning Complete.  Wave data has been saved to file."
               : "Audio Scanning Complete.  No wave data has been saved.";
}

AnalysisOptions LiveOptions(const AnalysisSettings& s, uint32_t rate) {
  AnalysisOptions o = OptionsFromSettings(s, rate);
  o.spectrumAverage =
      s.displayType == kDisplayScope ? s.spectrumAverageScope : s.spectrumAverageScroll;
  return o;
}

WaveFormat CaptureFormat(const AnalysisSettings& s) {
  WaveFormat f;
  f.channels = s.channelType == kStereo ? 2 : 1;
  f.bitsPerSample = s.bitsChoice == kBits8 ? 8 : 16;
  f.sampleRateHz = RateOfChoice(s.rateChoice);
  if (!f.sampleRateHz) f.sampleRateHz = 22050;
  return f;
}

void BeginScan(AnalyserState& st, Mode mode, const WaveFormat& format) {
  st.mode = mode;
  st.frozen = false;
  st.scopeShown = st.s.displayType == kDisplayScope;
  if (st.scopeShown) st.s.paletteChoice = kPaletteCB;
  Analysed& a = st.current;
  a = Analysed();
  st.scannedBytes = st.run.scanFile ? st.run.selectionBytes : 0;
  st.scopeRaise = 0;
  a.info.sampleRateHz = format.sampleRateHz;
  a.info.channels = format.channels;
  a.info.bitsPerSample = format.bitsPerSample;
  a.fftSize = 1 << FftExponentOfChoice(st.s.fftSizeChoice);
  a.bandLowHz = st.s.bandLowHz;
  a.bandHighHz = st.s.bandHighHz;
  a.logScale = st.s.freqScale == kScaleLog;
  a.channelView = st.s.channelView;
  if (a.logScale)
    a.decadesPerRow =
        BuildRowBinTable(st.s.bandLowHz, st.s.bandHighHz, a.fftSize, format.sampleRateHz, 256).step;
}

void ResetLiveDisplay(AnalyserState& st) {
  const bool stereo = st.run.format.channels == 2;
  st.live = IndexedImage(st.displayW, st.displayH, kIndexBackground);
  st.scopeOrigin = ScopeOriginFor(st.displayW, st.displayH, st.cw, st.ch);
  st.run.scroll =
      std::make_unique<LiveScrollDisplay>(st.displayW, st.displayH, stereo, st.s.channelView);
  st.run.scope.Reset();
}

bool DrawLiveFrame(AnalyserState& st, const uint8_t* frame) {
  LiveAnalyser& a = st.run.analyser;
  a.Run(frame);
  const bool stereo = a.Channels() == 2;
  if (st.scopeShown) {
    st.live.Fill(kIndexBackground);
    const bool dual = stereo && st.s.channelView == kViewDual;
    const int single = stereo && st.s.channelView == kViewRight ? 1 : 0;
    const int* rows[2] = {a.Averaged(dual ? 0 : single), dual ? a.Averaged(1) : nullptr};
    st.run.scope.Draw(st.live, st.scopeOrigin, rows, st.run.format.bitsPerSample == 16,
                      st.s.displayType);
    st.scopeRaise = st.run.scope.Raise();
    return true;
  }
  const uint8_t* indices[2] = {a.Indices(0), a.Indices(stereo ? 1 : 0)};
  const WaveExtremes extremes[2] = {a.Extremes(0), a.Extremes(stereo ? 1 : 0)};
  st.run.scroll->AddColumn(indices, extremes);
  if (st.run.scroll->Columns() % 4 != 0) return false;
  st.live = st.run.scroll->Window();
  return true;
}

void RealtimeLoop(AnalyserState& st, Clock& clock, const RealtimeHooks& hooks, uint32_t ringFrames,
                  int64_t endFrames) {
  const WaveFormat& f = st.run.format;
  const int n = st.run.analyser.N();
  const double windowMs = LiveOptions(st.s, f.sampleRateHz).windowMs;
  const double initialDelay = std::max(0.0, std::trunc(std::max(0.0, windowMs)) + st.s.latencyMs);
  const double start = clock.NowMs();
  const double pace = st.scopeShown ? 10 : 4;
  double last = -1e9;
  int64_t frames = 0;
  std::vector<uint8_t> frame;
  while (!st.stopRequested) {
    if (hooks.pump) hooks.pump();
    if (st.stopRequested) break;
    const double elapsed = clock.NowMs() - start;
    if (elapsed < initialDelay || elapsed - last < pace) {
      clock.SleepMs(1);
      continue;
    }
    last = elapsed;
    st.timeNowSec = elapsed / 1000;
    if (!st.run.scanFile) st.scannedBytes = uint64_t(st.timeNowSec * f.BytesPerSecond());
    if (endFrames > 0 && int64_t(elapsed * f.sampleRateHz / 1000) >= endFrames - n) {
      st.stopRequested = true;
      break;
    }
    const int64_t position = hooks.positionFrames ? hooks.positionFrames() : -1;
    const int64_t end = position >= 0
                            ? LatencyAdjustedFrame(position, f.sampleRateHz, st.s.latencyMs)
                            : int64_t((elapsed - st.s.latencyMs) * f.sampleRateHz / 1000);
    if (end < n || !GatherRingFrame(st.run.ring.data(), ringFrames, end, n, f.BlockAlign(), frame))
      continue;
    ++frames;
    st.current.timeScaleMs = elapsed / double(frames);
    if (DrawLiveFrame(st, frame.data()) && hooks.show) hooks.show();
  }
}

int64_t PlayedFrames(int64_t deviceBytes, double elapsedMs, const WaveFormat& f) {
  if (deviceBytes < 0) return -1;
  const int64_t align = std::max<int64_t>(1, f.BlockAlign());
  const int64_t byClock = int64_t(elapsedMs * f.BytesPerSecond() / 1000) / align * align;
  return std::min(deviceBytes, byClock) / align;
}

InputDone InputBufferDone(AnalyserState& st, const uint8_t* data, uint32_t b, double nowMs) {
  LiveRun& r = st.run;
  InputDone done;
  if (r.recording) {
    uint32_t n = b;
    if (r.recordLimit && r.total + n >= r.recordLimit) {  // a fixed length ends the recording
      n = uint32_t(r.recordLimit - r.total);
      st.stopRequested = true;
    }
    r.total += r.file.Append(data, n);
  } else if (r.scanInput && st.s.quickSave == kQuickSaveOn && st.quickSaving) {
    const ByteRange range = QuickSaveRange(r.startPending, r.stopPending, r.saveMs, r.stopMs,
                                           r.bufferStartMs, r.format, b);
    r.total += r.file.Append(data + range.begin, range.end - range.begin);
    r.startPending = false;
    if (r.stopPending) {
      r.stopPending = false;
      st.quickSaving = false;
      done.saveEnabled = true;
    }
  }
  done.postStop = RecordingFull(r.total, r.buffers.bytes);
  done.requeue = !st.stopRequested;
  if (done.requeue) r.bufferStartMs = nowMs;
  return done;
}

void QuickSavePress(AnalyserState& st, bool save, double nowMs) {
  LiveRun& r = st.run;
  if (!save) {
    r.stopPending = true;
    r.stopMs = nowMs;
    return;
  }
  if (!r.quickBegun) {
    r.file.Begin(r.recordingPath, r.format);
    r.quickBegun = true;
    r.total = 0;
  }
  r.startPending = true;
  r.stopPending = false;
  r.saveMs = nowMs;
  st.quickSaving = true;
}

void SelectPlayback(AnalyserState& st, bool window) {
  const Analysed& a = st.current;
  const uint32_t data = a.sample.DataBytes();
  st.run.format = a.sample.Format();
  st.run.selectionBegin = 0;
  st.run.selectionBytes = data;
  if (!window) return;
  const uint32_t from = MillisecondsToDataOffset(st.scrollX * a.timeScaleMs, a.info);
  const uint32_t to =
      MillisecondsToDataOffset((st.scrollX + VisibleWidth(st)) * a.timeScaleMs, a.info);
  st.run.selectionBegin = std::min(from, data);
  st.run.selectionBytes = std::min(to, data) - st.run.selectionBegin;
}

void FillHalf(AnalyserState& st, uint8_t* dst, uint32_t bytes, uint64_t offset) {
  LiveRun& r = st.run;
  std::fill_n(dst, bytes, r.playback.silence);
  if (r.scanFile) {
    const size_t want = size_t(std::min<uint64_t>(bytes, r.fileBytesLeft));
    const size_t got = want ? r.source.Read(dst, want) : 0;
    r.fileBytesLeft = got < want ? 0 : r.fileBytesLeft - got;
    return;
  }
  if (offset >= r.selectionBytes) return;
  const uint64_t n = std::min<uint64_t>(bytes, r.selectionBytes - offset);
  std::copy_n(st.current.sample.Data() + r.selectionBegin + offset, size_t(n), dst);
}

bool PlayAllUseful(const AnalyserState& st) {
  const Analysed& a = st.current;
  if (!(a.timeScaleMs > 0) || a.info.sampleRateHz == 0) return false;
  const double ms =
      a.sample.DataBytes() / (a.info.sampleRateHz * double(a.info.BlockAlign()) / 1000);
  return ms / a.timeScaleMs > VisibleWidth(st);
}

}  // namespace tessel
