// The analyser's text data logs: 8-bit text, CR LF line ends, TAB-separated columns.
//
// Points log (appended):      "" / "Sonaris 4.2 Data" / wave path /
//                             "Event   Time    Freq    Level (dB)" / "" / one line per point
// Spectrum logs (new file):   "Sonaris 4.2 Data" / wave path / "<rate> Hz Sampling Rate" /
//                             "<rate / N> Hz Frequency Resolution" / "<start> msec Sample Start" /
//                             (All Spectrum only: "<time step> msec Time Step" / "") /
//                             "Point   Freq    Amp     Phase" / one line per bin
#pragma once
#include <cstdint>
#include <string>

#include "analyser/core/Rows.h"
#include "platform/Files.h"

namespace tessel {

std::string PointsLogHeader(const std::string& wavePath);
// Event id, time, frequency, level; an empty field is left out together with its TAB.
std::string PointsLogLine(const std::string& event, const std::string& timeMs,
                          const std::string& frequencyHz, const std::string& levelDb);

// timeStepMs < 0 gives the single-spectrum header (no time step line).
std::string SpectrumLogHeader(const std::string& wavePath, uint32_t sampleRateHz, int fftSize,
                              double startMs, double timeStepMs);
std::string SpectrumLogLine(const BinReadout& bin);

// A log file: created anew or appended to. Writes report failure through Ok().
class TextLog {
 public:
  // Throws "Cannot Open File".
  void Open(const std::string& path, bool append);
  void Write(const std::string& text);
  bool IsOpen() const { return file_.IsOpen(); }
  bool Ok() const { return ok_; }
  // Closes; returns false when a write failed.
  bool Close();

 private:
  platform::File file_;
  bool ok_ = true;
};

}  // namespace tessel
