#include "builder/core/PlayerSettings.h"

#include "builder/core/Colour.h"
#include "platform/LittleEndian.h"

namespace builder {

bool PlayerSettingsRecord::operator==(const PlayerSettingsRecord& o) const {
  return RedColor == o.RedColor && YellowColor == o.YellowColor && GreenColor == o.GreenColor &&
         SepColor == o.SepColor && RedBack == o.RedBack && YellowBack == o.YellowBack &&
         GreenBack == o.GreenBack && Reds == o.Reds && Yellows == o.Yellows && Greens == o.Greens &&
         SepWidth == o.SepWidth && ShowJustOne == o.ShowJustOne && Background == o.Background &&
         VolLeft == o.VolLeft && VolRight == o.VolRight && Locked == o.Locked &&
         Looped == o.Looped && PriorityVisible == o.PriorityVisible && Restore == o.Restore;
}

PlayerSettingsRecord DefaultPlayerSettings() {
  PlayerSettingsRecord r;
  r.RedColor = kClRed;
  r.YellowColor = kClYellow;
  r.GreenColor = kClLime;
  r.SepColor = r.RedBack = r.YellowBack = r.GreenBack = kClSilver;
  r.Reds = 2;
  r.Yellows = 3;
  r.Greens = 5;
  r.SepWidth = 1;
  r.ShowJustOne = false;
  r.Background = kClBtnFace;
  r.VolLeft = r.VolRight = kKeepUserVolume;
  r.Locked = false;
  r.Looped = false;
  r.PriorityVisible = true;
  r.Restore = true;
  return r;
}

PlayerSettingsBytes WritePlayerSettings(const PlayerSettingsRecord& r) {
  PlayerSettingsBytes bytes{};
  platform::LeWriter w(bytes.data());
  w.U32(r.RedColor);
  w.U32(r.YellowColor);
  w.U32(r.GreenColor);
  w.U32(r.SepColor);
  w.U32(r.RedBack);
  w.U32(r.YellowBack);
  w.U32(r.GreenBack);
  w.I32(r.Reds);
  w.I32(r.Yellows);
  w.I32(r.Greens);
  w.I32(r.SepWidth);
  w.Flag(r.ShowJustOne);
  w.U32(r.Background);
  w.I32(r.VolLeft);
  w.I32(r.VolRight);
  w.Flag(r.Locked);
  w.Flag(r.Looped);
  w.Flag(r.PriorityVisible);
  w.Flag(r.Restore);
  return bytes;
}

bool ReadPlayerSettings(const uint8_t* data, size_t size, PlayerSettingsRecord& record) {
  if (data == nullptr || size < kPlayerSettingsSize) return false;
  platform::LeReader in(data);
  PlayerSettingsRecord r;
  r.RedColor = in.U32();
  r.YellowColor = in.U32();
  r.GreenColor = in.U32();
  r.SepColor = in.U32();
  r.RedBack = in.U32();
  r.YellowBack = in.U32();
  r.GreenBack = in.U32();
  r.Reds = in.I32();
  r.Yellows = in.I32();
  r.Greens = in.I32();
  r.SepWidth = in.I32();
  r.ShowJustOne = in.Flag();
  r.Background = in.U32();
  r.VolLeft = in.I32();
  r.VolRight = in.I32();
  r.Locked = in.Flag();
  r.Looped = in.Flag();
  r.PriorityVisible = in.Flag();
  r.Restore = in.Flag();
  record = r;
  return true;
}

void SetRecordVolumes(PlayerSettingsRecord& record, int volumeChoice, int32_t leftSlider,
                      int32_t rightSlider) {
  // Before the choice is looked at, both volumes hold 50; no selected item keeps them.
  record.VolLeft = record.VolRight = 50;
  if (volumeChoice == 0) {
    record.VolLeft = record.VolRight = kKeepUserVolume;
  } else if (volumeChoice == 1) {
    record.VolLeft = leftSlider;
    record.VolRight = rightSlider;
  }
}

}  // namespace builder
