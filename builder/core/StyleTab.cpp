#include "builder/core/StyleTab.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "builder/core/ZoneWidths.h"

namespace builder {
namespace {

// Edit9's text as a number; a text that is not one counts as 1.
int32_t SepWidthFromText(const std::string& text) {
  if (text.empty()) return 1;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return 1;
  return int32_t(v);
}

// The meter's style values in the order in which they are restored.
struct MeterValue {
  const char* name;
  void (*set)(Tdbmeter& meter, int32_t value);
};
constexpr MeterValue kMeterValues[] = {
    {"redno", [](Tdbmeter& m, int32_t v) { m.SetReds(v); }},
    {"yellowno", [](Tdbmeter& m, int32_t v) { m.SetYellows(v); }},
    {"greenno", [](Tdbmeter& m, int32_t v) { m.SetGreens(v); }},
    {"redcolor", [](Tdbmeter& m, int32_t v) { m.SetRedColor(TColor(v)); }},
    {"yellowcolor", [](Tdbmeter& m, int32_t v) { m.SetYellowColor(TColor(v)); }},
    {"greencolor", [](Tdbmeter& m, int32_t v) { m.SetGreenColor(TColor(v)); }},
    {"redback", [](Tdbmeter& m, int32_t v) { m.SetRedBack(TColor(v)); }},
    {"yellowback", [](Tdbmeter& m, int32_t v) { m.SetYellowBack(TColor(v)); }},
    {"greenback", [](Tdbmeter& m, int32_t v) { m.SetGreenBack(TColor(v)); }},
    {"sepcolor", [](Tdbmeter& m, int32_t v) { m.SetSepColor(TColor(v)); }},
    {"sepwidth", [](Tdbmeter& m, int32_t v) { m.SetSepWidth(v); }},
};

}  // namespace

void SetPreviewMeterLayout(Tdbmeter& m) {
  m.SetBounds(15, 82);
  m.SetBevelStyle(bvLowered);
  m.SetBevelWidth(1);
  m.SetGreenColor(kClLime);
  m.SetGreens(5);
  m.SetGreenMax(100);
  m.SetGreenBack(kClSilver);
  m.SetYellowColor(kClYellow);
  m.SetYellows(3);
  m.SetYellowMax(60);
  m.SetYellowBack(kClSilver);
  m.SetRedColor(kClRed);
  m.SetReds(2);
  m.SetRedMax(40);
  m.SetRedBack(kClSilver);
  m.SetShowJustOne(false);
  m.SetSepWidth(1);
  m.SetSepColor(kClSilver);
  m.SetStyle(dsVertical);
  m.SetDirection(ddLeftUp);
  m.SetPosition(200);
}

TStyleTab::TStyleTab() {
  SetPreviewMeterLayout(meter1_);
  SetPreviewMeterLayout(meter2_);
  // The lock remembers where the sliders really stand, so that its first use
  // already keeps their distance.
  lock_.Reset(left_, right_);
}

TColor TStyleTab::ColourOf(MeterColour which) const {
  switch (which) {
    case MeterColour::Red:
      return meter1_.RedColor();
    case MeterColour::Yellow:
      return meter1_.YellowColor();
    case MeterColour::Green:
      return meter1_.GreenColor();
    case MeterColour::RedBack:
      return meter1_.RedBack();
    case MeterColour::YellowBack:
      return meter1_.YellowBack();
    case MeterColour::GreenBack:
      return meter1_.GreenBack();
    case MeterColour::Separator:
      return meter1_.SepColor();
  }
  return kClBlack;
}

void TStyleTab::SetMeterColour(Tdbmeter& m, MeterColour which, TColor c) {
  switch (which) {
    case MeterColour::Red:
      return m.SetRedColor(c);
    case MeterColour::Yellow:
      return m.SetYellowColor(c);
    case MeterColour::Green:
      return m.SetGreenColor(c);
    case MeterColour::RedBack:
      return m.SetRedBack(c);
    case MeterColour::YellowBack:
      return m.SetYellowBack(c);
    case MeterColour::GreenBack:
      return m.SetGreenBack(c);
    case MeterColour::Separator:
      return m.SetSepColor(c);
  }
}

void TStyleTab::ColourChosen(MeterColour which, TColor colour) {
  SetMeterColour(meter1_, which, colour);
  SetMeterColour(meter2_, which, ColourOf(which));
}

int32_t TStyleTab::Count(MeterZone zone) const {
  switch (zone) {
    case MeterZone::Red:
      return meter1_.Reds();
    case MeterZone::Yellow:
      return meter1_.Yellows();
    case MeterZone::Green:
      return meter1_.Greens();
  }
  return 0;
}

void TStyleTab::SetCount(MeterZone zone, int32_t count) {
  for (Tdbmeter* m : {&meter1_, &meter2_}) {
    switch (zone) {
      case MeterZone::Red:
        m->SetReds(count);
        break;
      case MeterZone::Yellow:
        m->SetYellows(count);
        break;
      case MeterZone::Green:
        m->SetGreens(count);
        break;
    }
  }
}

void TStyleTab::ChangeCount(MeterZone zone, int delta) {
  // A zone cannot have fewer than no segments.
  const int64_t next = int64_t(Count(zone)) + delta;
  if (next < 0 || next > INT32_MAX) return;
  SetCount(zone, int32_t(next));
  DeriveZoneWidths();
}

void TStyleTab::DeriveZoneWidths() {
  const auto w = builder::DeriveZoneWidths(meter1_.Reds(), meter1_.Yellows(), meter1_.Greens());
  if (!w) return;  // no segments at all: the meters show only their frame
  for (Tdbmeter* m : {&meter1_, &meter2_}) {
    m->SetRedMax(w->RedMax);
    m->SetYellowMax(w->YellowMax);
    m->SetGreenMax(w->GreenMax);
  }
}

void TStyleTab::SetSepWidth(int32_t width) {
  sepWidthText_ = std::to_string(width);
  meter1_.SetSepWidth(width);
  meter2_.SetSepWidth(meter1_.SepWidth());
}

void TStyleTab::SepWidthUp() {
  const int32_t w = SepWidthFromText(sepWidthText_);
  SetSepWidth(w < kMaxSepWidth ? w + 1 : w);
}

void TStyleTab::SepWidthDown() {
  const int32_t w = SepWidthFromText(sepWidthText_);
  SetSepWidth(w > 0 ? w - 1 : w);
}

void TStyleTab::SetShowJustOne(bool on) {
  showJustOne_ = on;
  meter1_.SetShowJustOne(on);
  meter2_.SetShowJustOne(on);
}

void TStyleTab::SetLooped(bool on) {
  looped_ = on;
  preview_.loopedCB = on;
}

void TStyleTab::SetPriorityVisible(bool on) {
  priorityVisible_ = on;
  preview_.priorityVisible = on;
}

void TStyleTab::SetLocked(bool on) {
  locked_ = on;
  preview_.lockbox = on;
}

void TStyleTab::SetVolumeChoice(int item) {
  volumeChoice_ = item;
  if (item == 0) volumeControlsEnabled_ = false;
  if (item == 1) volumeControlsEnabled_ = true;
}

SliderPositions TStyleTab::LeftSliderChange(int32_t left) {
  const SliderPositions p = lock_.LeftChanged(left, right_, locked_);
  SetSliders(p.left, p.right);
  return p;
}

SliderPositions TStyleTab::RightSliderChange(int32_t right) {
  const SliderPositions p = lock_.RightChanged(left_, right, locked_);
  SetSliders(p.left, p.right);
  return p;
}

void TStyleTab::SetSliders(int32_t left, int32_t right) {
  left_ = left;
  right_ = right;
  // Both copies follow, also the one that the lock moved.
  preview_.leftSlider = left;
  preview_.rightSlider = right;
}

void TStyleTab::StandartStyle() {
  for (Tdbmeter* m : {&meter1_, &meter2_}) {
    m->SetReds(2);
    m->SetYellows(3);
    m->SetGreens(5);
    m->SetRedColor(kClRed);
    m->SetYellowColor(kClYellow);
    m->SetGreenColor(kClLime);
    m->SetRedBack(kClSilver);
    m->SetYellowBack(kClSilver);
    m->SetGreenBack(kClSilver);
    m->SetSepColor(kClSilver);
  }
  SetSepWidth(1);
  // The widths follow the counts, so that the preview shows what the player will.
  DeriveZoneWidths();
  preview_.panelColor = kClBtnFace;
  SetVolumeChoice(0);
  SetSliders(kSliderStart, kSliderStart);
  lock_.Reset(kSliderStart, kSliderStart);
  // Meter 1 only: the "Show just one" box, which the record takes, and meter 2 keep
  // their state.
  meter1_.SetShowJustOne(false);
  SetPriorityVisible(true);
  SetLooped(false);
  SetLocked(false);
  restore_ = true;
}

void TStyleTab::RunTest(const std::function<void()>& processMessages,
                        const std::function<bool(int64_t dueMs)>& waitUntil) {
  struct Sweep {
    int from, to, pumps;
    bool half;
  };
  static constexpr Sweep kSweeps[] = {{200, 0, 1, false}, {0, 150, 1, false}, {150, 0, 1, false},
                                      {0, 100, 1, false}, {100, 0, 2, false}, {0, 100, 2, true},
                                      {100, 0, 3, true},  {0, 200, 3, false}};
  auto pump = [&](int times) {
    for (int i = 0; i < times; ++i)
      if (processMessages) processMessages();
  };
  // Counts the running animations, also when one ends early.
  struct Running {
    int& depth;
    explicit Running(int& d) : depth(d) { ++depth; }
    ~Running() { --depth; }
  } running(testDepth_);
  int64_t due = 0;
  for (const Sweep& s : kSweeps) {
    const int step = s.to >= s.from ? 1 : -1;
    for (int v = s.from;; v += step) {
      if (waitUntil && !waitUntil(due)) return;
      due += kTestStepMs;
      pump(s.pumps);
      const int32_t position = s.half ? int32_t(v * 0.5) : v;
      meter1_.SetPosition(position);
      meter2_.SetPosition(position);
      pump(1);
      if (v == s.to) break;
    }
  }
}

bool TStyleTab::RestoreMeter(const TSettingsStore& store) {
  for (const MeterValue& value : kMeterValues) {
    const auto v = store.ReadInteger(value.name);
    if (!v) return false;
    value.set(meter1_, *v);
  }
  // The separator field shows the width that was restored.
  sepWidthText_ = std::to_string(meter1_.SepWidth());
  return true;
}

void TStyleTab::RestoreFrom(const TSettingsStore& store) {
  const bool complete = RestoreMeter(store);
  // Whatever was restored reaches meter 2 and the zone widths, so that the preview
  // and the built player agree.
  SyncMeter2();
  DeriveZoneWidths();
  if (complete) RestoreRest(store);
}

void TStyleTab::RestoreRest(const TSettingsStore& store) {
  const auto background = store.ReadInteger("background");
  if (!background) return;
  preview_.panelColor = TColor(*background);
  const auto whichvol = store.ReadInteger("whichvol");
  if (!whichvol) return;
  SetVolumeChoice(*whichvol < -1 ? -1 : *whichvol > 1 ? 1 : *whichvol);
  const auto volleft = store.ReadInteger("volleft");
  if (!volleft) return;
  LeftSliderChange(*volleft);
  const auto volright = store.ReadInteger("volright");
  if (!volright) return;
  RightSliderChange(*volright);
  const auto showjustone = store.ReadBool("showjustone");
  if (!showjustone) return;
  SetShowJustOne(*showjustone);
  const auto priorityvisible = store.ReadBool("priorityvisible");
  if (!priorityvisible) return;
  SetPriorityVisible(*priorityvisible);
  const auto looped = store.ReadBool("looped");
  if (!looped) return;
  SetLooped(*looped);
  const auto locked = store.ReadBool("locked");
  if (!locked) return;
  SetLocked(*locked);
  const auto restore = store.ReadBool("restore");
  if (!restore) return;
  restore_ = *restore;
}

void TStyleTab::SyncMeter2() {
  meter2_.SetReds(meter1_.Reds());
  meter2_.SetYellows(meter1_.Yellows());
  meter2_.SetGreens(meter1_.Greens());
  for (MeterColour c :
       {MeterColour::Red, MeterColour::Yellow, MeterColour::Green, MeterColour::RedBack,
        MeterColour::YellowBack, MeterColour::GreenBack, MeterColour::Separator})
    SetMeterColour(meter2_, c, ColourOf(c));
  meter2_.SetSepWidth(meter1_.SepWidth());
}

void TStyleTab::SaveTo(TSettingsStore& s) const {
  s.WriteInteger("redno", meter1_.Reds());
  s.WriteInteger("yellowno", meter1_.Yellows());
  s.WriteInteger("greenno", meter1_.Greens());
  s.WriteInteger("redcolor", int32_t(meter1_.RedColor()));
  s.WriteInteger("yellowcolor", int32_t(meter1_.YellowColor()));
  s.WriteInteger("greencolor", int32_t(meter1_.GreenColor()));
  s.WriteInteger("redback", int32_t(meter1_.RedBack()));
  s.WriteInteger("yellowback", int32_t(meter1_.YellowBack()));
  s.WriteInteger("greenback", int32_t(meter1_.GreenBack()));
  s.WriteInteger("sepcolor", int32_t(meter1_.SepColor()));
  s.WriteInteger("sepwidth", meter1_.SepWidth());
  s.WriteInteger("background", int32_t(preview_.panelColor));
  s.WriteInteger("whichvol", volumeChoice_);
  s.WriteInteger("volleft", left_);
  s.WriteInteger("volright", right_);
  s.WriteBool("showjustone", meter1_.ShowJustOne());
  s.WriteBool("priorityvisible", priorityVisible_);
  s.WriteBool("looped", looped_);
  s.WriteBool("locked", locked_);
  s.WriteBool("restore", restore_);
}

PlayerSettingsRecord TStyleTab::Record() const {
  PlayerSettingsRecord r;
  r.RedColor = meter1_.RedColor();
  r.YellowColor = meter1_.YellowColor();
  r.GreenColor = meter1_.GreenColor();
  r.SepColor = meter1_.SepColor();
  r.RedBack = meter1_.RedBack();
  r.YellowBack = meter1_.YellowBack();
  r.GreenBack = meter1_.GreenBack();
  r.Reds = meter1_.Reds();
  r.Yellows = meter1_.Yellows();
  r.Greens = meter1_.Greens();
  r.SepWidth = meter1_.SepWidth();
  r.ShowJustOne = showJustOne_;
  r.Background = preview_.panelColor;
  r.Locked = locked_;
  r.Looped = looped_;
  r.PriorityVisible = priorityVisible_;
  r.Restore = restore_;
  SetRecordVolumes(r, volumeChoice_, left_, right_);
  return r;
}

}  // namespace builder
