#include "player/core/Vumeter.h"

#include "player/core/PlayerTexts.h"

namespace player {

int32_t PeakToLevel(int32_t value) {
  const int64_t magnitude = value < 0 ? -int64_t(value) : int64_t(value);
  return int32_t(magnitude / 180);
}

void TVumeter::Start() {
  if (active_) return;
  if (mixer_.WaveOutDevices() < 1) {
    dialogs_.ShowMessage(kNoWaveDevices);
    return;
  }
  if (!mixer_.GetMixerId()) {
    dialogs_.ShowMessage(kNoMixerId);
    return;
  }
  active_ = mixer_.OpenPeakMeter();
}

void TVumeter::Read() {
  if (!active_) return;
  int32_t values[2] = {0, 0};
  int channels = 0;
  if (!mixer_.ReadPeaks(values, channels) || channels < 1) return;
  leftPeak_ = PeakToLevel(values[0]);
  if (channels == 2) rightPeak_ = PeakToLevel(values[1]);
}

void TVumeter::Stop() {
  if (!active_) return;
  active_ = false;
  mixer_.Close();
}

}  // namespace player
