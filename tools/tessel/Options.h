// The command line of the tessel tool: every parameter of the "Analyze File" dialog.
#pragma once
#include <optional>
#include <string>

#include "analyser/core/Settings.h"

namespace tessel_tool {

struct Options {
  std::string input, output;
  std::string settingsFile;     // defaults from this settings file, when given
  std::optional<long> rate;     // typed sample rate (0 keeps the file's)
  std::optional<int> bits;      // 8 or 16
  std::optional<int> channels;  // 1 or 2
  std::optional<int> fftSize;
  std::optional<int> resolution;  // frequency resolution position 10..100
  std::optional<bool> logScale;
  std::optional<int> bandLowHz;
  std::optional<double> timeScaleMs;
  std::optional<int> average;       // 1..128
  std::optional<uint32_t> view;     // 1089..1091
  std::optional<int> attenuation;   // 0..18
  std::optional<uint32_t> palette;  // 1039..1042
  std::optional<double> beginMs, endMs;
  int minWidth = 0;
  bool png = false;
  std::string logAll;
  bool quiet = false;
};

extern const char* const kUsage;

// Parses argv; throws std::invalid_argument with a message for a bad command line.
Options ParseOptions(int argc, char** argv);
// The settings the options leave in force on top of `s`.
void ApplyOptions(const Options& o, tessel::AnalysisSettings& s);

}  // namespace tessel_tool
