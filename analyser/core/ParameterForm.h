// The rules of the four capture/analysis parameter dialogs ("Scan Input", "Analyze Input",
// "Scan File", "Modify Analysis Parameters"): the radio choices are edited on a working copy
// that OK writes back, the scroll bars change the live settings at once, and every change of
// rate, FFT size or scale recomputes the band and the frequency resolution.
#pragma once
#include <cstdint>

#include "analyser/core/Settings.h"

namespace tessel {

enum class FormKind { ScanInput, AnalyzeInput, ScanFile, AnalyzeFile };

struct ParameterForm {
  FormKind kind = FormKind::ScanInput;
  AnalysisSettings work;  // the radio choices, written back by OK
  // The file dialogs show the file's rate in a box; "New" lets the user type another.
  bool fileRate = false;
  uint32_t rateHz = 0;  // the rate in the box
  uint32_t openRate = 0;
  bool newMode = false;
  uint32_t rememberedRate = 0;
};

ParameterForm OpenForm(FormKind kind, const AnalysisSettings& live, uint32_t fileRateHz);
// The rate the band and the resolution are computed for: the box's, or that of the choice.
uint32_t FormRate(const ParameterForm& f);
// The Scope display is chosen (never in "Modify Analysis Parameters").
bool ScopeChosen(const ParameterForm& f);
// The spectrum average that the bar edits: the Scope's or the Scroll's.
int32_t& AverageField(const ParameterForm& f, AnalysisSettings& live);

// The band bar: Linear 0 .. (Nyquist - 256 bin widths), enabled only above 0; Log 10..1000.
struct BandBar {
  int low = 0, high = 0;
  bool enabled = false;
};
// Applies the band rules for the form's rate, FFT size and scale to the live settings (Log
// forces 4096 points into the working copy too) and gives the band bar.
BandBar UpdateBand(ParameterForm& f, AnalysisSettings& live);

// A radio button (its identifier is the choice value) was clicked. "Linear" and an FFT size
// under Linear start the band at 0. False when the identifier is no choice of this form.
bool ChooseRadio(ParameterForm& f, AnalysisSettings& live, uint32_t id);

// OK: the working copy's choices go into the live settings (the display type not from
// "Modify Analysis Parameters"), with the band rules for the form's rate.
void AcceptForm(const ParameterForm& f, AnalysisSettings& live);

// "New": the first press remembers the rate; the second takes the typed one (0 keeps the
// remembered rate, others are held within 5513..44100) and returns the factor that the begin
// and end times are multiplied by (the rate when the dialog opened over the new one).
void StartNewRate(ParameterForm& f);
double FinishNewRate(ParameterForm& f, long typedRate);

}  // namespace tessel
