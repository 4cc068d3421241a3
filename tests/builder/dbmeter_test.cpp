#include "builder/core/Dbmeter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using builder::RgbImage;
using builder::Tdbmeter;

// Pixels are 0x00RRGGBB; colour values are 0x00BBGGRR.
constexpr uint32_t kRedPx = 0xFF0000, kYellowPx = 0xFFFF00, kLimePx = 0x00FF00;
constexpr uint32_t kSilverPx = 0xC0C0C0, kWhitePx = 0xFFFFFF, kGreyPx = 0x808080;
// Distinct unlit colours, so that every segment's zone shows.
constexpr builder::TColor kGreenBack = 0x004000, kYellowBack = 0x008080, kRedBack = 0x000080;
constexpr uint32_t kGreenBackPx = 0x004000, kYellowBackPx = 0x808000, kRedBackPx = 0x800000;

// The meters of the preview and player windows: 15 x 82, vertical, filling from the
// bottom, counts 5/3/2 with widths 100/60/40, separators of 1, lowered bevel of 1.
Tdbmeter PlayerMeter() {
  Tdbmeter m;
  m.SetBounds(15, 82);
  m.SetStyle(builder::dsVertical);
  m.SetDirection(builder::ddLeftUp);
  m.SetGreens(5);
  m.SetYellows(3);
  m.SetReds(2);
  m.SetGreenMax(100);
  m.SetYellowMax(60);
  m.SetRedMax(40);
  m.SetGreenBack(kGreenBack);
  m.SetYellowBack(kYellowBack);
  m.SetRedBack(kRedBack);
  return m;
}

// Segment i (1..10) of the player meter: pitch 82 / 10 = 8. Mirrored about y = 81 with
// the end rows excluded, it covers rows 81 - 8i .. 88 - 8i; its separator is the top
// one of them, so its colour fills rows 82 - 8i .. 88 - 8i.
int PlayerSegmentCentreRow(int i) { return 85 - 8 * i; }
int PlayerSeparatorRow(int i) { return 81 - 8 * i; }

uint32_t LitPx(int i) { return i <= 5 ? kLimePx : i <= 8 ? kYellowPx : kRedPx; }
uint32_t UnlitPx(int i) { return i <= 5 ? kGreenBackPx : i <= 8 ? kYellowBackPx : kRedBackPx; }

// "L" for a lit segment, "-" for an unlit one, from the centre pixel of each segment;
// "?" for a colour that belongs to neither.
std::string PlayerPattern(const RgbImage& img) {
  std::string s;
  for (int i = 1; i <= 10; ++i) {
    const uint32_t px = img.At(7, PlayerSegmentCentreRow(i));
    s += px == LitPx(i) ? 'L' : px == UnlitPx(i) ? '-' : '?';
  }
  return s;
}

std::string PatternAt(int position, bool justOne = false) {
  Tdbmeter m = PlayerMeter();
  m.SetShowJustOne(justOne);
  m.SetPosition(position);
  return PlayerPattern(m.Paint());
}

TEST(Dbmeter, LitSegmentsOfThePlayerMeter) {
  EXPECT_EQ(PatternAt(0), "----------");
  EXPECT_EQ(PatternAt(1), "L---------");   // round(0.05) = 0, raised to one
  EXPECT_EQ(PatternAt(30), "LL--------");  // 1.5 rounds to 2
  EXPECT_EQ(PatternAt(50), "LL--------");  // 2.5 rounds to the even 2
  EXPECT_EQ(PatternAt(90), "LLLL------");  // 4.5 rounds to 4
  EXPECT_EQ(PatternAt(100), "LLLLL-----");
  EXPECT_EQ(PatternAt(101), "LLLLLL----");  // entering the yellow zone lights one
  EXPECT_EQ(PatternAt(140), "LLLLLLL---");
  EXPECT_EQ(PatternAt(160), "LLLLLLLL--");
  EXPECT_EQ(PatternAt(161), "LLLLLLLLL-");  // entering the red zone lights one
  EXPECT_EQ(PatternAt(200), "LLLLLLLLLL");
  EXPECT_EQ(PatternAt(5000), "LLLLLLLLLL");
  EXPECT_EQ(PatternAt(-7), "L---------");  // a negative position lights the first
}

TEST(Dbmeter, ShowJustOneLightsOnlyTheSegmentAtTheLevel) {
  EXPECT_EQ(PatternAt(140, true), "------L---");  // 5 + round(3 / 60 * 40) = 7, yellow
  EXPECT_EQ(PatternAt(200, true), "---------L");
  EXPECT_EQ(PatternAt(0, true), "----------");
  EXPECT_EQ(PatternAt(1, true), "L---------");
}

// The whole image of the player meter at position 101, built from the layout rules:
// a 1-pixel lowered bevel (white bottom and right edge, grey top and left edge, the
// left edge stopping above the bottom row), and inside it the segment rows above.
TEST(Dbmeter, PlayerMeterImageAtPosition101) {
  Tdbmeter m = PlayerMeter();
  m.SetPosition(101);
  const RgbImage& img = m.Paint();
  ASSERT_EQ(img.width, 15);
  ASSERT_EQ(img.height, 82);
  auto expected = [](int x, int y) -> uint32_t {
    if (y == 0) return kGreyPx;
    if (x == 0 && y <= 80) return kGreyPx;
    if (x == 14 || y == 81) return kWhitePx;
    for (int i = 1; i <= 10; ++i) {
      if (y == PlayerSeparatorRow(i)) return kSilverPx;
      if (y >= 82 - 8 * i && y <= 88 - 8 * i) return i <= 6 ? LitPx(i) : UnlitPx(i);
    }
    return 0xDEAD;
  };
  int wrong = 0;
  for (int y = 0; y < 82; ++y)
    for (int x = 0; x < 15; ++x)
      if (img.At(x, y) != expected(x, y) && ++wrong < 10)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << img.At(x, y)
                      << ", expected " << expected(x, y);
  EXPECT_EQ(wrong, 0);
}

// The default instance: 80 x 17, horizontal, left to right, counts 3/2/1 with widths
// 50/25/25, pitch 80 / 6 = 13. Segment i fills x = 13(i - 1) .. 13i - 2 and its
// separator is x = 13i - 1; the cross axis runs over rows 0 .. 15.
TEST(Dbmeter, DefaultHorizontalMeter) {
  Tdbmeter m;
  EXPECT_EQ(m.Width(), 80);
  EXPECT_EQ(m.Height(), 17);
  m.SetPosition(60);  // yellow zone: 3 + round(2 / 25 * 10) = 4
  const RgbImage& img = m.Paint();
  const uint32_t lime = kLimePx, yellow = kYellowPx, greyBack = kGreyPx;
  const uint32_t expectedCentre[6] = {lime, lime, lime, yellow, greyBack, greyBack};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(img.At(13 * (i - 1) + 6, 8), expectedCentre[i - 1]) << "segment " << i;
    EXPECT_EQ(img.At(13 * i - 2, 8), expectedCentre[i - 1]) << "segment " << i;
    EXPECT_EQ(img.At(13 * i - 1, 8), kSilverPx) << "separator " << i;
  }
  EXPECT_EQ(img.At(78, 8), kSilverPx);  // behind the last segment
  EXPECT_EQ(img.At(6, 15), kLimePx);    // the cross axis ends at row 15
  EXPECT_EQ(img.At(6, 16), kWhitePx);   // bottom edge of the bevel
  EXPECT_EQ(img.At(79, 8), kWhitePx);   // right edge of the bevel
}

TEST(Dbmeter, MirroringMovesTheFirstSegmentToTheFarEnd) {
  Tdbmeter right;
  right.SetPosition(60);
  right.SetGreenBack(kGreenBack);
  Tdbmeter left = right;
  left.SetDirection(builder::ddLeftUp);
  const RgbImage a = right.Paint();
  const RgbImage& b = left.Paint();
  // Mirrored coordinates W - x - 1 with the larger end excluded put pixel x at 78 - x.
  for (int y = 1; y <= 15; ++y)
    for (int x = 1; x <= 77; ++x) ASSERT_EQ(b.At(78 - x, y), a.At(x, y)) << x << ", " << y;
  EXPECT_EQ(b.At(72, 8), kLimePx);  // segment 1 at the right end
  EXPECT_EQ(b.At(7, 8), kGreyPx);   // segment 6, unlit red, at the left end
  EXPECT_EQ(b.At(66, 8), kSilverPx);
}

// Only the separator fill and the bevel: inside the bevel everything is SepColor.
void ExpectNoSegments(Tdbmeter& m) {
  m.SetSepColor(0x123456);
  const RgbImage& img = m.Paint();
  for (int y = 1; y < img.height - 1; ++y)
    for (int x = 1; x < img.width - 1; ++x) ASSERT_EQ(img.At(x, y), 0x563412u) << x << ", " << y;
}

TEST(Dbmeter, CountsAddingUpToZeroDrawNoSegments) {
  Tdbmeter m = PlayerMeter();
  m.SetPosition(150);
  m.SetGreens(0);
  m.SetYellows(0);
  m.SetReds(0);
  ExpectNoSegments(m);
  m.SetGreens(3);
  m.SetReds(-4);
  ExpectNoSegments(m);
}

TEST(Dbmeter, SeparatorAsWideAsThePitchDrawsNoSegments) {
  Tdbmeter m;  // pitch 13
  m.SetPosition(100);
  m.SetSepWidth(13);
  ExpectNoSegments(m);
  m.SetSepWidth(40);
  ExpectNoSegments(m);
  m.SetSepWidth(12);  // one pixel of each segment remains
  const RgbImage& img = m.Paint();
  EXPECT_EQ(img.At(13, 8), kLimePx);
  EXPECT_EQ(img.At(14, 8), 0x563412u);  // SepColor 0x123456
  EXPECT_EQ(img.At(25, 8), 0x563412u);
  EXPECT_EQ(img.At(65, 8), kRedPx);
}

TEST(Dbmeter, NoSeparatorWidthJoinsTheSegments) {
  Tdbmeter m;
  m.SetPosition(100);
  m.SetSepWidth(0);
  const RgbImage& img = m.Paint();
  EXPECT_EQ(img.At(12, 8), kLimePx);
  EXPECT_EQ(img.At(38, 8), kLimePx);
  EXPECT_EQ(img.At(39, 8), kYellowPx);
}

TEST(Dbmeter, BevelWidthSetter) {
  Tdbmeter m = PlayerMeter();
  m.SetBevelWidth(10);  // more than 15 / 3
  EXPECT_EQ(m.BevelWidth(), 1);
  m.SetBevelWidth(5);
  EXPECT_EQ(m.BevelWidth(), 5);
  m.SetBevelWidth(0);
  EXPECT_EQ(m.BevelWidth(), 1);
}

TEST(Dbmeter, WideLoweredAndRaisedBevels) {
  Tdbmeter m;
  m.SetBounds(30, 30);
  m.SetBevelWidth(3);
  m.SetSepWidth(0);
  m.SetGreens(1);
  m.SetYellows(0);
  m.SetReds(0);
  m.SetPosition(0);
  m.SetGreenBack(kGreenBack);
  const RgbImage& img = m.Paint();
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(img.At(15, j), kGreyPx) << j;        // top
    EXPECT_EQ(img.At(j, 15), kGreyPx) << j;        // left
    EXPECT_EQ(img.At(15, 29 - j), kWhitePx) << j;  // bottom
    EXPECT_EQ(img.At(29 - j, 15), kWhitePx) << j;  // right
  }
  EXPECT_EQ(img.At(0, 26), kGreyPx);   // the left edge runs down to H - b - 1
  EXPECT_EQ(img.At(0, 27), kWhitePx);  // below it, the bottom edges
  EXPECT_EQ(img.At(29, 0), kGreyPx);   // the top edge covers the right edge's end
  EXPECT_EQ(img.At(15, 15), kGreenBackPx);

  m.SetBevelStyle(builder::bvRaised);
  const RgbImage& raised = m.Paint();
  EXPECT_EQ(raised.At(15, 0), kWhitePx);
  EXPECT_EQ(raised.At(15, 29), kGreyPx);

  m.SetBevelStyle(builder::bvNone);
  const RgbImage& none = m.Paint();
  EXPECT_EQ(none.At(15, 0), kGreenBackPx);
  EXPECT_EQ(none.At(29, 15), kGreenBackPx);
  EXPECT_EQ(none.At(15, 29), kSilverPx);  // the cross axis stops before the last row

  m.SetBevelStyle(builder::bvLowered);
  m.SetBounds(8, 30);  // 8 / 3 < 3: painted with a bevel of 1
  const RgbImage& narrow = m.Paint();
  EXPECT_EQ(narrow.At(1, 15), kGreenBackPx);
  EXPECT_EQ(narrow.At(0, 15), kGreyPx);
}

TEST(Dbmeter, ZoneRulesAtTheEdges) {
  Tdbmeter m = PlayerMeter();
  m.SetGreens(0);  // the green zone has no width: positive positions start yellow
  EXPECT_EQ(m.LitSegments(), 0);
  m.SetPosition(1);
  EXPECT_EQ(m.LitSegments(), 1);
  m.SetPosition(60);
  EXPECT_EQ(m.LitSegments(), 3);
  m.SetPosition(61);
  EXPECT_EQ(m.LitSegments(), 4);
  m.SetYellows(0);  // no yellow segments: the yellow zone lights everything
  m.SetPosition(30);
  EXPECT_EQ(m.LitSegments(), 2);
  m.SetGreens(5);
  m.SetReds(0);
  m.SetPosition(150);
  EXPECT_EQ(m.LitSegments(), 5);
}

TEST(Dbmeter, AbsurdValuesNeitherHangNorOverflow) {
  Tdbmeter m = PlayerMeter();
  m.SetGreens(INT_MAX);
  m.SetYellows(INT_MAX);
  m.SetReds(INT_MAX);
  m.SetSepWidth(-1);
  m.SetPosition(INT_MAX);
  m.SetRedMax(1);
  m.SetGreenMax(INT_MIN);
  EXPECT_EQ(m.Paint().width, 15);  // pitch 0: nothing to draw, and quickly
  m.SetGreens(1);
  m.SetYellows(1);
  m.SetReds(1);
  m.SetGreenMax(1);
  m.SetYellowMax(1);
  m.SetRedMax(INT_MAX);
  m.SetPosition(INT_MAX - 1);
  EXPECT_GT(m.LitSegments(), 0);
  m.SetBounds(-5, -5);
  EXPECT_EQ(m.Paint().pixels.size(), 0u);
}

TEST(Dbmeter, SettersInvalidateOnlyOnChange) {
  Tdbmeter m;
  int repaints = 0;
  m.OnInvalidate = [&] { ++repaints; };
  m.SetPosition(0);  // unchanged
  m.SetGreens(3);
  m.SetBevelWidth(1);
  EXPECT_EQ(repaints, 0);
  const uint64_t v = m.Version();
  m.SetPosition(10);
  m.SetRedColor(1);
  m.SetStyle(builder::dsVertical);
  m.SetBounds(15, 82);
  EXPECT_EQ(repaints, 4);
  EXPECT_EQ(m.Version(), v + 4);
  m.Paint();
  EXPECT_EQ(repaints, 4);
}

TEST(Dbmeter, SystemColoursAreResolvedWhenDrawn) {
  Tdbmeter m;
  m.SetSepColor(builder::kClBtnFace);
  EXPECT_EQ(m.Paint().At(78, 8), kSilverPx);  // classic button face
  m.SetSystemColourResolver([](uint32_t index) { return index == 15 ? 0xC8D0D4u : 0u; });
  EXPECT_EQ(m.Paint().At(78, 8), 0xD4D0C8u);
  EXPECT_EQ(m.SepColor(), 0x8000000Fu);  // the value keeps its marker
}

// At 200 % the meter is its 96-dpi picture with every pixel doubled: segments,
// separators, bevels and the mirrored direction keep their design proportions.
TEST(Dbmeter, At192DpiEveryDesignPixelBecomesTwoByTwo) {
  struct Case {
    int position, sepWidth, bevelWidth;
    bool justOne;
    builder::TBevelCut bevel;
  };
  const Case cases[] = {{101, 1, 1, false, builder::bvLowered},
                        {140, 1, 1, true, builder::bvLowered},
                        {200, 3, 2, false, builder::bvRaised},
                        {1, 0, 1, false, builder::bvNone}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    Tdbmeter m = PlayerMeter();
    m.SetPosition(c.position);
    m.SetSepWidth(c.sepWidth);
    m.SetBevelWidth(uint8_t(c.bevelWidth));
    m.SetBevelStyle(c.bevel);
    m.SetShowJustOne(c.justOne);
    const RgbImage design = m.Paint();
    m.SetDpi(192);
    EXPECT_EQ(m.Width(), 15);  // the design size stays
    const RgbImage& scaled = m.Paint();
    ASSERT_EQ(scaled.width, 30);
    ASSERT_EQ(scaled.height, 164);
    int mismatches = 0;
    for (int y = 0; y < 164; ++y)
      for (int x = 0; x < 30; ++x) mismatches += scaled.At(x, y) != design.At(x / 2, y / 2);
    EXPECT_EQ(mismatches, 0);
  }
}

// At 150 % the size is rounded (15 x 82 gives 23 x 123), the pitch follows the height
// (123 / 10 = 12) and one-pixel lines stay one pixel wide.
TEST(Dbmeter, At144DpiTheSizeScalesAndThinLinesStaySharp) {
  Tdbmeter m = PlayerMeter();
  m.SetPosition(101);  // 5 green and 1 yellow lit
  m.SetDpi(144);
  const RgbImage& img = m.Paint();
  ASSERT_EQ(img.width, 23);
  ASSERT_EQ(img.height, 123);
  // Segment i shows rows 123 - 12i .. 133 - 12i (mirrored), its separator row 122 - 12i.
  std::string pattern;
  for (int i = 1; i <= 10; ++i) {
    const uint32_t px = img.At(11, 128 - 12 * i);
    pattern += px == LitPx(i) ? 'L' : px == UnlitPx(i) ? '-' : '?';
    EXPECT_EQ(img.At(11, 122 - 12 * i), kSilverPx) << "separator " << i;
    EXPECT_EQ(img.At(11, 123 - 12 * i), px) << "below separator " << i;
  }
  EXPECT_EQ(pattern, "LLLLLL----");
  EXPECT_EQ(img.At(0, 60), kGreyPx);  // the bevel: one pixel, grey on the left
  EXPECT_NE(img.At(1, 60), kGreyPx);
  EXPECT_EQ(img.At(22, 60), kWhitePx);  // white on the right
  EXPECT_NE(img.At(21, 60), kWhitePx);
}

TEST(Dbmeter, MirrorHelpers) {
  Tdbmeter m;
  m.SetBounds(15, 82);
  EXPECT_EQ(m.MirrorX(0), 14);
  EXPECT_EQ(m.MirrorY(0), 81);
  EXPECT_EQ(m.MirrorY(81), 0);
}

}  // namespace
