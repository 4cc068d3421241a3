// The "EXE-Style:" tab of the main window.
// The common controls need the definitions of windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "builder/win/ControlIds.h"
#include "builder/win/MainWindow.h"
#include "builder/win/PreviewWindow.h"
#include "platform/win32/Wide.h"

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
  Control(L"BUTTON", L"VU-Meter:", BS_GROUPBOX, 6, 24, 157, 140, -1, p);
  const wchar_t* colours[] = {L"1. color", L"2. color", L"3. color"};
  const wchar_t* backs[] = {L"1. background", L"2. background", L"3. background"};
  for (int i = 0; i < 3; ++i) {
    const int y = 38 + 22 * i;
    Control(L"BUTTON", colours[i], button, 11, y, 52, 21, IDC_BUTTON3 + i, p);
    Control(L"BUTTON", L"", spin, 63, y, 13, 10, IDC_SPIN1_TOP + 2 * i, p);
    Control(L"BUTTON", L"", spin, 63, y + 10, 13, 11, IDC_SPIN1_BOTTOM + 2 * i, p);
    Control(L"BUTTON", backs[i], button, 80, y, 77, 21, IDC_BUTTON6 + i, p);
  }
  Control(L"BUTTON", L"Seperator color", button, 11, 104, 86, 21, IDC_BUTTON10, p);
  Control(L"BUTTON", L"T&est", button, 101, 104, 56, 21, IDC_BITBTN6, p);
  Control(L"STATIC", L"Sep. Width:", SS_LEFT, 11, 130, 60, 16, -1, p);
  edit9_ =
      Control(L"EDIT", L"1", WS_BORDER | ES_CENTER | WS_DISABLED, 72, 127, 18, 21, IDC_EDIT9, p);
  Control(L"BUTTON", L"", spin, 90, 127, 12, 10, IDC_SPIN4_TOP, p);
  Control(L"BUTTON", L"", spin, 90, 137, 12, 11, IDC_SPIN4_BOTTOM, p);
  checkBox5_ = Control(L"BUTTON", L"Show just one", BS_AUTOCHECKBOX | WS_TABSTOP, 11, 148, 100, 14,
                       IDC_CHECKBOX5, p);

  Control(L"BUTTON", L"Other:", BS_GROUPBOX, 6, 165, 157, 41, -1, p);
  Control(L"BUTTON", L"Background", button, 11, 179, 62, 21, IDC_BUTTON9, p);
  checkBox3_ = Control(L"BUTTON", L"Priority visible", BS_AUTOCHECKBOX | WS_TABSTOP, 76, 176, 86,
                       14, IDC_CHECKBOX3, p);
  checkBox2_ = Control(L"BUTTON", L"Looped", BS_AUTOCHECKBOX | WS_TABSTOP, 76, 190, 86, 14,
                       IDC_CHECKBOX2, p);

  Control(L"BUTTON", L"Volume:", BS_GROUPBOX, 166, 24, 170, 182, -1, p);
  const DWORD slider = TBS_VERT | TBS_NOTICKS | TBS_BOTH | WS_TABSTOP | WS_DISABLED;
  leftSlider_ = Control(TRACKBAR_CLASSW, L"", slider, 172, 38, 22, 68, IDC_LEFTSLIDER, p);
  rightSlider_ = Control(TRACKBAR_CLASSW, L"", slider, 196, 38, 22, 68, IDC_RIGHTSLIDER, p);
  for (HWND s : {leftSlider_, rightSlider_}) {
    SendMessageW(s, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(s, TBM_SETRANGEMAX, FALSE, builder::kVolumeMax);
    SendMessageW(s, TBM_SETPAGESIZE, 0, 4096);
  }
  checkBox4_ = Control(L"BUTTON", L"Volume locked", BS_AUTOCHECKBOX | WS_TABSTOP, 226, 40, 100, 16,
                       IDC_CHECKBOX4, p);
  Control(L"BUTTON", L"", BS_GROUPBOX, 170, 104, 162, 46, -1, p);
  radioItems_[0] = Control(L"BUTTON", L"Use User's default settings", BS_RADIOBUTTON | WS_TABSTOP,
                           175, 116, 156, 15, IDC_RADIOGROUP1_0, p);
  radioItems_[1] = Control(L"BUTTON", L"Define the default volume", BS_RADIOBUTTON | WS_TABSTOP,
                           175, 132, 156, 15, IDC_RADIOGROUP1_1, p);
  checkBox6_ = Control(L"BUTTON", L"restore the User's old settings", BS_AUTOCHECKBOX | WS_TABSTOP,
                       170, 154, 164, 16, IDC_CHECKBOX6, p);
  checkBox7_ = Control(L"BUTTON", L"when closing the EXE.", BS_AUTOCHECKBOX | WS_DISABLED, 170, 170,
                       164, 16, IDC_CHECKBOX7, p);
  // A small borderless panel hides CheckBox7's box: its caption reads as the second
  // line of CheckBox6's.
  HWND cover = Control(L"STATIC", L"", SS_LEFT, 170, 170, 15, 16, -1, p);
  SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  Control(L"BUTTON", L"Preview", button, 6, 208, 76, 22, IDC_BUTTON11, p);
  Control(L"BUTTON", L"Standart-Style", button, 86, 208, 77, 22, IDC_BUTTON12, p);
  SendGroupsToBack(stylePage_);
}

void MainWindow::ShowStyleState() {
  SetEditText(edit9_, platform::Widen(style_.SepWidthText()));
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
      case IDC_BITBTN6: {
        preview_.Show(false);
        DWORD start = GetTickCount();
        style_.RunTest([] { vardexwin::ProcessMessages(); },
                       [&start](int64_t due) { return WaitWithMessages(start, due); });
        break;
      }
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
