// The executable assembly pipeline: the player image and the decoder archive are
// copied into the target, the player settings record is written to "34Init12.dat"
// in the temporary folder, and the archive behind the player image is opened and
// receives the song and the settings file.
//
// Everything the pipeline needs from its surroundings is handed in: the two
// embedded files (the builder's own resources on Windows, files on disk in the
// native tool and in tests), the questions and status texts (message boxes and the
// status bar in the window, answers given in advance on the command line) and the
// archive component with its prompts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "archive/Archiver.h"
#include "builder/core/PlayerSettings.h"

namespace builder {

inline constexpr char kPlayerResourceType[] = "VARDEX";
inline constexpr char kPlayerResourceName[] = "VARDEX_1";
inline constexpr char kDecoderResourceType[] = "MP3DLLARCH";
inline constexpr char kDecoderResourceName[] = "MP3DLLARCH_1";

// The two files that the builder carries.
class TBuildResources {
 public:
  virtual ~TBuildResources() = default;
  // The bytes of a resource; false when it cannot be found or loaded. The bytes
  // stay valid for the lifetime of this object.
  virtual bool Find(const std::string& type, const std::string& name, const uint8_t*& data,
                    size_t& size) = 0;
};

enum class BuildQuestion {
  SaveTag,    // "You have not saved you changes ..."
  Overwrite,  // "Overwrite the file %s ?"
  Execute,    // "Execute the newly created file ?"
};

// The window around the pipeline.
class TBuildHost {
 public:
  virtual ~TBuildHost() = default;
  // A message with only an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool Ask(BuildQuestion question, const std::string& text) = 0;
  // The "&Save changes" action.
  virtual void SaveTagChanges() {}
  virtual void ProcessMessages() {}
  virtual void SetStatus(const std::string& /*text*/) {}
  virtual void ShowProgress(bool /*visible*/) {}
  virtual void SetProgress(int /*percent*/) {}
  virtual void SetCreateEnabled(bool /*enabled*/) {}
  // Starts the built file in a normally shown window; failures are ignored.
  virtual void Execute(const std::string& /*path*/) {}
};

struct BuildRequest {
  std::string source;              // Edit7: the song
  std::string target;              // Edit8: the output executable
  std::string tempFolder;          // with a trailing separator
  bool unsavedTagChanges = false;  // SaveChangesBtn is enabled
  PlayerSettingsRecord record;
};

enum class BuildResult {
  Built,             // the file is complete (whatever the answer to "Execute")
  SongMissing,       // the message was shown, nothing was written
  OverwriteRefused,  // the existing target was left untouched
};

// A resource is missing from the builder, or the target or the settings file
// cannot be written.
class EBuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The builder's archive component settings: block size 65536, maximum compression,
// the default options, 1 MB minimum free space, relative paths, asking on errors,
// English messages, no splitting.
void ConfigureArchiver(archive::TArchiver& archiver);

std::string SettingsFilePath(const std::string& tempFolder);

// WriteVardexCodeToStream. Errors of the file layer and of the archive component
// travel on as exceptions (EBuildError, archive::EArchiver, archive::EAbort for a
// cancelled prompt) after the clean-up has run; the clean-up deletes the settings
// file on every path.
BuildResult WriteVardexCodeToStream(archive::TArchiver& archiver, const BuildRequest& request,
                                    TBuildResources& resources, TBuildHost& host);

}  // namespace builder
