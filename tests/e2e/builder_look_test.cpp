// Vardex.exe under Wine as a user sees it: the status-bar hints under the pointer, also
// over disabled buttons; the preview's "Volume:" group in the panel's colour; the pace
// of "T&est"; the labels, check boxes and groups of the tab pages in the page's colour.
// Screenshots go to the artifacts.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "BuilderSession.h"

namespace {

using namespace e2e_builder;
using Clock = std::chrono::steady_clock;

// The centre of a control in its window's client coordinates.
POINT CentreIn(HWND window, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ScreenToClient(window, &p);
  return p;
}

std::string Hex(COLORREF c) {
  char text[16];
  snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(c));
  return text;
}

TEST_F(BuilderUi, HintsShowAlsoOverDisabledButtons) {
  const std::wstring song = Work(L"hint.mp3");
  WriteFile(song, sample_);
  StartVardex();
  HWND status = Ctl(IDC_STATUSBAR1);
  // The pointer first goes to a bare part of the window (empty hint), then over the control.
  auto hintOver = [&](int id) {
    MovePointer(main_, 400, 140);
    EXPECT_TRUE(Eventually([&] { return GetText(status).empty(); })) << Narrow(GetText(status));
    const POINT p = CentreIn(main_, Ctl(id));
    MovePointer(main_, p.x, p.y);
    Eventually([&] { return !GetText(status).empty(); });
    return GetText(status);
  };
  const std::wstring noSong = L"Please select an MP3 Song first.";
  ASSERT_FALSE(IsWindowEnabled(Ctl(IDC_CHANGEBTN)));
  EXPECT_EQ(hintOver(IDC_CHANGEBTN), noSong);
  EXPECT_EQ(hintOver(IDC_SAVECHANGESBTN), noSong);
  EXPECT_EQ(hintOver(IDC_BITBTN1), noSong);

  SetText(Ctl(IDC_EDIT7), song);
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(Ctl(IDC_CHANGEBTN)) != FALSE; }));
  ASSERT_FALSE(IsWindowEnabled(Ctl(IDC_SAVECHANGESBTN)));
  EXPECT_EQ(hintOver(IDC_SAVECHANGESBTN), L"You have to change Information for the MP3-Tags first");
  Pause(300);
  SaveScreenshot(main_, ArtifactPath(L"builder_hint_disabled_save.bmp"));
  EXPECT_EQ(hintOver(IDC_BITBTN1), L"Please select an Targetfile first");
  EXPECT_EQ(hintOver(IDC_CHANGEBTN), L"Click to change the Information stored in the MP3-Tags.");
}

TEST_F(BuilderUi, PreviewVolumeGroupShowsThePanelColour) {
  StartVardex();
  Click(Ctl(IDC_BUTTON11));
  HWND preview = WaitForWindow(app_.id, L"TPreviewForm", L"", 10000);
  ASSERT_NE(preview, nullptr);
  Pause(500);
  SaveScreenshot(preview, ArtifactPath(L"builder_preview_volume_group.bmp"));
  const ClientPicture picture = CaptureClient(preview);
  const COLORREF panel = GetSysColor(COLOR_BTNFACE);
  // Inside the group (its frame at x 256, the meters at 262 and 279, the sliders at 298
  // and 320, "lock controls" at y 96): the gaps between them.
  const std::pair<int, int> inside[] = {{260, 50}, {277, 50}, {296, 30}, {341, 50}, {270, 94}};
  for (const auto& [x, y] : inside)
    EXPECT_EQ(Hex(picture.At(x, y)), Hex(panel)) << "at " << x << "," << y;
}

// The number of lit segments of the preview's first meter (15 x 82 at 262,12, ten
// segments of 8 pixels from the bottom; unlit ones are silver).
int LitSegments(const ClientPicture& picture) {
  int lit = 0;
  for (int i = 0; i < 10; ++i)
    if (picture.At(269, 90 - 8 * i) != RGB(192, 192, 192)) ++lit;
  return lit;
}

TEST_F(BuilderUi, TestAnimationRunsAtAPaceToFollow) {
  StartVardex();
  ClickTab(IDC_LEFTTABS, 180);
  Click(Ctl(IDC_BUTTON11));
  HWND preview = WaitForWindow(app_.id, L"TPreviewForm", L"", 10000);
  ASSERT_NE(preview, nullptr);
  Pause(500);
  ASSERT_EQ(LitSegments(CaptureClient(preview)), 10);
  const auto start = Clock::now();
  Click(Ctl(IDC_BITBTN6));
  std::vector<std::pair<double, int>> samples;  // seconds after the click, lit segments
  bool shot = false;
  for (double t = 0; t < 9.0;) {
    Pause(40);
    const int lit = LitSegments(CaptureClient(preview));
    t = std::chrono::duration<double>(Clock::now() - start).count();
    samples.push_back({t, lit});
    if (!shot && t > 0.5) {
      SaveScreenshot(preview, ArtifactPath(L"builder_test_animation.bmp"));
      shot = true;
    }
  }
  double lastChange = 0;
  bool midSweep = false;
  for (size_t i = 1; i < samples.size(); ++i) {
    if (samples[i].second != samples[i - 1].second) lastChange = samples[i].first;
    // The first sweep (full scale down) takes a second: in its middle the bar is partly lit.
    if (samples[i].first > 0.3 && samples[i].first < 0.7)
      midSweep = midSweep || (samples[i].second > 0 && samples[i].second < 10);
  }
  EXPECT_TRUE(midSweep);
  // Eight sweeps of 1108 steps at 5 ms: about five and a half seconds.
  EXPECT_GT(lastChange, 4.5);
  EXPECT_LT(lastChange, 8.5);
  EXPECT_EQ(samples.back().second, 10);
}

// The labels, check boxes, radio buttons and groups of each tab page show the page's own
// colour: the pixel at a bare spot of the page beside them.
void ExpectPageColour(HWND main, int tabsId, POINT bare, const wchar_t* name) {
  const ClientPicture picture = CaptureClient(main);
  const COLORREF page = picture.At(bare.x, bare.y);
  RECT tabs;
  GetWindowRect(FindChildById(main, tabsId), &tabs);
  int checked = 0;
  for (HWND c : Children(main)) {
    if (!IsWindowVisible(c) || GetParent(c) != main) continue;
    RECT r;
    GetWindowRect(c, &r);
    if (r.left < tabs.left || r.right > tabs.right || r.bottom > tabs.bottom) continue;
    const std::wstring cls = GetClass(c);
    const LONG type = GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK;
    const bool button = _wcsicmp(cls.c_str(), L"Button") == 0;
    const bool group = button && type == BS_GROUPBOX;
    const bool box = button && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX ||
                                type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
    if (!group && !box && _wcsicmp(cls.c_str(), L"Static") != 0) continue;
    POINT p = group ? POINT{r.left + 3, (r.top + r.bottom) / 2} : POINT{r.right - 1, r.top};
    ScreenToClient(main, &p);
    EXPECT_EQ(Hex(picture.At(p.x, p.y)), Hex(page))
        << Narrow(name) << ": \"" << Narrow(GetText(c)) << "\" at " << p.x << "," << p.y;
    ++checked;
  }
  EXPECT_GT(checked, 1) << Narrow(name);
}

TEST_F(BuilderUi, TabPagesShowNoBoxesBehindTheirControls) {
  StartVardex();
  Pause(500);
  ExpectPageColour(main_, IDC_LEFTTABS, {3, 100}, L"Information about the Song:");
  ExpectPageColour(main_, IDC_RIGHTTABS, {344, 100}, L"Source-/Targetfile");
  ClickTab(IDC_LEFTTABS, 180);
  ClickTab(IDC_RIGHTTABS, 120);
  Pause(300);
  SaveScreenshot(main_, ArtifactPath(L"builder_pages.bmp"));
  ExpectPageColour(main_, IDC_LEFTTABS, {3, 100}, L"EXE-Style:");
  ExpectPageColour(main_, IDC_RIGHTTABS, {344, 100}, L"Targetfilesize");
}

}  // namespace
