#pragma once
// Run steps that write down each step it is asked for, in order; a test hangs
// the file work it wants onto the three hooks.
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchmarkRecord.h"
#include "bench/RunSteps.h"

namespace dx::test {

class RecordingRunSteps : public IRunSteps {
 public:
  std::vector<std::string> events;
  std::vector<std::string> messages;
  std::vector<std::string> progress;
  std::vector<RecordedRun> runs;
  int enabled = 0;
  std::function<void()> onFinish, onRemoveRunLog, onRemoveNetDemoRun;

  void ShowProgress(const std::string& text) override { progress.push_back(text); }
  void EnableRunButton() override { ++enabled; }
  void RepaintBusyPanel() override { events.push_back("repaint"); }
  void ShowBenchmarkMessage(const std::string& text) override {
    events.push_back("message");
    messages.push_back(text);
  }
  void RunRecorded(const RecordedRun& run) override { runs.push_back(run); }
  void FinishRuns() override {
    events.push_back("finish");
    if (onFinish) onFinish();
  }
  void PutAutoexecBack() override { events.push_back("restoreAutoexec"); }
  void PutGameConfigBack() override { events.push_back("restoreGameConfig"); }
  void ShowIdle() override { events.push_back("idle"); }
  void RemoveRunLog() override {
    events.push_back("removeLog");
    if (onRemoveRunLog) onRemoveRunLog();
  }
  void RemoveNetDemoRun() override {
    events.push_back("removeNetDemo");
    if (onRemoveNetDemoRun) onRemoveNetDemoRun();
  }
};

}  // namespace dx::test
