// The analyser's parameter set and its settings file.
//
// The settings file ("tessel.ini" beside the program) is 29 little-endian 32-bit words,
// 116 bytes, no padding, in this order:
//    0 version mark 427        1 rateChoice        2 bitsChoice        3 fftSizeChoice
//    4 paletteChoice           5 lengthChoice      6 displayType       7 analysisAtStop
//    8 freqScale               9 channelView      10 channelType      11 quickSave
//   12 timeScaleMs (float)    13 attenuationStep  14 latencyMs        15 bandLowHz
//   16 bandHighHz             17 startMode        18 sampleRateHz     19 spectrumAverageScroll
//   20 spectrumAverageScope   21 scopeMarker1Hz   22 scopeMarker2Hz   23 freqResolutionHz (float)
//   24 bitmapFactor           25 bitmapDpi        26 freqResolutionTenths
//   27 variablesMode          28 pointerStyle
// Choice words hold the identifiers of the dialog buttons that were picked.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel {

constexpr uint32_t kSettingsVersion = 427;
constexpr size_t kSettingsRecordSize = 116;

// Button identifiers of the choice fields.
enum : uint32_t {
  kRate5k = 1021,
  kRate11k = 1022,
  kRate22k = 1023,
  kRate44k = 1024,
  kBits8 = 1007,
  kBits16 = 1008,
  kMono = 1013,
  kStereo = 1014,
  kPaletteCB = 1039,
  kPaletteCG = 1040,
  kPaletteBW = 1041,
  kPaletteWB = 1042,
  kLength10 = 1071,
  kLength20 = 1072,
  kLength30 = 1073,
  kLengthAny = 1074,
  kDisplayBars = 1062,
  kDisplayScroll = 1061,
  kDisplayScope = 1063,
  kAnalysisOn = 1064,
  kAnalysisOff = 1065,
  kScaleLinear = 1076,
  kScaleLog = 1077,
  kFft512 = 1082,
  kFft16384 = 1087,
  kViewDual = 1089,
  kViewLeft = 1090,
  kViewRight = 1091,
  kQuickSaveOn = 1109,
  kQuickSaveOff = 1110,
  kVariablesAdjust = 40055,
  kVariablesFreeze = 40056,
};

struct AnalysisSettings {
  uint32_t rateChoice = kRate22k;
  uint32_t bitsChoice = kBits16;
  uint32_t fftSizeChoice = 1083;
  uint32_t paletteChoice = kPaletteCB;
  uint32_t lengthChoice = kLength10;
  uint32_t displayType = kDisplayScroll;
  uint32_t analysisAtStop = kAnalysisOff;
  uint32_t freqScale = kScaleLinear;
  uint32_t channelView = kViewDual;
  uint32_t channelType = kMono;
  uint32_t quickSave = kQuickSaveOff;
  float timeScaleMs = 10.0f;
  int32_t attenuationStep = 0;
  int32_t latencyMs = 75;
  int32_t bandLowHz = 0;
  int32_t bandHighHz = 0;
  uint32_t startMode = 0;
  uint32_t sampleRateHz = 0;
  int32_t spectrumAverageScroll = 1;
  int32_t spectrumAverageScope = 4;
  int32_t scopeMarker1Hz = 0;
  int32_t scopeMarker2Hz = 0;
  float freqResolutionHz = 0.0f;
  int32_t bitmapFactor = 100;
  int32_t bitmapDpi = 300;
  int32_t freqResolutionTenths = 10;
  uint32_t variablesMode = kVariablesAdjust;
  uint32_t pointerStyle = 1;
};

// The values a run starts with when there is no settings file.
inline AnalysisSettings StartupSettings() { return AnalysisSettings{}; }
// The defaults that recovery after a memory failure sets when the file gives none.
void ApplyRecoveryDefaults(AnalysisSettings& s);

// Decoded choices.
uint32_t RateOfChoice(uint32_t rateChoice);       // 1021 -> 5513 ... 1024 -> 44100, else 0
int FftExponentOfChoice(uint32_t fftSizeChoice);  // 1082..1087 -> 9..14, else 0
uint32_t FftChoiceOfSize(int fftSize);            // 512..16384 -> 1082..1087, else 0

std::array<uint8_t, kSettingsRecordSize> EncodeSettings(const AnalysisSettings& s);
// Copies words 1..28 into s (word 18, the sample rate, excepted) when word 0 is 427.
bool DecodeSettings(const uint8_t* record, AnalysisSettings& s);

enum class SettingsLoad { Missing, WrongSizeDeleted, WrongVersion, Applied };
// Reads the file: a file that is not 116 bytes long is deleted; one with another version mark
// is left alone; otherwise its values are applied.
SettingsLoad LoadSettingsFile(const std::string& path, AnalysisSettings& s);
// Writes the 116 bytes (word 18 = the current sample rate). Returns false when the file cannot
// be written, which the caller ignores.
bool SaveSettingsFile(const std::string& path, const AnalysisSettings& s);

}  // namespace tessel
