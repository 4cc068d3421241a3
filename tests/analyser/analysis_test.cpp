#include "analyser/core/Analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analyser/core/Colours.h"
#include "analyser/core/Fft.h"
#include "analyser/core/Messages.h"
#include "tests/analyser/TestFiles.h"

namespace {

using namespace tessel;
using namespace tessel_test;

// A 16-bit sample of a sine of `hz` (per channel: the right channel an octave higher).
SampleBuffer SineSample(uint32_t rate, int channels, double seconds, double hz) {
  const uint32_t frames = static_cast<uint32_t>(rate * seconds);
  SampleBuffer s(WaveFormat{1, uint16_t(channels), rate, 16}, frames * channels * 2);
  uint8_t* p = s.Data();
  for (uint32_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const int16_t v = static_cast<int16_t>(
          std::lround(20000 * std::sin(2 * 3.14159265358979 * hz * (c + 1) * i / rate)));
      *p++ = uint8_t(v & 0xFF);
      *p++ = uint8_t((v >> 8) & 0xFF);
    }
  return s;
}

// The row of the brightest pixel of a panel in column x.
int LoudestRow(const DisplayBitmap& b, int channel, int x) {
  int best = 0, bestIndex = -1;
  const int bottom = b.PanelTop(channel) + 44 + b.Rows() - 1;
  for (int r = 0; r < b.Rows(); ++r)
    if (b.Image().At(x, bottom - r) > bestIndex) bestIndex = b.Image().At(x, bottom - r), best = r;
  return best;
}

TEST(Analysis, SineShowsOnItsBinInEveryColumn) {
  // 11025 Hz, 1024 points: bins of 10.77 Hz; 1077 Hz is bin 100.
  SampleBuffer s = SineSample(11025, 2, 2.0, 11025.0 / 1024 * 100);
  AnalysisOptions o;
  o.fftExponent = 10;
  o.timeScaleMs = 20;
  DisplayBitmap b = AnalyseSample(s, o);
  // step = 441 elements; columns = (44100 - 2048) / 441 = 95.
  EXPECT_EQ(b.Image().Width(), 95);
  EXPECT_EQ(b.Rows(), 512);
  for (int x : {0, 50, 94}) {
    EXPECT_EQ(LoudestRow(b, kLeft, x), 100) << x;
    EXPECT_EQ(LoudestRow(b, kRight, x), 200) << x;
  }
  // Strip of a 20000 sine: from 22 - 13 to 22 + 13.
  EXPECT_EQ(b.Image().At(10, b.PanelTop(kLeft) + 9), kIndexStripCentre);
}

TEST(Analysis, SpectrumAverageFadesIn) {
  SampleBuffer s = SineSample(11025, 1, 1.0, 1077);
  AnalysisOptions o;
  o.fftExponent = 10;
  o.timeScaleMs = 10;
  DisplayBitmap plain = AnalyseSample(s, o);
  o.spectrumAverage = 8;
  DisplayBitmap averaged = AnalyseSample(s, o);
  const int y = 44 + 511 - 100;
  EXPECT_LT(averaged.Image().At(0, y), plain.Image().At(0, y));
  EXPECT_EQ(averaged.Image().At(20, y), plain.Image().At(20, y));
}

TEST(Analysis, LogScaleAndStopping) {
  SampleBuffer s = SineSample(22050, 1, 1.0, 1000);
  AnalysisOptions o;
  o.fftExponent = 12;
  o.logScale = true;
  o.bandLowHz = 100;
  o.bandHighHz = 11025;
  o.timeScaleMs = 50;
  int calls = 0;
  DisplayBitmap b = AnalyseSample(s, o, [&](int64_t done, int64_t) { return ++calls, done < 3; });
  EXPECT_EQ(b.Rows(), 1024);
  // 1000 Hz is one decade above 100 Hz out of 2.04: row 1024 / 2.04 = 501.
  EXPECT_NEAR(LoudestRow(b, kLeft, 1), 501, 3);
  for (int r = 0; r < 1024; ++r) ASSERT_EQ(b.Image().At(5, 44 + r), kIndexBackground);
}

TEST(Analysis, EachColumnIsReportedOnceItStandsInTheImage) {
  SampleBuffer s = SineSample(11025, 2, 0.5, 1000);
  AnalysisOptions o;
  o.fftExponent = 9;
  o.timeScaleMs = 20;
  o.minWidth = 0;
  const DisplayBitmap finished = AnalyseSample(s, o);
  std::vector<int> seen;
  const DisplayBitmap b =
      AnalyseSample(s, o, nullptr, nullptr, [&](const DisplayBitmap& image, int x) {
        seen.push_back(x);
        // Column x is complete and the next is not drawn yet (its strip centre still background).
        for (int y = 0; y < image.Image().Height(); ++y)
          ASSERT_EQ(image.Image().At(x, y), finished.Image().At(x, y)) << x << "," << y;
        if (x + 1 < image.Image().Width()) {
          ASSERT_EQ(image.Image().At(x + 1, kStripCentre), kIndexBackground) << x;
        }
      });
  ASSERT_EQ(int(seen.size()), finished.Image().Width());
  for (size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], int(i));
  EXPECT_EQ(b.Image().Pixels(), finished.Image().Pixels()) << "watching changes nothing";
}

TEST(Analysis, AllSpectrumLogWritesEveryRowOfEveryColumn) {
  SampleBuffer s = SineSample(11025, 1, 0.5, 1077);
  AnalysisOptions o;
  o.fftExponent = 9;
  o.timeScaleMs = 100;
  ScratchFile file("all.txt");
  TextLog log;
  log.Open(file.Path(), false);
  DisplayBitmap b = AnalyseSample(s, o, nullptr, &log);
  ASSERT_TRUE(log.Close());
  const int columns = (5512 - 512) / 1103;  // step 1102.5 -> 1103 elements
  EXPECT_EQ(b.Image().Width(), columns);
  std::vector<uint8_t> text = file.Read();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), columns * 256);
  // Bin 50 (1077 Hz at 512 points) carries the sine: amplitude sqrt(5.2) * 10000 / 1.
  const std::string all(text.begin(), text.end());
  const size_t line = all.find("\r\n50\t");
  ASSERT_NE(line, std::string::npos);
  const long amplitude = std::stol(all.substr(all.find('\t', all.find('\t', line + 2) + 1) + 1));
  EXPECT_NEAR(amplitude, 22803, 300);  // sqrt(5.2) * 20000 / 2
  EXPECT_EQ(b.Image().At(0, 44 + 255 - 50), AmplitudeIndex(amplitude));
}

TEST(Analysis, SingleSpectrumOfAColumnUsesTheWholeFrame) {
  SampleBuffer s = SineSample(11025, 2, 0.5, 11025.0 / 512 * 40);
  AnalysisOptions o;
  o.fftExponent = 9;
  o.timeScaleMs = 100;
  o.windowMs = 5;  // ignored: the single spectrum's window is the whole frame
  std::vector<BinReadout> left = ColumnSpectrum(s, o, 2, kLeft);
  ASSERT_EQ(left.size(), 256u);
  EXPECT_EQ(left[40].bin, 40);
  EXPECT_NEAR(left[40].amplitude, 22803, 300);  // sqrt(5.2) * 20000 / 2
  EXPECT_LT(left[45].amplitude, 100);
  std::vector<BinReadout> right = ColumnSpectrum(s, o, 2, kRight);
  EXPECT_NEAR(right[80].amplitude, 22803, 300);
  EXPECT_THROW(ColumnSpectrum(s, o, 100, kLeft), TesselError);
  o.bandLowHz = 1000;  // from bin 46: rows up to the last bin only
  EXPECT_EQ(ColumnSpectrum(s, o, 0, kLeft).size(), 256u - 46);
}

TEST(Analysis, ChecksOfTheDialogInTheirOrder) {
  WaveFileInfo info;
  info.sampleRateHz = 11025, info.channels = 1, info.bitsPerSample = 16;
  info.dataBytes = 44100;  // 2 s
  AnalysisRequest r;
  r.endMs = 2000;
  r.windowMs = 50;
  r.timeScaleMs = 10;
  EXPECT_EQ(ValidateAnalysis(info, r, 1024), 10);
  auto message = [&](AnalysisRequest q, WaveFileInfo i = WaveFileInfo{}) -> std::string {
    if (i.dataBytes == 0) i = info;
    try {
      ValidateAnalysis(i, q, 1024);
      return "";
    } catch (const TesselError& e) {
      return e.what();
    }
  };
  AnalysisRequest q = r;
  q.timeScaleMs = 0.5;
  EXPECT_EQ(message(q), "Time Scale Out of Range");
  q.timeScaleMs = -3;  // becomes 1.0
  EXPECT_EQ(message(q), "");
  q.timeScaleMs = 900;  // becomes 500
  EXPECT_EQ(message(q), "");
  WaveFileInfo shortData = info;
  shortData.dataBytes = 4096;  // 2048 samples: 1024 after the first frame, a step is 5513
  q.endMs = 1000;
  EXPECT_EQ(message(q, shortData), "Time Scale Too Small");
  q = r;
  q.windowMs = 0.9;
  EXPECT_EQ(message(q), "FFT Window Too Small");
  q = r;
  q.beginMs = -1;
  EXPECT_EQ(message(q), "Improper Begin or End");
  q.beginMs = 1500, q.endMs = 1000;
  EXPECT_EQ(message(q), "Improper Begin or End");
  q.beginMs = 3000, q.endMs = 4000;
  EXPECT_EQ(message(q), "Improper Begin or End");
  q.beginMs = 1000, q.endMs = 1090;  // 1984 bytes
  EXPECT_EQ(message(q), "Sample Size Too Small");
  q = r;
  WaveFileInfo fast = info;
  fast.sampleRateHz = 48000;
  EXPECT_EQ(message(q, fast), "Sample Rate Out of Range");
}

TEST(Analysis, WindowCoversTenTimesNOverPSamples) {
  // The window length survives the round trip through resolution and milliseconds: N at
  // p = 10, N / 10 at p = 100, whatever the rate.
  for (uint32_t rate : {4000u, 5513u, 11025u, 22050u, 44100u})
    for (int e = 9; e <= 14; ++e)
      for (int p = 10; p <= 100; ++p) {
        AnalysisSettings s;
        s.fftSizeChoice = FftChoiceOfSize(1 << e);
        s.freqResolutionTenths = p;
        FftEngine fft;
        ASSERT_EQ(fft.FftSetup(e, rate, OptionsFromSettings(s, rate).windowMs), 0);
        ASSERT_EQ(fft.L(), 10 * (1 << e) / p) << rate << " " << e << " " << p;
      }
}

TEST(Analysis, BandRulesOfTheDialogs) {
  AnalysisSettings s;
  s.fftSizeChoice = 1082;  // 512 at 44100: 256 bins reach Nyquist
  s.bandLowHz = 500;
  ApplyBandRules(s, 44100);
  EXPECT_EQ(s.bandLowHz, 0);
  EXPECT_EQ(s.bandHighHz, 22050);
  s.fftSizeChoice = 1085;  // 4096: 256 bins are 2756 Hz
  s.bandLowHz = 1234;
  ApplyBandRules(s, 44100);
  EXPECT_EQ(s.bandLowHz, 1230);
  EXPECT_EQ(s.bandHighHz, 1230 + 2756);
  EXPECT_NEAR(s.freqResolutionHz, 10.77, 0.01);
  s.freqScale = kScaleLog;
  s.fftSizeChoice = 1082;
  s.bandLowHz = 0;
  ApplyBandRules(s, 22050);
  EXPECT_EQ(s.fftSizeChoice, 1085u) << "Log always uses 4096 points";
  EXPECT_EQ(s.bandLowHz, 100);
  EXPECT_EQ(s.bandHighHz, 11025);
  EXPECT_EQ(TypedSampleRate(0, 22050), 22050u);
  EXPECT_EQ(TypedSampleRate(1000, 22050), 5513u);
  EXPECT_EQ(TypedSampleRate(96000, 22050), 44100u);
}

}  // namespace
