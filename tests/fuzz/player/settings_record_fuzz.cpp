// A settings record from an untrusted output file, applied by the player's own code
// to a meter of the player's shape, then painted at positions taken from the rest of the input; and
// its volumes put through the lock. Nothing may crash, overflow or hang.
#include <cstddef>
#include <cstdint>

#include "builder/core/Dbmeter.h"
#include "builder/core/PlayerSettings.h"
#include "builder/core/VolumeLock.h"
#include "player/core/Form1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  builder::PlayerSettingsRecord r;
  if (!builder::ReadPlayerSettings(data, size, r)) return 0;
  builder::Tdbmeter m;
  player::SetUpPlayerMeter(m);
  player::ApplyRecordToMeter(r, m);
  for (size_t i = builder::kPlayerSettingsSize; i + 4 <= size && i < 200; i += 4) {
    m.SetPosition(int32_t(uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 |
                          uint32_t(data[i + 2]) << 16 | uint32_t(data[i + 3]) << 24));
    m.Paint();
  }
  builder::VolumeLock lock;
  lock.Reset(builder::StartVolume(r.VolLeft).value_or(32000),
             builder::StartVolume(r.VolRight).value_or(32000));
  lock.LeftChanged(r.Reds, lock.LastRight(), r.Locked);
  lock.RightChanged(lock.LastLeft(), r.Greens, r.Locked);
  return 0;
}
