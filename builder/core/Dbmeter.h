// Tdbmeter: the segmented level meter of the builder's preview and of the player.
// Segments are grouped in a green, a yellow and a red zone; each zone has a colour for
// lit and one for unlit segments, separators lie between the segments and a bevel
// frames the whole. Position decides how many segments are lit.
//
// This is the control's model and painter. Every setter that changes a value fires
// OnInvalidate (and bumps Version); the window shell answers by calling Paint and
// copying the returned image to the screen at once.
#pragma once
#include <cstdint>
#include <functional>

#include "builder/core/Colour.h"
#include "builder/core/RgbImage.h"

namespace builder {

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised };
enum Tdbmeterstyle : uint8_t { dsVertical, dsHorizontal };
enum tdbmeterdirection : uint8_t { ddRightDown, ddLeftUp };

class Tdbmeter {
 public:
  Tdbmeter() = default;

  TBevelCut BevelStyle() const { return bevelStyle_; }
  void SetBevelStyle(TBevelCut v) { Set(bevelStyle_, v); }
  // 0, or more than a third of the width or of the height, is stored as 1.
  uint8_t BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(uint8_t v);

  TColor GreenColor() const { return greenColor_; }
  void SetGreenColor(TColor v) { Set(greenColor_, v); }
  int32_t Greens() const { return greens_; }
  void SetGreens(int32_t v) { Set(greens_, v); }
  int32_t GreenMax() const { return greenMax_; }
  void SetGreenMax(int32_t v) { Set(greenMax_, v); }
  TColor GreenBack() const { return greenBack_; }
  void SetGreenBack(TColor v) { Set(greenBack_, v); }

  TColor YellowColor() const { return yellowColor_; }
  void SetYellowColor(TColor v) { Set(yellowColor_, v); }
  int32_t Yellows() const { return yellows_; }
  void SetYellows(int32_t v) { Set(yellows_, v); }
  int32_t YellowMax() const { return yellowMax_; }
  void SetYellowMax(int32_t v) { Set(yellowMax_, v); }
  TColor YellowBack() const { return yellowBack_; }
  void SetYellowBack(TColor v) { Set(yellowBack_, v); }

  TColor RedColor() const { return redColor_; }
  void SetRedColor(TColor v) { Set(redColor_, v); }
  int32_t Reds() const { return reds_; }
  void SetReds(int32_t v) { Set(reds_, v); }
  int32_t RedMax() const { return redMax_; }
  void SetRedMax(int32_t v) { Set(redMax_, v); }
  TColor RedBack() const { return redBack_; }
  void SetRedBack(TColor v) { Set(redBack_, v); }

  bool ShowJustOne() const { return showJustOne_; }
  void SetShowJustOne(bool v) { Set(showJustOne_, v); }
  int32_t SepWidth() const { return sepWidth_; }
  void SetSepWidth(int32_t v) { Set(sepWidth_, v); }
  TColor SepColor() const { return sepColor_; }
  void SetSepColor(TColor v) { Set(sepColor_, v); }
  Tdbmeterstyle Style() const { return style_; }
  void SetStyle(Tdbmeterstyle v) { Set(style_, v); }
  tdbmeterdirection Direction() const { return direction_; }
  void SetDirection(tdbmeterdirection v) { Set(direction_, v); }
  int32_t Position() const { return position_; }
  void SetPosition(int32_t v) { Set(position_, v); }

  // The control's size in pixels of the 96-dpi design; a new instance is 80 x 17.
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int width, int height);

  // The display's resolution (96 at 100 %). Paint draws the design at it: the size in
  // proportion, rounded to the nearest pixel, and the separator and bevel widths in
  // whole pixels (at least one), so that lines stay sharp at 150 %. At 96 the design
  // is drawn as it stands; at 192 every design pixel becomes two by two.
  int Dpi() const { return dpi_; }
  void SetDpi(int dpi);
  int DeviceWidth() const { return DeviceSize(width_); }
  int DeviceHeight() const { return DeviceSize(height_); }

  // How system colour values (0x80000000 + index) are resolved; none means the
  // classic Windows scheme.
  void SetSystemColourResolver(SystemColourResolver resolver);

  // The number of lit segments that Position gives, before Paint's rule that a
  // non-zero position lights at least one segment.
  int64_t LitSegments() const;

  // Draws the whole control into its off-screen image and returns that image.
  const RgbImage& Paint();

  // Mirrored coordinates: width - x - 1 and height - y - 1.
  int MirrorX(int x) const { return width_ - x - 1; }
  int MirrorY(int y) const { return height_ - y - 1; }

  uint64_t Version() const { return version_; }
  std::function<void()> OnInvalidate;

 private:
  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }
  void Invalidate();
  uint32_t Pixel(TColor c) const { return ColourToPixel(ResolveColour(c, resolver_)); }
  void PaintSegments();
  void PaintSegmentRect(int64_t from, int64_t to, int64_t across, uint32_t pixel);
  void PaintBevel();
  int DeviceSize(int64_t design) const;
  int64_t DeviceLine(int64_t design) const;

  TBevelCut bevelStyle_ = bvLowered;
  uint8_t bevelWidth_ = 1;
  TColor greenColor_ = kClLime;
  int32_t greens_ = 3;
  int32_t greenMax_ = 50;
  TColor greenBack_ = kClGray;
  TColor yellowColor_ = kClYellow;
  int32_t yellows_ = 2;
  int32_t yellowMax_ = 25;
  TColor yellowBack_ = kClGray;
  TColor redColor_ = kClRed;
  int32_t reds_ = 1;
  int32_t redMax_ = 25;
  TColor redBack_ = kClGray;
  bool showJustOne_ = false;
  int32_t sepWidth_ = 1;
  TColor sepColor_ = kClSilver;
  Tdbmeterstyle style_ = dsHorizontal;
  tdbmeterdirection direction_ = ddRightDown;
  int32_t position_ = 0;

  int width_ = 80;
  int height_ = 17;
  int dpi_ = 96;
  SystemColourResolver resolver_;
  RgbImage bitmap_;
  uint64_t version_ = 0;
};

}  // namespace builder
