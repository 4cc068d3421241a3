// Feeds arbitrary bytes to the archive reader as an archive file: opening,
// listing, checking every block and extracting must end in one of the
// component's messages, never in a crash, a hang or a write outside the folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "archive/Archiver.h"
#include "platform/Files.h"

namespace {

std::string WorkFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/archive_fuzz_XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

void RemoveTree(const std::string& folder) {
  for (const platform::FolderItem& item : platform::ListFolder(folder)) {
    const std::string path = folder + "/" + item.name;
    if (item.isFolder) {
      RemoveTree(path);
      platform::RemoveFolder(path);
    } else {
      platform::SetAttributes(path, platform::faArchive);
      platform::DeleteFile(path);
    }
  }
}

template <typename Operation>
void Run(const std::string& archivePath, Operation operation) {
  archive::TExtractor reader;
  reader.SetLanguage(archive::lgEnglish);
  reader.SetFileName(archivePath);
  reader.SetErrorAction(archive::eaContinue);
  reader.SetRestoreAction(archive::raOverwrite);
  try {
    reader.Open();
    operation(reader);
    reader.Close();
  } catch (const std::exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string folder = WorkFolder();
  const std::string archivePath = folder + "/input.arc";
  const std::string out = folder + "/out";
  {
    platform::File f;
    if (!f.Open(archivePath, platform::OpenMode::Create) || !f.Write(data, size)) return 0;
  }
  platform::CreateFolders(out);
  Run(archivePath, [](archive::TExtractor& r) { r.List(); });
  Run(archivePath, [](archive::TExtractor& r) { r.TestFiles(); });
  Run(archivePath, [&out](archive::TExtractor& r) {
    r.SetExtractPath(out);
    r.ExtractFiles();
  });
  // Whatever the names inside, nothing may appear beside the output folder.
  for (const platform::FolderItem& item : platform::ListFolder(folder))
    if (item.name != "input.arc" && item.name != "out") __builtin_trap();
  RemoveTree(out);
  return 0;
}
