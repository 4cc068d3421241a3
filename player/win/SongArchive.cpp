#include "player/win/SongArchive.h"

#include "platform/win32/Wide.h"
#include "resources/player/resource.h"

namespace tunlet {
WinSongArchive::WinSongArchive() {
  // The player's reader, set up as the window's Extractor1 is designed.
  Extractor1.SetBlockSize(65536);
  Extractor1.SetErrorAction(archive::eaAsk);
  Extractor1.SetFilter("*.*");
  Extractor1.SetLanguage(archive::lgAutomatic);
  Extractor1.SetOptions(archive::TOptions(archive::kDefaultOptions));
  Extractor1.SetRestoreAction(archive::raOverwrite);
  Extractor1.SetPrompts(&prompts_);
}

void WinSongArchive::ExtractAll(
    const std::string& archivePath, int64_t startOffset, const std::string& folder,
    const std::function<void(const std::string& entryName, const std::string& path)>& onExtracted) {
  Extractor1.SetSegment1Offset(int32_t(startOffset));
  Extractor1.SetExtractPath(folder);
  Extractor1.SetFileName(archivePath);
  Extractor1.OnFileExtracted = [&onExtracted](const archive::TFileEntry& entry,
                                              const std::string& path) {
    onExtracted(entry.Name, path);
  };
  Extractor1.Open();
  Extractor1.ExtractFiles();
  Extractor1.Close();
}

}  // namespace tunlet
