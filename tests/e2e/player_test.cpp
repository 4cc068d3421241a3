// Tunlet end to end under Wine: an output file is assembled in the test (the padded
// player, then an archive holding kelvaro.dll, a tagged song and a settings record
// with its own colours), started, inspected and closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PlayerOutput.h"
#include "builder/core/Colour.h"
#include "builder/core/PlayerSettings.h"
#include "driver/UiDriver.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/win32/Wide.h"
#include "resources/player/resource.h"

namespace {

using namespace e2e;

constexpr size_t kStartOffset = 423424;
constexpr COLORREF kRed = RGB(0x20, 0x40, 0xE0);    // lit red zone
constexpr COLORREF kGreen = RGB(0xE0, 0x20, 0xC0);  // lit green zone

class PlayerE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = Narrow(ArtifactPath(L"player_e2e"));
    CreateDirectoryW(Widen(work_).c_str(), nullptr);
    ASSERT_EQ(ReadAll(Narrow(ProgramPath(L"Tunlet.exe"))).size(), kStartOffset);

    builder::PlayerSettingsRecord record = builder::DefaultPlayerSettings();
    record.RedColor = kRed;
    record.GreenColor = kGreen;
    record.Background = 0x00A0FFFF;
    record.Looped = true;
    record.Restore = true;
    exe_ = AssembleOutput(work_, VARDEX_SOURCE_DIR "/tests/e2e/player_song.mp3", "Sunny Tone.mp3",
                          record, "output.exe");
  }
  void TearDown() override {
    if (app_.handle) Kill(app_);
  }
  // The player's own extraction folders in the temporary folder.
  std::vector<std::string> PlayerFolders() {
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, "Tunlet%08X.*", unsigned(app_.id));
    std::vector<std::string> found;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(Widen(platform::TempFolder() + pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return found;
    do found.push_back(Narrow(data.cFileName));
    while (FindNextFileW(h, &data));
    FindClose(h);
    return found;
  }

  std::string work_, exe_;
  Process app_;
};

TEST_F(PlayerE2E, StartsWithTheTagsCaptionAndTheRecordsLookLoopsAndCleansUp) {
  app_ = Launch(Widen(exe_));
  ASSERT_NE(app_.handle, nullptr);
  HWND window = WaitForWindow(app_.id, L"TForm1", L"Playing Sunny Tone", 20000);
  ASSERT_NE(window, nullptr) << "no player window";
  EXPECT_EQ(GetText(window), L"Playing Sunny Tone from The Testers...");
  EXPECT_EQ(GetText(FindChildById(window, IDC_LENGTHLABEL)), L"0 Min. 2 sec.");
  EXPECT_TRUE(IsChecked(FindChildById(window, IDC_LOOPEDCB)));
  EXPECT_EQ(PlayerFolders().size(), 1u);

  Pause(1500);
  SaveScreenshot(window, ArtifactPath(L"player_e2e.bmp"));
  // The meters stand at full scale in the record's colours (no peak meter on the null
  // device): red at the top, green at the bottom.
  RECT meter;
  GetWindowRect(FindChildById(window, IDC_DBMETER1), &meter);
  POINT top{meter.left + 7, meter.top + 3}, bottom{meter.left + 7, meter.bottom - 4};
  ScreenToClient(window, &top);
  ScreenToClient(window, &bottom);
  EXPECT_EQ(ClientPixel(window, top.x, top.y), kRed);
  EXPECT_EQ(ClientPixel(window, bottom.x, bottom.y), kGreen);

  // The 2-second song has ended several times by now (the null device plays at once);
  // with Looped set the window keeps showing the playing state.
  Pause(4000);
  EXPECT_FALSE(IsWindowEnabled(FindChildById(window, IDC_PLAYBTN)));
  EXPECT_TRUE(IsWindowEnabled(FindChildById(window, IDC_STOPBTN)));

  // Unchecked, the next end leaves the window stopped.
  Click(FindChildById(window, IDC_LOOPEDCB));
  for (int i = 0; i < 100 && !IsWindowEnabled(FindChildById(window, IDC_PLAYBTN)); ++i) Pause(100);
  EXPECT_TRUE(IsWindowEnabled(FindChildById(window, IDC_PLAYBTN)));
  EXPECT_FALSE(IsWindowEnabled(FindChildById(window, IDC_PAUSEBTN)));

  Close(window);
  EXPECT_EQ(WaitExit(app_, 15000), 0);
  EXPECT_TRUE(PlayerFolders().empty()) << "the extracted files were left behind";
}

// A killed player leaves its folder; the next start removes it, and keeps the folder of
// a player that still runs.
TEST_F(PlayerE2E, TheNextStartRemovesAKilledPlayersFolderAndKeepsARunningOnes) {
  app_ = Launch(Widen(exe_));
  ASSERT_NE(WaitForWindow(app_.id, L"TForm1", L"Playing", 20000), nullptr);
  const std::vector<std::string> killed = PlayerFolders();
  ASSERT_EQ(killed.size(), 1u);
  Kill(app_);
  app_ = Process{};
  const std::string killedPath = platform::TempFolder() + killed[0];
  EXPECT_TRUE(platform::FolderExists(killedPath)) << "the kill left nothing behind to clean";

  Process running = Launch(Widen(exe_));
  HWND runningWindow = WaitForWindow(running.id, L"TForm1", L"Playing", 20000);
  ASSERT_NE(runningWindow, nullptr);
  EXPECT_FALSE(platform::FolderExists(killedPath)) << "the killed player's folder is still there";
  std::swap(app_, running);
  const std::vector<std::string> kept = PlayerFolders();
  std::swap(app_, running);
  ASSERT_EQ(kept.size(), 1u);
  // Made long ago: only its player's mark can keep it now.
  {
    HANDLE folder =
        CreateFileW(Widen(platform::TempFolder() + kept[0]).c_str(), FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(folder, INVALID_HANDLE_VALUE);
    FILETIME old{};
    SYSTEMTIME y2k{2000, 1, 6, 1, 0, 0, 0, 0};
    SystemTimeToFileTime(&y2k, &old);
    EXPECT_TRUE(SetFileTime(folder, &old, &old, &old));
    CloseHandle(folder);
  }

  app_ = Launch(Widen(exe_));
  HWND second = WaitForWindow(app_.id, L"TForm1", L"Playing", 20000);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(platform::FolderExists(platform::TempFolder() + kept[0]))
      << "the folder of a running player was removed";
  Close(second);
  EXPECT_EQ(WaitExit(app_, 15000), 0);
  app_ = Process{};
  Close(runningWindow);
  EXPECT_EQ(WaitExit(running, 15000), 0);
  EXPECT_FALSE(platform::FolderExists(platform::TempFolder() + kept[0]));
}

// The window is closed while a start-up prompt is open: the last piece of a split file is
// missing, so the player asks for it while it holds the half-written song. The close
// waits for the start-up to end, and nothing extracted outlives the process.
TEST_F(PlayerE2E, AWindowClosedDuringAStartUpPromptLeavesNoFileBehind) {
  const std::vector<char> part = ReadAll(VARDEX_SOURCE_DIR "/tests/e2e/player_song.mp3");
  // Noise behind the song, so that it does not compress into one piece.
  std::vector<char> song = part;
  for (uint32_t x = 1; song.size() < 1024 * 1024;)
    song.push_back(char((x = x * 1103515245u + 12345u) >> 24));
  const std::string songPath = work_ + "\\long.mp3", target = work_ + "\\Pieces.exe";
  WriteAll(songPath, song.data(), song.size());
  for (int i = 2; i < 20; ++i)
    DeleteFileW(Widen(work_ + "\\Pieces-00" + std::to_string(i) + ".mmm").c_str());
  Process build = Launch(
      ProgramPath(L"Vardex.exe"),
      L"/build \"" + Widen(songPath) + L"\" \"" + Widen(target) + L"\" /split 192", Widen(work_));
  ASSERT_EQ(WaitExit(build, 120000), 0);
  int last = 2;
  while (platform::FileExists(work_ + "\\Pieces-00" + std::to_string(last + 1) + ".mmm")) ++last;
  ASSERT_TRUE(DeleteFileW(Widen(work_ + "\\Pieces-00" + std::to_string(last) + ".mmm").c_str()));

  app_ = Launch(Widen(target));
  MessageBoxInfo prompt = WaitForMessageBox(app_.id, 20000);
  ASSERT_NE(prompt.window, nullptr) << "the missing piece raised no prompt";
  const std::vector<std::string> folders = PlayerFolders();
  ASSERT_EQ(folders.size(), 1u);
  HWND main = GetWindow(prompt.window, GW_OWNER);
  ASSERT_NE(main, nullptr);
  Close(main);
  Pause(500);
  // The close waits: the question stays open, and the half-written song with it.
  EXPECT_TRUE(IsWindow(prompt.window)) << "the close tore down the open prompt";
  AnswerMessageBox(prompt, IDCANCEL);
  int exitCode = -1;
  for (int i = 0; i < 20 && (exitCode = WaitExit(app_, 1000)) == -1; ++i) {
    MessageBoxInfo next = WaitForMessageBox(app_.id, 0);
    if (next.window && !AnswerMessageBox(next, IDCANCEL)) AnswerMessageBox(next, IDOK);
  }
  ASSERT_NE(exitCode, -1) << "the player did not end after the close";
  EXPECT_FALSE(platform::FolderExists(platform::TempFolder() + folders[0]))
      << "the extraction folder outlived the player";
}

}  // namespace
