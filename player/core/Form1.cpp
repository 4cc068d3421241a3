#include "player/core/Form1.h"

#include <cctype>
#include <cstdio>

#include "builder/core/InOutError.h"
#include "builder/core/OutputLayout.h"
#include "builder/core/PlayerWindowTexts.h"
#include "builder/core/ZoneWidths.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "player/core/PlayerTexts.h"

namespace player {
namespace {

// Design position of the level meters: full scale, until the mixer reports.
constexpr int32_t kMeterDesignPosition = 200;
constexpr int kPrivateFolderAttempts = 100;

// Runs `step`, keeping its exception when it is the first one.
template <typename Step>
void RunStep(std::exception_ptr& first, Step step) {
  try {
    step();
  } catch (...) {
    if (!first) first = std::current_exception();
  }
}

// Removes a folder with everything in it. Only used on the player's own folder.
void RemoveTree(const std::string& folder) {
  for (const auto& item : platform::ListFolder(folder)) {
    const std::string path = folder + platform::kPathDelim + item.name;
    if (item.isFolder) {
      RemoveTree(path);
    } else {
      platform::SetAttributes(path, platform::faArchive);
      platform::DeleteFile(path);
    }
  }
  platform::RemoveFolder(folder);
}

}  // namespace

void SetUpPlayerMeter(builder::Tdbmeter& m) {
  m.SetStyle(builder::dsVertical);
  m.SetDirection(builder::ddLeftUp);
  m.SetBounds(15, 82);
  m.SetBevelStyle(builder::bvLowered);
  m.SetBevelWidth(1);
  m.SetGreens(5);
  m.SetGreenMax(100);
  m.SetYellows(3);
  m.SetYellowMax(60);
  m.SetReds(2);
  m.SetRedMax(40);
  m.SetGreenBack(builder::kClSilver);
  m.SetYellowBack(builder::kClSilver);
  m.SetRedBack(builder::kClSilver);
  m.SetSepWidth(1);
  m.SetSepColor(builder::kClSilver);
  m.SetPosition(kMeterDesignPosition);
}

void ApplyRecordToMeter(const builder::PlayerSettingsRecord& r, builder::Tdbmeter& m) {
  m.SetRedColor(r.RedColor);
  m.SetYellowColor(r.YellowColor);
  m.SetGreenColor(r.GreenColor);
  m.SetSepColor(r.SepColor);
  m.SetRedBack(r.RedBack);
  m.SetYellowBack(r.YellowBack);
  m.SetGreenBack(r.GreenBack);
  m.SetReds(r.Reds);
  m.SetYellows(r.Yellows);
  m.SetGreens(r.Greens);
  m.SetSepWidth(r.SepWidth);
  m.SetShowJustOne(r.ShowJustOne);
  if (auto widths = builder::DeriveZoneWidths(r.Reds, r.Yellows, r.Greens)) {
    m.SetRedMax(widths->RedMax);
    m.SetYellowMax(widths->YellowMax);
    m.SetGreenMax(widths->GreenMax);
  }
}

TForm1::TForm1(TForm1View& view, const TForm1Devices& devices)
    : MPlayer(devices.loader, devices.pollTimer),
      Vumeter1(devices.mixer, devices.endpoint, devices.dialogs),
      view_(view),
      devices_(devices),
      caption_(builder::kDefaultCaption) {
  MPlayer.OnPosUpdate = [this](int32_t pos, int32_t len) { MPlayerPosUpdate(pos, len); };
  MPlayer.OnPlayEnd = [this] { MPlayerPlayEnd(); };
  SetUpPlayerMeter(dbmeter1);
  SetUpPlayerMeter(dbmeter2);
  dbmeter1.OnInvalidate = [this] { view_.RepaintMeter(0); };
  dbmeter2.OnInvalidate = [this] { view_.RepaintMeter(1); };
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
  view_.ShowCaption(caption_);
  view_.ShowPriority(builder::kNormalPriorityIndex, true);
  view_.ShowButtons(playEnabled_, pauseEnabled_, stopEnabled_);
  ReadStartVolume();
  MakeExtractPath();
  Unpack();
  Vumeter1.Start();
  ShowSongTag();
  MPlayer.SetPathToDLL(extractPath_);
  MPlayer.SetPlayerPriority(TPlayPriority::Normal);
  MPlayer.LoadLibrary();
  OpenSong();
  ApplySettings(ReadSettingsRecord());
  MPlayer.Play();
}

void TForm1::ReadStartVolume() {
  uint32_t volume = 0;
  if (!devices_.volume.GetVolume(volume)) return;
  startVolume_ = volume;
  ShowSlidersQuietly({builder::LeftOfVolume(volume), builder::RightOfVolume(volume)});
  lock_.Reset(left_, right_);
}

// "Tunlet" + 8 hex digits + "." + a number: the name of a player's own folder.
static bool IsPlayerFolderName(const std::string& name) {
  if (name.size() < 16 || name.size() > 18 || name.compare(0, 6, "Tunlet") != 0 || name[14] != '.')
    return false;
  for (size_t i = 6; i < name.size(); ++i)
    if (i != 14 && !std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

// No printf here: it would bring the C library's whole formatter into the player.
static std::string PlayerFolderName(uint32_t processId, int attempt) {
  std::string name = "Tunlet";
  for (int shift = 28; shift >= 0; shift -= 4)
    name += "0123456789ABCDEF"[(processId >> shift) & 15];
  return name + "." + std::to_string(attempt);
}

// Folders of players that were killed stay behind; a start removes every one that no
// running player holds, so that they neither pile up nor use up the names of a process
// id that comes again.
void TForm1::RemoveStaleFolders(const std::string& base) {
  for (const auto& item : platform::ListFolder(base.substr(0, base.size() - 1))) {
    if (!item.isFolder || !IsPlayerFolderName(item.name)) continue;
    const std::string folder = base + item.name;
    if (!devices_.system.FolderHeld(folder + base.back())) RemoveTree(folder);
  }
}

void TForm1::MakeExtractPath() {
  // A folder of its own: two players running at once do not overwrite each other's
  // files, and the library is never loaded from a folder that others write to.
  const std::string temp = devices_.system.TempFolder();
  if (temp.empty()) throw builder::EInOutError("No temporary folder");
  const char sep = temp.back() == '/' || temp.back() == '\\' ? temp.back() : platform::kPathDelim;
  const std::string base = temp.back() == sep ? temp : temp + sep;
  RemoveStaleFolders(base);
  for (int i = 0; i < kPrivateFolderAttempts; ++i) {
    const std::string name = PlayerFolderName(uint32_t(devices_.system.ProcessId()), i);
    if (devices_.system.CreateNewFolder(base + name)) {
      extractPath_ = base + name + sep;
      ownFolder_ = true;
      devices_.system.HoldFolder(extractPath_);
      return;
    }
  }
  throw builder::EInOutError("Cannot create a folder in " + base);
}

void TForm1::Unpack() {
  devices_.archive.ExtractAll(
      devices_.system.ExePath(), builder::kStartOffset, extractPath_,
      [this](const std::string& entry, const std::string& path) {
        // The song is the one entry that is neither the library nor the record; it
        // is played from where it was actually written.
        const std::string name = platform::ExtractFileName(entry);
        if (name != kDecoderLibraryName && name != builder::kPlayerSettingsFileName)
          MPlayer.SetStreamName(path);
      });
}

void TForm1::ShowSongTag() {
  try {
    MP3Info1.SetFilename(MPlayer.StreamName());
  } catch (const builder::EInOutError&) {
    // A song too short to hold a tag plays without one.
    return;
  }
  if (!MP3Info1.Valid()) return;
  caption_ = builder::CaptionFor(MP3Info1.Title(), MP3Info1.Artist());
  view_.ShowCaption(caption_);
}

void TForm1::OpenSong() {
  MPlayer.Open();
  const int32_t length = MPlayer.Length() < 0 ? 0 : MPlayer.Length();
  positionMax_ = length;
  view_.ShowPositionRange(length);
  SetRxSlider1(0);
  view_.ShowLength(LengthText(length));
  SetButtons(false, true, true);
  MPlayer.SetEndPos(length);
}

builder::PlayerSettingsRecord TForm1::ReadSettingsRecord() {
  const std::string path = extractPath_ + builder::kPlayerSettingsFileName;
  platform::File file;
  if (!file.Open(path, platform::OpenMode::ReadDenyWrite))
    throw builder::EInOutError("File not found");
  builder::PlayerSettingsBytes bytes{};
  builder::PlayerSettingsRecord record;
  if (file.Read(bytes.data(), bytes.size()) != bytes.size() ||
      !builder::ReadPlayerSettings(bytes.data(), bytes.size(), record))
    throw builder::EInOutError("Read beyond end of file");
  return record;
}

void TForm1::ApplySettings(const builder::PlayerSettingsRecord& record) {
  if (record.Restore) restoreVolume_ = startVolume_;
  ApplyRecordToMeter(record, dbmeter1);
  ApplyRecordToMeter(record, dbmeter2);
  view_.ShowBackground(record.Background);
  if (auto left = builder::StartVolume(record.VolLeft)) SetLeftSlider(*left);
  if (auto right = builder::StartVolume(record.VolRight)) SetRightSlider(*right);
  locked_ = record.Locked;
  view_.ShowLocked(locked_);
  looped_ = record.Looped;
  view_.ShowLooped(looped_);
  view_.ShowPriority(int(MPlayer.PlayerPriority()), record.PriorityVisible);
}

void TForm1::FormClose() {
  std::exception_ptr first;
  RunStep(first, [this] {
    if (restoreVolume_) devices_.volume.SetVolume(*restoreVolume_);
  });
  RunStep(first, [this] { MPlayer.UnloadLibrary(); });
  RunStep(first, [this] { Vumeter1.Stop(); });
  RunStep(first, [this] { RemoveUnpacked(); });
  if (first) std::rethrow_exception(first);
}

void TForm1::RemoveUnpacked() {
  if (extractPath_.empty()) return;
  platform::DeleteFile(extractPath_ + kDecoderLibraryName);
  platform::DeleteFile(extractPath_ + builder::kPlayerSettingsFileName);
  if (!MPlayer.StreamName().empty()) platform::DeleteFile(MPlayer.StreamName());
  if (ownFolder_) {
    devices_.system.ReleaseFolder();
    // Whatever else the archive held lies in the same folder.
    RemoveTree(extractPath_.substr(0, extractPath_.size() - 1));
    ownFolder_ = false;
  }
}

void TForm1::SetButtons(bool play, bool pause, bool stop) {
  playEnabled_ = play;
  pauseEnabled_ = pause;
  stopEnabled_ = stop;
  view_.ShowButtons(play, pause, stop);
}

void TForm1::PlayBtnClick() {
  if (MPlayer.Paused()) {
    MPlayer.Pause(false);
    SetButtons(false, true, stopEnabled_);
  } else {
    MPlayer.Play();
    SetButtons(false, true, true);
  }
}

void TForm1::PauseBtnClick() {
  MPlayer.Pause(!MPlayer.Paused());
  SetButtons(MPlayer.Paused(), !MPlayer.Paused(), stopEnabled_);
}

void TForm1::StopBtnClick() {
  SetRxSlider1(0);
  SetButtons(true, false, false);
  MPlayer.Stop();
}

void TForm1::SetRxSlider1(int32_t pos) {
  if (pos < 0) pos = 0;
  if (pos > positionMax_) pos = positionMax_;
  if (pos == position_) return;
  position_ = pos;
  view_.ShowPosition(pos);
  RxSlider1Change();
}

void TForm1::RxSlider1Moved(int32_t pos) { SetRxSlider1(pos); }

void TForm1::RxSlider1Change() {
  if (positionGuard_) return;
  const int32_t mode = MPlayer.GetPlayerMode();
  if (mode == 3 || mode == 4) MPlayer.Seek(position_);
}

void TForm1::MPlayerPosUpdate(int32_t pos, int32_t /*len*/) {
  // The reported position (0 when the library's is beyond the length) moves the
  // slider without seeking.
  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
  } guard(positionGuard_);
  SetRxSlider1(pos);
}

void TForm1::MPlayerPlayEnd() {
  SetRxSlider1(0);
  SetButtons(true, false, false);
  // A song whose playback failed (the library reported an error while it played) would only
  // fail again: it is not looped.
  if (looped_ && !MPlayer.PlayFailed()) {
    MPlayer.Restart();
    SetButtons(false, true, true);
  }
}

void TForm1::LoopedCBClick(bool checked) { looped_ = checked; }

void TForm1::LockboxClick(bool checked) { locked_ = checked; }

void TForm1::PriorityComboChange(int index) {
  if (index < 0 || index >= builder::kPriorityCount) return;
  MPlayer.SetPlayerPriority(TPlayPriority(index));
}

void TForm1::BitBtn1Click() {
  devices_.dialogs.ShowMessageBox(kAboutSongTitle,
                                  AboutTheSongText(MPlayer.StreamName(), MP3Info1));
}

void TForm1::Timer4Timer() {
  Vumeter1.Read();
  if (Vumeter1.Active()) {
    dbmeter1.SetPosition(Vumeter1.LeftPeak());
    dbmeter2.SetPosition(Vumeter1.RightPeak());
  }
  uint32_t volume = 0;
  if (!devices_.volume.GetVolume(volume)) return;
  SetLeftSlider(builder::LeftOfVolume(volume));
  SetRightSlider(builder::RightOfVolume(volume));
}

void TForm1::ShowSlidersQuietly(builder::SliderPositions p) {
  if (p.left == left_ && p.right == right_) return;
  left_ = p.left;
  right_ = p.right;
  view_.ShowVolumeSliders(left_, right_);
}

void TForm1::SetLeftSlider(int32_t value) {
  value = builder::ClampVolume(value);
  if (value == left_) return;
  ShowSlidersQuietly({value, right_});
  if (!slidersQuiet_) LeftSliderChange();
}

void TForm1::SetRightSlider(int32_t value) {
  value = builder::ClampVolume(value);
  if (value == right_) return;
  ShowSlidersQuietly({left_, value});
  if (!slidersQuiet_) RightSliderChange();
}

void TForm1::LeftSliderMoved(int32_t value) { SetLeftSlider(value); }
void TForm1::RightSliderMoved(int32_t value) { SetRightSlider(value); }

void TForm1::LeftSliderChange() {
  slidersQuiet_ = true;
  ShowSlidersQuietly(lock_.LeftChanged(left_, right_, locked_));
  devices_.volume.SetVolume(builder::PackVolume(left_, right_));
  slidersQuiet_ = false;
}

void TForm1::RightSliderChange() {
  slidersQuiet_ = true;
  ShowSlidersQuietly(lock_.RightChanged(left_, right_, locked_));
  devices_.volume.SetVolume(builder::PackVolume(left_, right_));
  slidersQuiet_ = false;
}

}  // namespace player
