#include "analyser/core/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Files.h"
#include "platform/LittleEndian.h"

namespace tessel {

using platform::GetLe32;
using platform::PutLe32;

void ApplyRecoveryDefaults(AnalysisSettings& s) {
  AnalysisSettings d;
  d.fftSizeChoice = kFft512;
  d.timeScaleMs = 12.0f;
  // Left as they are: quick save, start mode, sample rate and the two spectrum averages.
  d.quickSave = s.quickSave;
  d.startMode = s.startMode;
  d.sampleRateHz = s.sampleRateHz;
  d.spectrumAverageScroll = s.spectrumAverageScroll;
  d.spectrumAverageScope = s.spectrumAverageScope;
  s = d;
}

uint32_t RateOfChoice(uint32_t rateChoice) {
  switch (rateChoice) {
    case kRate5k:
      return 5513;
    case kRate11k:
      return 11025;
    case kRate22k:
      return 22050;
    case kRate44k:
      return 44100;
    default:
      return 0;
  }
}

int FftExponentOfChoice(uint32_t c) {
  return c >= kFft512 && c <= kFft16384 ? int(c - kFft512) + 9 : 0;
}

uint32_t FftChoiceOfSize(int fftSize) {
  for (int e = 9; e <= 14; ++e)
    if (fftSize == 1 << e) return kFft512 + uint32_t(e - 9);
  return 0;
}

namespace {

uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}
float BitsFloat(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

// Word w of the record, in table order; one list serves both directions.
template <typename Visit>
void ForEachWord(AnalysisSettings& s, Visit visit) {
  uint32_t* choices[] = {&s.rateChoice,   &s.bitsChoice,  &s.fftSizeChoice,  &s.paletteChoice,
                         &s.lengthChoice, &s.displayType, &s.analysisAtStop, &s.freqScale,
                         &s.channelView,  &s.channelType, &s.quickSave};
  for (int i = 0; i < 11; ++i) visit(1 + i, *choices[i]);
  uint32_t ts = FloatBits(s.timeScaleMs);
  visit(12, ts);
  s.timeScaleMs = BitsFloat(ts);
  auto signedWord = [&](int w, int32_t& v) {
    uint32_t u = static_cast<uint32_t>(v);
    visit(w, u);
    v = static_cast<int32_t>(u);
  };
  signedWord(13, s.attenuationStep);
  signedWord(14, s.latencyMs);
  signedWord(15, s.bandLowHz);
  signedWord(16, s.bandHighHz);
  visit(17, s.startMode);
  visit(18, s.sampleRateHz);
  signedWord(19, s.spectrumAverageScroll);
  signedWord(20, s.spectrumAverageScope);
  signedWord(21, s.scopeMarker1Hz);
  signedWord(22, s.scopeMarker2Hz);
  uint32_t fr = FloatBits(s.freqResolutionHz);
  visit(23, fr);
  s.freqResolutionHz = BitsFloat(fr);
  signedWord(24, s.bitmapFactor);
  signedWord(25, s.bitmapDpi);
  signedWord(26, s.freqResolutionTenths);
  visit(27, s.variablesMode);
  visit(28, s.pointerStyle);
}

// A file is untrusted: values no dialog can produce fall back to their start-up values or
// to the nearest one a dialog allows.
void KeepWithinRanges(AnalysisSettings& s) {
  const AnalysisSettings d;
  auto choice = [](uint32_t& v, uint32_t low, uint32_t high, uint32_t fallback) {
    if (v < low || v > high) v = fallback;
  };
  choice(s.rateChoice, kRate5k, kRate44k, d.rateChoice);
  choice(s.bitsChoice, kBits8, kBits16, d.bitsChoice);
  choice(s.fftSizeChoice, kFft512, kFft16384, d.fftSizeChoice);
  choice(s.paletteChoice, kPaletteCB, kPaletteWB, d.paletteChoice);
  choice(s.lengthChoice, kLength10, kLengthAny, d.lengthChoice);
  choice(s.displayType, kDisplayScroll, kDisplayScope, d.displayType);
  choice(s.analysisAtStop, kAnalysisOn, kAnalysisOff, d.analysisAtStop);
  choice(s.freqScale, kScaleLinear, kScaleLog, d.freqScale);
  choice(s.channelView, kViewDual, kViewRight, d.channelView);
  choice(s.channelType, kMono, kStereo, d.channelType);
  choice(s.quickSave, kQuickSaveOn, kQuickSaveOff, d.quickSave);
  choice(s.variablesMode, kVariablesAdjust, kVariablesFreeze, d.variablesMode);
  choice(s.pointerStyle, 1, 3, d.pointerStyle);
  s.attenuationStep = std::clamp(s.attenuationStep, 0, 18);
  s.latencyMs = std::clamp(s.latencyMs, 75, 500);
  s.spectrumAverageScroll = std::clamp(s.spectrumAverageScroll, 1, 128);
  s.spectrumAverageScope = std::clamp(s.spectrumAverageScope, 1, 128);
  s.freqResolutionTenths = std::clamp(s.freqResolutionTenths, 10, 100);
  s.bitmapFactor = std::clamp(s.bitmapFactor, 100, 500);
  s.bitmapDpi = std::clamp(s.bitmapDpi, 100, 1000);
  s.scopeMarker1Hz = std::clamp(s.scopeMarker1Hz, 0, 22100);
  s.scopeMarker2Hz = std::clamp(s.scopeMarker2Hz, 0, 22100);
  if (!std::isfinite(s.timeScaleMs)) s.timeScaleMs = d.timeScaleMs;
  if (!std::isfinite(s.freqResolutionHz)) s.freqResolutionHz = d.freqResolutionHz;
}

}  // namespace

std::array<uint8_t, kSettingsRecordSize> EncodeSettings(const AnalysisSettings& settings) {
  std::array<uint8_t, kSettingsRecordSize> record{};
  AnalysisSettings s = settings;
  PutLe32(record.data(), kSettingsVersion);
  ForEachWord(s, [&](int w, uint32_t& v) { PutLe32(record.data() + 4 * w, v); });
  return record;
}

bool DecodeSettings(const uint8_t* record, AnalysisSettings& s) {
  if (GetLe32(record) != kSettingsVersion) return false;
  const uint32_t sampleRate = s.sampleRateHz;  // always comes from the data
  ForEachWord(s, [&](int w, uint32_t& v) { v = GetLe32(record + 4 * w); });
  s.sampleRateHz = sampleRate;
  KeepWithinRanges(s);
  return true;
}

SettingsLoad LoadSettingsFile(const std::string& path, AnalysisSettings& s) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Read)) return SettingsLoad::Missing;
  uint8_t record[kSettingsRecordSize + 1];
  const size_t got = f.Read(record, sizeof record);
  f.Close();
  if (got != kSettingsRecordSize) {
    platform::DeleteFile(path);
    return SettingsLoad::WrongSizeDeleted;
  }
  return DecodeSettings(record, s) ? SettingsLoad::Applied : SettingsLoad::WrongVersion;
}

bool SaveSettingsFile(const std::string& path, const AnalysisSettings& s) {
  const auto record = EncodeSettings(s);
  platform::File f;
  // The file always ends up 116 bytes long, whatever was there before.
  return f.Open(path, platform::OpenMode::OpenOrCreate) && f.Write(record.data(), record.size()) &&
         f.Truncate();
}

}  // namespace tessel
