// tessel IN.wav OUT.bmp [options]: "Analyze File" on the command line. The wave file is
// probed and checked as the analyser's dialog checks it, the chosen stretch is analysed into
// the spectral image, and the image is written as an 8-bit bitmap (and a PNG on request).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

#include "analyser/core/Analysis.h"
#include "analyser/core/BitmapFile.h"
#include "analyser/core/Colours.h"
#include "analyser/core/DataLog.h"
#include "analyser/core/Messages.h"
#include "analyser/core/View.h"
#include "analyser/core/WaveFile.h"
#include "tools/tessel/Options.h"
#include "tools/tessel/PngFile.h"

namespace {

using namespace tessel;
using tessel_tool::Options;

// A bar on standard error, redrawn at every whole percent, for analyses of many columns.
class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}
  bool operator()(int64_t done, int64_t total) {
    if (!enabled_ || total < 2000) return true;
    int percent = static_cast<int>(done * 100 / total);
    if (percent == shown_) return true;
    shown_ = percent;
    const int width = 40, filled = percent * width / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                 std::string(width - filled, '.').c_str(), percent);
    if (done == total) std::fputc('\n', stderr);
    return true;
  }

 private:
  bool enabled_;
  int shown_ = -1;
};

int Run(const Options& o) {
  AnalysisSettings s = StartupSettings();
  if (!o.settingsFile.empty() &&
      LoadSettingsFile(o.settingsFile, s) == SettingsLoad::WrongSizeDeleted)
    std::fprintf(stderr, "tessel: %s is not a settings file; it was deleted\n",
                 o.settingsFile.c_str());
  tessel_tool::ApplyOptions(o, s);

  ProbeResult probe = Probe(o.input, ProbeMode::AnalyzeFile);
  if (probe.warnNotPcm) std::fprintf(stderr, "tessel: warning: File may not be PCM Wave Format\n");
  WaveFileInfo info = probe.info;
  if (o.rate) info.sampleRateHz = TypedSampleRate(*o.rate, info.sampleRateHz);
  if (o.bits) info.bitsPerSample = static_cast<uint16_t>(*o.bits);
  if (o.channels) info.channels = static_cast<uint16_t>(*o.channels);
  CheckSampleFormat(info);
  s.sampleRateHz = info.sampleRateHz;
  ApplyBandRules(s, info.sampleRateHz);
  if (!o.logAll.empty() && s.freqScale != kScaleLinear)
    throw std::invalid_argument("the All Spectrum log needs the linear frequency scale");

  const int fftSize = 1 << FftExponentOfChoice(s.fftSizeChoice);
  AnalysisRequest request = WholeFileRequest(s, info);
  request.beginMs = o.beginMs.value_or(0);
  request.endMs = o.endMs.value_or(request.endMs);
  s.timeScaleMs = static_cast<float>(ValidateAnalysis(info, request, fftSize));

  SampleBuffer sample = LoadSegment(o.input, info, request.beginMs, request.endMs, fftSize);
  AnalysisOptions options = OptionsFromSettings(s, info.sampleRateHz);
  options.minWidth = o.minWidth;

  TextLog log;
  if (!o.logAll.empty()) {
    log.Open(o.logAll, false);
    log.Write(
        SpectrumLogHeader(o.input, info.sampleRateHz, fftSize, request.beginMs, s.timeScaleMs));
  }
  ProgressBar bar(!o.quiet && isatty(fileno(stderr)));
  DisplayBitmap bitmap = AnalyseSample(
      sample, options, [&](int64_t done, int64_t total) { return bar(done, total); },
      log.IsOpen() ? &log : nullptr);
  if (log.IsOpen() && !log.Close()) FailStop("Error Writing File");
  sample = SampleBuffer();  // the wave data is done with; the image is saved without it

  const Palette palette =
      AnalysisPalette(ColourTableFor(s.paletteChoice), PaletteOffset(s.attenuationStep));
  const IndexedImage image = ImageToSave(std::move(bitmap), s.channelView);
  SaveBitmap8(o.output, image, palette);
  if (o.png) {
    std::filesystem::path png = o.output;
    png.replace_extension(".png");
    if (!tessel_tool::SavePng(png.string(), image, palette)) FailExclamation("Cannot Open File");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(tessel_tool::ParseOptions(argc, argv));
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "tessel: %s\n%s", e.what(), tessel_tool::kUsage);
    return 2;
  } catch (const tessel::TesselError& e) {
    std::fprintf(stderr, "tessel: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tessel: %s\n", e.what());
    return 1;
  }
}
