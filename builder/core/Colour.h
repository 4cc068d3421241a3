// Colour values as the builder, the player and their settings record carry them:
// 0x00BBGGRR is an explicit RGB colour (the Windows COLORREF layout), and
// 0x80000000 + an index is the system colour of that index, resolved when drawn.
#pragma once
#include <cstdint>
#include <functional>

namespace builder {

using TColor = uint32_t;

inline constexpr TColor kClBlack = 0x000000;
inline constexpr TColor kClRed = 0x0000FF;
inline constexpr TColor kClLime = 0x00FF00;
inline constexpr TColor kClYellow = 0x00FFFF;
inline constexpr TColor kClGray = 0x808080;
inline constexpr TColor kClSilver = 0xC0C0C0;
inline constexpr TColor kClWhite = 0xFFFFFF;

inline constexpr TColor kSystemColourFlag = 0x80000000u;
inline constexpr TColor kClBtnFace = kSystemColourFlag | 15;

// Maps a system colour index (the low byte of a system colour value) to an explicit
// 0x00BBGGRR colour. The Win32 shell plugs in the system's own colours.
using SystemColourResolver = std::function<TColor(uint32_t index)>;

// The classic Windows standard scheme (button face 0xC0C0C0, window 0xFFFFFF, ...).
// Indices outside the table give black, as the system does for unknown indices.
TColor ClassicSystemColour(uint32_t index);

// The explicit 0x00BBGGRR colour of a colour value. A null resolver means the
// classic scheme.
TColor ResolveColour(TColor value, const SystemColourResolver& resolver = nullptr);

// 0x00BBGGRR -> 0x00RRGGBB, the layout of a 32-bit top-down DIB pixel.
constexpr uint32_t ColourToPixel(TColor rgb) {
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

}  // namespace builder
