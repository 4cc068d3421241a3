// The player settings record "34Init12.dat": the only carrier of the look and the
// start-up behaviour from the builder to the player. 61 packed little-endian bytes,
// no header, version or checksum:
//
//   offset width field            offset width field
//    0     4     RedColor          40     4     SepWidth
//    4     4     YellowColor       44     1     ShowJustOne
//    8     4     GreenColor        45     4     Background
//   12     4     SepColor          49     4     VolLeft  (-1: leave the user's volume)
//   16     4     RedBack           53     4     VolRight (-1: leave the user's volume)
//   20     4     YellowBack        57     1     Locked
//   24     4     GreenBack         58     1     Looped
//   28     4     Reds              59     1     PriorityVisible
//   32     4     Yellows           60     1     Restore
//   36     4     Greens
//
// Colours are colour values (0x00BBGGRR, or 0x80000000 + a system colour index);
// counts, widths and volumes are signed 32-bit; flags are one byte, 0 or 1.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace builder {

inline constexpr size_t kPlayerSettingsSize = 61;
inline constexpr char kPlayerSettingsFileName[] = "34Init12.dat";

// The record's "leave the user's volume unchanged" value of VolLeft and VolRight.
inline constexpr int32_t kKeepUserVolume = -1;

struct PlayerSettingsRecord {
  uint32_t RedColor = 0;
  uint32_t YellowColor = 0;
  uint32_t GreenColor = 0;
  uint32_t SepColor = 0;
  uint32_t RedBack = 0;
  uint32_t YellowBack = 0;
  uint32_t GreenBack = 0;
  int32_t Reds = 0;
  int32_t Yellows = 0;
  int32_t Greens = 0;
  int32_t SepWidth = 0;
  bool ShowJustOne = false;
  uint32_t Background = 0;
  int32_t VolLeft = kKeepUserVolume;
  int32_t VolRight = kKeepUserVolume;
  bool Locked = false;
  bool Looped = false;
  bool PriorityVisible = false;
  bool Restore = false;

  bool operator==(const PlayerSettingsRecord& o) const;
  bool operator!=(const PlayerSettingsRecord& o) const { return !(*this == o); }
};

using PlayerSettingsBytes = std::array<uint8_t, kPlayerSettingsSize>;

// The record that a build with the "Standart-Style" defaults, "Show just one"
// unchecked and "Use User's default settings" selected writes.
PlayerSettingsRecord DefaultPlayerSettings();

PlayerSettingsBytes WritePlayerSettings(const PlayerSettingsRecord& record);

// Reads the record from the first 61 bytes of `data`; bytes beyond them are ignored.
// Returns false, leaving `record` untouched, when fewer than 61 bytes are given.
// A flag byte other than 0 counts as true.
bool ReadPlayerSettings(const uint8_t* data, size_t size, PlayerSettingsRecord& record);

// The builder's volume choice (the radio group's selected item: 0 "Use User's
// default settings", 1 "Define the default volume", anything else: none).
// Sets VolLeft and VolRight: -1 each for item 0, the slider positions for item 1,
// and 50 each when no item is selected.
void SetRecordVolumes(PlayerSettingsRecord& record, int volumeChoice, int32_t leftSlider,
                      int32_t rightSlider);

}  // namespace builder
