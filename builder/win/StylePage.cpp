// The "EXE-Style:" tab of the main window.
// The common controls need the definitions of windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "builder/win/ControlIds.h"
#include "builder/win/MainWindow.h"
#include "builder/win/PreviewWindow.h"

namespace vardexwin {
namespace {

using builder::MeterColour;
using builder::MeterZone;

// The volume sliders are vertical trackbars whose top is the loudest.
int ToTrackbar(int32_t volume) { return builder::kVolumeMax - volume; }
int32_t FromTrackbar(LRESULT position) { return builder::kVolumeMax - int32_t(position); }

void SetCheck(HWND box, bool on) {
  SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

void MainWindow::CreateStylePage() {
  auto* p = &stylePage_;
  const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
  const DWORD spin = BS_OWNERDRAW;
  Control(L"BUTTON", L"VU-Meter:", BS_GROUPBOX, 6, 24, 180, 134, -1, p);
  const wchar_t* colours[] = {L"1. color", L"2. color", L"3. color"};
  const wchar_t* backs[] = {L"1. background", L"2. background", L"3. background"};
  for (int i = 0; i < 3; ++i) {
    const int y = 40 + 23 * i;
    Control(L"BUTTON", colours[i], button, 12, y, 62, 21, IDC_BUTTON3 + i, p);
    Control(L"BUTTON", L"", spin, 75, y, 14, 10, IDC_SPIN1_TOP + 2 * i, p);
    Control(L"BUTTON", L"", spin, 75, y + 10, 14, 11, IDC_SPIN1_BOTTOM + 2 * i, p);
    Control(L"BUTTON", backs[i], button, 94, y, 86, 21, IDC_BUTTON6 + i, p);
  }
  Control(L"BUTTON", L"Seperator color", button, 12, 110, 86, 21, IDC_BUTTON10, p);
  Control(L"STATIC", L"Sep. Width:", SS_LEFT, 102, 113, 50, 16, -1, p);
  edit9_ =
      Control(L"EDIT", L"1", WS_BORDER | ES_CENTER | WS_DISABLED, 150, 110, 18, 21, IDC_EDIT9, p);
  Control(L"BUTTON", L"", spin, 168, 110, 13, 10, IDC_SPIN4_TOP, p);
  Control(L"BUTTON", L"", spin, 168, 120, 13, 11, IDC_SPIN4_BOTTOM, p);
  checkBox5_ = Control(L"BUTTON", L"Show just one", BS_AUTOCHECKBOX | WS_TABSTOP, 12, 137, 90, 16,
                       IDC_CHECKBOX5, p);
  Control(L"BUTTON", L"T&est", button, 110, 134, 70, 21, IDC_BITBTN6, p);

  Control(L"BUTTON", L"Other:", BS_GROUPBOX, 6, 160, 180, 44, -1, p);
  Control(L"BUTTON", L"Background", button, 12, 176, 66, 21, IDC_BUTTON9, p);
  checkBox3_ = Control(L"BUTTON", L"Priority visible", BS_AUTOCHECKBOX | WS_TABSTOP, 84, 172, 98,
                       15, IDC_CHECKBOX3, p);
  checkBox2_ = Control(L"BUTTON", L"Looped", BS_AUTOCHECKBOX | WS_TABSTOP, 84, 187, 98, 15,
                       IDC_CHECKBOX2, p);

  Control(L"BUTTON", L"Volume:", BS_GROUPBOX, 190, 24, 144, 180, -1, p);
  const DWORD slider = TBS_VERT | TBS_NOTICKS | TBS_BOTH | WS_TABSTOP | WS_DISABLED;
  leftSlider_ = Control(TRACKBAR_CLASSW, L"", slider, 196, 38, 22, 82, IDC_LEFTSLIDER, p);
  rightSlider_ = Control(TRACKBAR_CLASSW, L"", slider, 220, 38, 22, 82, IDC_RIGHTSLIDER, p);
  for (HWND s : {leftSlider_, rightSlider_}) {
    SendMessageW(s, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(s, TBM_SETRANGEMAX, FALSE, builder::kVolumeMax);
    SendMessageW(s, TBM_SETPAGESIZE, 0, 4096);
  }
  checkBox4_ = Control(L"BUTTON", L"Volume locked", BS_AUTOCHECKBOX | WS_TABSTOP, 246, 40, 86, 16,
                       IDC_CHECKBOX4, p);
  Control(L"BUTTON", L"", BS_GROUPBOX, 194, 118, 136, 48, -1, p);
  radioItems_[0] = Control(L"BUTTON", L"Use User's default settings", BS_RADIOBUTTON | WS_TABSTOP,
                           199, 130, 128, 16, IDC_RADIOGROUP1_0, p);
  radioItems_[1] = Control(L"BUTTON", L"Define the default volume", BS_RADIOBUTTON | WS_TABSTOP,
                           199, 146, 128, 16, IDC_RADIOGROUP1_1, p);
  checkBox6_ = Control(L"BUTTON", L"restore the User's old settings", BS_AUTOCHECKBOX | WS_TABSTOP,
                       196, 168, 136, 16, IDC_CHECKBOX6, p);
  checkBox7_ = Control(L"BUTTON", L"when closing the EXE.", BS_AUTOCHECKBOX | WS_DISABLED, 196, 184,
                       136, 16, IDC_CHECKBOX7, p);
  // A small borderless panel hides CheckBox7's box: its caption reads as the second
  // line of CheckBox6's.
  HWND cover = Control(L"STATIC", L"", SS_LEFT, 196, 184, 15, 16, -1, p);
  SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  Control(L"BUTTON", L"Preview", button, 6, 207, 86, 23, IDC_BUTTON11, p);
  Control(L"BUTTON", L"Standart-Style", button, 98, 207, 88, 23, IDC_BUTTON12, p);
  // Group frames lie beneath the controls drawn over them.
  for (HWND c : stylePage_) {
    wchar_t cls[16] = {};
    GetClassNameW(c, cls, 16);
    if ((GetWindowLongW(c, GWL_STYLE) & 0xF) == BS_GROUPBOX && lstrcmpiW(cls, L"BUTTON") == 0)
      SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MainWindow::ShowStyleState() {
  SetEditText(edit9_, Wide(style_.SepWidthText()));
  SetCheck(checkBox5_, style_.ShowJustOne());
  SetCheck(checkBox2_, style_.Looped());
  SetCheck(checkBox3_, style_.PriorityVisible());
  SetCheck(checkBox4_, style_.Locked());
  SetCheck(checkBox6_, style_.Restore());
  for (int i = 0; i < 2; ++i) SetCheck(radioItems_[i], style_.VolumeChoice() == i);
  const bool volume = style_.VolumeControlsEnabled();
  for (HWND c : {leftSlider_, rightSlider_, checkBox6_, checkBox7_}) EnableWindow(c, volume);
  SendMessageW(leftSlider_, TBM_SETPOS, TRUE, ToTrackbar(style_.LeftSlider()));
  SendMessageW(rightSlider_, TBM_SETPOS, TRUE, ToTrackbar(style_.RightSlider()));
  preview_.Refresh();
}

void MainWindow::StyleChanged() { ShowStyleState(); }

void MainWindow::ColourButton(MeterColour which) {
  builder::TColor colour = style_.ColourOf(which);
  if (ChooseColour(window_, colour))
    style_.ColourChosen(which, colour);
  else
    style_.ColourChosen(which, style_.ColourOf(which));  // meter 2 follows in every case
}

void MainWindow::OnStyleCommand(int id) {
  const MeterColour colours[] = {MeterColour::Red,        MeterColour::Yellow,
                                 MeterColour::Green,      MeterColour::RedBack,
                                 MeterColour::YellowBack, MeterColour::GreenBack};
  const MeterZone zones[] = {MeterZone::Red, MeterZone::Yellow, MeterZone::Green};
  if (id >= IDC_BUTTON3 && id <= IDC_BUTTON8) {
    ColourButton(colours[id - IDC_BUTTON3]);
  } else if (id >= IDC_SPIN1_TOP && id <= IDC_SPIN3_BOTTOM) {
    const MeterZone zone = zones[(id - IDC_SPIN1_TOP) / 2];
    if ((id - IDC_SPIN1_TOP) % 2 == 0)
      style_.CountUp(zone);
    else
      style_.CountDown(zone);
  } else {
    switch (id) {
      case IDC_BUTTON10:
        ColourButton(MeterColour::Separator);
        break;
      case IDC_SPIN4_TOP:
        style_.SepWidthUp();
        break;
      case IDC_SPIN4_BOTTOM:
        style_.SepWidthDown();
        break;
      case IDC_CHECKBOX5:
        style_.SetShowJustOne(Checked(checkBox5_));
        break;
      case IDC_BITBTN6:
        preview_.Show(false);
        style_.RunTest([] { vardexwin::ProcessMessages(); });
        break;
      case IDC_BUTTON11:
        preview_.Show(true);
        break;
      case IDC_BUTTON9: {
        builder::TColor colour = style_.Background();
        if (ChooseColour(window_, colour)) style_.SetBackground(colour);
        break;
      }
      case IDC_CHECKBOX2:
        style_.SetLooped(Checked(checkBox2_));
        break;
      case IDC_CHECKBOX3:
        style_.SetPriorityVisible(Checked(checkBox3_));
        break;
      case IDC_CHECKBOX4:
        style_.SetLocked(Checked(checkBox4_));
        break;
      case IDC_CHECKBOX6:
        style_.SetRestore(Checked(checkBox6_));
        break;
      case IDC_CHECKBOX7:
        style_.CheckBox7Click();
        break;
      case IDC_RADIOGROUP1_0:
        style_.SetVolumeChoice(0);
        break;
      case IDC_RADIOGROUP1_1:
        style_.SetVolumeChoice(1);
        break;
      case IDC_BUTTON12:
        style_.StandartStyle();
        break;
      default:
        return;
    }
  }
  ShowStyleState();
}

void MainWindow::OnSlider(HWND slider) {
  const int32_t value = FromTrackbar(SendMessageW(slider, TBM_GETPOS, 0, 0));
  if (slider == leftSlider_) style_.LeftSliderChange(value);
  if (slider == rightSlider_) style_.RightSliderChange(value);
  ShowStyleState();
}

void MainWindow::OnDrawSpin(const DRAWITEMSTRUCT& item) {
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  RECT r = item.rcItem;
  DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const bool up = (item.CtlID - IDC_SPIN1_TOP) % 2 == 0;
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const POINT tri[3] = {
      {cx - 3, up ? cy + 1 : cy - 1}, {cx + 3, up ? cy + 1 : cy - 1}, {cx, up ? cy - 2 : cy + 2}};
  HGDIOBJ oldBrush = SelectObject(item.hDC, GetSysColorBrush(COLOR_BTNTEXT));
  HGDIOBJ oldPen = SelectObject(item.hDC, GetStockObject(NULL_PEN));
  Polygon(item.hDC, tri, 3);
  SelectObject(item.hDC, oldPen);
  SelectObject(item.hDC, oldBrush);
}

}  // namespace vardexwin
