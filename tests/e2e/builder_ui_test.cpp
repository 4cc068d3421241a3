// Vardex.exe under Wine, driven as a user would: the song and target fields, the tag
// editing and saving (appending to a tagless song, overwriting afterwards), colours
// and counts on the style tab, the preview, building with the overwrite and execute
// questions, the produced player, the style after a restart, and scripted builds
// with /build, also split into segments.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BuilderSession.h"
#include "archive/Archiver.h"
#include "builder/core/OutputLayout.h"
#include "builder/core/PlayerSettings.h"

namespace {

using namespace e2e_builder;

// The settings record inside a produced file.
Bytes RecordOf(const std::wstring& exe, const std::wstring& folder) {
  archive::TExtractor x;
  x.SetLanguage(archive::lgEnglish);
  x.SetExecutableCodeSize(builder::kStartOffset);
  x.SetFileName(Narrow(exe));
  x.SetExtractPath(Narrow(folder));
  x.SetRestoreAction(archive::raOverwrite);
  x.Open();
  x.List();
  std::vector<std::string> names;
  for (const auto& e : x.FileList()) names.push_back(e.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"kelvaro.dll", "song.mp3", "34Init12.dat"}));
  x.ExtractFiles();
  x.Close();
  return ReadFile(folder + L"\\34Init12.dat");
}

struct TopWindow {
  DWORD notPid;
  HWND found;
};

BOOL CALLBACK MatchPlayer(HWND w, LPARAM l) {
  auto* t = reinterpret_cast<TopWindow*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == t->notPid || !IsWindowVisible(w) || GetClass(w) != L"TForm1") return TRUE;
  if (GetText(w).rfind(L"Playing", 0) != 0) return TRUE;
  t->found = w;
  return FALSE;
}

// A visible player window ("TForm1", caption "Playing...") of a process other than `notPid`.
HWND WaitForPlayer(DWORD notPid, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    TopWindow t{notPid, nullptr};
    EnumWindows(MatchPlayer, reinterpret_cast<LPARAM>(&t));
    if (t.found) return t.found;
    Pause(100);
  }
  return nullptr;
}

void ClosePlayer(HWND player) {
  DWORD pid = 0;
  GetWindowThreadProcessId(player, &pid);
  Close(player);
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (h) {
    WaitForSingleObject(h, 10000);
    CloseHandle(h);
  }
}

TEST_F(BuilderUi, EditsTagsStylesAndBuildsAPlayingFile) {
  const std::wstring song = Work(L"song.mp3"), target = Work(L"Song.exe");
  WriteFile(song, sample_);
  DeleteFileW(target.c_str());
  StartVardex();
  Pause(500);
  SaveScreenshot(main_, ArtifactPath(L"builder_main_start.bmp"));
  EXPECT_FALSE(IsWindowEnabled(Ctl(IDC_BITBTN1)));

  SetText(Ctl(IDC_EDIT7), song);
  ASSERT_TRUE(Eventually([&] { return GetText(Ctl(IDC_EDIT1)) == L"song.mp3"; }));
  EXPECT_TRUE(IsWindowEnabled(Ctl(IDC_CHANGEBTN)));
  EXPECT_FALSE(IsWindowEnabled(Ctl(IDC_BITBTN1)));
  SetText(Ctl(IDC_EDIT8), target);
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(Ctl(IDC_BITBTN1)) != FALSE; }));
  ClickTab(IDC_RIGHTTABS, 120);
  EXPECT_NE(GetText(Ctl(IDC_LABEL13)).find(L"The Targetfile will have a filesize of 0"),
            std::wstring::npos);

  // The split option: 191 Kb is refused, 192 Kb taken; cleared again, the file stays whole.
  Click(Ctl(IDC_CHECKBOX1));
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(Ctl(IDC_RGMAXSIZE_OTHER)) != FALSE; }));
  SetText(Ctl(IDC_EDMAXSIZE), L"191");
  Click(Ctl(IDC_RGMAXSIZE_OTHER));
  const MessageBoxInfo refused = WaitForMessageBox(app_.id, 10000);
  ASSERT_NE(refused.window, nullptr);
  EXPECT_EQ(refused.text, L"Maximum size of a Segment is too small (property MaxSegmentSize)");
  Answer(refused, IDOK);
  SetText(Ctl(IDC_EDMAXSIZE), L"192");
  Click(Ctl(IDC_RGMAXSIZE_OTHER));
  EXPECT_EQ(WaitForMessageBox(app_.id, 1000).window, nullptr);
  SaveScreenshot(main_, ArtifactPath(L"builder_main_size.bmp"));
  Click(Ctl(IDC_CHECKBOX1));
  ASSERT_TRUE(Eventually([&] { return !IsWindowEnabled(Ctl(IDC_RGMAXSIZE_OTHER)); }));

  // The song has no tag: saving appends one, a second save overwrites it.
  Click(Ctl(IDC_CHANGEBTN));
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(Ctl(IDC_EDIT2)) != FALSE; }));
  SetText(Ctl(IDC_EDIT2), L"Sine Song");
  SetText(Ctl(IDC_EDIT3), L"Vardex");
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(Ctl(IDC_SAVECHANGESBTN)) != FALSE; }));
  Click(Ctl(IDC_SAVECHANGESBTN));
  ASSERT_TRUE(Eventually([&] { return ReadFile(song).size() == sample_.size() + 128; }));
  Bytes tagged = ReadFile(song);
  EXPECT_EQ(std::string(tagged.end() - 128, tagged.end() - 125), "TAG");
  EXPECT_EQ(std::string(tagged.end() - 125, tagged.end() - 116), "Sine Song");
  Click(Ctl(IDC_CHANGEBTN));
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(Ctl(IDC_EDIT4)) != FALSE; }));
  SetText(Ctl(IDC_EDIT4), L"Samples");
  Click(Ctl(IDC_SAVECHANGESBTN));
  ASSERT_TRUE(Eventually([&] {
    const Bytes b = ReadFile(song);
    return b.size() == sample_.size() + 128 && std::string(b.end() - 65, b.end() - 58) == "Samples";
  }));

  // The style: colours, counts, looping, and the preview.
  ClickTab(IDC_LEFTTABS, 180);
  PickColour(IDC_BUTTON3, 200, 30, 60);
  PickColour(IDC_BUTTON9, 0, 0, 128);
  Click(Ctl(IDC_SPIN1_TOP));
  Click(Ctl(IDC_SPIN1_TOP));
  Click(Ctl(IDC_SPIN3_BOTTOM));
  Click(Ctl(IDC_CHECKBOX2));
  Pause(300);
  SaveScreenshot(main_, ArtifactPath(L"builder_main_style.bmp"));
  Click(Ctl(IDC_BUTTON11));
  HWND preview = WaitForWindow(app_.id, L"TPreviewForm", L"", 10000);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(GetText(preview), L"Playing Sine Song from Vardex...");
  Pause(500);
  SaveScreenshot(preview, ArtifactPath(L"builder_preview.bmp"));
  EXPECT_EQ(ClientPixel(preview, 230, 52), RGB(0, 0, 128));

  // First build: nothing to overwrite; the result is not started.
  Click(Ctl(IDC_BITBTN1));
  Answer(Question(L"Execute the newly created file ?"), IDNO);
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(Ctl(IDC_BITBTN1)) != FALSE; }));
  // Second build: overwrite, then start it.
  Click(Ctl(IDC_BITBTN1));
  Answer(Question(L"Overwrite the file " + target + L" ?"), IDYES);
  Answer(Question(L"Execute the newly created file ?"), IDYES);
  HWND player = WaitForPlayer(app_.id, 30000);
  ASSERT_NE(player, nullptr) << "the produced file did not show its player window";
  Pause(2000);
  SaveScreenshot(player, ArtifactPath(L"builder_produced_player.bmp"));
  EXPECT_EQ(ClientPixel(player, 230, 52), RGB(0, 0, 128));
  ClosePlayer(player);

  const Bytes output = ReadFile(target);
  const Bytes tunlet = ReadFile(BuildDir() + L"\\bin\\Tunlet.exe");
  ASSERT_EQ(tunlet.size(), size_t(builder::kStartOffset));
  EXPECT_TRUE(std::equal(tunlet.begin(), tunlet.end(), output.begin()));
  const std::wstring unpacked = Work(L"unpacked");
  CreateDirectoryW(unpacked.c_str(), nullptr);
  const Bytes bytes = RecordOf(target, unpacked);
  builder::PlayerSettingsRecord record;
  ASSERT_TRUE(builder::ReadPlayerSettings(bytes.data(), bytes.size(), record));
  EXPECT_EQ(bytes.size(), 61u);
  EXPECT_EQ(record.RedColor, uint32_t(RGB(200, 30, 60)));
  EXPECT_EQ(record.Background, uint32_t(RGB(0, 0, 128)));
  EXPECT_EQ(record.Reds, 4);
  EXPECT_EQ(record.Greens, 4);
  EXPECT_TRUE(record.Looped);

  // The style survives a restart: the window shows it, and /build uses it.
  Close(main_);
  ASSERT_EQ(WaitExit(app_, 15000), 0);
  app_ = {};
  StartVardex();
  Click(Ctl(IDC_BUTTON11));
  preview = WaitForWindow(app_.id, L"TPreviewForm", L"", 10000);
  ASSERT_NE(preview, nullptr);
  Pause(500);
  SaveScreenshot(preview, ArtifactPath(L"builder_preview_after_restart.bmp"));
  EXPECT_EQ(ClientPixel(preview, 230, 52), RGB(0, 0, 128));
  Close(main_);
  WaitExit(app_, 15000);
  app_ = {};
  Process batch = Launch(ProgramPath(L"Vardex.exe"),
                         L"/build \"" + song + L"\" \"" + Work(L"Again.exe") + L"\"", work_);
  ASSERT_EQ(WaitExit(batch, 60000), 0);
  EXPECT_EQ(RecordOf(Work(L"Again.exe"), unpacked), bytes);
}

TEST_F(BuilderUi, ScriptedBuildSplitsInto720KbSegmentsThatPlay) {
  Bytes big;
  while (big.size() < 5 * 1024 * 1024) big.insert(big.end(), sample_.begin(), sample_.end());
  const std::wstring song = Work(L"song.mp3"), target = Work(L"Split.exe");
  WriteFile(song, big);
  for (int i = 2; i < 20; ++i) {
    wchar_t name[32];
    swprintf(name, 32, L"Split-%03d.mmm", i);
    DeleteFileW(Work(name).c_str());
  }
  Process batch = Launch(ProgramPath(L"Vardex.exe"),
                         L"/build \"" + song + L"\" \"" + target + L"\" /split 720", work_);
  ASSERT_EQ(WaitExit(batch, 120000), 0);
  EXPECT_TRUE(Exists(target));
  EXPECT_TRUE(Exists(Work(L"Split-002.mmm")));
  EXPECT_TRUE(Exists(Work(L"Split-003.mmm")));
  EXPECT_LE(ReadFile(target).size(), 737280u);
  EXPECT_LE(ReadFile(Work(L"Split-002.mmm")).size(), 737280u);

  Process player = Launch(target, L"", work_);
  ASSERT_NE(player.handle, nullptr);
  HWND window = WaitForPlayer(0, 30000);
  ASSERT_NE(window, nullptr) << "the split file did not show its player window";
  Pause(2000);
  SaveScreenshot(window, ArtifactPath(L"builder_split_player.bmp"));
  ClosePlayer(window);

  Process failing = Launch(ProgramPath(L"Vardex.exe"),
                           L"/build \"" + Work(L"missing.mp3") + L"\" \"" + target + L"\"", work_);
  EXPECT_EQ(WaitExit(failing, 30000), 1);
}

}  // namespace
