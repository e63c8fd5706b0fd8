#pragma once
// The update component's front end in a test: windows and message boxes are recorded,
// the boxes answer what the test queued, the question window what agree says.
#include <deque>
#include <string>
#include <vector>

#include "extras/UpdaterUi.h"

namespace dx::test {

class FakeUpdaterUi : public IUpdaterUi {
 public:
  struct Message {
    std::string text, caption;
    platform::MessageButtons buttons;
    platform::MessageIcon icon;
  };
  std::vector<std::string> events;
  std::vector<Message> messages;
  std::deque<platform::MessageResult> answers;  // default: Ok / Yes
  bool agree = true;
  std::string askCaption, askText;
  std::vector<std::string> progress;
  std::string completedTitle, completedNote;
  bool windowShown = false;

  bool AskUpgrade(const std::string& caption, const std::string& text) override {
    events.push_back("ask");
    askCaption = caption;
    askText = text;
    return agree;
  }
  void ShowDownloadWindow() override {
    events.push_back("window");
    windowShown = true;
  }
  void ShowFile(const std::string& url, const std::string& all) override { events.push_back("file " + url + " " + all); }
  void ShowFileSize(const std::string& text) override { events.push_back(text); }
  void ShowProgress(int current, int all, const std::string& rate, const std::string& left) override {
    progress.push_back(std::to_string(current) + " " + std::to_string(all) + " " + rate + " " + left);
  }
  void ShowCompleted(const std::string& title, const std::string& note) override {
    events.push_back("completed");
    completedTitle = title;
    completedNote = note;
  }
  void CloseDownloadWindow() override {
    events.push_back("close");
    windowShown = false;
  }
  platform::MessageResult ShowMessage(const std::string& text, const std::string& caption, platform::MessageButtons buttons,
                            platform::MessageIcon icon) override {
    messages.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
      auto a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == platform::MessageButtons::Ok ? platform::MessageResult::Ok : platform::MessageResult::Yes;
  }
};

// Each start as "<file name> <arguments>", with the bytes started.
struct RecordingStarter : IProgramStarter {
  std::vector<std::string> commandLines;
  std::vector<std::string> startedBytes;
  bool succeeds = true;
  bool StartProtected(const std::string& fileName, const std::string& bytes, const std::string& arguments) override {
    commandLines.push_back(fileName + " " + arguments);
    startedBytes.push_back(bytes);
    return succeeds;
  }
};

}  // namespace dx::test
