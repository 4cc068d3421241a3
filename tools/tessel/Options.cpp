#include "tools/tessel/Options.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tessel_tool {

const char* const kUsage =
    "usage: tessel IN.wav OUT.bmp [options]\n"
    "Analyses a wave file like \"Analyze File\" and writes the spectral image as an 8-bit bitmap.\n"
    "  --rate HZ            sample rate instead of the file's (0 keeps it; held to 5513..44100)\n"
    "  --bits 8|16          sample resolution (for raw data without a header)\n"
    "  --channels 1|2       mono or stereo (for raw data without a header)\n"
    "  --fft N              FFT size: 512, 1024, 2048, 4096, 8192 or 16384\n"
    "  --resolution P       frequency resolution in tenths of a bin, 10..100\n"
    "  --scale linear|log   frequency scale (log always uses 4096 points)\n"
    "  --band-low HZ        lower edge of the band (a multiple of 10)\n"
    "  --time-scale MS      time per column, 1..500 ms\n"
    "  --average M          spectrum average, 1..128\n"
    "  --view dual|left|right   channel view of stereo data (dual writes both panels)\n"
    "  --attenuation DB     0..18\n"
    "  --colours CB|CG|BW|WB    colour scheme\n"
    "  --begin MS --end MS  stretch of the data to analyse\n"
    "  --min-width PIXELS   the image is at least this wide (the screen width)\n"
    "  --settings FILE      take the defaults from this settings file (tessel.ini)\n"
    "  --png                also write the image as OUT with the extension .png\n"
    "  --log-all FILE       write the \"All Spectrum\" data log\n"
    "  --quiet              no progress bar\n";

namespace {

[[noreturn]] void Bad(const std::string& text) { throw std::invalid_argument(text); }

long Integer(const char* name, const char* text, long low, long high) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < low || v > high)
    Bad(std::string(name) + " wants a whole number from " + std::to_string(low) + " to " +
        std::to_string(high));
  return v;
}

double Real(const char* name, const char* text) {
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (!*text || *end) Bad(std::string(name) + " wants a number");
  return v;
}

uint32_t Choice(const char* name, const char* text, const char* const* words, uint32_t first) {
  for (uint32_t i = 0; words[i]; ++i)
    if (strcasecmp(text, words[i]) == 0) return first + i;
  Bad(std::string("unknown value for ") + name + ": " + text);
}

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options o;
  std::string positional[2];
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Bad(a + " wants a value");
      return argv[++i];
    };
    static const char* const kScales[] = {"linear", "log", nullptr};
    static const char* const kViews[] = {"dual", "left", "right", nullptr};
    static const char* const kColours[] = {"CB", "CG", "BW", "WB", nullptr};
    if (a == "--rate")
      o.rate = Integer("--rate", value(), 0, 10000000);
    else if (a == "--bits")
      o.bits = static_cast<int>(Integer("--bits", value(), 8, 16));
    else if (a == "--channels")
      o.channels = static_cast<int>(Integer("--channels", value(), 1, 2));
    else if (a == "--fft")
      o.fftSize = static_cast<int>(Integer("--fft", value(), 512, 16384));
    else if (a == "--resolution")
      o.resolution = static_cast<int>(Integer(a.c_str(), value(), 10, 100));
    else if (a == "--scale")
      o.logScale = Choice("--scale", value(), kScales, 0) == 1;
    else if (a == "--band-low")
      o.bandLowHz = static_cast<int>(Integer(a.c_str(), value(), 0, 22050));
    else if (a == "--time-scale")
      o.timeScaleMs = Real("--time-scale", value());
    else if (a == "--average")
      o.average = static_cast<int>(Integer("--average", value(), 1, 128));
    else if (a == "--view")
      o.view = Choice("--view", value(), kViews, tessel::kViewDual);
    else if (a == "--attenuation")
      o.attenuation = static_cast<int>(Integer(a.c_str(), value(), 0, 18));
    else if (a == "--colours" || a == "--colors")
      o.palette = Choice("--colours", value(), kColours, tessel::kPaletteCB);
    else if (a == "--begin")
      o.beginMs = Real("--begin", value());
    else if (a == "--end")
      o.endMs = Real("--end", value());
    else if (a == "--min-width")
      o.minWidth = static_cast<int>(Integer(a.c_str(), value(), 0, 65536));
    else if (a == "--settings")
      o.settingsFile = value();
    else if (a == "--png")
      o.png = true;
    else if (a == "--log-all")
      o.logAll = value();
    else if (a == "--quiet")
      o.quiet = true;
    else if (a.size() > 1 && a[0] == '-')
      Bad("unknown option " + a);
    else if (count < 2)
      positional[count++] = a;
    else
      Bad("too many file names");
  }
  if (count != 2) Bad("tessel wants an input wave file and an output bitmap");
  if (o.bits && *o.bits != 8 && *o.bits != 16) Bad("--bits wants 8 or 16");
  if (o.fftSize && !tessel::FftChoiceOfSize(*o.fftSize))
    Bad("--fft wants 512, 1024, 2048, 4096, 8192 or 16384");
  o.input = positional[0];
  o.output = positional[1];
  return o;
}

void ApplyOptions(const Options& o, tessel::AnalysisSettings& s) {
  if (o.fftSize) s.fftSizeChoice = tessel::FftChoiceOfSize(*o.fftSize);
  if (o.resolution) s.freqResolutionTenths = *o.resolution;
  if (o.logScale) s.freqScale = *o.logScale ? tessel::kScaleLog : tessel::kScaleLinear;
  if (o.bandLowHz)
    s.bandLowHz = *o.bandLowHz;
  else if (s.freqScale == tessel::kScaleLinear)
    s.bandLowHz = 0;  // "Linear" starts at 0
  if (o.timeScaleMs) s.timeScaleMs = static_cast<float>(*o.timeScaleMs);
  if (o.average) s.spectrumAverageScroll = *o.average;
  if (o.view) s.channelView = *o.view;
  if (o.attenuation) s.attenuationStep = *o.attenuation;
  if (o.palette) s.paletteChoice = *o.palette;
  if (o.bits) s.bitsChoice = *o.bits == 8 ? tessel::kBits8 : tessel::kBits16;
  if (o.channels) s.channelType = *o.channels == 2 ? tessel::kStereo : tessel::kMono;
}

}  // namespace tessel_tool
