#include "builder/core/Pipeline.h"

#include <utility>

#include "builder/core/OutputLayout.h"
#include "platform/Files.h"

namespace builder {
namespace {

constexpr char kSongMissing[] = "Your choosen MP3 File doesn't exist!";
constexpr char kSaveTagQuestion[] =
    "You have not saved you changes to the MP3-Song Information. Do you want to save them now, "
    "so that they are included in the created file ?";
constexpr char kExecuteQuestion[] = "Execute the newly created file ?";
constexpr char kCreatingStatus[] = "Creating the .EXE File...";
constexpr char kStoringStatus[] = "Storing the MP3 Song in the .EXE File...";

// Step 12, run on every exit once the song was found or not.
class CleanUp {
 public:
  CleanUp(TBuildHost& host, archive::TArchiver& archiver, std::string settingsFile)
      : host_(host), archiver_(archiver), settingsFile_(std::move(settingsFile)) {}
  ~CleanUp() {
    try {
      // A build that failed half-way must not keep the target open and locked.
      if (archiver_.IsOpen()) archiver_.Close();
    } catch (...) {  // the error that ended the build is the one reported
    }
    host_.ShowProgress(false);
    host_.ProcessMessages();
    platform::DeleteFile(settingsFile_);
    host_.SetStatus("");
    host_.SetCreateEnabled(true);
  }
  CleanUp(const CleanUp&) = delete;
  CleanUp& operator=(const CleanUp&) = delete;

 private:
  TBuildHost& host_;
  archive::TArchiver& archiver_;
  std::string settingsFile_;
};

// Restores the archive component's progress event when the build ends.
class ProgressRoute {
 public:
  ProgressRoute(archive::TArchiver& archiver, TBuildHost& host)
      : archiver_(archiver), saved_(std::move(archiver.OnFileProgress)) {
    archiver.OnFileProgress = [&host](int percent) { host.SetProgress(percent); };
  }
  ~ProgressRoute() { archiver_.OnFileProgress = std::move(saved_); }
  ProgressRoute(const ProgressRoute&) = delete;
  ProgressRoute& operator=(const ProgressRoute&) = delete;

 private:
  archive::TArchiver& archiver_;
  std::function<void(int)> saved_;
};

std::string FormatOverwrite(const std::string& path) { return "Overwrite the file " + path + " ?"; }

void WriteResource(platform::File& target, TBuildResources& resources, const char* type,
                   const char* name, const std::string& targetPath) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (!resources.Find(type, name, data, size) || data == nullptr || size == 0)
    throw EBuildError(std::string("The resource \"") + name + "\" of type \"" + type +
                      "\" is missing from this program");
  if (!target.Write(data, size)) throw EBuildError("Cannot write to file \"" + targetPath + "\"");
}

// Steps 5 to 7: the player image and the decoder archive, one behind the other.
void WriteExecutablePart(const std::string& targetPath, TBuildResources& resources) {
  platform::File target;
  if (!target.Open(targetPath, platform::OpenMode::Create))
    throw EBuildError("Cannot create file \"" + targetPath + "\"");
  WriteResource(target, resources, kPlayerResourceType, kPlayerResourceName, targetPath);
  WriteResource(target, resources, kDecoderResourceType, kDecoderResourceName, targetPath);
}

void WriteSettingsFile(const std::string& path, const PlayerSettingsRecord& record) {
  const PlayerSettingsBytes bytes = WritePlayerSettings(record);
  platform::File file;
  if (!file.Open(path, platform::OpenMode::Create))
    throw EBuildError("Cannot create file \"" + path + "\"");
  if (!file.Write(bytes.data(), bytes.size()))
    throw EBuildError("Cannot write to file \"" + path + "\"");
}

void AddToArchive(archive::TArchiver& archiver, const std::string& path) {
  // The song may have gone since the build began: an output without it is no success.
  if (!archiver.AddFile(path)) throw EBuildError("Cannot open file \"" + path + "\"");
}

}  // namespace

void ConfigureArchiver(archive::TArchiver& a) {
  a.SetBlockSize(65536);
  a.SetCompressionLevel(archive::clMaximum);
  a.SetOptions(archive::TOptions(archive::kDefaultOptions));
  a.SetMinFreeSpace(1048576);
  a.SetPathStorage(archive::psRelative);
  a.SetErrorAction(archive::eaAsk);
  a.SetRestoreAction(archive::raAsk);
  a.SetFilter("*.*");
  a.SetMaxSegmentSize(0);
  a.SetLanguage(archive::lgEnglish);
}

std::string SettingsFilePath(const std::string& tempFolder) {
  return tempFolder + kPlayerSettingsFileName;
}

BuildResult WriteVardexCodeToStream(archive::TArchiver& archiver, const BuildRequest& request,
                                    TBuildResources& resources, TBuildHost& host) {
  host.SetCreateEnabled(false);
  const std::string settingsFile = SettingsFilePath(request.tempFolder);
  {
    CleanUp cleanUp(host, archiver, settingsFile);
    if (!platform::FileExists(request.source)) {
      host.ShowMessage(kSongMissing);
      return BuildResult::SongMissing;
    }
    host.ProcessMessages();
    host.SetStatus(kCreatingStatus);
    if (request.unsavedTagChanges && host.Ask(BuildQuestion::SaveTag, kSaveTagQuestion))
      host.SaveTagChanges();
    if (platform::FileExists(request.target) &&
        !host.Ask(BuildQuestion::Overwrite, FormatOverwrite(request.target)))
      return BuildResult::OverwriteRefused;
    WriteExecutablePart(request.target, resources);

    host.SetStatus(kStoringStatus);
    host.ProcessMessages();
    WriteSettingsFile(settingsFile, request.record);
    host.ShowProgress(true);
    host.ProcessMessages();

    ProgressRoute progress(archiver, host);
    archiver.SetExecutableCodeSize(kStartOffset);
    archiver.SetFileName(request.target);
    archiver.Open();
    AddToArchive(archiver, request.source);
    AddToArchive(archiver, settingsFile);
    archiver.Close();
  }
  if (host.Ask(BuildQuestion::Execute, kExecuteQuestion)) host.Execute(request.target);
  return BuildResult::Built;
}

}  // namespace builder
