// The player's main window: it creates the controls, forwards their events to the
// window's core (TForm1) and shows what the core reports. Exceptions end at the
// event boundary here and are shown in the standard exception message box.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "builder/win/controls/PlayerControls.h"
#include "platform/win32/ObjectWindow.h"
#include "player/core/Form1.h"
#include "player/win/SongArchive.h"
#include "player/win/Win32Devices.h"

namespace tunlet {

class MainWindow : public player::TForm1View {
 public:
  MainWindow();
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
  friend LRESULT CALLBACK platform::ObjectWindowProc<MainWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);
  void CreateControls();
  void OnCommand(int id, int code);
  void OnScroll(HWND slider);
  void OnTimer(UINT_PTR id);
  void OnClose();
  // Runs an event handler of the core; a failure is shown, the window stays usable.
  template <typename Handler>
  void Guarded(Handler handler);
  HWND Control(builder::PlayerControl control) const { return controls_[control]; }

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  builder::PlayerControls controls_;
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
