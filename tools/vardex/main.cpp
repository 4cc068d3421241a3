// vardex SONG.mp3 TARGET.exe [--split KB] [--win64] [--player FILE] [--decoder-archive FILE]
//
// Builds a self-playing executable from SONG.mp3 with the default style, the way
// Vardex.exe does, on Linux. Exit code 0 on success; otherwise the message goes to
// standard error.
#include <cstdio>
#include <string>
#include <vector>

#include "Artifacts.h"
#include "builder/core/BatchBuild.h"
#include "builder/core/OutputLayout.h"
#include "platform/System.h"

namespace {

constexpr char kUsage[] =
    "usage: vardex SONG.mp3 TARGET.exe [--split KB] [--win64] [--player FILE]\n"
    "              [--decoder-archive FILE]\n"
    "Builds a self-playing executable from the song with the default style. The player\n"
    "image and the decoder archive come from build/win32 (or build/win64 with --win64)\n"
    "beside the native build that holds this tool, unless given.\n";

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "vardex: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> rest;
  bool win64 = false;
  std::string player, decoderArchive;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--win64") {
      win64 = true;
    } else if ((a == "--player" || a == "--decoder-archive") && i + 1 < argc) {
      (a == "--player" ? player : decoderArchive) = argv[++i];
    } else {
      rest.push_back(a);
    }
  }
  builder::BatchRequest request;
  if (const auto error = builder::ParseBatchArguments(rest, "--", request)) {
    std::fputs(kUsage, stderr);
    return Fail(*error, 2);
  }
  vardextool::ArtifactPaths paths = vardextool::DefaultArtifacts(win64);
  if (!player.empty()) paths.player = player;
  if (!decoderArchive.empty()) paths.decoderArchive = decoderArchive;
  vardextool::FileResources resources;
  if (const std::string error = resources.Load(paths); !error.empty()) return Fail(error, 1);
  request.tempFolder = platform::TempFolder();
  if (const std::string error = builder::RunBatchBuild(request, resources); !error.empty())
    return Fail(error, 1);
  return 0;
}
