#include "player/core/Vumeter.h"

#include "player/core/PlayerTexts.h"

namespace player {

int32_t PeakToLevel(int32_t value) {
  const int64_t magnitude = value < 0 ? -int64_t(value) : int64_t(value);
  return int32_t(magnitude / 180);
}

int32_t EndpointPeakToLevel(float peak) {
  // Written so that NaN lands on 0 as well.
  if (!(peak > 0.0f)) return 0;
  if (peak > 1.0f) peak = 1.0f;
  return PeakToLevel(int32_t(peak * 32767.0f));
}

void TVumeter::Start() {
  if (Active()) return;
  if (mixer_.WaveOutDevices() < 1) {
    dialogs_.ShowMessage(kNoWaveDevices);
    return;
  }
  if (!mixer_.GetMixerId()) {
    dialogs_.ShowMessage(kNoMixerId);
    return;
  }
  if (mixer_.OpenPeakMeter())
    source_ = TSource::Mixer;
  else if (endpoint_.Open())
    source_ = TSource::Endpoint;
}

void TVumeter::Read() {
  int32_t left = 0, right = 0;
  bool stereo = false;
  const bool read = source_ == TSource::Mixer      ? ReadMixer(left, right, stereo)
                    : source_ == TSource::Endpoint ? ReadEndpoint(left, right, stereo)
                                                   : false;
  if (!read) return;
  leftPeak_ = left;
  if (stereo) rightPeak_ = right;
}

bool TVumeter::ReadMixer(int32_t& left, int32_t& right, bool& stereo) {
  int32_t values[2] = {0, 0};
  int channels = 0;
  if (!mixer_.ReadPeaks(values, channels) || channels < 1) return false;
  left = PeakToLevel(values[0]);
  right = PeakToLevel(values[1]);
  stereo = channels == 2;
  return true;
}

bool TVumeter::ReadEndpoint(int32_t& left, int32_t& right, bool& stereo) {
  float values[2] = {0.0f, 0.0f};
  int channels = 0;
  if (!endpoint_.ReadPeaks(values, channels) || channels < 1) return false;
  left = EndpointPeakToLevel(values[0]);
  right = EndpointPeakToLevel(values[1]);
  // A device with more channels than two reports its front pair first.
  stereo = channels >= 2;
  return true;
}

void TVumeter::Stop() {
  const TSource source = source_;
  source_ = TSource::None;
  if (source == TSource::Mixer) mixer_.Close();
  if (source == TSource::Endpoint) endpoint_.Close();
}

}  // namespace player
