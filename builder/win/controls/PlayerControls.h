// The player window's face, which the player shows and the builder's preview copies:
// its size and style, its controls with their classes, captions and places in the
// 96-dpi design, and the painting of its background and its glyph buttons.
#pragma once
#include <windows.h>

#include <cstdint>

#include "builder/core/Colour.h"
#include "builder/core/Dbmeter.h"
#include "builder/core/VolumeLock.h"

namespace builder {

inline constexpr int kPlayerClientWidth = 345;
inline constexpr int kPlayerClientHeight = 112;
// No WS_CLIPCHILDREN: the background must also be painted inside the "Volume:" group,
// which a group box leaves to its parent.
inline constexpr DWORD kPlayerWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The controls in the order of creation; control k gets the identifier firstId + k.
enum PlayerControl : int {
  kPositionSlider,
  kPlayButton,
  kPauseButton,
  kStopButton,
  kLoopedBox,
  kLengthCaption,
  kLengthLabel,
  kPriorityLabel,
  kPriorityCombo,
  kAboutSongButton,
  kAboutButton,
  kVolumeGroup,
  kMeter1,
  kMeter2,
  kLeftSlider,
  kRightSlider,
  kLockBox,
  kPlayerControlCount
};

// The volume sliders are vertical trackbars whose top is the loudest.
inline int VolumeToTrackbar(int32_t volume) { return kVolumeMax - volume; }
inline int32_t TrackbarToVolume(LRESULT position) { return kVolumeMax - int32_t(position); }

class PlayerControls {
 public:
  PlayerControls() = default;
  ~PlayerControls();
  PlayerControls(const PlayerControls&) = delete;
  PlayerControls& operator=(const PlayerControls&) = delete;

  // Creates the controls in `window`: the play button disabled, the priority list filled
  // and at "Normal", the volume sliders at 0. Each control gets `extraStyle`, and
  // WS_TABSTOP where the player takes the keyboard when `tabStops` is set.
  void Create(HWND window, HINSTANCE instance, int firstId, DWORD extraStyle, bool tabStops);
  HWND operator[](PlayerControl control) const { return controls_[control]; }

  void SetChecked(PlayerControl box, bool checked) const;
  void ShowPriority(bool visible) const;
  void SetVolumes(int32_t left, int32_t right) const;
  // Shows `meter` (nullptr: none) in level meter 0 or 1, system colours as the system
  // has them.
  void AttachMeter(int index, Tdbmeter* meter);
  void RepaintMeter(int index) const;
  // The colour of the window and of its labels and check boxes.
  void SetBackground(TColor colour);
  // Paints the face for the window's messages: its background, the background of its
  // labels and buttons, and the glyph buttons. False for any other message.
  bool HandlePaintMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) const;

 private:
  HWND window_ = nullptr;
  HWND controls_[kPlayerControlCount] = {};
  int firstId_ = 0;
  HBRUSH background_ = nullptr;
  TColor backgroundColour_ = 0;
};

}  // namespace builder
