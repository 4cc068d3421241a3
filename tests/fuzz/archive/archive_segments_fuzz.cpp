// A segmented archive: the input, split at kSeparator behind a control byte, gives the
// files "Song.exe", "Song-002.mmm", "Song-003.mmm" ... (at most six). The reader lists,
// checks and extracts them and asks its questions (segments to locate, errors to go on
// after) of prompts that answer from the control byte:
//   bit 0: open "Song-002.mmm" instead of "Song.exe"
//   bit 1: oOpenSingleSegment
//   bits 2-3: a file to locate is 0 refused, 1 the segment files in turn, 2 the name asked
//             for, 3 "Song.exe"
//   bit 4: errors are asked about (eaAsk) and answered Yes, else they are counted
#include <memory>

#include "FuzzArchive.h"
#include "archive/Format.h"
#include "archive/Paths.h"

namespace {

class Prompts : public archive::TArchivePrompts {
 public:
  Prompts(int locate, const std::vector<std::string>& files) : locate_(locate), files_(files) {}
  archive::TPromptAnswer Ask(const std::string&, const std::string&, unsigned) override {
    return archive::TPromptAnswer::Yes;
  }
  bool InputQuery(const std::string&, const std::string&, std::string&, bool) override {
    return false;
  }
  void ShowMessage(const std::string&, const std::string&) override {}
  bool SelectFile(const std::string&, std::string& path) override {
    if (locate_ == 0 || ++asked_ > 8) return false;
    if (locate_ == 1) path = files_[size_t(asked_) % files_.size()];
    if (locate_ == 3) path = files_[0];
    return true;
  }
  bool SelectFolder(const std::string&, std::string&) override { return false; }

 private:
  int locate_;
  int asked_ = 0;
  const std::vector<std::string>& files_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  std::vector<std::string> parts = fuzzarchive::SplitInput(data + 1, size - 1);
  if (parts.size() > 6) parts.resize(6);
  std::vector<std::string> files;
  for (size_t k = 0; k < parts.size(); ++k) {
    const std::string name =
        k == 0 ? "Song.exe"
               : archive::ExtractFileName(archive::SegmentFileName("Song.exe", int(k + 1)));
    files.push_back(fuzzarchive::WriteInput(name, reinterpret_cast<const uint8_t*>(parts[k].data()),
                                            parts[k].size()));
  }
  const std::string open = (control & 1) && files.size() > 1 ? files[1] : files[0];
  std::vector<std::unique_ptr<Prompts>> prompts;  // one for each reader, outliving it
  fuzzarchive::ReadAllWays(open, [&](archive::TExtractor& reader) {
    prompts.push_back(std::make_unique<Prompts>((control >> 2) & 3, files));
    reader.SetPrompts(prompts.back().get());
    if (control & 2) reader.SetOptions(reader.Options().Include(archive::oOpenSingleSegment));
    if (control & 16) reader.SetErrorAction(archive::eaAsk);
  });
  // The next input may have fewer segment files.
  for (const std::string& f : files) platform::DeleteFile(f);
  fuzzarchive::CleanUp();
  return 0;
}
