// What the archive fuzz targets share: a work folder on tmpfs that is removed at exit,
// input files written into it, the readers' settings, and the oracles.
//
// The path oracle sees every path the component writes to: the targets are linked with
// --wrap for open, mkdir, unlink, rmdir, chmod, utimensat and rename, so each of those
// calls passes through here first. While a component runs (a Guard is alive), a path
// written to must be one of the inputs, a temporary archive "~Archiv-*.tmp" directly in
// the work folder, or lie below the target folder with every component a safe name:
// not empty, not "." or "..", no control or forbidden character, no trailing dot or
// space, no device name. Anything else stops the run at the call, before it does harm.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/Archiver.h"

namespace fuzzarchive {

// The work folder: /dev/shm when there is one (files in memory), else the temporary
// folder. Created on first use; folders left by runs that crashed are removed then.
const std::string& WorkFolder();
// Where extraction goes: WorkFolder() + "/out".
std::string TargetFolder();

// Writes an input file into the work folder; returns its path.
std::string WriteInput(const std::string& name, const uint8_t* data, size_t size);

// While alive, the path oracle checks every write. `anywhereInWork` relaxes it for the
// writer target, whose archives and segments lie in the work folder: then only paths
// outside the work folder, and unsafe names below the target, are findings.
class Guard {
 public:
  explicit Guard(bool anywhereInWork = false);
  ~Guard();
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
};

// The independent safe-name oracle for one path component.
bool SafeComponent(std::string_view name);

// Stops the run with a message (a finding).
[[noreturn]] void Finding(const std::string& what);

// Empties the target folder.
void EmptyTarget();
// Empties the target folder and checks that the work folder holds nothing but the
// inputs and the target: no temporary archive may be left behind.
void CleanUp();

// The reader with the player's settings and no questions answered.
void ConfigureReader(archive::TCustomExtractor& reader);

// Runs `operation`; the component's own exceptions (EArchiver and its kinds, EAbort)
// are expected, anything else (an internal text, a library error) is a finding.
template <typename Operation>
void Expecting(Operation operation) {
  try {
    operation();
  } catch (const archive::EArchiver&) {
  } catch (const archive::EAbort&) {
  } catch (const std::exception& e) {
    Finding(std::string("unexpected exception: ") + e.what());
  }
}

// List, test and extract `archivePath`, each with a fresh reader prepared by `prepare`.
template <typename Prepare>
void ReadAllWays(const std::string& archivePath, Prepare prepare) {
  Guard guard;
  for (int way = 0; way < 3; ++way) {
    archive::TExtractor reader;
    ConfigureReader(reader);
    prepare(reader);
    reader.SetFileName(archivePath);
    reader.SetExtractPath(TargetFolder());
    Expecting([&] {
      if (way == 0) reader.List();
      if (way == 1) reader.TestFiles();
      if (way == 2) reader.ExtractFiles();
      reader.Close();
    });
  }
}

// Splits `data` at each occurrence of kSeparator.
extern const char kSeparator[9];
std::vector<std::string> SplitInput(const uint8_t* data, size_t size);

}  // namespace fuzzarchive
