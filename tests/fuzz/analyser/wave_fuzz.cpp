// Fuzzes the analyser's wave probe and loader on arbitrary file contents, and analyses what
// they accept, as "Analyze File" does: nothing may crash, hang or allocate beyond the input.
#include <cstddef>
#include <cstdint>

#include "analyser/core/Analysis.h"
#include "analyser/core/Messages.h"
#include "analyser/core/Settings.h"
#include "analyser/core/WaveFile.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= kSettingsRecordSize) {
    AnalysisSettings settings;
    DecodeSettings(data, settings);
  }
  try {
    const ProbeMode mode =
        size > 0 && (data[size - 1] & 1) ? ProbeMode::ScanFile : ProbeMode::AnalyzeFile;
    ProbeResult probe =
        ProbeBytes(data, size < kProbeBlockSize ? size : kProbeBlockSize, size, mode);
    const WaveFileInfo& info = probe.info;
    const int fftSize = 512;
    const double bytesPerMs = info.sampleRateHz * double(info.BlockAlign()) / 1000;
    AnalysisRequest request;
    request.endMs = bytesPerMs > 0 ? info.dataBytes / bytesPerMs : 0;
    request.timeScaleMs = 1 + data[size - 1] % 50;
    request.windowMs = 1000 / (info.sampleRateHz / double(fftSize));
    SampleBuffer sample = LoadSegmentFromBytes(
        data, size, info, SegmentBytes(info, request.beginMs, request.endMs, fftSize));
    if (sample.DataBytes() > size) __builtin_trap();  // the loader never exceeds the input
    ValidateAnalysis(info, request, fftSize);
    AnalysisOptions options;
    options.fftExponent = 9;
    options.timeScaleMs = request.timeScaleMs;
    options.windowMs = request.windowMs;
    options.logScale = data[0] & 1;
    options.bandLowHz = 100;
    options.bandHighHz = static_cast<int>(info.sampleRateHz / 2);
    options.spectrumAverage = 1 + data[1] % 4;
    AnalyseSample(sample, options);
  } catch (const TesselError&) {
    // A message box in the analyser: an expected outcome.
  }
  return 0;
}
