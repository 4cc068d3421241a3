#include "player/core/PlayerTexts.h"

#include "builder/core/MP3Info.h"
#include "platform/Paths.h"

namespace player {

std::string LengthText(int32_t ms) {
  if (ms < 0) ms = 0;
  // Minutes and seconds come from the same rounded number of seconds, so that a
  // length just under a full minute reads "1 Min. 0 sec." and not "0 Min. 0 sec.".
  // Halves round to even, as the processor's default rounding does.
  const int64_t whole = ms / 1000, rest = ms % 1000;
  const int64_t seconds = whole + ((rest > 500 || (rest == 500 && (whole & 1))) ? 1 : 0);
  return std::to_string(seconds / 60) + " Min. " + std::to_string(seconds % 60) + " sec.";
}

std::string AboutTheSongText(const std::string& songPath, const builder::TMP3Info& tag) {
  std::string text = "Filename: " + platform::ExtractFileName(songPath);
  auto line = [&text](const char* label, const std::string& value) {
    if (!value.empty()) text += std::string("\r\n") + label + value;
  };
  line("Title:        ", tag.Title());
  line("Artist:       ", tag.Artist());
  line("Album:     ", tag.Album());
  line("Genre:     ", tag.Genre());
  line("Year:       ", tag.Year());
  line("Comment: ", tag.Comment());
  return text;
}

std::string ExceptionBoxText(const std::string& message) {
  if (!message.empty() && message.back() > '.') return message + '.';
  return message;
}

}  // namespace player
