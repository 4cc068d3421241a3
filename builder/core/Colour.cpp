#include "builder/core/Colour.h"

#include <array>

namespace builder {
namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30) of the Windows standard scheme.
constexpr std::array<TColor, 31> kClassicScheme = {
    Rgb(192, 192, 192),  // scroll bar
    Rgb(0, 128, 128),    // desktop
    Rgb(0, 0, 128),      // active caption
    Rgb(128, 128, 128),  // inactive caption
    Rgb(192, 192, 192),  // menu
    Rgb(255, 255, 255),  // window
    Rgb(0, 0, 0),        // window frame
    Rgb(0, 0, 0),        // menu text
    Rgb(0, 0, 0),        // window text
    Rgb(255, 255, 255),  // caption text
    Rgb(192, 192, 192),  // active border
    Rgb(192, 192, 192),  // inactive border
    Rgb(128, 128, 128),  // application workspace
    Rgb(0, 0, 128),      // highlight
    Rgb(255, 255, 255),  // highlight text
    Rgb(192, 192, 192),  // button face
    Rgb(128, 128, 128),  // button shadow
    Rgb(128, 128, 128),  // grey text
    Rgb(0, 0, 0),        // button text
    Rgb(192, 192, 192),  // inactive caption text
    Rgb(255, 255, 255),  // button highlight
    Rgb(0, 0, 0),        // 3D dark shadow
    Rgb(192, 192, 192),  // 3D light
    Rgb(0, 0, 0),        // tooltip text
    Rgb(255, 255, 225),  // tooltip background
    Rgb(0, 0, 0),        // unused
    Rgb(0, 0, 255),      // hot-tracked item
    Rgb(0, 0, 128),      // active caption gradient
    Rgb(128, 128, 128),  // inactive caption gradient
    Rgb(0, 0, 128),      // menu highlight
    Rgb(192, 192, 192),  // menu bar
};

}  // namespace

TColor ClassicSystemColour(uint32_t index) {
  return index < kClassicScheme.size() ? kClassicScheme[index] : kClBlack;
}

TColor ResolveColour(TColor value, const SystemColourResolver& resolver) {
  if ((value & kSystemColourFlag) == 0) return value & 0x00FFFFFF;
  const uint32_t index = value & 0xFF;
  const TColor rgb = resolver ? resolver(index) : ClassicSystemColour(index);
  return rgb & 0x00FFFFFF;
}

}  // namespace builder
