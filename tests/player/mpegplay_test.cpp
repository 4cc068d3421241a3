// The playback component over a fake decoder library.
#include "player/core/MPEGPlay.h"

#include <gtest/gtest.h>

#include "FakeKelvaro.h"

namespace {

using player::TMPEGError;
using player::TMPEGPlayer;
using player::TPlayPriority;

struct FakeTimer : player::TPollTimer {
  void SetInterval(uint32_t ms) override { interval = ms; }
  void SetEnabled(bool e) override { enabled = e; }
  uint32_t interval = 12345;
  bool enabled = false;
};

class MPEGPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::lib = fake::Kelvaro();
    player.SetPathToDLL("C:\\Temp\\x");
    player.SetStreamName("C:\\Temp\\x\\song.mp3");
    player.OnPosUpdate = [this](int32_t pos, int32_t len) {
      reports.push_back(pos);
      lastLen = len;
    };
    player.OnPlayEnd = [this] { ++ends; };
  }
  // Expects `f` to throw TMPEGError with `code` and `message`.
  template <typename F>
  void ExpectError(F f, int32_t code, const std::string& message) {
    try {
      f();
      ADD_FAILURE() << "no TMPEGError";
    } catch (const TMPEGError& e) {
      EXPECT_EQ(e.Code(), code);
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
  void StartPlaying() {
    player.LoadLibrary();
    player.Open();
    player.Play();
  }

  fake::Loader loader;
  FakeTimer timer;
  TMPEGPlayer player{loader, timer};
  std::vector<int32_t> reports;
  int32_t lastLen = -1;
  int ends = 0;
};

TEST(MPEGErrors, MessagesOfTheLibraryCodesAndTheComponentsOwn) {
  EXPECT_EQ(player::MPEGErrorMessage(0), "MPEG library not loaded");
  EXPECT_EQ(player::MPEGErrorMessage(1), "Internal decoder error");
  EXPECT_EQ(player::MPEGErrorMessage(2), "Incorrect mode");
  EXPECT_EQ(player::MPEGErrorMessage(3), "Input stream error");
  EXPECT_EQ(player::MPEGErrorMessage(4), "Input stream is non-seekable");
  EXPECT_EQ(player::MPEGErrorMessage(5), "Output device failure");
  EXPECT_EQ(player::MPEGErrorMessage(254), "Can't play non-specified stream");
  EXPECT_EQ(player::MPEGErrorMessage(255), "Can't load MPEG library");
  EXPECT_EQ(player::MPEGErrorMessage(77), "Internal decoder error (77)");
}

TEST(MPEGPriorities, MapToWindowsThreadPriorities) {
  const int32_t expected[] = {-15, -2, -1, 0, 1, 2, 15};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(player::ThreadPriorityValue(TPlayPriority(i)), expected[i]);
}

TEST_F(MPEGPlayerTest, LibraryPathAddsABackslashOnlyWhereNeeded) {
  EXPECT_EQ(player.LibraryPath(), "C:\\Temp\\x\\kelvaro.dll");
  player.SetPathToDLL("C:\\Temp\\");
  EXPECT_EQ(player.LibraryPath(), "C:\\Temp\\kelvaro.dll");
  player.SetPathToDLL("C:");
  EXPECT_EQ(player.LibraryPath(), "C:kelvaro.dll");
  player.SetPathToDLL("");
  EXPECT_EQ(player.LibraryPath(), "kelvaro.dll");
}

TEST_F(MPEGPlayerTest, LoadingBindsTheExportsCallsInitAndPreparesTheTimer) {
  player.LoadLibrary();
  EXPECT_TRUE(player.Loaded());
  EXPECT_EQ(loader.loadedPath, "C:\\Temp\\x\\kelvaro.dll");
  EXPECT_EQ(fake::lib.Count("init"), 1);
  EXPECT_EQ(timer.interval, 500u);
  EXPECT_FALSE(timer.enabled);
  EXPECT_EQ(player.Length(), 0);
}

TEST_F(MPEGPlayerTest, LoadFailuresRaiseAndLeaveNothingLoaded) {
  loader.loadFails = true;
  ExpectError([&] { player.LoadLibrary(); }, player::mpegCantLoad, "Can't load MPEG library");
  loader.loadFails = false;

  loader.missing = {"ResetPlayerMode"};
  ExpectError([&] { player.LoadLibrary(); }, 0, "MPEG library not loaded");
  EXPECT_FALSE(player.Loaded());
  EXPECT_EQ(loader.frees, 1);
  EXPECT_EQ(fake::lib.Count("init"), 0);
  loader.missing.clear();

  fake::lib.initResult = false;
  fake::lib.initError = 2;
  ExpectError([&] { player.LoadLibrary(); }, 2, "Incorrect mode");
  EXPECT_FALSE(player.Loaded());
  EXPECT_EQ(loader.frees, 2);
}

TEST_F(MPEGPlayerTest, CallsWithoutALibraryRaiseTheNotLoadedError) {
  ExpectError([&] { player.Open(); }, 0, "MPEG library not loaded");
  ExpectError([&] { player.Seek(10); }, 0, "MPEG library not loaded");
  ExpectError([&] { player.GetPlayerMode(); }, 0, "MPEG library not loaded");
  player.SetPlayerPriority(TPlayPriority::Highest);  // only stored
  EXPECT_TRUE(fake::lib.calls.empty());
}

TEST_F(MPEGPlayerTest, OpeningNeedsAStreamNameAndReadsTheLengthOnce) {
  player.LoadLibrary();
  player.SetStreamName("");
  ExpectError([&] { player.Open(); }, 254, "Can't play non-specified stream");
  EXPECT_FALSE(player.Opened());

  player.SetStreamName("C:\\Temp\\x\\song.mp3");
  player.Open();
  EXPECT_TRUE(player.Opened());
  EXPECT_EQ(fake::lib.openedName, "C:\\Temp\\x\\song.mp3");
  EXPECT_EQ(player.Length(), 205000);
  EXPECT_EQ(player.PlayedXTimes(), 1);
  EXPECT_FALSE(player.Playing());

  player.SetStreamName(std::string(600, 'a'));  // closes the open song
  EXPECT_FALSE(player.Opened());
  ExpectError([&] { player.Open(); }, 3, "Input stream error");
}

TEST_F(MPEGPlayerTest, PlaySetsPriorityAndDeviceThenStartsAndPollsAtOnce) {
  player.SetStartPos(1000);
  player.SetEndPos(9000);
  fake::lib.pos = 700;
  StartPlaying();
  EXPECT_EQ(fake::lib.priority, 0);
  EXPECT_EQ(fake::lib.device, 0);
  EXPECT_EQ(fake::lib.outName, "");
  EXPECT_EQ(fake::lib.playStart, 1000);
  EXPECT_EQ(fake::lib.playEnd, 9000);
  ASSERT_NE(fake::lib.endFlag, nullptr);
  EXPECT_TRUE(player.Playing());
  EXPECT_EQ(player.PlayedXTimes(), 2);
  EXPECT_TRUE(timer.enabled);
  EXPECT_EQ(reports, std::vector<int32_t>{700});
  EXPECT_EQ(lastLen, 205000);

  player.Play();  // already playing: nothing
  EXPECT_EQ(fake::lib.Count("Play"), 1);
}

TEST_F(MPEGPlayerTest, LibraryErrorsAreRaisedWithTheirCodeAndKept) {
  player.LoadLibrary();
  player.Open();
  fake::lib.errorOn["Play"] = 5;
  ExpectError([&] { player.Play(); }, 5, "Output device failure");
  EXPECT_FALSE(player.Playing());
  EXPECT_EQ(player.LastErrorCode(), 5);

  fake::lib.errorOn.clear();
  fake::lib.playResult = 1;  // refused without an error code
  ExpectError([&] { player.Play(); }, 1, "Internal decoder error");
}

TEST_F(MPEGPlayerTest, PollReportsPositionsAndTheEndOfTheSong) {
  StartPlaying();
  reports.clear();
  fake::lib.pos = 205001;  // beyond the length: shown as 0
  player.Poll();
  EXPECT_EQ(reports, std::vector<int32_t>{0});

  fake::lib.pos = 204000;
  *fake::lib.endFlag = 1;  // the library's play thread reached the end
  player.Poll();
  EXPECT_EQ(reports.back(), 204000);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(player.EndReached());
  EXPECT_FALSE(timer.enabled);

  reports.clear();
  player.Poll();  // not playing: the timer stays off and nothing is reported
  EXPECT_TRUE(reports.empty());
}

// The library's play thread ended playback with an error (a change of sampling rate that the
// output cannot follow): the error is pending when the end flag is seen. The poll ends the
// play, then raises the error; the play counts as failed until the next start.
TEST_F(MPEGPlayerTest, AnErrorThatEndedPlaybackIsRaisedAfterTheEnd) {
  StartPlaying();
  EXPECT_FALSE(player.PlayFailed());
  fake::lib.pos = 5000;
  *fake::lib.endFlag = 1;
  fake::lib.errorOn["GetCurrentPos"] = 3;
  ExpectError([&] { player.Poll(); }, 3, "Input stream error");
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(player.Playing());
  EXPECT_FALSE(timer.enabled);
  EXPECT_TRUE(player.PlayFailed());

  // Raised by another call before the end is seen: the end then comes without an error.
  fake::lib.errorOn.clear();
  player.Play();
  EXPECT_FALSE(player.PlayFailed());
  fake::lib.errorOn["GetPlayerMode"] = 5;
  ExpectError([&] { player.GetPlayerMode(); }, 5, "Output device failure");
  fake::lib.errorOn.clear();
  *fake::lib.endFlag = 1;
  player.Poll();
  EXPECT_EQ(ends, 2);
  EXPECT_TRUE(player.PlayFailed());
  player.Play();  // a new start: no failure yet
  EXPECT_FALSE(player.PlayFailed());
}

TEST_F(MPEGPlayerTest, PlayAfterTheEndRestartsAndStopThenPlayOpensAgain) {
  player.SetStartPos(300);
  StartPlaying();
  *fake::lib.endFlag = 1;
  player.Poll();
  player.Play();
  EXPECT_EQ(fake::lib.Count("Restart"), 1);
  EXPECT_EQ(fake::lib.Count("Play"), 1);
  EXPECT_EQ(player.PlayedXTimes(), 3);
  EXPECT_TRUE(player.Playing());
  EXPECT_TRUE(timer.enabled);

  player.Stop();
  EXPECT_EQ(fake::lib.Count("Close"), 1);
  EXPECT_FALSE(player.Opened());
  EXPECT_EQ(player.PlayedXTimes(), 0);
  player.Play();
  EXPECT_EQ(fake::lib.Count("Open"), 2);
  EXPECT_EQ(fake::lib.Count("Play"), 2);
  EXPECT_EQ(fake::lib.playStart, 300);
}

TEST_F(MPEGPlayerTest, PauseAndResume) {
  player.LoadLibrary();
  player.Open();
  ExpectError([&] { player.Pause(true); }, 2, "Incorrect mode");
  player.Pause(false);  // resuming while not playing is no error
  EXPECT_EQ(fake::lib.Count("Pause"), 0);

  player.Play();
  player.Pause(true);
  EXPECT_TRUE(player.Paused());
  EXPECT_EQ(fake::lib.mode, 4);
  player.Play();  // resumes
  EXPECT_FALSE(player.Paused());
  EXPECT_EQ(fake::lib.mode, 3);
  EXPECT_EQ(fake::lib.Count("Play"), 1);

  *fake::lib.endFlag = 1;  // ended before the poll saw it
  ExpectError([&] { player.Pause(true); }, 2, "Incorrect mode");
  EXPECT_FALSE(player.Paused());
}

TEST_F(MPEGPlayerTest, RestartNeedsAnOpenSong) {
  player.LoadLibrary();
  ExpectError([&] { player.Restart(); }, 2, "Incorrect mode");
}

TEST_F(MPEGPlayerTest, PriorityChangesReachAPlayingLibraryAtOnce) {
  StartPlaying();
  player.SetPlayerPriority(TPlayPriority::TimeCritical);
  EXPECT_EQ(fake::lib.priority, 15);
  EXPECT_EQ(player.PlayerPriority(), TPlayPriority::TimeCritical);
}

TEST_F(MPEGPlayerTest, TimerAndOutputDeviceSettings) {
  player.SetTimerFreq(0);
  EXPECT_FALSE(player.UseTimer());
  EXPECT_EQ(timer.interval, 0u);

  player.SetOutputDevice(player::TOutputDevice::pcmfile);
  EXPECT_EQ(player.OutputDevice(), player::TOutputDevice::wavemapper);
  player.SetOutFilename("C:\\out.wav");
  player.SetOutputDevice(player::TOutputDevice::pcmfile);
  StartPlaying();
  EXPECT_EQ(fake::lib.device, 2);
  EXPECT_EQ(fake::lib.outName, "C:\\out.wav");
  EXPECT_FALSE(timer.enabled);  // no timer: no polling
}

TEST_F(MPEGPlayerTest, UnloadingStopsDeinitsAndFrees) {
  StartPlaying();
  player.UnloadLibrary();
  EXPECT_EQ(fake::lib.Count("Close"), 1);
  EXPECT_EQ(fake::lib.Count("deinit"), 1);
  EXPECT_EQ(loader.frees, 1);
  EXPECT_FALSE(player.Loaded());
  player.UnloadLibrary();  // twice is harmless
  EXPECT_EQ(loader.frees, 1);
}

TEST_F(MPEGPlayerTest, UnloadingFreesTheLibraryEvenWhenClosingFails) {
  StartPlaying();
  fake::lib.errorOn["Close"] = 2;
  EXPECT_THROW(player.UnloadLibrary(), TMPEGError);
  EXPECT_EQ(fake::lib.Count("deinit"), 1);
  EXPECT_EQ(loader.frees, 1);
  EXPECT_FALSE(player.Loaded());
}

}  // namespace
