// TForm1, the builder's main window "Vardex Converter": two tab sets, the create
// and about buttons, the status bar and the progress bar. It turns window messages
// into calls on the core (TMainForm, TStyleTab, TSplitOption, the pipeline) and
// shows their state.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "archive/win/WinArchivePrompts.h"
#include "builder/core/MainForm.h"
#include "builder/core/SplitOption.h"
#include "builder/core/StyleTab.h"
#include "builder/win/PageBackground.h"
#include "builder/win/WinServices.h"
#include "platform/win32/FileDrop.h"
#include "platform/win32/ObjectWindow.h"

namespace vardexwin {

class PreviewWindow;

class MainWindow : public builder::TBuildHost {
 public:
  MainWindow(HINSTANCE instance, builder::TStyleTab& style, RegistryStore& store,
             PreviewWindow& preview);
  // FormCreate: the window, its controls and texts, and the two dialog folders.
  bool Create();
  HWND Handle() const { return window_; }
  void Show(int show);
  // Shows the style tab's state after the preview window restored it.
  void StyleChanged();

  // TBuildHost.
  void ShowMessage(const std::string& text) override;
  bool Ask(builder::BuildQuestion question, const std::string& text) override;
  void SaveTagChanges() override { SaveChangesBtnClick(); }
  void ProcessMessages() override { vardexwin::ProcessMessages(); }
  void SetStatus(const std::string& text) override;
  void ShowProgress(bool visible) override;
  void SetProgress(int percent) override;
  void SetCreateEnabled(bool enabled) override;
  void Execute(const std::string& path) override;

 private:
  friend LRESULT CALLBACK platform::ObjectWindowProc<MainWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);
  template <typename F>
  void Guarded(F handler);

  HWND Control(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
               int id, std::vector<HWND>* page = nullptr);
  void CreateFrame();
  void CreateSongPage();
  void CreateFilePages();
  void CreateStylePage();
  void SendGroupsToBack(const std::vector<HWND>& page);
  void ShowPage(HWND tabs, const std::vector<std::vector<HWND>*>& pages);

  void OnCommand(int id, int code, HWND control);
  void OnStyleCommand(int id);
  void OnNotify(const NMHDR& header);
  void OnSlider(HWND slider);
  void OnSetCursor(HWND over);
  void OnMouseMove(int x, int y);
  LRESULT OnCtlColor(HDC dc, HWND control, UINT message, WPARAM w, LPARAM l);
  void OnClose();
  void OnFilesDropped();
  void OnDrawSpin(const DRAWITEMSTRUCT& item);

  // Handlers of the song and file controls.
  void Button1Click();
  void Button2Click();
  void Edit7Change();
  void Edit8Change();
  void Edit8Exit();
  void TagControlChanged(int id);
  void ChangeBtnClick();
  void SaveChangesBtnClick();
  void BitBtn1Click();
  void BitBtn3Click();
  void CheckBox1Click();
  void rgMaxSizeClick(int item);

  // Showing the core's state.
  void ShowSongState();
  void ShowTagFields();
  void ShowStyleState();
  void ShowSplitState();
  void ShowHint(builder::HintTarget target);
  void SetEditText(HWND edit, const std::wstring& text);
  void ColourButton(builder::MeterColour which);

  HINSTANCE instance_;
  builder::TStyleTab& style_;
  RegistryStore& store_;
  PreviewWindow& preview_;
  builder::TMainForm form_;
  builder::TSplitOption split_;
  archive::TArchiver archiver1_;
  archive::TWinArchivePrompts prompts_;
  std::wstring openDirectory_, saveDirectory_;

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  bool updating_ = false;  // the shell itself is changing a control
  std::vector<HWND> songPage_, stylePage_, filePage_, sizePage_;
  HWND leftTabs_ = nullptr, rightTabs_ = nullptr;
  PageBackground leftPage_, rightPage_;
  platform::FileDrop drop_;
  HWND edit1_ = nullptr, tagEdits_[5] = {}, comboBox1_ = nullptr;
  HWND edit7_ = nullptr, edit8_ = nullptr;
  HWND changeBtn_ = nullptr, saveChangesBtn_ = nullptr;
  HWND bitBtn1_ = nullptr, bitBtn3_ = nullptr, statusBar_ = nullptr, progressBar_ = nullptr;
  HWND label13_ = nullptr, checkBox1_ = nullptr, rgItems_[3] = {}, edMaxSize_ = nullptr;
  HWND button1_ = nullptr, button2_ = nullptr;
  HBRUSH edMaxSizeBrush_ = nullptr;
  RECT label10_{};
  // Style tab.
  HWND edit9_ = nullptr, checkBox5_ = nullptr, leftSlider_ = nullptr, rightSlider_ = nullptr;
  HWND radioItems_[2] = {}, checkBox6_ = nullptr, checkBox7_ = nullptr, checkBox4_ = nullptr;
  HWND checkBox3_ = nullptr, checkBox2_ = nullptr;
};

}  // namespace vardexwin
