#pragma once
// The shell of a test: opened targets and shown messages are recorded; dialogs and
// message boxes answer what the test queued.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace dx::test {

class FakeShell : public platform::IShell {
 public:
  struct Message {
    std::string text, caption;
    platform::MessageButtons buttons;
    platform::MessageIcon icon;
  };
  struct Dialog {
    std::string kind, title, filterOrFlags;
  };

  std::vector<std::string> opened;
  std::vector<Message> messages;
  std::vector<Dialog> dialogs;
  std::deque<platform::MessageResult> answers;        // default: Ok / Yes
  std::deque<std::optional<std::string>> choices;     // default: cancelled
  bool openSucceeds = true;

  std::vector<platform::ShowMode> openModes;

  bool Open(const std::string& target, platform::ShowMode mode = platform::ShowMode::Normal) override {
    opened.push_back(target);
    openModes.push_back(mode);
    return openSucceeds;
  }
  platform::MessageResult ShowMessage(const std::string& text, const std::string& caption,
                                      platform::MessageButtons buttons, platform::MessageIcon icon) override {
    messages.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
      auto answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return buttons == platform::MessageButtons::Ok || buttons == platform::MessageButtons::OkCancel
               ? platform::MessageResult::Ok
               : platform::MessageResult::Yes;
  }
  std::optional<std::string> BrowseForFolder(const std::string& title, bool allowCreateAndDelete) override {
    dialogs.push_back({"folder", title, allowCreateAndDelete ? "create+delete" : "plain"});
    return NextChoice();
  }
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filter) override {
    dialogs.push_back({"file", title, filter});
    return NextChoice();
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
  }

 private:
  std::optional<std::string> NextChoice() {
    if (choices.empty()) return std::nullopt;
    auto choice = choices.front();
    choices.pop_front();
    return choice;
  }
};

}  // namespace dx::test
