// soundcheck RECORDING.wav REFERENCE.wav: where each stretch of uninterrupted playback
// in a recording lies in a reference decode, and how well it matches (every 250 ms
// window located by cross-correlation). Exit code 1 when nothing matches.
#include <cstdio>
#include <exception>

#include "sound/SoundMatch.h"

int main(int argc, char** argv) {
  using namespace soundcheck;
  if (argc != 3) {
    std::fprintf(stderr, "usage: soundcheck RECORDING.wav REFERENCE.wav\n");
    return 2;
  }
  try {
    const Pcm recording = ReadWave(argv[1]), reference = ReadWave(argv[2]);
    if (recording.rate != reference.rate) {
      std::fprintf(stderr, "soundcheck: the rates differ (%d, %d)\n", recording.rate, reference.rate);
      return 2;
    }
    const std::vector<float> mono = MonoMix(recording);
    const Locator locator(MonoMix(reference));
    const size_t window = size_t(recording.rate / 4);
    const auto tracked = Track(mono, locator, window, recording.rate / 50);
    size_t matched = 0, sounding = 0;
    for (const Located& l : tracked) {
      if (l.silent) continue;
      ++sounding;
      if (l.match.correlation >= 0.99) ++matched;
    }
    const double rate = recording.rate;
    for (const Stretch& s : Stretches(tracked, recording.rate / 100)) {
      const size_t from = ExtendRun(mono, locator, s.offsetShift, s.first * window, -1);
      const size_t to = ExtendRun(mono, locator, s.offsetShift, (s.last + 1) * window, +1);
      std::printf("recording %7.3f-%7.3f s plays song %7.3f-%7.3f s, worst window correlation %.4f\n",
                  from / rate, to / rate, (double(from) + double(s.offsetShift)) / rate,
                  (double(to) + double(s.offsetShift)) / rate, s.worstCorrelation);
    }
    std::printf("%zu of %zu sounding 250 ms windows match the reference (correlation >= 0.99)\n",
                matched, sounding);
    return matched > 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "soundcheck: %s\n", e.what());
    return 2;
  }
}
