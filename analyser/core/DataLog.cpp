#include "analyser/core/DataLog.h"

#include "analyser/core/Messages.h"
#include "analyser/core/Readouts.h"

namespace tessel {

namespace {
constexpr const char* kTitle = "Sonaris 4.2 Data\r\n";
}  // namespace

std::string PointsLogHeader(const std::string& wavePath) {
  return "\r\n" + std::string(kTitle) + wavePath + "\r\n" +
         "Event   Time    Freq    Level (dB)\r\n\r\n";
}

std::string PointsLogLine(const std::string& event, const std::string& timeMs,
                          const std::string& frequencyHz, const std::string& levelDb) {
  std::string line;
  for (const std::string* field : {&event, &timeMs, &frequencyHz, &levelDb}) {
    if (field->empty()) continue;
    if (!line.empty()) line += '\t';
    line += *field;
  }
  return line + "\r\n";
}

std::string SpectrumLogHeader(const std::string& wavePath, uint32_t rate, int fftSize,
                              double startMs, double timeStepMs) {
  std::string h = kTitle + wavePath + "\r\n";
  h += Format("%u Hz Sampling Rate\r\n", rate);
  h += Format("%u Hz Frequency Resolution\r\n", fftSize > 0 ? rate / unsigned(fftSize) : 0u);
  h += Format("%ld msec Sample Start\r\n", static_cast<long>(startMs));
  if (timeStepMs >= 0) h += Format("%ld msec Time Step\r\n\r\n", static_cast<long>(timeStepMs));
  return h + "Point   Freq    Amp     Phase\r\n";
}

std::string SpectrumLogLine(const BinReadout& b) {
  return Format("%d\t%ld\t%ld\t%-2.3f\r\n", b.bin, b.frequencyHz, b.amplitude, b.phase);
}

void TextLog::Open(const std::string& path, bool append) {
  const auto mode = append ? platform::OpenMode::OpenOrCreate : platform::OpenMode::Create;
  if (!file_.Open(path, mode) || (append && !file_.Seek(file_.Size()))) {
    file_.Close();
    FailExclamation("Cannot Open File");
  }
  ok_ = true;
}

void TextLog::Write(const std::string& text) {
  if (file_.IsOpen() && !file_.Write(text.data(), text.size())) ok_ = false;
}

bool TextLog::Close() {
  file_.Close();
  return ok_;
}

}  // namespace tessel
