// Tests the UI driver on the sample program: every operation the suite's
// end-to-end tests rely on, against a window whose behaviour is known.
#include <gtest/gtest.h>

#include "driver/UiDriver.h"

namespace {

using namespace e2e;

class SampleApp : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring exe = BuildDir() + L"\\tests-bin\\e2e_sample_app.exe";
    app_ = Launch(exe);
    ASSERT_NE(app_.handle, nullptr) << "could not start the sample program";
    window_ = WaitForWindow(app_.id, L"E2ESample", L"E2E Sample", 10000);
    ASSERT_NE(window_, nullptr);
    result_ = FindChildById(window_, 103);
    ASSERT_NE(result_, nullptr);
  }
  void TearDown() override {
    if (app_.handle) Kill(app_);
  }
  // Waits until the result label shows `expected` (the program handles posted messages later).
  std::wstring ResultWhen(const std::wstring& expected) {
    for (int i = 0; i < 100 && GetText(result_) != expected; ++i) Pause(50);
    return GetText(result_);
  }

  Process app_;
  HWND window_ = nullptr;
  HWND result_ = nullptr;
};

TEST_F(SampleApp, FindsControlsAndReadsTheirTexts) {
  EXPECT_EQ(GetText(window_), L"E2E Sample");
  HWND greet = FindChild(window_, L"Button", L"&Greet");
  ASSERT_NE(greet, nullptr);
  EXPECT_EQ(GetDlgCtrlID(greet), 102);
  EXPECT_EQ(FindChild(window_, L"Button", L"no such button"), nullptr);
  EXPECT_EQ(Children(window_, L"ListBox").size(), 1u);
}

TEST_F(SampleApp, SetsTextsAndTheProgramSeesTheChange) {
  SetText(FindChildById(window_, 101), L"Wine");
  EXPECT_EQ(ResultWhen(L"typed Wine"), L"typed Wine");
}

TEST_F(SampleApp, ClicksAButtonAndAnswersTheMessageBoxBothWays) {
  SetText(FindChildById(window_, 101), L"you");
  Click(FindChild(window_, L"Button", L"&Greet"));
  MessageBoxInfo box = WaitForMessageBox(app_.id, 5000);
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, L"Sample");
  EXPECT_EQ(box.text, L"Hello you ?");
  ASSERT_TRUE(AnswerMessageBox(box, IDYES));
  EXPECT_EQ(ResultWhen(L"yes"), L"yes");

  Click(FindChild(window_, L"Button", L"&Greet"));
  box = WaitForMessageBox(app_.id, 5000);
  ASSERT_NE(box.window, nullptr);
  ASSERT_TRUE(AnswerMessageBox(box, L"&No"));
  EXPECT_EQ(ResultWhen(L"no"), L"no");
}

TEST_F(SampleApp, PicksListAndComboItems) {
  HWND list = FindChildById(window_, 104);
  ASSERT_EQ(ItemText(list, 2), L"Highest");
  SelectItem(list, 2);
  EXPECT_EQ(ResultWhen(L"picked Highest"), L"picked Highest");
  EXPECT_EQ(SelectedItem(list), 2);

  HWND combo = FindChildById(window_, 105);
  EXPECT_EQ(ItemText(combo, 1), L"1,44 Mb");
  SelectItem(combo, 1);
  EXPECT_EQ(SelectedItem(combo), 1);
}

TEST_F(SampleApp, SendsMenuCommandsAndTakesScreenshots) {
  SendCommand(window_, 201);
  EXPECT_EQ(ResultWhen(L"menu"), L"menu");
  Pause(300);
  EXPECT_EQ(ClientPixel(window_, 280, 90), RGB(255, 0, 0));
  EXPECT_TRUE(SaveScreenshot(window_, ArtifactPath(L"e2e_sample_app.bmp")));
  EXPECT_TRUE(SaveScreenshot(nullptr, ArtifactPath(L"e2e_screen.bmp")));
}

TEST_F(SampleApp, ReadsMenuStates) {
  EXPECT_EQ(MenuItemState(window_, 201), 0);
  EXPECT_NE(MenuItemState(window_, 202) & MF_GRAYED, 0);
  EXPECT_NE(MenuItemState(window_, 203) & MF_CHECKED, 0);
  EXPECT_EQ(MenuItemState(window_, 299), -1);
}

TEST_F(SampleApp, ClosesTheWindowAndTheProgramEnds) {
  Close(window_);
  EXPECT_EQ(WaitExit(app_, 10000), 0);
}

TEST_F(SampleApp, DropsFilesWithTheMouse) {
  const std::wstring a = BuildDir() + L"\\tests-bin\\first.wav";
  const std::wstring b = BuildDir() + L"\\tests-bin\\second.mp3";
  ASSERT_TRUE(DropFiles(window_, 200, 140, {a, b}));
  EXPECT_EQ(ResultWhen(L"dropped 2 " + a), L"dropped 2 " + a);
}

}  // namespace
