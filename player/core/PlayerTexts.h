// The player window's texts and the rules that compose its changing texts: the
// caption from the song's tag, the length label and the "About the Song" box.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace builder {
class TMP3Info;
}

namespace player {

inline constexpr char kDefaultCaption[] = "Playing MP3";
inline constexpr char kLoopedText[] = "Looped playback";
inline constexpr char kAboutSongButtonText[] = "About the &Song";
inline constexpr char kAboutButtonText[] = "&About";
inline constexpr char kLengthLabelText[] = "Length:";
inline constexpr char kPriorityLabelText[] = "Priority:";
inline constexpr char kLockText[] = "lock controls";
inline constexpr char kVolumeGroupText[] = "Volume:";
inline constexpr char kAboutSongTitle[] = "About the Song:";
inline constexpr char kInfoCaption[] = "Info...";
inline constexpr char kNoWaveDevices[] = "No Wave Devices to open";
inline constexpr char kNoMixerId[] = "Unable to get mixer ID";

// The priority list, in the order of TPlayPriority.
const std::array<const char*, 7>& PriorityNames();

// "Playing <title> from <artist>...", "Playing <title>..." or "Playing MP3".
std::string CaptionFor(const std::string& title, const std::string& artist);

// "<m> Min. <s> sec." for a length in milliseconds.
std::string LengthText(int32_t ms);

// The file name of a path without its folders (either separator).
std::string FileNameOf(const std::string& path);

// "Filename: <name>" and a CR LF line for every tag field that is not empty.
std::string AboutTheSongText(const std::string& songPath, const builder::TMP3Info& tag);

// The text of the standard exception message box, whose rule the player imitates: a
// full stop is added when the message's last character sorts after '.', so "Done!"
// stays as it is and "Done?" becomes "Done?.". The last byte is compared as a char, which
// is signed on x86: a message that ends in a non-ASCII character gets none.
std::string ExceptionBoxText(const std::string& message);

}  // namespace player
