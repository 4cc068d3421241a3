#include "builder/win/controls/PlayerControls.h"

#include <commctrl.h>

#include "builder/core/PlayerWindowTexts.h"
#include "builder/win/controls/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Wide.h"

namespace builder {
namespace {

// WS_TABSTOP marks the controls that take the keyboard in the player.
struct Place {
  const wchar_t* cls;
  const char* text;
  DWORD style;
  int16_t x, y, w, h;
};

// The "Volume:" group at the right edge; its controls are siblings drawn over it.
constexpr int kGroupX = kPlayerClientWidth - 89, kGroupY = -2;
constexpr DWORD kVolumeSliderStyle = TBS_VERT | TBS_NOTICKS | TBS_BOTH;

// In the order of PlayerControl.
const Place kPlaces[kPlayerControlCount] = {
    {TRACKBAR_CLASSW, "", TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 0, 0, 256, 40},
    {L"BUTTON", "Play", BS_OWNERDRAW | WS_DISABLED | WS_TABSTOP, 6, 42, 25, 23},
    {L"BUTTON", "Pause", BS_OWNERDRAW | WS_TABSTOP, 33, 42, 25, 23},
    {L"BUTTON", "Stop", BS_OWNERDRAW | WS_TABSTOP, 60, 42, 25, 23},
    {L"BUTTON", kLoopedText, BS_AUTOCHECKBOX | WS_TABSTOP, 96, 45, 110, 17},
    {L"STATIC", kLengthLabelText, SS_LEFT, 6, 71, 42, 14},
    {L"STATIC", "", SS_LEFT, 48, 71, 100, 14},
    {L"STATIC", kPriorityLabelText, SS_LEFT, 6, 93, 40, 14},
    {L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 48, 89, 100, 160},
    {L"BUTTON", kAboutSongButtonText, BS_PUSHBUTTON | WS_TABSTOP, 156, 66, 96, 21},
    {L"BUTTON", kAboutButtonText, BS_PUSHBUTTON | WS_TABSTOP, 156, 89, 96, 21},
    {L"BUTTON", kVolumeGroupText, BS_GROUPBOX, kGroupX, kGroupY, 89, 114},
    {L"Tdbmeter", "", 0, kGroupX + 6, kGroupY + 14, 15, 82},
    {L"Tdbmeter", "", 0, kGroupX + 23, kGroupY + 14, 15, 82},
    {TRACKBAR_CLASSW, "", kVolumeSliderStyle | WS_TABSTOP, kGroupX + 42, kGroupY + 12, 20, 86},
    {TRACKBAR_CLASSW, "", kVolumeSliderStyle | WS_TABSTOP, kGroupX + 64, kGroupY + 12, 20, 86},
    {L"BUTTON", kLockText, BS_AUTOCHECKBOX | WS_TABSTOP, kGroupX + 5, kGroupY + 98, 82, 14},
};

}  // namespace

PlayerControls::~PlayerControls() {
  if (background_) DeleteObject(background_);
}

void PlayerControls::Create(HWND window, HINSTANCE instance, int firstId, DWORD extraStyle,
                            bool tabStops) {
  window_ = window;
  firstId_ = firstId;
  const HFONT font = platform::DialogFont();
  for (int k = 0; k < kPlayerControlCount; ++k) {
    const Place& p = kPlaces[k];
    const RECT r = platform::Scale(RECT{p.x, p.y, p.x + p.w, p.y + p.h});
    const DWORD style =
        WS_CHILD | WS_VISIBLE | extraStyle | (tabStops ? p.style : p.style & ~WS_TABSTOP);
    controls_[k] = CreateWindowExW(
        0, p.cls, platform::Widen(p.text).c_str(), style, r.left, r.top, r.right - r.left,
        r.bottom - r.top, window, reinterpret_cast<HMENU>(INT_PTR(firstId + k)), instance, nullptr);
    SendMessageW(controls_[k], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  for (const char* name : PriorityNames())
    SendMessageW(controls_[kPriorityCombo], CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(platform::Widen(name).c_str()));
  SendMessageW(controls_[kPriorityCombo], CB_SETCURSEL, kNormalPriorityIndex, 0);
  for (HWND s : {controls_[kLeftSlider], controls_[kRightSlider]}) {
    SendMessageW(s, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(s, TBM_SETRANGEMAX, FALSE, kVolumeMax);
    SendMessageW(s, TBM_SETPAGESIZE, 0, 4096);
    SendMessageW(s, TBM_SETPOS, TRUE, VolumeToTrackbar(0));
  }
}

void PlayerControls::SetChecked(PlayerControl box, bool checked) const {
  SendMessageW(controls_[box], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PlayerControls::ShowPriority(bool visible) const {
  ShowWindow(controls_[kPriorityLabel], visible ? SW_SHOW : SW_HIDE);
  ShowWindow(controls_[kPriorityCombo], visible ? SW_SHOW : SW_HIDE);
}

void PlayerControls::SetVolumes(int32_t left, int32_t right) const {
  SendMessageW(controls_[kLeftSlider], TBM_SETPOS, TRUE, VolumeToTrackbar(left));
  SendMessageW(controls_[kRightSlider], TBM_SETPOS, TRUE, VolumeToTrackbar(right));
}

void PlayerControls::AttachMeter(int index, Tdbmeter* meter) {
  if (meter) meter->SetSystemColourResolver(SystemColours());
  AttachDbmeter(controls_[index == 0 ? kMeter1 : kMeter2], meter);
}

void PlayerControls::RepaintMeter(int index) const {
  PaintDbmeter(controls_[index == 0 ? kMeter1 : kMeter2]);
}

void PlayerControls::SetBackground(TColor colour) {
  if (background_ && colour == backgroundColour_) return;
  if (background_) DeleteObject(background_);
  backgroundColour_ = colour;
  background_ = CreateSolidBrush(ResolveColour(colour, SystemColours()));
  InvalidateRect(window_, nullptr, TRUE);
}

bool PlayerControls::HandlePaintMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) const {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window_, &r);
      FillRect(reinterpret_cast<HDC>(w), &r, background_);
      result = 1;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
      result = reinterpret_cast<LRESULT>(background_);
      return true;
    case WM_DRAWITEM: {
      // The play, pause and stop buttons are the only owner-drawn controls.
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      const int control = int(item.CtlID) - firstId_;
      DrawGlyphButton(item, control == kPlayButton    ? TPlaybackGlyph::Play
                            : control == kPauseButton ? TPlaybackGlyph::Pause
                                                      : TPlaybackGlyph::Stop);
      result = TRUE;
      return true;
    }
  }
  return false;
}

}  // namespace builder
