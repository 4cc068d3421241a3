// The builder's end-to-end tests share this: Vardex.exe started in a folder of its own
// with no stored style, its controls found by their identifiers, its questions answered.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "builder/win/ControlIds.h"
#include "driver/UiDriver.h"

namespace e2e_builder {

using namespace e2e;
using namespace vardexwin;
using Bytes = std::vector<uint8_t>;

inline const wchar_t kKey[] = L"Software\\Quendt\\VARDEX\\v1.5";

inline std::wstring SourcePath(const std::string& relative) {
  std::wstring p = L"Z:" + Widen(std::string(VARDEX_SOURCE_DIR) + "/" + relative);
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  return p;
}

inline Bytes ReadFile(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::wstring& path, const Bytes& bytes) {
  std::ofstream out(Narrow(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class BuilderUi : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    work_ = std::wstring(temp) + L"vardex-e2e";
    CreateDirectoryW(work_.c_str(), nullptr);
    sample_ = ReadFile(SourcePath("resources/builder/sample.mp3"));
    ASSERT_GT(sample_.size(), 10000u) << "resources/builder/sample.mp3 is missing";
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  }
  void TearDown() override {
    if (app_.handle) Kill(app_);
  }
  std::wstring Work(const std::wstring& name) const { return work_ + L"\\" + name; }

  void StartVardex(const std::wstring& args = L"") {
    app_ = Launch(ProgramPath(L"Vardex.exe"), args, work_);
    ASSERT_NE(app_.handle, nullptr);
    main_ = WaitForWindow(app_.id, L"TForm1", L"Vardex Converter", 20000);
    ASSERT_NE(main_, nullptr);
  }
  HWND Ctl(int id) { return FindChildById(main_, id); }
  // Waits for a condition that the program reaches after handling posted messages.
  template <typename F>
  bool Eventually(F condition) {
    for (int i = 0; i < 100; ++i) {
      if (condition()) return true;
      Pause(50);
    }
    return condition();
  }
  void ClickTab(int tabsId, int x) {
    HWND tabs = Ctl(tabsId);
    PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 10));
    PostMessageW(tabs, WM_LBUTTONUP, 0, MAKELPARAM(x, 10));
    Pause(300);
  }
  // Presses a colour button and picks red, green and blue in the colour dialog.
  void PickColour(int buttonId, int r, int g, int b) {
    Click(Ctl(buttonId));
    MessageBoxInfo dialog = WaitForMessageBox(app_.id, 10000);
    ASSERT_NE(dialog.window, nullptr);
    const int ids[] = {706, 707, 708};
    const int values[] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
      HWND edit = FindChildById(dialog.window, ids[i]);
      ASSERT_NE(edit, nullptr) << "no colour field " << ids[i];
      SendMessageW(edit, WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(std::to_wstring(values[i]).c_str()));
      SendMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(ids[i], EN_UPDATE), LPARAM(edit));
    }
    Pause(200);
    ASSERT_TRUE(AnswerMessageBox(dialog, IDOK));
    ASSERT_TRUE(Eventually([&] { return !IsWindow(dialog.window); }));
  }
  // Answers a question box and waits until it has gone.
  void Answer(const MessageBoxInfo& box, int button) {
    ASSERT_TRUE(AnswerMessageBox(box, button));
    ASSERT_TRUE(Eventually([&] { return !IsWindow(box.window); }));
  }
  MessageBoxInfo Question(const std::wstring& text) {
    MessageBoxInfo box = WaitForMessageBox(app_.id, 30000);
    EXPECT_NE(box.window, nullptr) << "no question " << Narrow(text);
    EXPECT_EQ(box.text, text);
    return box;
  }

  std::wstring work_;
  Bytes sample_;
  Process app_;
  HWND main_ = nullptr;
};

}  // namespace e2e_builder
