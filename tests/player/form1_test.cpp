// The player window's behaviour: start-up, buttons, looping, the volume lock and
// the clean-up on close, with fake devices and a fake decoder library.
#include "player/core/Form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "FakeKelvaro.h"
#include "builder/core/InOutError.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "player/core/PlayerTexts.h"

namespace {

using builder::PlayerSettingsRecord;
using player::TForm1;

struct FakeTimer : player::TPollTimer {
  void SetInterval(uint32_t ms) override { interval = ms; }
  void SetEnabled(bool e) override { enabled = e; }
  uint32_t interval = 0;
  bool enabled = false;
};

struct FakeVolume : player::TWaveVolume {
  int NumDevs() override { return devices; }
  bool GetVolume(uint32_t& v) override {
    v = volume;
    return devices > 0;
  }
  void SetVolume(uint32_t v) override {
    volume = v;
    sets.push_back(v);
  }
  int devices = 1;
  uint32_t volume = 0x40003000;  // left 0x3000, right 0x4000
  std::vector<uint32_t> sets;
};

struct FakeMixer : player::TMixerPeakMeter {
  int WaveOutDevices() override { return devices; }
  bool GetMixerId() override { return hasMixer; }
  bool OpenPeakMeter() override { return opened = hasPeakMeter; }
  bool ReadPeaks(int32_t v[2], int& n) override {
    v[0] = values[0];
    v[1] = values[1];
    n = channels;
    return readOk;
  }
  void Close() override { opened = false; }
  int devices = 1;
  bool hasMixer = true, hasPeakMeter = true, opened = false, readOk = true;
  int32_t values[2] = {0, 0};
  int channels = 2;
};

// A scripted endpoint meter: peaks 0.0..1.0, as the Core Audio API reports them.
struct FakeEndpoint : player::TEndpointPeakMeter {
  bool Open() override {
    ++opens;
    return opened = present;
  }
  bool ReadPeaks(float v[2], int& n) override {
    v[0] = values[0];
    v[1] = values[1];
    n = channels;
    return readOk;
  }
  void Close() override { opened = false; }
  bool present = true, opened = false, readOk = true;
  int opens = 0;
  float values[2] = {0.0f, 0.0f};
  int channels = 2;
};

struct FakeDialogs : player::TDialogs {
  void ShowMessage(const std::string& t) override { messages.push_back(t); }
  void ShowMessageBox(const std::string& title, const std::string& text) override {
    boxes.push_back(title + "|" + text);
  }
  std::vector<std::string> messages, boxes;
};

// Writes the named entries into the folder, as the archive reader would.
struct FakeArchive : player::TSongArchive {
  void ExtractAll(
      const std::string& archivePath, int64_t offset, const std::string& folder,
      const std::function<void(const std::string&, const std::string&)>& onExtracted) override {
    seenPath = archivePath;
    seenOffset = offset;
    for (const auto& [name, bytes] : entries) {
      platform::File f;
      ASSERT_TRUE(f.Open(folder + name, platform::OpenMode::Create));
      ASSERT_TRUE(f.Write(bytes.data(), bytes.size()));
      onExtracted(name, folder + name);
    }
  }
  std::map<std::string, std::string> entries;
  std::string seenPath;
  int64_t seenOffset = 0;
};

struct FakeSystem : player::TPlayerSystem {
  std::string ExePath() override { return "C:\\songs\\output.exe"; }
  std::string TempFolder() override { return temp; }
  bool CreateNewFolder(const std::string& path) override {
    if (platform::FolderExists(path)) return false;
    return platform::CreateFolders(path);
  }
  uint32_t ProcessId() override { return 0xBEEF; }
  void HoldFolder(const std::string& folder) override { held.insert(folder); }
  void ReleaseFolder() override { held.clear(); }
  bool FolderHeld(const std::string& folder) override {
    return running.count(folder) > 0 || held.count(folder) > 0;
  }
  std::string temp;
  std::set<std::string> held;     // by this player
  std::set<std::string> running;  // by other players
};

// The latest state the window was told to show.
struct FakeView : player::TForm1View {
  void ShowCaption(const std::string& c) override { caption = c; }
  void ShowLength(const std::string& t) override { length = t; }
  void ShowPositionRange(int32_t m) override { positionMax = m; }
  void ShowPosition(int32_t p) override { position = p; }
  void ShowButtons(bool p, bool pa, bool s) override {
    play = p;
    pause = pa;
    stop = s;
  }
  void ShowLooped(bool c) override { looped = c; }
  void ShowLocked(bool c) override { locked = c; }
  void ShowPriority(int i, bool v) override {
    priority = i;
    priorityVisible = v;
  }
  void ShowBackground(uint32_t c) override { background = c; }
  void RepaintMeter(int index) override { ++repaints[index]; }
  void ShowVolumeSliders(int32_t l, int32_t r) override { sliders = {l, r}; }

  std::string caption, length;
  int32_t positionMax = -1, position = -1;
  bool play = false, pause = false, stop = false, looped = false, locked = false;
  int priority = -1;
  bool priorityVisible = false;
  uint32_t background = 0;
  int repaints[2] = {0, 0};
  std::pair<int32_t, int32_t> sliders{-1, -1};
};

std::string Tagged(const std::string& title, const std::string& artist) {
  builder::ID3v1Fields f;
  f.Title = title;
  f.Artist = artist;
  f.Album = "Album";
  f.Year = "2001";
  f.GenreID = 17;
  const auto block = builder::MakeID3v1Block(f);
  return std::string(400, '\x55') + std::string(block.begin(), block.end());
}

std::string RecordBytes(const PlayerSettingsRecord& r) {
  const auto b = builder::WritePlayerSettings(r);
  return std::string(b.begin(), b.end());
}

std::pair<int32_t, int32_t> Meters(const TForm1& f) {
  return {f.dbmeter1.Position(), f.dbmeter2.Position()};
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::lib = fake::Kelvaro();
    static int n = 0;
    system.temp =
        platform::TempFolder() + "player_form1_test_" + std::to_string(n++) + platform::kPathDelim;
    platform::CreateFolders(system.temp);
    record = builder::DefaultPlayerSettings();
    archive.entries["kelvaro.dll"] = "MZ fake library";
    archive.entries["My Song.mp3"] = Tagged("Song", "Band");
  }
  void TearDown() override {
    form.reset();
    for (const auto& item : platform::ListFolder(system.temp)) {
      const std::string path = system.temp + item.name;
      if (item.isFolder) {
        for (const auto& inner : platform::ListFolder(path))
          platform::DeleteFile(path + platform::kPathDelim + inner.name);
        platform::RemoveFolder(path);
      } else {
        platform::DeleteFile(path);
      }
    }
    platform::RemoveFolder(system.temp);
  }
  TForm1& Start() {
    archive.entries["34Init12.dat"] = RecordBytes(record);
    form = std::make_unique<TForm1>(view, devices);
    form->FormCreate();
    return *form;
  }

  fake::Loader loader;
  FakeTimer timer;
  FakeVolume volume;
  FakeMixer mixer;
  FakeEndpoint endpoint;
  FakeDialogs dialogs;
  FakeArchive archive;
  FakeSystem system;
  FakeView view;
  player::TForm1Devices devices{loader, timer, volume, mixer, endpoint, dialogs, archive, system};
  PlayerSettingsRecord record;
  std::unique_ptr<TForm1> form;
};

TEST_F(Form1Test, StartUpUnpacksIntoAFolderOfItsOwnAndPlays) {
  TForm1& f = Start();
  EXPECT_EQ(archive.seenPath, "C:\\songs\\output.exe");
  EXPECT_EQ(archive.seenOffset, 423424);
  EXPECT_EQ(f.ExtractPath().rfind(system.temp + "Tunlet0000BEEF.0", 0), 0u);
  EXPECT_EQ(f.MPlayer.StreamName(), f.ExtractPath() + "My Song.mp3");
  EXPECT_EQ(f.MPlayer.PathToDLL(), f.ExtractPath());
  EXPECT_EQ(loader.loadedPath, f.ExtractPath() + "kelvaro.dll");
  EXPECT_EQ(fake::lib.openedName, f.ExtractPath() + "My Song.mp3");

  EXPECT_EQ(view.caption, "Playing Song from Band...");
  EXPECT_EQ(view.length, "3 Min. 25 sec.");
  EXPECT_EQ(view.positionMax, 205000);
  EXPECT_EQ(f.Position(), 0);
  EXPECT_EQ(f.MPlayer.EndPos(), 205000);
  EXPECT_EQ(fake::lib.playEnd, 205000);
  EXPECT_TRUE(f.MPlayer.Playing());
  EXPECT_FALSE(view.play);
  EXPECT_TRUE(view.pause);
  EXPECT_TRUE(view.stop);
  EXPECT_EQ(view.priority, 3);
  EXPECT_TRUE(view.priorityVisible);
  EXPECT_EQ(view.background, 0x8000000Fu);
  // Until the mixer reports, the meters stand at their design position.
  EXPECT_EQ(f.dbmeter1.Position(), 200);
  EXPECT_EQ(f.dbmeter2.Position(), 200);
  EXPECT_EQ(f.dbmeter1.Style(), builder::dsVertical);
  EXPECT_EQ(f.dbmeter1.Direction(), builder::ddLeftUp);
  EXPECT_EQ(f.dbmeter2.Height(), 82);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1Test, TwoPlayersUnpackIntoDifferentFolders) {
  TForm1& first = Start();
  FakeView otherView;
  TForm1 second(otherView, devices);
  second.FormCreate();
  EXPECT_NE(first.ExtractPath(), second.ExtractPath());
  second.FormClose();
  EXPECT_TRUE(platform::FileExists(first.ExtractPath() + "kelvaro.dll"));
}

TEST_F(Form1Test, FoldersLeftByKilledPlayersAreRemovedAndHeldOnesKept) {
  const char sep = platform::kPathDelim;
  // A hundred folders of killed players with this process's id would take every name.
  for (int i = 0; i < 100; ++i) {
    const std::string stale = system.temp + "Tunlet0000BEEF." + std::to_string(i);
    platform::CreateFolders(stale);
    platform::File song;
    ASSERT_TRUE(song.Open(stale + sep + "My Song.mp3", platform::OpenMode::Create));
    ASSERT_TRUE(song.Write("old", 3));
  }
  const std::string running = system.temp + "Tunlet0000CAFE.3", other = system.temp + "TunletNotes";
  platform::CreateFolders(running);
  platform::CreateFolders(other);
  system.running.insert(running + sep);
  TForm1& f = Start();
  EXPECT_EQ(f.ExtractPath(), system.temp + "Tunlet0000BEEF.0" + sep);
  EXPECT_EQ(system.held.count(f.ExtractPath()), 1u);
  std::vector<std::string> left;
  for (const auto& item : platform::ListFolder(system.temp.substr(0, system.temp.size() - 1)))
    left.push_back(item.name);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left,
            (std::vector<std::string>{"Tunlet0000BEEF.0", "Tunlet0000CAFE.3", "TunletNotes"}));
  f.FormClose();
  EXPECT_TRUE(system.held.empty());
}

TEST_F(Form1Test, CaptionFollowsTheTag) {
  archive.entries["My Song.mp3"] = Tagged("Song", "");
  Start();
  EXPECT_EQ(view.caption, "Playing Song...");
}

TEST_F(Form1Test, ASongWithoutTitleOrTagKeepsTheDefaultCaption) {
  archive.entries["My Song.mp3"] = Tagged("", "Band");
  Start();
  EXPECT_EQ(view.caption, "Playing MP3");
  form->FormClose();
  archive.entries["My Song.mp3"] = "tiny";  // shorter than a tag: still plays
  Start();
  EXPECT_EQ(view.caption, "Playing MP3");
  EXPECT_TRUE(form->MPlayer.Playing());
}

TEST_F(Form1Test, TheRecordStylesBothMetersAndTheWindow) {
  record.RedColor = 0x112233;
  record.GreenBack = 0x445566;
  record.SepColor = 0x000000;
  record.Reds = 3;
  record.Yellows = 3;
  record.Greens = 3;
  record.SepWidth = 2;
  record.ShowJustOne = true;
  record.Background = 0x0080FF;
  record.Looped = true;
  record.Locked = true;
  record.PriorityVisible = false;
  TForm1& f = Start();
  for (const builder::Tdbmeter* m : {&f.dbmeter1, &f.dbmeter2}) {
    EXPECT_EQ(m->RedColor(), 0x112233u);
    EXPECT_EQ(m->GreenBack(), 0x445566u);
    EXPECT_EQ(m->SepColor(), 0u);
    EXPECT_EQ(m->Reds(), 3);
    EXPECT_EQ(m->SepWidth(), 2);
    EXPECT_TRUE(m->ShowJustOne());
    EXPECT_EQ(m->RedMax(), 66);
    EXPECT_EQ(m->YellowMax(), 66);
    EXPECT_EQ(m->GreenMax(), 66);
  }
  EXPECT_GT(view.repaints[0], 0);
  EXPECT_GT(view.repaints[1], 0);
  // The painted meter shows the record's colours: the lit red top segment.
  const builder::RgbImage& image = f.dbmeter1.Paint();
  EXPECT_EQ(image.At(7, 3), builder::ColourToPixel(0x112233));
  EXPECT_EQ(view.background, 0x0080FFu);
  EXPECT_TRUE(view.looped);
  EXPECT_TRUE(view.locked);
  EXPECT_FALSE(view.priorityVisible);
}

TEST_F(Form1Test, CountsAddingUpToZeroKeepTheZoneWidths) {
  record.Reds = 0;
  record.Yellows = 0;
  record.Greens = 0;
  TForm1& f = Start();
  EXPECT_EQ(f.dbmeter1.Reds(), 0);
  EXPECT_EQ(f.dbmeter1.RedMax(), 40);
  EXPECT_EQ(f.dbmeter2.GreenMax(), 100);
}

TEST_F(Form1Test, RecordVolumesAreClampedAndSetTheSystemVolume) {
  record.VolLeft = 70000;
  record.VolRight = 1234;
  Start();
  EXPECT_EQ(view.sliders, std::make_pair(65535, 1234));
  EXPECT_EQ(volume.volume, 0x04D2FFFFu);
}

TEST_F(Form1Test, RecordVolumesOfMinusOneLeaveTheUsersVolume) {
  Start();
  EXPECT_TRUE(volume.sets.empty());
  EXPECT_EQ(view.sliders, std::make_pair(0x3000, 0x4000));
}

TEST_F(Form1Test, RestoreBringsBackTheStartUpVolumeOnClose) {
  record.VolLeft = 100;
  record.VolRight = 200;
  Start();
  form->LeftSliderMoved(5000);
  form->FormClose();
  EXPECT_EQ(volume.volume, 0x40003000u);

  volume.volume = 0x00010002;
  record.Restore = false;
  Start();
  form->FormClose();
  EXPECT_EQ(volume.volume, (uint32_t(200) << 16) | 100);
}

TEST_F(Form1Test, WithoutAWaveDeviceNothingIsRestoredAndTheMeterSaysSo) {
  volume.devices = 0;
  mixer.devices = 0;
  Start();
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{"No Wave Devices to open"});
  form->FormClose();
  EXPECT_TRUE(volume.sets.empty());
}

TEST_F(Form1Test, CloseRemovesEverythingItUnpacked) {
  archive.entries["extra.txt"] = "more";
  TForm1& f = Start();
  const std::string folder = f.ExtractPath();
  ASSERT_TRUE(platform::FileExists(folder + "34Init12.dat"));
  f.FormClose();
  EXPECT_EQ(fake::lib.Count("Close"), 1);
  EXPECT_EQ(fake::lib.Count("deinit"), 1);
  EXPECT_EQ(loader.frees, 1);
  EXPECT_FALSE(platform::FolderExists(folder.substr(0, folder.size() - 1)));
  EXPECT_TRUE(platform::ListFolder(system.temp).empty());
}

TEST_F(Form1Test, AMissingSettingsRecordStopsStartUpWithAnInOutError) {
  form = std::make_unique<TForm1>(view, devices);
  EXPECT_THROW(form->FormCreate(), builder::EInOutError);
  EXPECT_EQ(fake::lib.Count("Play"), 0);
  form->FormClose();
  EXPECT_TRUE(platform::ListFolder(system.temp).empty());
}

TEST_F(Form1Test, ALibraryThatCannotLoadStopsStartUpButCloseStillCleansUp) {
  loader.loadFails = true;
  archive.entries["34Init12.dat"] = RecordBytes(record);
  form = std::make_unique<TForm1>(view, devices);
  EXPECT_THROW(form->FormCreate(), player::TMPEGError);
  EXPECT_EQ(view.caption, "Playing Song from Band...");
  EXPECT_NO_THROW(form->FormClose());
  EXPECT_TRUE(platform::ListFolder(system.temp).empty());
}

TEST_F(Form1Test, ButtonsFollowPlayPauseAndStop) {
  TForm1& f = Start();
  f.PauseBtnClick();
  EXPECT_TRUE(f.MPlayer.Paused());
  EXPECT_TRUE(view.play);
  EXPECT_FALSE(view.pause);
  f.PlayBtnClick();
  EXPECT_FALSE(f.MPlayer.Paused());
  EXPECT_FALSE(view.play);
  EXPECT_TRUE(view.pause);
  EXPECT_EQ(fake::lib.Count("Play"), 1);

  f.StopBtnClick();
  EXPECT_TRUE(view.play);
  EXPECT_FALSE(view.pause);
  EXPECT_FALSE(view.stop);
  EXPECT_EQ(fake::lib.mode, 0);
  f.PlayBtnClick();  // opens the song again
  EXPECT_EQ(fake::lib.Count("Open"), 2);
  EXPECT_TRUE(view.stop);
}

TEST_F(Form1Test, PositionReportsMoveTheSliderWithoutSeekingAndUserMovesSeek) {
  TForm1& f = Start();
  fake::lib.pos = 5000;
  f.PollTimerTick();
  EXPECT_EQ(view.position, 5000);
  EXPECT_EQ(fake::lib.Count("Seek"), 0);
  fake::lib.pos = 300000;  // beyond the length
  f.PollTimerTick();
  EXPECT_EQ(view.position, 0);

  f.RxSlider1Moved(60000);
  EXPECT_EQ(fake::lib.seekTo, 60000);
  f.PauseBtnClick();
  f.RxSlider1Moved(70000);  // paused: still seeks
  EXPECT_EQ(fake::lib.seekTo, 70000);
}

TEST_F(Form1Test, TheEndOfTheSongRestartsWhenLooped) {
  TForm1& f = Start();
  f.LoopedCBClick(true);
  fake::lib.pos = 9000;
  f.PollTimerTick();
  *fake::lib.endFlag = 1;
  f.PollTimerTick();
  EXPECT_EQ(fake::lib.Count("Restart"), 1);
  EXPECT_EQ(f.Position(), 0);
  EXPECT_FALSE(view.play);
  EXPECT_TRUE(view.pause);
  EXPECT_TRUE(view.stop);
  EXPECT_TRUE(f.MPlayer.Playing());

  f.LoopedCBClick(false);
  *fake::lib.endFlag = 1;
  f.PollTimerTick();
  EXPECT_EQ(fake::lib.Count("Restart"), 1);
  EXPECT_TRUE(view.play);
  EXPECT_FALSE(view.pause);
  EXPECT_FALSE(view.stop);
  EXPECT_FALSE(f.MPlayer.Playing());
  f.PlayBtnClick();  // plays again from the start
  EXPECT_EQ(fake::lib.Count("Restart"), 2);
}

// A looped song whose playback ended with a library error is not restarted into the same
// failure: the window returns to its stopped state and the error is raised (and shown).
TEST_F(Form1Test, ALoopedSongThatFailedIsNotRestarted) {
  TForm1& f = Start();
  f.LoopedCBClick(true);
  fake::lib.pos = 9000;
  f.PollTimerTick();
  *fake::lib.endFlag = 1;
  fake::lib.errorOn["GetCurrentPos"] = 3;
  EXPECT_THROW(f.PollTimerTick(), player::TMPEGError);
  fake::lib.errorOn.clear();
  EXPECT_EQ(fake::lib.Count("Restart"), 0);
  EXPECT_EQ(f.Position(), 0);
  EXPECT_TRUE(view.play);
  EXPECT_FALSE(view.pause);
  EXPECT_FALSE(view.stop);
  EXPECT_FALSE(f.MPlayer.Playing());
  f.PollTimerTick();  // nothing more happens
  EXPECT_EQ(fake::lib.Count("Restart"), 0);

  f.PlayBtnClick();  // the user may try again; a clean end then loops as before
  EXPECT_EQ(fake::lib.Count("Restart"), 1);
  *fake::lib.endFlag = 1;
  f.PollTimerTick();
  EXPECT_EQ(fake::lib.Count("Restart"), 2);
  EXPECT_TRUE(f.MPlayer.Playing());
}

TEST_F(Form1Test, PriorityChoicesReachTheLibrary) {
  TForm1& f = Start();
  f.PriorityComboChange(6);
  EXPECT_EQ(fake::lib.priority, 15);
  f.PriorityComboChange(0);
  EXPECT_EQ(fake::lib.priority, -15);
  f.PriorityComboChange(7);  // no such entry
  EXPECT_EQ(fake::lib.priority, -15);
}

TEST_F(Form1Test, LockedSlidersKeepTheirDistance) {
  record.VolLeft = 30000;
  record.VolRight = 40000;
  record.Locked = true;
  TForm1& f = Start();
  f.LeftSliderMoved(35000);
  EXPECT_EQ(view.sliders, std::make_pair(35000, 45000));
  EXPECT_EQ(volume.volume, (uint32_t(45000) << 16) | 35000u);
  f.RightSliderMoved(41000);
  EXPECT_EQ(view.sliders, std::make_pair(31000, 41000));

  f.LeftSliderMoved(60000);  // the right one stops at 65535
  EXPECT_EQ(view.sliders, std::make_pair(60000, 65535));
  f.LeftSliderMoved(61000);  // right at its maximum: the left one snaps back
  EXPECT_EQ(view.sliders, std::make_pair(60000, 65535));
  EXPECT_EQ(volume.volume, 0xFFFFu << 16 | 60000u);

  f.LockboxClick(false);
  f.LeftSliderMoved(100);
  EXPECT_EQ(view.sliders, std::make_pair(100, 65535));
}

TEST_F(Form1Test, TheTimerFeedsTheMetersAndFollowsOutsideVolumeChanges) {
  TForm1& f = Start();
  mixer.values[0] = -32767;
  mixer.values[1] = 1800;
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(182, 10));

  mixer.channels = 1;  // a mono line drives only the left meter
  mixer.values[0] = 900;
  mixer.values[1] = 32767;
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(5, 10));

  mixer.readOk = false;  // a failed read keeps the last levels
  mixer.values[0] = 0;
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(5, 10));

  volume.volume = 0x22221111;  // another program changed the volume
  f.Timer4Timer();
  EXPECT_EQ(view.sliders, std::make_pair(0x1111, 0x2222));
}

TEST_F(Form1Test, MixerProblemsAtStartUp) {
  mixer.hasMixer = false;
  Start();
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Unable to get mixer ID"});
  form->Timer4Timer();
  EXPECT_EQ(Meters(*form), std::make_pair(200, 200));
  form->FormClose();

  dialogs.messages.clear();
  mixer.hasMixer = true;
  mixer.hasPeakMeter = false;  // silent, when the endpoint has no meter either
  endpoint.present = false;
  Start();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(form->Vumeter1.Active());
}

TEST_F(Form1Test, WithoutAMixerPeakMeterTheMetersFollowTheEndpointMeter) {
  mixer.hasPeakMeter = false;
  TForm1& f = Start();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(f.Vumeter1.Source(), player::TVumeter::TSource::Endpoint);
  EXPECT_EQ(Meters(f), std::make_pair(200, 200));  // the design position until it reports

  endpoint.values[0] = 1.0f;  // full scale, as the mixer's 32767
  endpoint.values[1] = 0.5f;  // 16383 / 180
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(182, 91));

  endpoint.values[0] = 0.0055f;  // 180.2: the first step of the scale
  endpoint.values[1] = 1.5f;     // out of range: full scale
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(1, 182));

  endpoint.channels = 1;  // a mono device drives only the left meter
  endpoint.values[0] = 0.25f;
  endpoint.values[1] = 0.0f;
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(45, 182));

  endpoint.readOk = false;  // a failed read keeps the last levels
  endpoint.values[0] = 0.0f;
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(45, 182));

  f.FormClose();
  EXPECT_FALSE(endpoint.opened);
  EXPECT_FALSE(f.Vumeter1.Active());
}

TEST_F(Form1Test, TheMixerPeakMeterComesFirstAndTheEndpointOnlyStandsIn) {
  TForm1& f = Start();  // the mixer has a peak meter
  EXPECT_EQ(f.Vumeter1.Source(), player::TVumeter::TSource::Mixer);
  EXPECT_EQ(endpoint.opens, 0);
  endpoint.values[0] = endpoint.values[1] = 1.0f;
  mixer.values[0] = 1800;
  mixer.values[1] = 3600;
  f.Timer4Timer();
  EXPECT_EQ(Meters(f), std::make_pair(10, 20));
  f.FormClose();

  // Neither meter: the reader stays idle and the meters at their design position.
  mixer.hasPeakMeter = false;
  endpoint.present = false;
  Start();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(form->Vumeter1.Active());
  form->Timer4Timer();
  EXPECT_EQ(Meters(*form), std::make_pair(200, 200));
  form->FormClose();

  // No wave device: the message of the mixer path, and no endpoint is asked.
  endpoint.present = true;
  endpoint.opens = 0;
  mixer.devices = 0;
  Start();
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{"No Wave Devices to open"});
  EXPECT_EQ(endpoint.opens, 0);
}

TEST_F(Form1Test, AboutTheSongListsTheFileAndTheTagFields) {
  TForm1& f = Start();
  f.BitBtn1Click();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0],
            "About the Song:|Filename: My Song.mp3\r\nTitle:        Song\r\nArtist:       Band"
            "\r\nAlbum:     Album\r\nGenre:     Rock\r\nYear:       2001");
}

}  // namespace
