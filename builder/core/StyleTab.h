// The "EXE-Style:" tab of the builder's main window and the preview window that
// imitates the player: meter colours and counts, separator width, background,
// start volume with its lock, looping, the priority selector, "Standart-Style",
// the test animation, and keeping the style in a settings store between runs.
//
// Meter 1 of the preview holds the style; meter 2 is kept equal to it. The preview's
// check boxes and sliders only mirror the tab's controls.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "builder/core/Colour.h"
#include "builder/core/Dbmeter.h"
#include "builder/core/PlayerSettings.h"
#include "builder/core/SettingsStore.h"
#include "builder/core/VolumeLock.h"

namespace builder {

// The colour buttons of the "VU-Meter:" group.
enum class MeterColour {
  Red,         // Button3 "1. color"
  Yellow,      // Button4 "2. color"
  Green,       // Button5 "3. color"
  RedBack,     // Button6 "1. background"
  YellowBack,  // Button7 "2. background"
  GreenBack,   // Button8 "3. background"
  Separator,   // Button10 "Seperator color"
};

// The count spin buttons: RxSpinButton1 (red), 2 (yellow), 3 (green).
enum class MeterZone { Red, Yellow, Green };

inline constexpr int32_t kSliderStart = 32000;
inline constexpr int32_t kMaxSepWidth = 9;
// The pace of the test animation: one position every 5 ms, so that the meters sweep the
// full scale in a second, and up and down in two, which a person can follow.
inline constexpr int kTestStepMs = 5;

// What the preview window shows besides its meters.
struct PreviewState {
  TColor panelColor = kClBtnFace;
  std::string caption = "Vardex";
  bool loopedCB = false;
  bool lockbox = false;
  bool priorityVisible = true;  // "Priority:" and its list
  int32_t leftSlider = kSliderStart;
  int32_t rightSlider = kSliderStart;
};

// The preview meters' layout values (15 x 82, vertical, filling from the bottom).
void SetPreviewMeterLayout(Tdbmeter& meter);

class TStyleTab {
 public:
  TStyleTab();

  Tdbmeter& Meter1() { return meter1_; }
  Tdbmeter& Meter2() { return meter2_; }
  const Tdbmeter& Meter1() const { return meter1_; }
  const Tdbmeter& Meter2() const { return meter2_; }
  const PreviewState& Preview() const { return preview_; }
  void SetPreviewCaption(const std::string& caption) { preview_.caption = caption; }

  // Colour buttons: the dialog opens preset with ColourOf; on OK the shell calls
  // ColourChosen. Button9 "Background" works on the preview panel.
  TColor ColourOf(MeterColour which) const;
  void ColourChosen(MeterColour which, TColor colour);
  TColor Background() const { return preview_.panelColor; }
  void SetBackground(TColor colour) { preview_.panelColor = colour; }

  // RxSpinButton1..3: +1 / -1 on meter 1, copied to meter 2, then the zone widths
  // are derived from the three counts.
  void CountUp(MeterZone zone) { ChangeCount(zone, +1); }
  void CountDown(MeterZone zone) { ChangeCount(zone, -1); }
  int32_t Count(MeterZone zone) const;

  // RxSpinButton4: the separator width in Edit9, within 0..9.
  const std::string& SepWidthText() const { return sepWidthText_; }
  void SepWidthUp();
  void SepWidthDown();

  // Check boxes and the volume choice.
  bool ShowJustOne() const { return showJustOne_; }          // CheckBox5
  void SetShowJustOne(bool on);                              // CheckBox5Click
  bool Looped() const { return looped_; }                    // CheckBox2
  void SetLooped(bool on);                                   // CheckBox2Click
  bool PriorityVisible() const { return priorityVisible_; }  // CheckBox3
  void SetPriorityVisible(bool on);                          // CheckBox3Click
  bool Locked() const { return locked_; }                    // CheckBox4
  void SetLocked(bool on);                                   // CheckBox4Click
  bool Restore() const { return restore_; }                  // CheckBox6
  void SetRestore(bool on) { restore_ = on; }
  void CheckBox7Click() { restore_ = !restore_; }
  // RadioGroup1: 0 "Use User's default settings", 1 "Define the default volume",
  // -1 none. Item 0 disables, item 1 enables the sliders, CheckBox6 and CheckBox7.
  int VolumeChoice() const { return volumeChoice_; }
  void SetVolumeChoice(int item);
  bool VolumeControlsEnabled() const { return volumeControlsEnabled_; }

  // The main window's volume sliders: the lock, then the preview's copies.
  int32_t LeftSlider() const { return left_; }
  int32_t RightSlider() const { return right_; }
  SliderPositions LeftSliderChange(int32_t left);
  SliderPositions RightSliderChange(int32_t right);

  // Button12 "Standart-Style".
  void StandartStyle();

  // "T&est": eight sweeps of both meters' Position, letting the window's pending
  // messages run before and after every step. Ends with both meters at 200. Step k
  // (from 0) is due kTestStepMs * k ms after the start: `waitUntil(due)` waits for that
  // moment while messages keep running, and returns false when the application is
  // closing, which ends the animation there.
  void RunTest(const std::function<void()>& processMessages,
               const std::function<bool(int64_t dueMs)>& waitUntil);
  // True while an animation runs (a click on "T&est" during one starts another inside it).
  bool TestRunning() const { return testDepth_ > 0; }

  // Persistence: restoring stops at the first missing or mistyped value.
  void RestoreFrom(const TSettingsStore& store);
  void SaveTo(TSettingsStore& store) const;

  // The player settings record that a build writes now.
  PlayerSettingsRecord Record() const;

 private:
  void ChangeCount(MeterZone zone, int delta);
  void SetCount(MeterZone zone, int32_t count);
  void SetSepWidth(int32_t width);
  void SyncMeter2();
  void DeriveZoneWidths();
  void SetMeterColour(Tdbmeter& meter, MeterColour which, TColor colour);
  void SetSliders(int32_t left, int32_t right);
  bool RestoreMeter(const TSettingsStore& store);
  void RestoreRest(const TSettingsStore& store);

  Tdbmeter meter1_;
  Tdbmeter meter2_;
  PreviewState preview_;
  std::string sepWidthText_ = "1";
  bool showJustOne_ = false;
  bool looped_ = false;
  bool priorityVisible_ = true;
  bool locked_ = false;
  bool restore_ = true;
  int volumeChoice_ = 0;
  bool volumeControlsEnabled_ = false;
  int32_t left_ = kSliderStart;
  int32_t right_ = kSliderStart;
  VolumeLock lock_;
  int testDepth_ = 0;
};

}  // namespace builder
