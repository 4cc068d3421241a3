#include "builder/core/BatchBuild.h"

#include <exception>

#include "builder/core/MainForm.h"
#include "builder/core/SplitOption.h"

namespace builder {
namespace {

class BatchHost : public TBuildHost {
 public:
  std::string message;
  void ShowMessage(const std::string& text) override { message = text; }
  bool Ask(BuildQuestion question, const std::string&) override {
    return question == BuildQuestion::Overwrite;
  }
};

}  // namespace

std::optional<std::string> ParseBatchArguments(const std::vector<std::string>& args,
                                               const std::string& prefix, BatchRequest& request) {
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == prefix + "split") {
      if (i + 1 == args.size()) return "The option " + a + " needs a size in Kb";
      const auto kb = ParseWholeNumber(args[++i]);
      if (!kb || *kb <= 0) return "Not a size in Kb: " + args[i];
      request.splitKb = *kb;
    } else if (a.size() > prefix.size() && a.compare(0, prefix.size(), prefix) == 0) {
      return "Unknown option " + a;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return std::string("Expected the song and the target file");
  request.song = files[0];
  request.target = files[1];
  return std::nullopt;
}

std::string RunBatchBuild(const BatchRequest& request, TBuildResources& resources) {
  BatchHost host;
  try {
    archive::TArchiver archiver;
    ConfigureArchiver(archiver);
    if (request.splitKb > 0)
      archiver.SetMaxSegmentSize(MaxSegmentSizeFor(siOther, std::to_string(request.splitKb)));
    BuildRequest build;
    build.source = request.song;
    build.target = ForceExeExtension(request.target);
    build.tempFolder = request.tempFolder;
    build.record = request.record;
    if (WriteVardexCodeToStream(archiver, build, resources, host) != BuildResult::Built)
      return host.message.empty() ? std::string("The build did not complete") : host.message;
    return std::string();
  } catch (const archive::EAbort&) {
    return "The build was cancelled";
  } catch (const std::exception& e) {
    return e.what();
  }
}

}  // namespace builder
