#include "player/win/MainWindow.h"

#include <commctrl.h>

#include "archive/Errors.h"
#include "builder/core/Colour.h"
#include "builder/core/PlayerWindowTexts.h"
#include "builder/win/controls/Controls.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Wide.h"
#include "player/core/PlayerTexts.h"
#include "resources/player/resource.h"

namespace tunlet {
namespace {

constexpr wchar_t kWindowClass[] = L"TForm1";
constexpr UINT_PTR kPollTimerId = 1;
constexpr UINT_PTR kTimer4Id = 4;
constexpr UINT kTimer4Interval = 10;
constexpr int kClientWidth = 345;
constexpr int kClientHeight = 112;
constexpr int kVolumeMax = 65535;

// The volume sliders are vertical trackbars whose top is the loudest.
int SliderToTrackbar(int32_t volume) { return kVolumeMax - volume; }
int32_t TrackbarToSlider(LRESULT pos) { return kVolumeMax - int32_t(pos); }

// The about box (TinfoForm): "Info...", centred on the screen, one "&OK" button.
INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM w, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

MainWindow::MainWindow() : pollTimer_(kPollTimerId) {}

MainWindow::~MainWindow() {
  if (background_) DeleteObject(background_);
}

bool MainWindow::Register(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TUNLET));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = nullptr;  // painted in WM_ERASEBKGND with the record's colour
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) && builder::RegisterDbmeterClass(instance);
}

int MainWindow::Run(HINSTANCE instance, int show) {
  instance_ = instance;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  if (!Register(instance)) return 1;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r = platform::Scale(RECT{0, 0, kClientWidth, kClientHeight});
  AdjustWindowRectEx(&r, style, FALSE, 0);
  window_ = CreateWindowExW(0, kWindowClass, platform::Widen(builder::kDefaultCaption).c_str(),
                            style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top,
                            nullptr, nullptr, instance, this);
  if (!window_) return 1;
  ShowBackground(builder::kClBtnFace);
  form_ = std::make_unique<player::TForm1>(
      *this, player::TForm1Devices{loader_, pollTimer_, volume_, mixer_, endpoint_, dialogs_,
                                   archive_, system_});
  builder::Tdbmeter* meters[2] = {&form_->dbmeter1, &form_->dbmeter2};
  for (int i = 0; i < 2; ++i) {
    meters[i]->SetSystemColourResolver(
        [](uint32_t index) { return uint32_t(GetSysColor(int(index))); });
    builder::AttachDbmeter(dbmeter_[i], meters[i]);
  }
  Guarded([this] { form_->FormCreate(); });
  // A close during the start-up has already ended the window.
  if (IsWindow(window_)) {
    SetTimer(window_, kTimer4Id, kTimer4Interval, nullptr);
    ShowWindow(window_, show);
    UpdateWindow(window_);
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

// Places are given in the 96-dpi design.
HWND MainWindow::Control(const wchar_t* cls, const char* text, DWORD style, int x, int y, int w,
                         int h, int id, HWND parent) {
  const RECT r = platform::Scale(RECT{x, y, x + w, y + h});
  HWND c =
      CreateWindowExW(0, cls, platform::Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, r.left,
                      r.top, r.right - r.left, r.bottom - r.top, parent ? parent : window_,
                      reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return c;
}

void MainWindow::CreateControls() {
  font_ = platform::DialogFont();
  rxSlider1_ = Control(TRACKBAR_CLASSW, "", TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 0, 0, 256, 40,
                       IDC_RXSLIDER1);
  playBtn_ = Control(L"BUTTON", "Play", BS_OWNERDRAW | WS_TABSTOP, 6, 42, 25, 23, IDC_PLAYBTN);
  pauseBtn_ = Control(L"BUTTON", "Pause", BS_OWNERDRAW | WS_TABSTOP, 33, 42, 25, 23, IDC_PAUSEBTN);
  stopBtn_ = Control(L"BUTTON", "Stop", BS_OWNERDRAW | WS_TABSTOP, 60, 42, 25, 23, IDC_STOPBTN);
  loopedCB_ = Control(L"BUTTON", builder::kLoopedText, BS_AUTOCHECKBOX | WS_TABSTOP, 96, 45, 110, 17,
                      IDC_LOOPEDCB);
  Control(L"STATIC", builder::kLengthLabelText, SS_LEFT, 6, 71, 42, 14, IDC_LABEL1);
  lengthLabel_ = Control(L"STATIC", "", SS_LEFT, 48, 71, 100, 14, IDC_LENGTHLABEL);
  label2_ = Control(L"STATIC", builder::kPriorityLabelText, SS_LEFT, 6, 93, 40, 14, IDC_LABEL2);
  priorityCombo_ = Control(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 48, 89, 100,
                           160, IDC_PRIORITYCOMBO);
  for (const char* name : builder::PriorityNames())
    SendMessageW(priorityCombo_, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(platform::Widen(name).c_str()));
  Control(L"BUTTON", builder::kAboutSongButtonText, BS_PUSHBUTTON | WS_TABSTOP, 156, 66, 96, 21,
          IDC_BITBTN1);
  Control(L"BUTTON", builder::kAboutButtonText, BS_PUSHBUTTON | WS_TABSTOP, 156, 89, 96, 21,
          IDC_BITBTN2);

  // The volume group at the right edge; its controls are siblings drawn over it.
  const int gx = kClientWidth - 89, gy = -2;
  Control(L"BUTTON", builder::kVolumeGroupText, BS_GROUPBOX, gx, gy, 89, 114, IDC_GROUPBOX1);
  dbmeter_[0] = Control(L"Tdbmeter", "", 0, gx + 6, gy + 14, 15, 82, IDC_DBMETER1);
  dbmeter_[1] = Control(L"Tdbmeter", "", 0, gx + 23, gy + 14, 15, 82, IDC_DBMETER2);
  const DWORD sliderStyle = TBS_VERT | TBS_NOTICKS | TBS_BOTH | WS_TABSTOP;
  leftSlider_ = Control(TRACKBAR_CLASSW, "", sliderStyle, gx + 42, gy + 12, 20, 86, IDC_LEFTSLIDER);
  rightSlider_ =
      Control(TRACKBAR_CLASSW, "", sliderStyle, gx + 64, gy + 12, 20, 86, IDC_RIGHTSLIDER);
  for (HWND s : {leftSlider_, rightSlider_}) {
    SendMessageW(s, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(s, TBM_SETRANGEMAX, FALSE, kVolumeMax);
    SendMessageW(s, TBM_SETPAGESIZE, 0, 4096);
    SendMessageW(s, TBM_SETPOS, TRUE, SliderToTrackbar(0));
  }
  lockbox_ = Control(L"BUTTON", builder::kLockText, BS_AUTOCHECKBOX | WS_TABSTOP, gx + 5, gy + 98,
                     82, 14, IDC_LOCKBOX);
  pollTimer_.SetWindow(window_);
  dialogs_.SetOwner(window_);
  dialogs_.SetTitle(builder::kDefaultCaption);
  archive_.SetOwner(window_);
}

template <typename Handler>
void MainWindow::Guarded(Handler handler) {
  ++handlersRunning_;
  try {
    handler();
  } catch (const archive::EAbort&) {
    // The user cancelled a prompt: the operation ends without a message.
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
  }
  if (--handlersRunning_ == 0 && closePending_) OnClose();
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  MainWindow* self;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  return self ? self->Handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT MainWindow::Handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(w), HIWORD(w));
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (l) OnScroll(reinterpret_cast<HWND>(l));
      return 0;
    case WM_TIMER:
      OnTimer(w);
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window_, &r);
      FillRect(reinterpret_cast<HDC>(w), &r, background_);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnCtlColor(reinterpret_cast<HDC>(w));
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, w, l);
}

void MainWindow::OnCommand(int id, int code) {
  if (updating_ || !form_) return;
  switch (id) {
    case IDC_PLAYBTN:
      if (code == BN_CLICKED) Guarded([this] { form_->PlayBtnClick(); });
      break;
    case IDC_PAUSEBTN:
      if (code == BN_CLICKED) Guarded([this] { form_->PauseBtnClick(); });
      break;
    case IDC_STOPBTN:
      if (code == BN_CLICKED) Guarded([this] { form_->StopBtnClick(); });
      break;
    case IDC_LOOPEDCB:
      if (code == BN_CLICKED)
        form_->LoopedCBClick(SendMessageW(loopedCB_, BM_GETCHECK, 0, 0) == BST_CHECKED);
      break;
    case IDC_LOCKBOX:
      if (code == BN_CLICKED)
        form_->LockboxClick(SendMessageW(lockbox_, BM_GETCHECK, 0, 0) == BST_CHECKED);
      break;
    case IDC_PRIORITYCOMBO:
      if (code == CBN_SELCHANGE) {
        const int index = int(SendMessageW(priorityCombo_, CB_GETCURSEL, 0, 0));
        Guarded([this, index] { form_->PriorityComboChange(index); });
      }
      break;
    case IDC_BITBTN1:
      if (code == BN_CLICKED) Guarded([this] { form_->BitBtn1Click(); });
      break;
    case IDC_BITBTN2:
      if (code == BN_CLICKED)
        DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_INFO), window_, InfoProc, 0);
      break;
  }
}

void MainWindow::OnScroll(HWND slider) {
  if (updating_ || !form_) return;
  const LRESULT pos = SendMessageW(slider, TBM_GETPOS, 0, 0);
  if (slider == rxSlider1_)
    Guarded([this, pos] { form_->RxSlider1Moved(int32_t(pos)); });
  else if (slider == leftSlider_)
    Guarded([this, pos] { form_->LeftSliderMoved(TrackbarToSlider(pos)); });
  else if (slider == rightSlider_)
    Guarded([this, pos] { form_->RightSliderMoved(TrackbarToSlider(pos)); });
}

void MainWindow::OnTimer(UINT_PTR id) {
  if (!form_) return;
  if (id == kPollTimerId) Guarded([this] { form_->PollTimerTick(); });
  if (id == kTimer4Id) Guarded([this] { form_->Timer4Timer(); });
}

void MainWindow::OnClose() {
  if (handlersRunning_ > 0) {
    closePending_ = true;
    return;
  }
  closePending_ = false;
  KillTimer(window_, kTimer4Id);
  if (form_) Guarded([this] { form_->FormClose(); });
  DestroyWindow(window_);
}

void MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  builder::DrawGlyphButton(item, item.CtlID == IDC_PLAYBTN    ? builder::TPlaybackGlyph::Play
                                 : item.CtlID == IDC_PAUSEBTN ? builder::TPlaybackGlyph::Pause
                                                              : builder::TPlaybackGlyph::Stop);
}

LRESULT MainWindow::OnCtlColor(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(background_);
}

uint32_t MainWindow::Resolve(uint32_t colour) const {
  return builder::ResolveColour(colour,
                                [](uint32_t index) { return uint32_t(GetSysColor(int(index))); });
}

void MainWindow::ShowCaption(const std::string& caption) {
  SetWindowTextW(window_, platform::Widen(caption).c_str());
  dialogs_.SetTitle(caption);
}

void MainWindow::ShowLength(const std::string& text) {
  SetWindowTextW(lengthLabel_, platform::Widen(text).c_str());
}

void MainWindow::ShowPositionRange(int32_t max) {
  updating_ = true;
  SendMessageW(rxSlider1_, TBM_SETRANGEMIN, FALSE, 0);
  SendMessageW(rxSlider1_, TBM_SETRANGEMAX, TRUE, max);
  SendMessageW(rxSlider1_, TBM_SETPAGESIZE, 0, max / 10 > 0 ? max / 10 : 1);
  updating_ = false;
}

void MainWindow::ShowPosition(int32_t pos) {
  updating_ = true;
  SendMessageW(rxSlider1_, TBM_SETPOS, TRUE, pos);
  updating_ = false;
}

void MainWindow::ShowButtons(bool playEnabled, bool pauseEnabled, bool stopEnabled) {
  EnableWindow(playBtn_, playEnabled);
  EnableWindow(pauseBtn_, pauseEnabled);
  EnableWindow(stopBtn_, stopEnabled);
}

void MainWindow::ShowLooped(bool checked) {
  SendMessageW(loopedCB_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::ShowLocked(bool checked) {
  SendMessageW(lockbox_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::ShowPriority(int index, bool visible) {
  updating_ = true;
  SendMessageW(priorityCombo_, CB_SETCURSEL, WPARAM(index), 0);
  updating_ = false;
  ShowWindow(label2_, visible ? SW_SHOW : SW_HIDE);
  ShowWindow(priorityCombo_, visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::ShowBackground(uint32_t colour) {
  if (background_) DeleteObject(background_);
  background_ = CreateSolidBrush(Resolve(colour));
  InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::RepaintMeter(int index) { builder::PaintDbmeter(dbmeter_[index == 0 ? 0 : 1]); }

void MainWindow::ShowVolumeSliders(int32_t left, int32_t right) {
  updating_ = true;
  SendMessageW(leftSlider_, TBM_SETPOS, TRUE, SliderToTrackbar(left));
  SendMessageW(rightSlider_, TBM_SETPOS, TRUE, SliderToTrackbar(right));
  updating_ = false;
}

}  // namespace tunlet
