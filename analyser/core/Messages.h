// The analyser's failures: each carries the one-line text of its message box ("Sonaris")
// and the icon it is shown with. The shell shows them; the command-line tool prints them.
#pragma once
#include <stdexcept>
#include <string>

namespace tessel {

enum class MessageIcon { Stop, Exclamation };

class TesselError : public std::runtime_error {
 public:
  TesselError(const std::string& text, MessageIcon icon) : std::runtime_error(text), icon_(icon) {}
  MessageIcon Icon() const { return icon_; }

 private:
  MessageIcon icon_;
};

[[noreturn]] inline void FailStop(const char* text) { throw TesselError(text, MessageIcon::Stop); }
[[noreturn]] inline void FailExclamation(const char* text) {
  throw TesselError(text, MessageIcon::Exclamation);
}

}  // namespace tessel
