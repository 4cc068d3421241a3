// Win32 controls that the builder's preview and the player share: the level meter
// as a child window, and the glyph buttons of the playback controls.
#pragma once
#include <windows.h>

#include "builder/core/Dbmeter.h"

namespace builder {

// Registers the window class "Tdbmeter": a child window that shows the image that
// Tdbmeter::Paint() computes (blank while no meter is attached).
bool RegisterDbmeterClass(HINSTANCE instance);
// Shows `meter` in `control` from now on (nullptr detaches it); the meter must
// outlive the control or be detached first.
void AttachDbmeter(HWND control, Tdbmeter* meter);
// Repaints the control now, as the meter's setters ask for.
void PaintDbmeter(HWND control);

// The system's own colours, as a SystemColourResolver. (A class, not a function: a
// std::function holding a function pointer brings the type information of pointers into
// the player.)
struct SystemColours {
  TColor operator()(uint32_t index) const { return TColor(GetSysColor(int(index))); }
};

enum class TPlaybackGlyph { Play, Pause, Stop };
// Draws an owner-drawn push button showing a playback glyph.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, TPlaybackGlyph glyph);

}  // namespace builder
