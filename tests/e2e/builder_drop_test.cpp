// Vardex.exe under Wine: an MP3 dropped on the window with the mouse becomes the source
// file, as if chosen with "Select MP3-Song"; a drop while "T&est" runs is not taken.
#include <gtest/gtest.h>

#include <string>

#include "BuilderSession.h"

namespace {

using namespace e2e_builder;

TEST_F(BuilderUi, DroppedMp3BecomesTheSource) {
  const std::wstring first = Work(L"dropped.mp3"), second = Work(L"second.mp3");
  const std::wstring notes = Work(L"notes.txt");
  WriteFile(first, sample_);
  WriteFile(second, sample_);
  WriteFile(notes, Bytes{'x'});
  StartVardex();
  Pause(500);
  // Only the MP3 among the files counts.
  ASSERT_TRUE(DropFiles(main_, 170, 120, {notes, first}));
  ASSERT_TRUE(Eventually([&] { return GetText(Ctl(IDC_EDIT7)) == first; }))
      << Narrow(GetText(Ctl(IDC_EDIT7)));
  EXPECT_TRUE(Eventually([&] { return GetText(Ctl(IDC_EDIT1)) == L"dropped.mp3"; }));
  EXPECT_TRUE(IsWindowEnabled(Ctl(IDC_CHANGEBTN)));
  Pause(300);
  SaveScreenshot(main_, ArtifactPath(L"builder_dropped_song.bmp"));

  // A file list without an MP3 changes nothing.
  DropFiles(main_, 170, 120, {notes});
  Pause(500);
  EXPECT_EQ(GetText(Ctl(IDC_EDIT7)), first);

  // While the test animation runs (five and a half seconds), a drop is not taken.
  ClickTab(IDC_LEFTTABS, 180);
  Click(Ctl(IDC_BITBTN6));
  Pause(1000);
  EXPECT_FALSE(DropFiles(main_, 170, 120, {second}));  // the pointer says no
  Pause(1000);
  EXPECT_EQ(GetText(Ctl(IDC_EDIT7)), first);
  Pause(5000);
  ASSERT_TRUE(DropFiles(main_, 170, 120, {second}));
  EXPECT_TRUE(Eventually([&] { return GetText(Ctl(IDC_EDIT7)) == second; }))
      << Narrow(GetText(Ctl(IDC_EDIT7)));
}

}  // namespace
