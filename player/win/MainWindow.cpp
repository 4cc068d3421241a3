#include "player/win/MainWindow.h"

#include <commctrl.h>

#include "archive/Errors.h"
#include "builder/core/Colour.h"
#include "builder/core/PlayerWindowTexts.h"
#include "builder/win/controls/Controls.h"
#include "platform/win32/Wide.h"
#include "resources/player/resource.h"

namespace tunlet {
namespace {

constexpr wchar_t kWindowClass[] = L"TForm1";
constexpr UINT_PTR kPollTimerId = 1;
constexpr UINT_PTR kTimer4Id = 4;
constexpr UINT kTimer4Interval = 10;

// The controls' identifiers follow the order of the shared layout.
static_assert(IDC_PLAYBTN - IDC_RXSLIDER1 == builder::kPlayButton &&
              IDC_BITBTN1 - IDC_RXSLIDER1 == builder::kAboutSongButton &&
              IDC_LOCKBOX - IDC_RXSLIDER1 == builder::kLockBox);

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

int MainWindow::Run(HINSTANCE instance, int show) {
  instance_ = instance;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  // The background is painted in WM_ERASEBKGND with the record's colour.
  if (!platform::RegisterWindowClass(instance, kWindowClass, platform::ObjectWindowProc<MainWindow>,
                                     LoadIconW(instance, MAKEINTRESOURCEW(IDI_TUNLET)), nullptr) ||
      !builder::RegisterDbmeterClass(instance))
    return 1;
  window_ = platform::CreateObjectWindow(instance, kWindowClass,
                                         platform::Widen(builder::kDefaultCaption).c_str(),
                                         builder::kPlayerWindowStyle, builder::kPlayerClientWidth,
                                         builder::kPlayerClientHeight, nullptr, this);
  if (!window_) return 1;
  ShowBackground(builder::kClBtnFace);
  form_ = std::make_unique<player::TForm1>(
      *this, player::TForm1Devices{loader_, pollTimer_, volume_, mixer_, endpoint_, dialogs_,
                                   archive_, system_});
  controls_.AttachMeter(0, &form_->dbmeter1);
  controls_.AttachMeter(1, &form_->dbmeter2);
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

void MainWindow::CreateControls() {
  controls_.Create(window_, instance_, IDC_RXSLIDER1, 0, true);
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

LRESULT MainWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  if (controls_.HandlePaintMessage(message, w, l, result)) return result;
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
        form_->LoopedCBClick(SendMessageW(Control(builder::kLoopedBox), BM_GETCHECK, 0, 0) ==
                             BST_CHECKED);
      break;
    case IDC_LOCKBOX:
      if (code == BN_CLICKED)
        form_->LockboxClick(SendMessageW(Control(builder::kLockBox), BM_GETCHECK, 0, 0) ==
                            BST_CHECKED);
      break;
    case IDC_PRIORITYCOMBO:
      if (code == CBN_SELCHANGE) {
        const int index = int(SendMessageW(Control(builder::kPriorityCombo), CB_GETCURSEL, 0, 0));
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
  if (slider == Control(builder::kPositionSlider))
    Guarded([this, pos] { form_->RxSlider1Moved(int32_t(pos)); });
  else if (slider == Control(builder::kLeftSlider))
    Guarded([this, pos] { form_->LeftSliderMoved(builder::TrackbarToVolume(pos)); });
  else if (slider == Control(builder::kRightSlider))
    Guarded([this, pos] { form_->RightSliderMoved(builder::TrackbarToVolume(pos)); });
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

void MainWindow::ShowCaption(const std::string& caption) {
  SetWindowTextW(window_, platform::Widen(caption).c_str());
  dialogs_.SetTitle(caption);
}

void MainWindow::ShowLength(const std::string& text) {
  SetWindowTextW(Control(builder::kLengthLabel), platform::Widen(text).c_str());
}

void MainWindow::ShowPositionRange(int32_t max) {
  HWND slider = Control(builder::kPositionSlider);
  updating_ = true;
  SendMessageW(slider, TBM_SETRANGEMIN, FALSE, 0);
  SendMessageW(slider, TBM_SETRANGEMAX, TRUE, max);
  SendMessageW(slider, TBM_SETPAGESIZE, 0, max / 10 > 0 ? max / 10 : 1);
  updating_ = false;
}

void MainWindow::ShowPosition(int32_t pos) {
  updating_ = true;
  SendMessageW(Control(builder::kPositionSlider), TBM_SETPOS, TRUE, pos);
  updating_ = false;
}

void MainWindow::ShowButtons(bool playEnabled, bool pauseEnabled, bool stopEnabled) {
  EnableWindow(Control(builder::kPlayButton), playEnabled);
  EnableWindow(Control(builder::kPauseButton), pauseEnabled);
  EnableWindow(Control(builder::kStopButton), stopEnabled);
}

void MainWindow::ShowLooped(bool checked) { controls_.SetChecked(builder::kLoopedBox, checked); }

void MainWindow::ShowLocked(bool checked) { controls_.SetChecked(builder::kLockBox, checked); }

void MainWindow::ShowPriority(int index, bool visible) {
  updating_ = true;
  SendMessageW(Control(builder::kPriorityCombo), CB_SETCURSEL, WPARAM(index), 0);
  updating_ = false;
  controls_.ShowPriority(visible);
}

void MainWindow::ShowBackground(uint32_t colour) { controls_.SetBackground(colour); }

void MainWindow::RepaintMeter(int index) { controls_.RepaintMeter(index); }

void MainWindow::ShowVolumeSliders(int32_t left, int32_t right) {
  updating_ = true;
  controls_.SetVolumes(left, right);
  updating_ = false;
}

}  // namespace tunlet
