// What the pipeline tests need: a stand-in player image of the right length, a
// decoder archive made the way the build makes it (one entry "kelvaro.dll", blocks
// of 262144 bytes, maximum compression), resources held in memory and a host that
// records what it was told and answers from a script.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "../archive/TestFolder.h"
#include "archive/Archiver.h"
#include "builder/core/OutputLayout.h"
#include "builder/core/Pipeline.h"

namespace testutil {

inline std::vector<uint8_t> FakePlayerImage() {
  std::vector<uint8_t> image = MixedData(builder::kStartOffset, 7);
  image[0] = 'M';
  image[1] = 'Z';
  return image;
}

inline std::vector<uint8_t> MakeDecoderArchive(const TestFolder& folder) {
  const std::string dll = folder / "kelvaro.dll";
  WriteAll(dll, MixedData(300000, 11));
  const std::string arc = folder / "decoder.arc";
  {
    archive::TArchiver a;
    a.SetBlockSize(262144);
    a.SetCompressionLevel(archive::clMaximum);
    a.SetLanguage(archive::lgEnglish);
    a.SetFileName(arc);
    a.Open();
    a.AddFile(dll);
    a.Close();
  }
  auto bytes = ReadAll(arc);
  platform::DeleteFile(arc);
  platform::DeleteFile(dll);
  return bytes;
}

class MemoryResources : public builder::TBuildResources {
 public:
  std::map<std::string, std::vector<uint8_t>> files;  // "TYPE/NAME"
  bool Find(const std::string& type, const std::string& name, const uint8_t*& data,
            size_t& size) override {
    const auto it = files.find(type + "/" + name);
    if (it == files.end()) return false;
    data = it->second.data();
    size = it->second.size();
    return true;
  }
};

class RecordingHost : public builder::TBuildHost {
 public:
  std::map<builder::BuildQuestion, bool> answers;  // unlisted questions: No
  std::vector<std::string> messages, questions, statuses;
  std::vector<int> progress;
  int tagSaves = 0;
  std::string executed;
  bool createEnabled = true;
  bool progressVisible = false;

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool Ask(builder::BuildQuestion q, const std::string& text) override {
    questions.push_back(text);
    const auto it = answers.find(q);
    return it != answers.end() && it->second;
  }
  void SaveTagChanges() override { ++tagSaves; }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowProgress(bool visible) override { progressVisible = visible; }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void SetCreateEnabled(bool enabled) override { createEnabled = enabled; }
  void Execute(const std::string& path) override { executed = path; }
};

}  // namespace testutil
