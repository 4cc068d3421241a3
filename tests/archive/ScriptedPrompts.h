// Prompts that answer from a script and record what was asked.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "archive/Prompts.h"

namespace testutil {

class ScriptedPrompts : public archive::TArchivePrompts {
 public:
  std::deque<archive::TPromptAnswer> answers;  // for Ask; Cancel when empty
  std::deque<std::string> inputs;              // for InputQuery; cancelled when empty
  std::vector<std::string> asked;              // every text shown or asked

  archive::TPromptAnswer Ask(const std::string&, const std::string& text, unsigned) override {
    asked.push_back(text);
    if (answers.empty()) return archive::TPromptAnswer::Cancel;
    const auto a = answers.front();
    answers.pop_front();
    return a;
  }
  bool InputQuery(const std::string&, const std::string& prompt, std::string& value,
                  bool) override {
    asked.push_back(prompt);
    if (inputs.empty()) return false;
    value = inputs.front();
    inputs.pop_front();
    return true;
  }
  void ShowMessage(const std::string&, const std::string& text) override { asked.push_back(text); }
  bool SelectFile(const std::string& title, std::string&) override {
    asked.push_back(title);
    return false;
  }
  bool SelectFolder(const std::string& title, std::string&) override {
    asked.push_back(title);
    return false;
  }
};

}  // namespace testutil
