// Copies of WINMM and COMCTL32 lying beside a program, preferred by the loader over its
// own (Wine's native-first override), are never loaded: the programs take those
// libraries from the system folder, also when they play sound.
#include <gtest/gtest.h>

#include <string>

#include "AnalyserSession.h"
#include "PlayerOutput.h"
#include "analyser/core/ShellState.h"
#include "builder/core/PlayerSettings.h"
#include "driver/UiDriver.h"

namespace {

using namespace e2e;

const wchar_t* const kPlanted[] = {L"winmm.dll", L"comctl32.dll"};

class PlantedLibraries : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ArtifactPath(L"planted");
    CreateDirectoryW(folder_.c_str(), nullptr);
    for (const wchar_t* name : kPlanted) {
      ASSERT_TRUE(CopyFileW((BuildDir() + L"\\tests-bin\\planted\\" + name).c_str(),
                            (folder_ + L"\\" + name).c_str(), FALSE));
      DeleteFileW(Marker(name).c_str());
    }
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"winmm,comctl32=n,b;mscoree,mshtml=");
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", nullptr);
    if (app_.handle) Kill(app_);
  }
  std::wstring Marker(const wchar_t* name) const { return folder_ + L"\\" + name + L".loaded"; }
  void ExpectNoPlantedLibraryLoaded() {
    for (const wchar_t* name : kPlanted)
      EXPECT_EQ(GetFileAttributesW(Marker(name).c_str()), INVALID_FILE_ATTRIBUTES)
          << "the copy of " << Narrow(name) << " beside the program was loaded";
  }
  std::wstring Copy(const wchar_t* program) {
    const std::wstring to = folder_ + L"\\" + program;
    EXPECT_TRUE(CopyFileW(ProgramPath(program).c_str(), to.c_str(), FALSE));
    return to;
  }

  std::wstring folder_;
  Process app_;
};

// The markers work: a program that asks for the libraries by name, in the same setting,
// loads the copies beside it.
TEST_F(PlantedLibraries, AnUnguardedLoadFindsTheCopies) {
  const std::wstring sample = folder_ + L"\\sample.exe";
  ASSERT_TRUE(
      CopyFileW((BuildDir() + L"\\tests-bin\\e2e_sample_app.exe").c_str(), sample.c_str(), FALSE));
  for (const wchar_t* name : kPlanted) {
    Process p = Launch(sample, std::wstring(L"/load ") + name, folder_);
    EXPECT_EQ(WaitExit(p, 15000), 0);
    EXPECT_NE(GetFileAttributesW(Marker(name).c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(name);
    DeleteFileW(Marker(name).c_str());
  }
}

TEST_F(PlantedLibraries, ThePlayerPlaysWithoutLoadingThem) {
  const std::string exe =
      AssembleOutput(Narrow(folder_), VARDEX_SOURCE_DIR "/tests/e2e/player_song.mp3",
                     "Sunny Tone.mp3", builder::DefaultPlayerSettings(), "output.exe");
  app_ = Launch(Widen(exe));
  HWND window = WaitForWindow(app_.id, L"TForm1", L"Playing", 20000);
  ASSERT_NE(window, nullptr) << "the player did not start";
  Pause(2000);  // it plays through WINMM and sets the volume
  Close(window);
  EXPECT_EQ(WaitExit(app_, 15000), 0);
  ExpectNoPlantedLibraryLoaded();
}

TEST_F(PlantedLibraries, TheBuilderStartsWithoutLoadingThem) {
  app_ = Launch(Copy(L"Vardex.exe"), L"", folder_);
  HWND window = WaitForWindow(app_.id, L"", L"Vardex", 20000);
  ASSERT_NE(window, nullptr) << "the builder did not start";
  Pause(1000);
  Close(window);
  EXPECT_EQ(WaitExit(app_, 15000), 0);
  ExpectNoPlantedLibraryLoaded();
}

TEST_F(PlantedLibraries, TheAnalyserPlaysWithoutLoadingThem) {
  const std::wstring exe = Copy(L"Tessel.exe");
  e2e_analyser::WriteWave(Narrow(folder_ + L"\\tone.wav"), 1, 22050, 1.0);
  app_ = Launch(exe, L"tone.wav", folder_);
  HWND window = WaitForWindow(app_.id, L"Sonaris", L"", 20000);
  ASSERT_NE(window, nullptr) << "the analyser did not start";
  HWND dialog = WaitForWindow(app_.id, L"#32770", L"Analyze File", 10000);
  ASSERT_NE(dialog, nullptr);
  Click(FindChildById(dialog, 1025));
  ASSERT_TRUE(e2e_analyser::WaitFor([&] { return !IsWindow(dialog); }, 30000));
  HWND stop = FindChildById(window, tessel::kCmdStop);
  Click(FindChildById(window, tessel::kCmdPlay));
  EXPECT_TRUE(e2e_analyser::WaitFor([&] { return IsWindowEnabled(stop); }, 5000))
      << "playback did not start";
  Pause(1500);
  Close(window);
  EXPECT_EQ(WaitExit(app_, 15000), 0);
  ExpectNoPlantedLibraryLoaded();
}

}  // namespace
