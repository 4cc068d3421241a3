// Control identifiers of the builder's windows, named after their controls; the
// end-to-end tests find the controls by them.
#pragma once

namespace vardexwin {

enum MainControlId {
  IDC_LEFTTABS = 100,
  IDC_RIGHTTABS = 101,
  IDC_EDIT1 = 201,  // Edit1 .. Edit8 follow in order
  IDC_EDIT2,
  IDC_EDIT3,
  IDC_EDIT4,
  IDC_EDIT5,
  IDC_EDIT6,
  IDC_EDIT7,
  IDC_EDIT8,
  IDC_COMBOBOX1 = 209,
  IDC_CHANGEBTN = 210,
  IDC_SAVECHANGESBTN = 211,
  IDC_BUTTON1 = 212,
  IDC_BUTTON2 = 213,
  IDC_BITBTN1 = 214,
  IDC_BITBTN3 = 215,
  IDC_STATUSBAR1 = 216,
  IDC_PROGRESSBAR1 = 217,
  IDC_LABEL13 = 218,
  IDC_CHECKBOX1 = 219,
  IDC_RGMAXSIZE_720 = 220,  // the items of rgMaxSize in order
  IDC_RGMAXSIZE_OTHER = 221,
  IDC_RGMAXSIZE_144 = 222,
  IDC_EDMAXSIZE = 223,
  IDC_RGMAXSIZE = 224,
  // The style tab: Button3 .. Button12 are 303 .. 312.
  IDC_BUTTON3 = 303,
  IDC_BUTTON4,
  IDC_BUTTON5,
  IDC_BUTTON6,
  IDC_BUTTON7,
  IDC_BUTTON8,
  IDC_BUTTON9,
  IDC_BUTTON10,
  IDC_BUTTON11,
  IDC_BUTTON12,
  // RxSpinButton1..4, each an upper (Top) and a lower (Bottom) half.
  IDC_SPIN1_TOP = 321,
  IDC_SPIN1_BOTTOM,
  IDC_SPIN2_TOP,
  IDC_SPIN2_BOTTOM,
  IDC_SPIN3_TOP,
  IDC_SPIN3_BOTTOM,
  IDC_SPIN4_TOP,
  IDC_SPIN4_BOTTOM,
  IDC_EDIT9 = 330,
  IDC_CHECKBOX2 = 332,  // CheckBox2 .. CheckBox7 follow in order
  IDC_CHECKBOX3,
  IDC_CHECKBOX4,
  IDC_CHECKBOX5,
  IDC_CHECKBOX6,
  IDC_CHECKBOX7,
  IDC_RADIOGROUP1_0 = 340,
  IDC_RADIOGROUP1_1 = 341,
  IDC_LEFTSLIDER = 342,
  IDC_RIGHTSLIDER = 343,
  IDC_BITBTN6 = 344,
};

// In the order of the player window's controls (builder::PlayerControl).
enum PreviewControlId {
  IDC_PV_POSITION = 400,
  IDC_PV_PLAY,
  IDC_PV_PAUSE,
  IDC_PV_STOP,
  IDC_PV_LOOPEDCB,
  IDC_PV_LENGTHCAPTION,
  IDC_PV_LENGTH,
  IDC_PV_LABEL12,
  IDC_PV_PRIORITYCOMBO,
  IDC_PV_ABOUTSONG,
  IDC_PV_ABOUT,
  IDC_PV_VOLUME,
  IDC_PV_DBMETER1,
  IDC_PV_DBMETER2,
  IDC_PV_LEFTSLIDER,
  IDC_PV_RIGHTSLIDER,
  IDC_PV_LOCKBOX,
};

}  // namespace vardexwin
