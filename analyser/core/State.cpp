#include "analyser/core/State.h"

#include <algorithm>
#include <utility>

#include "analyser/core/Rows.h"
#include "analyser/core/View.h"

namespace tessel {

Analysed AnalysedOf(const AnalysisSettings& s, SampleBuffer sample, DisplayBitmap bitmap,
                    const WaveFileInfo& info, double startMs, double timeScaleMs) {
  Analysed a;
  a.sample = std::move(sample);
  a.bitmap = std::move(bitmap);
  a.info = info;
  a.info.dataBytes = a.sample.DataBytes();
  a.attenuationStep = s.attenuationStep;
  a.paletteChoice = s.paletteChoice;
  a.startMs = startMs;
  a.timeScaleMs = timeScaleMs;
  a.fftSize = 1 << FftExponentOfChoice(s.fftSizeChoice);
  a.bandLowHz = s.bandLowHz;
  a.bandHighHz = ShownBandHighHz(s, info.sampleRateHz, a.fftSize, a.bitmap.Rows());
  a.logScale = s.freqScale == kScaleLog;
  a.channelView = s.channelView;
  if (a.logScale)
    a.decadesPerRow =
        BuildRowBinTable(a.bandLowHz, a.bandHighHz, a.fftSize, info.sampleRateHz, a.bitmap.Rows())
            .step;
  return a;
}

void CommitAnalysis(AnalyserState& st, Analysed next) {
  if (st.displayBitmapValid && !st.lowMemory)
    st.previous = std::make_unique<Analysed>(std::move(st.current));
  st.current = std::move(next);
  st.displayBitmapValid = true;
  st.scopeShown = false;
  st.live = IndexedImage();
  st.mode = Mode::AnalyzeFile;
  st.scrollX = st.scrollY = 0;
}

bool RestorePrevious(AnalyserState& st) {
  if (!st.previous || st.lowMemory) {
    ReleaseAnalysis(st);
    return false;
  }
  st.current = std::move(*st.previous);
  st.previous.reset();
  st.s.attenuationStep = st.current.attenuationStep;
  st.s.paletteChoice = st.current.paletteChoice;
  st.displayBitmapValid = true;
  st.scopeShown = false;
  st.scrollX = st.scrollY = 0;
  return true;
}

void ReleaseAnalysis(AnalyserState& st) {
  st.displayBitmapValid = false;
  st.current = Analysed();
  st.previous.reset();
  st.live = IndexedImage();
  st.scrollX = st.scrollY = 0;
}

MenuContext MenuContextOf(const AnalyserState& st) {
  MenuContext c;
  const DisplayBitmap& b = st.current.bitmap;
  c.scope = st.scopeShown;
  c.bitmapValid = st.displayBitmapValid || (st.scopeShown && !st.live.Empty());
  c.restorable = st.previous != nullptr;
  c.lowMemory = st.lowMemory;
  c.stereo = b.Stereo();
  c.channelView = st.current.channelView;
  c.logScale = st.current.logScale;
  if (st.displayBitmapValid)
    c.entireLarger = EntireImageLarger(b.Image().Width(), b.Image().Height(), c.stereo, st.displayW,
                                       st.displayH);
  return c;
}

bool DragSegment(const AnalyserState& st, int from, int to, double& beginMs, double& endMs) {
  if (from == to) return false;
  const double right = to > from ? 0.5 : 0;
  const double ts = st.current.timeScaleMs;
  const double a = (st.scrollX + from + right) * ts, b = (st.scrollX + to + right) * ts;
  beginMs = st.current.startMs + std::min(a, b);
  endMs = st.current.startMs + std::max(a, b);
  return true;
}

FrameLimits FrameLimitsOf(const AnalyserState& st) {
  const bool scope = st.s.displayType == kDisplayScope && st.scopeShown;
  FrameLimits l;
  l.minWidth = (scope ? 90 : 82) * st.cw;
  l.maxWidth = scope ? l.minWidth : std::max(l.minWidth, st.screenW - 2 * st.cw);
  const int rows = st.displayBitmapValid && !st.scopeShown ? st.current.bitmap.Rows() : 256;
  l.minHeight = st.createHeight;
  l.maxHeight =
      rows > 256 ? std::min(st.createHeight + rows - 256, st.screenH - 8) : st.createHeight;
  return l;
}

int ScrolledPosition(int position, ScrollCode code, int thumb, const ScrollSteps& s) {
  switch (code) {
    case ScrollCode::LineBack:
      position -= s.line;
      break;
    case ScrollCode::LineOn:
      position += s.line;
      break;
    case ScrollCode::PageBack:
      position -= s.page;
      break;
    case ScrollCode::PageOn:
      position += s.page;
      break;
    case ScrollCode::Thumb:
      position = thumb;
      break;
    case ScrollCode::First:
      position = s.low;
      break;
    case ScrollCode::Last:
      position = s.high;
      break;
    default:
      break;
  }
  return std::clamp(position, s.low, std::max(s.low, s.high));
}

}  // namespace tessel
