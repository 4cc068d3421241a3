#include "analyser/core/Settings.h"

#include <gtest/gtest.h>

#include "analyser/core/Playback.h"
#include "tests/analyser/TestFiles.h"

namespace {

using namespace tessel;
using namespace tessel_test;

std::vector<uint8_t> Record(const AnalysisSettings& s) {
  auto r = EncodeSettings(s);
  return std::vector<uint8_t>(r.begin(), r.end());
}

TEST(SettingsRecord, LayoutOfThe29Words) {
  AnalysisSettings s;
  s.timeScaleMs = 12.5f;
  s.bandLowHz = -1;
  s.sampleRateHz = 22050;
  s.pointerStyle = 3;
  std::vector<uint8_t> r = Record(s);
  ASSERT_EQ(r.size(), 116u);
  EXPECT_EQ(Get32(r, 0), 427u);
  EXPECT_EQ(Get32(r, 4 * 1), 1023u);
  EXPECT_EQ(Get32(r, 4 * 3), 1083u);
  EXPECT_EQ(Get32(r, 4 * 11), 1110u);
  EXPECT_EQ(Get32(r, 4 * 12), 0x41480000u);  // 12.5f
  EXPECT_EQ(Get32(r, 4 * 14), 75u);
  EXPECT_EQ(Get32(r, 4 * 15), 0xFFFFFFFFu);
  EXPECT_EQ(Get32(r, 4 * 18), 22050u);
  EXPECT_EQ(Get32(r, 4 * 20), 4u);
  EXPECT_EQ(Get32(r, 4 * 25), 300u);
  EXPECT_EQ(Get32(r, 4 * 27), 40055u);
  EXPECT_EQ(Get32(r, 4 * 28), 3u);
}

TEST(SettingsFile, RoundTripWithoutTheSampleRate) {
  ScratchFile file("tessel.ini");
  AnalysisSettings saved;
  saved.fftSizeChoice = 1086;
  saved.paletteChoice = 1042;
  saved.attenuationStep = 7;
  saved.timeScaleMs = 3.25f;
  saved.sampleRateHz = 44100;
  saved.freqResolutionHz = 4.5f;
  saved.variablesMode = 40056;
  ASSERT_TRUE(SaveSettingsFile(file.Path(), saved));
  EXPECT_EQ(file.Read().size(), 116u);
  AnalysisSettings loaded;
  loaded.sampleRateHz = 8000;
  EXPECT_EQ(LoadSettingsFile(file.Path(), loaded), SettingsLoad::Applied);
  EXPECT_EQ(loaded.fftSizeChoice, 1086u);
  EXPECT_EQ(loaded.paletteChoice, 1042u);
  EXPECT_EQ(loaded.attenuationStep, 7);
  EXPECT_EQ(loaded.timeScaleMs, 3.25f);
  EXPECT_EQ(loaded.freqResolutionHz, 4.5f);
  EXPECT_EQ(loaded.variablesMode, 40056u);
  EXPECT_EQ(loaded.sampleRateHz, 8000u) << "the sample rate always comes from the data";
}

TEST(SettingsFile, WrongSizesAreDeletedAndOtherVersionsIgnored) {
  ScratchFile file("tessel.ini");
  std::vector<uint8_t> r = Record(AnalysisSettings{});
  r.push_back(0);
  file.Write(r);
  AnalysisSettings s;
  EXPECT_EQ(LoadSettingsFile(file.Path(), s), SettingsLoad::WrongSizeDeleted);
  EXPECT_FALSE(std::filesystem::exists(file.Path())) << "a 117-byte file is deleted";

  r.pop_back();
  r[4 * 3] = 0x3F;  // fftSizeChoice 1087 (0x43F)
  r[0] = 0xAC;      // version 428
  file.Write(r);
  EXPECT_EQ(LoadSettingsFile(file.Path(), s), SettingsLoad::WrongVersion);
  EXPECT_EQ(s.fftSizeChoice, 1083u) << "every setting keeps its start-up value";
  EXPECT_TRUE(std::filesystem::exists(file.Path())) << "left in place";
  ASSERT_TRUE(SaveSettingsFile(file.Path(), s));
  std::vector<uint8_t> out = file.Read();
  EXPECT_EQ(out.size(), 116u);
  EXPECT_EQ(Get32(out, 0), 427u) << "overwritten with a valid record at close";

  ScratchFile missing("none.ini");
  EXPECT_EQ(LoadSettingsFile(missing.Path(), s), SettingsLoad::Missing);
}

TEST(SettingsFile, ValuesNoDialogCanGiveAreKeptInRange) {
  std::vector<uint8_t> r = Record(AnalysisSettings{});
  auto put = [&](int word, uint32_t v) {
    for (int i = 0; i < 4; ++i) r[4 * word + i] = uint8_t(v >> (8 * i));
  };
  put(4, 7);    // paletteChoice
  put(13, 99);  // attenuationStep
  put(19, 0);   // spectrumAverageScroll
  put(26, 5);   // freqResolutionTenths
  AnalysisSettings s;
  ASSERT_TRUE(DecodeSettings(r.data(), s));
  EXPECT_EQ(s.paletteChoice, 1039u);
  EXPECT_EQ(s.attenuationStep, 18);
  EXPECT_EQ(s.spectrumAverageScroll, 1);
  EXPECT_EQ(s.freqResolutionTenths, 10);
}

TEST(SettingsRecord, RecoveryDefaults) {
  AnalysisSettings s;
  s.fftSizeChoice = 1087;
  s.quickSave = 1109;
  s.startMode = 1;
  s.sampleRateHz = 8000;
  s.spectrumAverageScroll = 9;
  s.attenuationStep = 4;
  ApplyRecoveryDefaults(s);
  EXPECT_EQ(s.fftSizeChoice, 1082u);
  EXPECT_EQ(s.timeScaleMs, 12.0f);
  EXPECT_EQ(s.attenuationStep, 0);
  EXPECT_EQ(s.quickSave, 1109u);
  EXPECT_EQ(s.startMode, 1u);
  EXPECT_EQ(s.sampleRateHz, 8000u);
  EXPECT_EQ(s.spectrumAverageScroll, 9);
}

TEST(Choices, Decoded) {
  EXPECT_EQ(RateOfChoice(1021), 5513u);
  EXPECT_EQ(RateOfChoice(1024), 44100u);
  EXPECT_EQ(FftExponentOfChoice(1082), 9);
  EXPECT_EQ(FftExponentOfChoice(1087), 14);
  EXPECT_EQ(FftExponentOfChoice(1088), 0);
  EXPECT_EQ(FftChoiceOfSize(4096), 1085u);
}

TEST(PlaybackBuffer, Sizes) {
  PlaybackBuffer b = PlaybackBufferFor(11025, 1, 1);
  EXPECT_EQ(b.seconds, 16u);
  EXPECT_EQ(b.bytes, 176408u);
  EXPECT_EQ(b.silence, 128);
  b = PlaybackBufferFor(44100, 2, 2);
  EXPECT_EQ(b.seconds, 2u);
  EXPECT_EQ(b.bytes, 352808u);
  EXPECT_EQ(b.silence, 0);
  b = PlaybackBufferFor(22050, 1, 2);
  EXPECT_EQ(b.seconds, 4u);
  EXPECT_EQ(b.bytes, 176408u);
  b = PlaybackBufferFor(5513, 2, 1);
  EXPECT_EQ(b.seconds, 15u);    // 176400 / 11026
  EXPECT_EQ(b.bytes, 165392u);  // 165390 raised to a multiple of 8
}

}  // namespace
