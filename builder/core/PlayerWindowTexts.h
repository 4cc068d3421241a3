// The texts of the player window, which the builder's preview window shows too: the
// caption rule, the controls' captions and the priority list.
#pragma once
#include <array>
#include <string>

namespace builder {

inline constexpr char kDefaultCaption[] = "Playing MP3";
inline constexpr char kLoopedText[] = "Looped playback";
inline constexpr char kLengthLabelText[] = "Length:";
inline constexpr char kPriorityLabelText[] = "Priority:";
inline constexpr char kAboutSongButtonText[] = "About the &Song";
inline constexpr char kAboutButtonText[] = "&About";
inline constexpr char kVolumeGroupText[] = "Volume:";
inline constexpr char kLockText[] = "lock controls";

// The priority list, in the order of the player's priorities (TPlayPriority); the
// player starts at "Normal".
inline constexpr int kPriorityCount = 7;
inline constexpr int kNormalPriorityIndex = 3;
const std::array<const char*, kPriorityCount>& PriorityNames();

// "Playing <title> from <artist>...", "Playing <title>..." or "Playing MP3".
std::string CaptionFor(const std::string& title, const std::string& artist);

}  // namespace builder
