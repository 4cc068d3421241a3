#include "builder/win/PreviewWindow.h"

#include <commctrl.h>

#include "builder/win/ControlIds.h"
#include "builder/win/WinServices.h"
#include "builder/win/controls/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Wide.h"

namespace vardexwin {
namespace {

constexpr wchar_t kClassName[] = L"TPreviewForm";
constexpr int kClientWidth = 345;  // the player window's client area
constexpr int kClientHeight = 112;
// As the player's window: no WS_CLIPCHILDREN, since the panel colour must also be painted
// inside the "Volume:" group, which a group box leaves to its parent.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

const wchar_t* const kPriorities[] = {L"Idle",         L"Lowest",  L"Below normal", L"Normal",
                                      L"Above normal", L"Highest", L"Time critical"};

int ToTrackbar(int32_t volume) { return builder::kVolumeMax - volume; }

}  // namespace

PreviewWindow::PreviewWindow(HINSTANCE instance, builder::TStyleTab& style)
    : instance_(instance), style_(style) {}

PreviewWindow::~PreviewWindow() {
  if (background_) DeleteObject(background_);
}

bool PreviewWindow::Create(HWND owner) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  if (!RegisterClassExW(&wc) || !builder::RegisterDbmeterClass(instance_)) return false;
  RECT r = platform::Scale(RECT{0, 0, kClientWidth, kClientHeight});
  AdjustWindowRectEx(&r, kStyle, FALSE, 0);
  window_ = CreateWindowExW(0, kClassName, L"Vardex", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, owner, nullptr, instance_, this);
  if (!window_) return false;
  CreateControls();
  for (int i = 0; i < 2; ++i) {
    builder::Tdbmeter& m = i == 0 ? style_.Meter1() : style_.Meter2();
    m.SetSystemColourResolver([](uint32_t index) { return uint32_t(GetSysColor(int(index))); });
    builder::AttachDbmeter(meters_[i], &m);
    // Setters repaint at once, so that the test animation is seen step by step.
    m.OnInvalidate = [this, i] { builder::PaintDbmeter(meters_[i]); };
  }
  Refresh();
  return true;
}

HWND PreviewWindow::Control(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y,
                            int w, int h, int id) {
  // Places are given in the 96-dpi design.
  const RECT r = platform::Scale(RECT{x, y, x + w, y + h});
  HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left,
                           r.top, r.right - r.left, r.bottom - r.top, window_,
                           reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return c;
}

void PreviewWindow::CreateControls() {
  font_ = platform::DialogFont();
  Control(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_NOTICKS, 0, 0, 256, 40, IDC_PV_POSITION);
  Control(L"BUTTON", L"Play", BS_OWNERDRAW | WS_DISABLED, 6, 42, 25, 23, IDC_PV_PLAY);
  Control(L"BUTTON", L"Pause", BS_OWNERDRAW, 33, 42, 25, 23, IDC_PV_PAUSE);
  Control(L"BUTTON", L"Stop", BS_OWNERDRAW, 60, 42, 25, 23, IDC_PV_STOP);
  loopedCB_ =
      Control(L"BUTTON", L"Looped playback", BS_AUTOCHECKBOX, 96, 45, 110, 17, IDC_PV_LOOPEDCB);
  Control(L"STATIC", L"Length:", SS_LEFT, 6, 71, 42, 14, -1);
  Control(L"STATIC", L"", SS_LEFT, 48, 71, 100, 14, IDC_PV_LENGTH);
  label12_ = Control(L"STATIC", L"Priority:", SS_LEFT, 6, 93, 40, 14, IDC_PV_LABEL12);
  priorityCombo_ = Control(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 48, 89, 100, 160,
                           IDC_PV_PRIORITYCOMBO);
  for (const wchar_t* name : kPriorities)
    SendMessageW(priorityCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  SendMessageW(priorityCombo_, CB_SETCURSEL, 3, 0);
  Control(L"BUTTON", L"About the &Song", BS_PUSHBUTTON, 156, 66, 96, 21, IDC_PV_ABOUTSONG);
  Control(L"BUTTON", L"&About", BS_PUSHBUTTON, 156, 89, 96, 21, IDC_PV_ABOUT);
  const int gx = kClientWidth - 89, gy = -2;
  HWND group = Control(L"BUTTON", L"Volume:", BS_GROUPBOX, gx, gy, 89, 114, IDC_PV_VOLUME);
  meters_[0] = Control(L"Tdbmeter", L"", 0, gx + 6, gy + 14, 15, 82, IDC_PV_DBMETER1);
  meters_[1] = Control(L"Tdbmeter", L"", 0, gx + 23, gy + 14, 15, 82, IDC_PV_DBMETER2);
  const DWORD slider = TBS_VERT | TBS_NOTICKS | TBS_BOTH;
  leftSlider_ = Control(TRACKBAR_CLASSW, L"", slider, gx + 42, gy + 12, 20, 86, IDC_PV_LEFTSLIDER);
  rightSlider_ =
      Control(TRACKBAR_CLASSW, L"", slider, gx + 64, gy + 12, 20, 86, IDC_PV_RIGHTSLIDER);
  for (HWND s : {leftSlider_, rightSlider_}) {
    SendMessageW(s, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(s, TBM_SETRANGEMAX, FALSE, builder::kVolumeMax);
  }
  lockbox_ = Control(L"BUTTON", L"lock controls", BS_AUTOCHECKBOX, gx + 5, gy + 98, 82, 14,
                     IDC_PV_LOCKBOX);
  SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void PreviewWindow::Show(bool topMost) {
  SetWindowPos(window_, topMost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void PreviewWindow::Refresh() {
  if (!window_) return;
  const builder::PreviewState& p = style_.Preview();
  if (WindowText(window_) != platform::Widen(p.caption))
    SetWindowTextW(window_, platform::Widen(p.caption).c_str());
  SendMessageW(loopedCB_, BM_SETCHECK, p.loopedCB ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(lockbox_, BM_SETCHECK, p.lockbox ? BST_CHECKED : BST_UNCHECKED, 0);
  ShowWindow(label12_, p.priorityVisible ? SW_SHOW : SW_HIDE);
  ShowWindow(priorityCombo_, p.priorityVisible ? SW_SHOW : SW_HIDE);
  SendMessageW(leftSlider_, TBM_SETPOS, TRUE, ToTrackbar(p.leftSlider));
  SendMessageW(rightSlider_, TBM_SETPOS, TRUE, ToTrackbar(p.rightSlider));
  if (p.panelColor != backgroundColour_) {
    backgroundColour_ = p.panelColor;
    if (background_) DeleteObject(background_);
    background_ = CreateSolidBrush(Resolve(p.panelColor));
    InvalidateRect(window_, nullptr, TRUE);
  }
}

LRESULT CALLBACK PreviewWindow::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  PreviewWindow* self;
  if (message == WM_NCCREATE) {
    self = static_cast<PreviewWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  } else {
    self = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(window, message, w, l);
  return self->Handle(message, w, l);
}

LRESULT PreviewWindow::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window_, &r);
      FillRect(reinterpret_cast<HDC>(w), &r, background_);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
      return reinterpret_cast<LRESULT>(background_);
    case WM_COMMAND:
    case WM_VSCROLL:
    case WM_HSCROLL:
      // The preview's own controls cannot be changed from inside.
      Refresh();
      return 0;
    case WM_DRAWITEM:
      OnDrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_CLOSE:
      ShowWindow(window_, SW_HIDE);
      return 0;
  }
  return DefWindowProcW(window_, message, w, l);
}

void PreviewWindow::OnDrawButton(const DRAWITEMSTRUCT& item) {
  builder::DrawGlyphButton(item, item.CtlID == IDC_PV_PLAY    ? builder::TPlaybackGlyph::Play
                                 : item.CtlID == IDC_PV_PAUSE ? builder::TPlaybackGlyph::Pause
                                                              : builder::TPlaybackGlyph::Stop);
}

}  // namespace vardexwin
