// The player's own texts and the rules that compose its changing ones: the length
// label, the "About the Song" box and the exception box. The texts that the builder's
// preview shows too (the caption rule, the controls' captions, the priority list) are
// in builder/core/PlayerWindowTexts.h.
#pragma once
#include <cstdint>
#include <string>

namespace builder {
class TMP3Info;
}

namespace player {

inline constexpr char kAboutSongTitle[] = "About the Song:";
inline constexpr char kInfoCaption[] = "Info...";
inline constexpr char kNoWaveDevices[] = "No Wave Devices to open";
inline constexpr char kNoMixerId[] = "Unable to get mixer ID";

// "<m> Min. <s> sec." for a length in milliseconds.
std::string LengthText(int32_t ms);

// "Filename: <name>" and a CR LF line for every tag field that is not empty.
std::string AboutTheSongText(const std::string& songPath, const builder::TMP3Info& tag);

// The text of the standard exception message box, whose rule the player imitates: a
// full stop is added when the message's last character sorts after '.', so "Done!"
// stays as it is and "Done?" becomes "Done?.". The last byte is compared as a char, which
// is signed on x86: a message that ends in a non-ASCII character gets none.
std::string ExceptionBoxText(const std::string& message);

}  // namespace player
