// Output files of the player assembled in a test: the padded player, then an archive
// holding kelvaro.dll, a song and a settings record, as the builder makes them.
#pragma once

#include <string>
#include <vector>

#include "builder/core/PlayerSettings.h"

namespace e2e {

std::vector<char> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const void* data, size_t size, bool append = false);

// Writes `work`\`exeName`: the build's Tunlet.exe followed by an archive of the build's
// kelvaro.dll, the song `songPath` stored as `songName` and `record`. Uses `work` for
// the entries' files.
std::string AssembleOutput(const std::string& work, const std::string& songPath,
                           const std::string& songName, const builder::PlayerSettingsRecord& record,
                           const std::string& exeName);

// The file offset of the middle of entry `entryName`'s stored data in the output `exe`.
int64_t EntryDataMiddle(const std::string& exe, const std::string& entryName);

}  // namespace e2e
