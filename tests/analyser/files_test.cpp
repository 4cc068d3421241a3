// The analyser's output files: bitmaps and data logs.
#include <gtest/gtest.h>

#include <string>

#include "analyser/core/BitmapFile.h"
#include "analyser/core/DataLog.h"
#include "tests/analyser/TestFiles.h"

namespace {

using namespace tessel;
using namespace tessel_test;

TEST(BitmapFile, HeaderFieldsAndBottomUpRows) {
  IndexedImage image(8, 3, 3);
  image.SetPixel(0, 0, 200);  // top-left
  image.SetPixel(7, 2, 100);  // bottom-right
  const Palette palette = AnalysisPalette(ColourTableFor(1039), PaletteOffset(0));
  std::vector<uint8_t> b = EncodeBitmap8(image, palette);
  ASSERT_EQ(b.size(), 1078u + 24);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Get32(b, 2), 1078u + 24);
  EXPECT_EQ(Get32(b, 6), 0u);
  EXPECT_EQ(Get32(b, 10), 1078u);
  EXPECT_EQ(Get32(b, 14), 40u);
  EXPECT_EQ(Get32(b, 18), 8u);
  EXPECT_EQ(Get32(b, 22), 3u);
  EXPECT_EQ(Get16(b, 26), 1);
  EXPECT_EQ(Get16(b, 28), 8);
  EXPECT_EQ(Get32(b, 30), 0u);
  EXPECT_EQ(Get32(b, 34), 24u);
  EXPECT_EQ(Get32(b, 38), 0u) << "resolutions are 0 whatever the dpi";
  EXPECT_EQ(Get32(b, 42), 0u);
  EXPECT_EQ(Get32(b, 46), 256u);
  EXPECT_EQ(Get32(b, 50), 256u);
  // Colour table: blue, green, red, 0.
  const Rgb& c = palette[200];
  EXPECT_EQ(b[54 + 4 * 200], c.blue);
  EXPECT_EQ(b[54 + 4 * 200 + 1], c.green);
  EXPECT_EQ(b[54 + 4 * 200 + 2], c.red);
  EXPECT_EQ(b[54 + 4 * 200 + 3], 0);
  EXPECT_EQ(Get32(b, 54 + 4 * 240), 0u) << "entries beyond the palette are zero";
  // The bottom row comes first.
  EXPECT_EQ(b[1078 + 7], 100);
  EXPECT_EQ(b[1078 + 2 * 8], 200);
}

TEST(BitmapFile, RowsArePaddedToFourBytes) {
  IndexedImage image(5, 2, 7);
  std::vector<uint8_t> b = EncodeBitmap8(image, Palette{});
  EXPECT_EQ(Get32(b, 34), 16u);
  EXPECT_EQ(b.size(), 1078u + 16);
  EXPECT_EQ(b[1078 + 4], 7);
  EXPECT_EQ(b[1078 + 5], 0) << "padding";
  EXPECT_EQ(b[1078 + 8], 7);
}

TEST(BitmapFile, SavedFileHasTheEncodedBytes) {
  ScratchFile file("image.bmp");
  IndexedImage image(4, 4, 9);
  SaveBitmap8(file.Path(), image, Palette{});
  EXPECT_EQ(file.Read().size(), 1078u + 16);
  // An image of more rows than one block of the writer, padded rows, every pixel different
  // from its neighbours.
  IndexedImage large(1001, 1500, 0);
  for (int y = 0; y < large.Height(); ++y)
    for (int x = 0; x < large.Width(); ++x) large.SetPixel(x, y, uint8_t(x * 7 + y * 13));
  const Palette palette = AnalysisPalette(ColourTableFor(1041), PaletteOffset(5));
  SaveBitmap8(file.Path(), large, palette);
  EXPECT_TRUE(file.Read() == EncodeBitmap8(large, palette));
}

TEST(DataLog, SpectrumHeaders) {
  EXPECT_EQ(SpectrumLogHeader("C:\\a.wav", 44100, 1024, 1500.7, 10),
            "Sonaris 4.2 Data\r\nC:\\a.wav\r\n44100 Hz Sampling Rate\r\n"
            "43 Hz Frequency Resolution\r\n1500 msec Sample Start\r\n10 msec Time Step\r\n\r\n"
            "Point   Freq    Amp     Phase\r\n");
  EXPECT_EQ(SpectrumLogHeader("x.wav", 11025, 512, 0, -1),
            "Sonaris 4.2 Data\r\nx.wav\r\n11025 Hz Sampling Rate\r\n"
            "21 Hz Frequency Resolution\r\n0 msec Sample Start\r\n"
            "Point   Freq    Amp     Phase\r\n");
  BinReadout b{12, 538, 3300, -1.23456};
  EXPECT_EQ(SpectrumLogLine(b), "12\t538\t3300\t-1.235\r\n");
  b.phase = 0.7853982;
  EXPECT_EQ(SpectrumLogLine(b), "12\t538\t3300\t0.785\r\n");
}

TEST(DataLog, PointsAreAppendedBelowOldContent) {
  EXPECT_EQ(PointsLogLine("a", "1500", "440", "-4"), "a\t1500\t440\t-4\r\n");
  EXPECT_EQ(PointsLogLine("b", "", "440", "-4"), "b\t440\t-4\r\n");
  ScratchFile file("points.txt");
  file.Write({'o', 'l', 'd'});
  TextLog log;
  log.Open(file.Path(), true);
  log.Write(PointsLogHeader("song.wav"));
  log.Write(PointsLogLine("c", "10", "20", "3"));
  ASSERT_TRUE(log.Close());
  std::vector<uint8_t> out = file.Read();
  EXPECT_EQ(std::string(out.begin(), out.end()),
            "old\r\nSonaris 4.2 Data\r\nsong.wav\r\nEvent   Time    Freq    Level (dB)\r\n\r\n"
            "c\t10\t20\t3\r\n");
  // A spectrum log starts anew.
  TextLog fresh;
  fresh.Open(file.Path(), false);
  fresh.Write("x");
  ASSERT_TRUE(fresh.Close());
  EXPECT_EQ(file.Read().size(), 1u);
}

}  // namespace
