#include "analyser/core/Rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace tessel;

TEST(RowBinTable, LogScaleFrom100To10000HzOver256Rows) {
  // 4096 points at 44100 Hz: a bin is 10.77 Hz, so 100 Hz is bin 9.29.
  RowBinTable t = BuildRowBinTable(100, 10000, 4096, 44100, 256);
  ASSERT_EQ(t.start.size(), 256u);
  EXPECT_NEAR(t.step, 2.0 / 256, 1e-12);
  EXPECT_EQ(t.start[0], 9);
  EXPECT_EQ(t.count[0], 1);
  // Low rows are finer than the bins: neighbours share a bin, one bin each.
  int shared = 0;
  for (int r = 0; r < 40; ++r) {
    EXPECT_EQ(t.count[r], 1) << r;
    if (t.start[r + 1] == t.start[r]) ++shared;
  }
  EXPECT_GT(shared, 10);
  // The top row sits on 10000 Hz / 10.77 Hz * 10^(-2/256) = bin 912; the row below it starts
  // at bin 895.98 and gathers the bins up to 912: round(15.98 - 1) + 1 = 16.
  EXPECT_EQ(t.start[255], 912);
  EXPECT_EQ(t.start[254], 896);
  EXPECT_EQ(t.count[254], 16);
  EXPECT_EQ(t.count[255], t.count[254]);
  for (int r = 1; r < 256; ++r) ASSERT_GE(t.start[r], t.start[r - 1]);
  // High rows: the count spans the gap to the next row's start.
  for (int r = 200; r < 255; ++r) EXPECT_NEAR(t.count[r], t.start[r + 1] - t.start[r], 1) << r;
}

TEST(RowMapping, LogRowsShowPeakOrAverage) {
  RowBinTable t;
  t.start = {0, 1, 10};
  t.count = {1, 4, 4};
  std::vector<int16_t> levels(64, 100);
  levels[0] = -50;                                                     // one bin: at least 0
  levels[1] = 100, levels[2] = 100, levels[3] = 100, levels[4] = 101;  // row 1: avg 100, peak 101
  levels[10] = 0, levels[11] = 0, levels[12] = 0, levels[13] = 400;    // row 2: avg 100, peak 400
  int out[3];
  MapRowsLog(levels.data(), 64, t, out);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 101);  // 101 - 100 = 1 is not below 1 / 4 = 0
  EXPECT_EQ(out[2], 400);

  t.start = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  t.count = {2, 2, 2, 2, 2, 2, 2, 2, 2};
  levels[0] = 100, levels[1] = 102;  // avg 101, peak 102: a difference of 1
  int many[9];
  MapRowsLog(levels.data(), 64, t, many);
  EXPECT_EQ(many[8], 101) << "row 8 tolerates differences below 8 / 4 = 2";
  EXPECT_EQ(many[7], 102) << "row 7 tolerates differences below 7 / 4 = 1";
}

TEST(RowMapping, LinearRowsBeyondTheSpectrumAreSilent) {
  std::vector<int16_t> levels = {1, 2, 3, 4};
  int out[4];
  MapRowsLinear(levels.data(), 4, 2, 4, out);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[1], 4);
  EXPECT_EQ(out[2], kSilentLevel);
  EXPECT_EQ(out[3], kSilentLevel);
}

TEST(RowMapping, ShownBinsAreThoseTheRowsRead) {
  const RowBinTable none;
  EXPECT_EQ(ShownBins(false, 40, 512, none).first, 40);
  EXPECT_EQ(ShownBins(false, 40, 512, none).end, 552);
  // The log table of 100 .. 10000 Hz above: bin 9 up to the 16 bins from 912.
  const RowBinTable t = BuildRowBinTable(100, 10000, 4096, 44100, 256);
  EXPECT_EQ(ShownBins(true, 0, 256, t).first, 9);
  EXPECT_EQ(ShownBins(true, 0, 256, t).end, 928);
  // A table whose rows gather nothing reads no bin.
  RowBinTable empty;
  empty.start = {5, 6};
  empty.count = {0, 0};
  EXPECT_EQ(ShownBins(true, 0, 2, empty).end, 0);
}

TEST(SpectrumHistory, AverageFadesInOverTheFirstColumns) {
  SpectrumHistory h;
  h.Reset(1, 4, 2);
  const int row[2] = {400, -7};
  int avg[2];
  const int expected[] = {100, 200, 300, 400, 400};
  for (int want : expected) {
    h.Push(0, row, avg);
    EXPECT_EQ(avg[0], want);
  }
  EXPECT_EQ(avg[1], -7);

  // Average 128: the first 127 columns are still fading in.
  h.Reset(2, 128, 1);
  const int loud[1] = {256};
  for (int c = 1; c <= 130; ++c) {
    h.Push(1, loud, avg);
    EXPECT_EQ(avg[0], c < 128 ? 256 * c / 128 : 256) << c;
  }
  // Channels keep their own history; a negative sum truncates toward zero.
  const int quiet[1] = {-3};
  h.Push(0, quiet, avg);
  EXPECT_EQ(avg[0], 0);

  h.Reset(1, 1, 1);
  h.Push(0, loud, avg);
  EXPECT_EQ(avg[0], 256) << "average 1 shows each spectrum as computed";
}

TEST(Columns, StepAndCount) {
  EXPECT_EQ(ColumnStep(44100, 10, 2), 882);
  EXPECT_EQ(ColumnStep(5513, 1, 1), 6);      // 5.513 rounds to 6
  EXPECT_EQ(ColumnStep(5513, 1, 2), 10);     // 11.026 -> 11, not a multiple of 2 -> 10
  EXPECT_EQ(ColumnStep(11025, 1.5, 1), 17);  // 16.54 -> 17
  EXPECT_EQ(ColumnStep(4000, 0.1, 1), 0);
  EXPECT_EQ(ColumnCount(10584000, 1024, 2, 882), (10584000 - 2048) / 882);
  EXPECT_EQ(ColumnCount(1000, 1024, 1, 10), 0);
  EXPECT_EQ(FirstBin(1000, 44100, 1024), 23);
  EXPECT_EQ(RowsPerChannel(512, false), 256);
  EXPECT_EQ(RowsPerChannel(1024, false), 512);
  EXPECT_EQ(RowsPerChannel(16384, false), 1024);
  EXPECT_EQ(RowsPerChannel(16384, true), 256);
}

TEST(Frames, EightBitIsCentredAndStereoIsDeinterleaved) {
  const uint8_t pcm8[] = {0, 255, 128, 129, 200, 1};
  int16_t frame[3];
  ExtractFrame(pcm8, 8, 2, 0, 0, 3, frame);
  EXPECT_EQ(frame[0], -32768);
  EXPECT_EQ(frame[1], 0);
  EXPECT_EQ(frame[2], (200 - 128) * 256);
  ExtractFrame(pcm8, 8, 2, 2, 1, 2, frame);
  EXPECT_EQ(frame[0], 256);
  EXPECT_EQ(frame[1], (1 - 128) * 256);
  const uint8_t pcm16[] = {0x01, 0x80, 0xFF, 0x7F, 0x34, 0x12};
  ExtractFrame(pcm16, 16, 1, 1, 0, 2, frame);
  EXPECT_EQ(frame[0], 32767);
  EXPECT_EQ(frame[1], 0x1234);
}

TEST(Frames, LongStereoFramesTakeEverySecondSampleOfEitherChannel) {
  // Long enough for the eight-at-a-time path and a tail; full-scale values at both ends.
  std::vector<uint8_t> pcm(4 * 600);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = uint8_t(i * 37 + (i >> 3));
  pcm[8] = 0x00, pcm[9] = 0x80, pcm[10] = 0xFF, pcm[11] = 0x7F;  // frame 2: -32768, 32767
  for (int channel : {0, 1}) {
    for (int64_t start : {0, 4, 18}) {
      std::vector<int16_t> frame(523);
      ExtractFrame(pcm.data(), 16, 2, start, channel, 523, frame.data());
      for (int n = 0; n < 523; ++n) {
        const size_t at = 2 * (size_t(start) + 2 * n + channel);
        ASSERT_EQ(frame[n], int16_t(pcm[at] | (pcm[at + 1] << 8)))
            << "channel " << channel << " start " << start << " n " << n;
      }
    }
  }
}

TEST(Frames, ExtremesLookStrictlyInsideTheWindow) {
  int16_t frame[16] = {};
  frame[4] = 9000;  // centre 8, half-width 4: index 4 is on the edge, not inside
  frame[5] = 3000;
  frame[11] = -5000;
  frame[12] = -9000;
  WaveExtremes e = ExtremesAround(frame, 16, 8, 4);
  EXPECT_EQ(e.max, 3000);
  EXPECT_EQ(e.min, -5000);
  int16_t positive[4] = {10, 20, 30, 40};
  e = ExtremesAround(positive, 4, 2, 64);
  EXPECT_EQ(e.max, 40);
  EXPECT_EQ(e.min, 0) << "the minimum starts from 0";
}

TEST(SpectrumLog, BinReadout) {
  BinReadout b = ReadBin(10, 100, -100, 44100, 1024);
  EXPECT_EQ(b.frequencyHz, 452);  // 10.5 * 43.07 = 452.2
  EXPECT_EQ(b.amplitude, 322);    // sqrt(5.2 * 20000) = 322.49
  EXPECT_NEAR(b.phase, -0.785398, 1e-6);
  EXPECT_DOUBLE_EQ(ReadBin(0, 0, 5, 44100, 1024).phase, 0.7853982);
  EXPECT_DOUBLE_EQ(ReadBin(0, 0, -5, 44100, 1024).phase, -0.7853982);
  EXPECT_NEAR(ReadBin(0, -3, 0, 44100, 1024).phase, 3.14159265, 1e-6);
  EXPECT_EQ(AmplitudeIndex(0), 3);
  EXPECT_EQ(AmplitudeIndex(100), 40);  // 80 * 2 - 120
  EXPECT_EQ(AmplitudeIndex(100000), 235);
}

}  // namespace
