// Tunlet end to end under Wine: an output file is assembled in the test (the padded
// player, then an archive holding kelvaro.dll, a tagged song and a settings record
// with its own colours), started, inspected and closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "builder/core/Colour.h"
#include "builder/core/PlayerSettings.h"
#include "driver/UiDriver.h"
#include "platform/System.h"
#include "platform/win32/Wide.h"
#include "resources/player/resource.h"

namespace {

using namespace e2e;

constexpr size_t kStartOffset = 423424;
constexpr COLORREF kRed = RGB(0x20, 0x40, 0xE0);    // lit red zone
constexpr COLORREF kGreen = RGB(0xE0, 0x20, 0xC0);  // lit green zone

std::vector<char> ReadAll(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const void* data, size_t size, bool append = false) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out.write(static_cast<const char*>(data), std::streamsize(size));
}

class PlayerE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = Narrow(ArtifactPath(L"player_e2e"));
    CreateDirectoryW(Widen(work_).c_str(), nullptr);
    const std::vector<char> player = ReadAll(ProgramPath(L"Tunlet.exe"));
    ASSERT_EQ(player.size(), kStartOffset);

    // The three entries, under the names the player looks for.
    CopyFileW(ProgramPath(L"kelvaro.dll").c_str(), Widen(work_ + "\\kelvaro.dll").c_str(), FALSE);
    const std::vector<char> song = ReadAll(Widen(VARDEX_SOURCE_DIR "/tests/e2e/player_song.mp3"));
    ASSERT_FALSE(song.empty());
    WriteAll(work_ + "\\Sunny Tone.mp3", song.data(), song.size());
    builder::PlayerSettingsRecord record = builder::DefaultPlayerSettings();
    record.RedColor = kRed;
    record.GreenColor = kGreen;
    record.Background = 0x00A0FFFF;
    record.Looped = true;
    record.Restore = true;
    exe_ = Assemble(record, "output.exe");
  }
  // An output file of the padded player and an archive with the library, the song
  // and `record`.
  std::string Assemble(const builder::PlayerSettingsRecord& record, const std::string& name) {
    const auto bytes = builder::WritePlayerSettings(record);
    WriteAll(work_ + "\\34Init12.dat", bytes.data(), bytes.size());

    const std::string arc = work_ + "\\song.arc";
    DeleteFileW(Widen(arc).c_str());
    archive::TArchiver archiver;
    archiver.SetFileName(arc);
    archiver.SetOptions(archive::TOptions(archive::kDefaultOptions));
    archiver.Open();
    for (const char* entry : {"kelvaro.dll", "Sunny Tone.mp3", "34Init12.dat"})
      EXPECT_TRUE(archiver.AddFile(work_ + "\\" + entry));
    archiver.Close();

    const std::string exe = work_ + "\\" + name;
    const std::vector<char> player = ReadAll(ProgramPath(L"Tunlet.exe"));
    WriteAll(exe, player.data(), player.size());
    const std::vector<char> tail = ReadAll(Widen(arc));
    WriteAll(exe, tail.data(), tail.size(), true);
    return exe;
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

}  // namespace
