// The Analyze pass: parameters derived from the settings, the checks the shell makes on
// them, and the column-by-column analysis of a sample into a spectral image.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analyser/core/DataLog.h"
#include "analyser/core/DisplayBitmap.h"
#include "analyser/core/Settings.h"
#include "analyser/core/WaveFile.h"

namespace tessel {

inline double BinWidth(double sampleRateHz, int fftSize) { return sampleRateHz / fftSize; }
// bin width * freqResolutionTenths * 0.1
inline double FrequencyResolution(double binWidthHz, int tenths) {
  return binWidthHz * tenths * 0.1;
}
inline double WindowMs(double resolutionHz) { return 1000 / resolutionHz; }

// A sample rate typed into a file dialog: 0 keeps the current one; others are held within
// 5513..44100.
uint32_t TypedSampleRate(long typed, uint32_t current);

// The band rules of the dialogs for the sample rate:
//   Linear: bandLowHz within 0 .. Nyquist - 256 bin widths, a multiple of 10;
//           bandHighHz = bandLowHz + 256 bin widths.
//   Log:    FFT size 4096; bandLowHz within 10..1000 (100 when it was 0 or above 1000);
//           bandHighHz = the Nyquist frequency.
// Also computes freqResolutionHz.
void ApplyBandRules(AnalysisSettings& s, uint32_t sampleRateHz);

// The analysis a confirmed dialog asks for.
struct AnalysisRequest {
  double beginMs = 0;
  double endMs = 0;
  double timeScaleMs = 10;  // as typed
  double windowMs = 0;
};

// The whole file with the settings in force (the command-line tool, a recording just made).
AnalysisRequest WholeFileRequest(const AnalysisSettings& s, const WaveFileInfo& info);

// After "Modify Analysis Parameters": the file as the dialog left it (the rate of its box,
// the resolution and type of its choices), the band rules for that rate, and the request of
// the typed begin, end and time scale.
AnalysisRequest RequestFromDialog(AnalysisSettings& s, WaveFileInfo& info, uint32_t rateHz,
                                  double beginMs, double endMs, double timeScaleMs);
// Whether a failed check opens the dialog again (its own checks) or ends the command and
// restores the analysis before ("Sample Rate Out of Range", "Improper Entry", "Time Scale Too
// Small": those of the set-up).
bool ShowsDialogAgain(const std::string& message);

// The checks after "Modify Analysis Parameters", in the dialog's order, then those of the
// set-up (sample rate, column step, column count). Throws the message of the first failure;
// returns the time scale in force (values of 0 or less become 1, above 500 become 500).
double ValidateAnalysis(const WaveFileInfo& info, const AnalysisRequest& request, int fftSize);

struct AnalysisOptions {
  int fftExponent = 10;
  double windowMs = -1;  // -1: the whole frame
  double timeScaleMs = 10;
  bool logScale = false;
  int bandLowHz = 0;
  int bandHighHz = 0;
  int spectrumAverage = 1;
  uint32_t channelView = kViewDual;
  int minWidth = 0;  // the screen width: the image is never narrower
};

AnalysisOptions OptionsFromSettings(const AnalysisSettings& s, uint32_t sampleRateHz);

// Progress: columns done and the total; returning false stops the pass (the columns drawn
// so far stay in the image).
using AnalysisProgress = std::function<bool(int64_t done, int64_t total)>;
// Told after each column has been drawn into the image, so that a window can show the
// image as it grows.
using ColumnDrawn = std::function<void(const DisplayBitmap& image, int column)>;

// Analyses the sample into a spectral image. With `allSpectrumLog` open, one channel is
// transformed with complex output, every row is written to the log and drawn from its
// amplitude (mono: the only channel; stereo: the viewed one, the left in the Dual view).
// Throws "Improper Entry", "Time Scale Too Small" or "Not enough memory".
DisplayBitmap AnalyseSample(const SampleBuffer& sample, const AnalysisOptions& options,
                            const AnalysisProgress& progress = nullptr,
                            TextLog* allSpectrumLog = nullptr,
                            const ColumnDrawn& columnDrawn = nullptr);

// The bins of one column for the "Single Spectrum" log: the frame of that column of the
// channel, transformed with complex output and a window over the whole frame (L = N), for the
// rows of the linear mapping that lie within the spectrum. Throws as AnalyseSample does.
std::vector<BinReadout> ColumnSpectrum(const SampleBuffer& sample, const AnalysisOptions& options,
                                       int64_t column, int channel);

}  // namespace tessel
