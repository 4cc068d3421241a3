// TForm1: the player window's behaviour without the window. The Windows shell
// creates the controls, forwards their events to the handlers below and shows
// what the view interface reports; every decision is taken here.
#pragma once
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "builder/core/Dbmeter.h"
#include "builder/core/MP3Info.h"
#include "builder/core/PlayerSettings.h"
#include "builder/core/VolumeLock.h"
#include "player/core/Devices.h"
#include "player/core/MPEGPlay.h"
#include "player/core/Vumeter.h"

namespace player {

// The player window's level meter: vertical, filling from the bottom, 15 x 82,
// 5 green, 3 yellow and 2 red segments over the scale 0..200, silver when unlit.
void SetUpPlayerMeter(builder::Tdbmeter& meter);

// Applies the record's colours, counts, separator and ShowJustOne to a meter and
// derives its zone widths from the counts (counts adding up to 0 keep the widths).
void ApplyRecordToMeter(const builder::PlayerSettingsRecord& record, builder::Tdbmeter& meter);

// What the window shows. Calls come only when something changed.
class TForm1View {
 public:
  virtual ~TForm1View() = default;
  // The window caption; the application title follows it.
  virtual void ShowCaption(const std::string& caption) = 0;
  virtual void ShowLength(const std::string& text) = 0;
  virtual void ShowPositionRange(int32_t max) = 0;
  virtual void ShowPosition(int32_t pos) = 0;
  virtual void ShowButtons(bool playEnabled, bool pauseEnabled, bool stopEnabled) = 0;
  virtual void ShowLooped(bool checked) = 0;
  virtual void ShowLocked(bool checked) = 0;
  virtual void ShowPriority(int index, bool visible) = 0;
  virtual void ShowBackground(uint32_t colour) = 0;
  // A level meter changed (0: dbmeter1, 1: dbmeter2); paint it at once.
  virtual void RepaintMeter(int index) = 0;
  virtual void ShowVolumeSliders(int32_t left, int32_t right) = 0;
};

struct TForm1Devices {
  TLibraryLoader& loader;
  TPollTimer& pollTimer;
  TWaveVolume& volume;
  TMixerPeakMeter& mixer;
  TEndpointPeakMeter& endpoint;
  TDialogs& dialogs;
  TSongArchive& archive;
  TPlayerSystem& system;
};

class TForm1 {
 public:
  TForm1(TForm1View& view, const TForm1Devices& devices);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Unpacks, configures and starts playing. A failure ends start-up where it
  // happened and is thrown; the window stays usable.
  void FormCreate();
  // Puts the user's volume back (when asked to), unloads the library and removes
  // everything that was unpacked. Every step runs; the first failure is thrown.
  void FormClose();

  void PlayBtnClick();
  void PauseBtnClick();
  void StopBtnClick();
  // The user moved the position slider.
  void RxSlider1Moved(int32_t pos);
  void LoopedCBClick(bool checked);
  void LockboxClick(bool checked);
  void PriorityComboChange(int index);
  // The user moved a volume slider (0..65535).
  void LeftSliderMoved(int32_t value);
  void RightSliderMoved(int32_t value);
  void BitBtn1Click();
  // The 10 ms timer: meters and volume follow-up.
  void Timer4Timer();
  // A tick of the playback component's polling timer.
  void PollTimerTick() { MPlayer.Poll(); }

  const std::string& ExtractPath() const { return extractPath_; }
  const std::string& Caption() const { return caption_; }
  int32_t Position() const { return position_; }
  int32_t PositionMax() const { return positionMax_; }
  int32_t LeftSlider() const { return left_; }
  int32_t RightSlider() const { return right_; }
  bool Looped() const { return looped_; }
  bool Locked() const { return locked_; }
  bool PlayEnabled() const { return playEnabled_; }
  bool PauseEnabled() const { return pauseEnabled_; }
  bool StopEnabled() const { return stopEnabled_; }
  const std::optional<uint32_t>& RestoreVolume() const { return restoreVolume_; }

  TMPEGPlayer MPlayer;
  builder::TMP3Info MP3Info1;
  TVumeter Vumeter1;
  builder::Tdbmeter dbmeter1;
  builder::Tdbmeter dbmeter2;

 private:
  void ReadStartVolume();
  void RemoveStaleFolders(const std::string& temp);
  void MakeExtractPath();
  void Unpack();
  void ShowSongTag();
  void OpenSong();
  builder::PlayerSettingsRecord ReadSettingsRecord();
  void ApplySettings(const builder::PlayerSettingsRecord& record);
  void RemoveUnpacked();

  void SetButtons(bool play, bool pause, bool stop);
  void SetRxSlider1(int32_t pos);
  void RxSlider1Change();
  void MPlayerPosUpdate(int32_t pos, int32_t len);
  void MPlayerPlayEnd();
  void SetLeftSlider(int32_t value);
  void SetRightSlider(int32_t value);
  void LeftSliderChange();
  void RightSliderChange();
  void ShowSlidersQuietly(builder::SliderPositions p);

  TForm1View& view_;
  TForm1Devices devices_;
  builder::VolumeLock lock_;

  std::string extractPath_;
  bool ownFolder_ = false;
  std::string caption_;
  int32_t position_ = 0;
  int32_t positionMax_ = 0;
  bool positionGuard_ = false;
  bool playEnabled_ = false;
  bool pauseEnabled_ = true;
  bool stopEnabled_ = true;
  bool looped_ = false;
  bool locked_ = false;
  int32_t left_ = 0;
  int32_t right_ = 0;
  // While set, slider changes only move the sliders (the lock's adjustments).
  bool slidersQuiet_ = false;
  std::optional<uint32_t> startVolume_;
  std::optional<uint32_t> restoreVolume_;
};

}  // namespace player
