#include "analyser/core/ParameterForm.h"

#include <algorithm>

#include "analyser/core/Analysis.h"

namespace tessel {

ParameterForm OpenForm(FormKind kind, const AnalysisSettings& live, uint32_t fileRateHz) {
  ParameterForm f;
  f.kind = kind;
  f.work = live;
  f.fileRate = kind == FormKind::ScanFile || kind == FormKind::AnalyzeFile;
  f.rateHz = f.openRate = f.fileRate ? fileRateHz : 0;
  return f;
}

uint32_t FormRate(const ParameterForm& f) {
  return f.fileRate ? f.rateHz : RateOfChoice(f.work.rateChoice);
}

bool ScopeChosen(const ParameterForm& f) {
  return f.kind != FormKind::AnalyzeFile && f.work.displayType == kDisplayScope;
}

int32_t& AverageField(const ParameterForm& f, AnalysisSettings& live) {
  return ScopeChosen(f) ? live.spectrumAverageScope : live.spectrumAverageScroll;
}

BandBar UpdateBand(ParameterForm& f, AnalysisSettings& live) {
  AnalysisSettings t = live;
  t.fftSizeChoice = f.work.fftSizeChoice;
  t.freqScale = f.work.freqScale;
  const uint32_t rate = FormRate(f);
  ApplyBandRules(t, rate);
  f.work.fftSizeChoice = t.fftSizeChoice;
  live.bandLowHz = t.bandLowHz;
  live.bandHighHz = t.bandHighHz;
  live.freqResolutionHz = t.freqResolutionHz;
  if (f.work.freqScale == kScaleLog) return {10, 1000, true};
  const double bw = BinWidth(rate, 1 << FftExponentOfChoice(f.work.fftSizeChoice));
  const int maxLow = std::max(0, int(rate / 2.0 - 256 * bw));
  return {0, maxLow, maxLow > 0};
}

namespace {

bool Within(uint32_t id, uint32_t first, uint32_t last) { return id >= first && id <= last; }

}  // namespace

bool ChooseRadio(ParameterForm& f, AnalysisSettings& live, uint32_t id) {
  AnalysisSettings& w = f.work;
  if (Within(id, kRate5k, kRate44k))
    w.rateChoice = id;
  else if (id == kBits8 || id == kBits16)
    w.bitsChoice = id;
  else if (id == kMono || id == kStereo)
    w.channelType = id;
  else if (Within(id, kLength10, kLengthAny))
    w.lengthChoice = id;
  else if (id == kScaleLinear || id == kScaleLog)
    w.freqScale = id;
  else if (Within(id, kFft512, kFft16384))
    w.fftSizeChoice = id;
  else if (Within(id, kViewDual, kViewRight))
    w.channelView = id;
  else if (id == kDisplayScroll || id == kDisplayScope)
    w.displayType = id;
  else if (Within(id, kPaletteCB, kPaletteWB))
    w.paletteChoice = id;
  else if (id == kQuickSaveOn || id == kQuickSaveOff)
    w.quickSave = id;
  else if (f.kind == FormKind::ScanFile && (id == kAnalysisOn || id == kAnalysisOff))
    w.analysisAtStop = id;
  else
    return false;
  if (id == kScaleLinear || (Within(id, kFft512, kFft16384) && w.freqScale == kScaleLinear))
    live.bandLowHz = 0;
  if (ScopeChosen(f)) w.paletteChoice = kPaletteCB;
  return true;
}

void AcceptForm(const ParameterForm& f, AnalysisSettings& live) {
  const AnalysisSettings& w = f.work;
  live.rateChoice = w.rateChoice;
  live.bitsChoice = w.bitsChoice;
  live.channelType = w.channelType;
  live.lengthChoice = w.lengthChoice;
  live.freqScale = w.freqScale;
  live.fftSizeChoice = w.fftSizeChoice;
  live.channelView = w.channelView;
  live.paletteChoice = w.paletteChoice;
  live.quickSave = w.quickSave;
  live.analysisAtStop = w.analysisAtStop;
  if (f.kind != FormKind::AnalyzeFile) live.displayType = w.displayType;
  ApplyBandRules(live, FormRate(f));
}

void StartNewRate(ParameterForm& f) {
  f.newMode = true;
  f.rememberedRate = f.rateHz;
}

double FinishNewRate(ParameterForm& f, long typedRate) {
  f.newMode = false;
  f.rateHz = TypedSampleRate(typedRate, f.rememberedRate);
  return double(f.openRate) / f.rateHz;
}

}  // namespace tessel
