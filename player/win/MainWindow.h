// The player's main window: it creates the controls, forwards their events to the
// window's core (TForm1) and shows what the core reports. Exceptions end at the
// event boundary here and are shown in the standard exception message box.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "player/core/Form1.h"
#include "player/win/SongArchive.h"
#include "player/win/Win32Devices.h"

namespace tunlet {

class MainWindow : public player::TForm1View {
 public:
  MainWindow();
  ~MainWindow() override;
  // Creates the window, runs the start-up and the message loop; returns the exit code.
  int Run(HINSTANCE instance, int show);

  // TForm1View
  void ShowCaption(const std::string& caption) override;
  void ShowLength(const std::string& text) override;
  void ShowPositionRange(int32_t max) override;
  void ShowPosition(int32_t pos) override;
  void ShowButtons(bool playEnabled, bool pauseEnabled, bool stopEnabled) override;
  void ShowLooped(bool checked) override;
  void ShowLocked(bool checked) override;
  void ShowPriority(int index, bool visible) override;
  void ShowBackground(uint32_t colour) override;
  void RepaintMeter(int index) override;
  void ShowVolumeSliders(int32_t left, int32_t right) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  bool Register(HINSTANCE instance);
  void CreateControls();
  HWND Control(const wchar_t* cls, const char* text, DWORD style, int x, int y, int w, int h,
               int id, HWND parent = nullptr);
  void OnCommand(int id, int code);
  void OnScroll(HWND slider);
  void OnTimer(UINT_PTR id);
  void OnClose();
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnCtlColor(HDC dc);
  // Runs an event handler of the core; a failure is shown, the window stays usable.
  template <typename Handler>
  void Guarded(Handler handler);
  uint32_t Resolve(uint32_t colour) const;

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH background_ = nullptr;
  HWND rxSlider1_ = nullptr, playBtn_ = nullptr, pauseBtn_ = nullptr, stopBtn_ = nullptr;
  HWND loopedCB_ = nullptr, lengthLabel_ = nullptr, label2_ = nullptr, priorityCombo_ = nullptr;
  HWND dbmeter_[2] = {nullptr, nullptr};
  HWND leftSlider_ = nullptr, rightSlider_ = nullptr, lockbox_ = nullptr;
  // Set while the window moves a control itself, so that its notification is not
  // taken for the user's.
  bool updating_ = false;
  // A close that arrives inside a handler (in the modal loop of one of its prompts)
  // waits until the handler has returned: the handler may still hold extracted files.
  int handlersRunning_ = 0;
  bool closePending_ = false;

  WinLibraryLoader loader_;
  WinPollTimer pollTimer_;
  WinWaveVolume volume_;
  WinMixerPeakMeter mixer_;
  WinEndpointPeakMeter endpoint_;
  WinDialogs dialogs_;
  WinSongArchive archive_;
  WinPlayerSystem system_;
  std::unique_ptr<player::TForm1> form_;
};

}  // namespace tunlet
