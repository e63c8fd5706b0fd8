#pragma once
// A benchmark session's host in a test: what a window would show is kept as its state,
// every report in order, questions answered as queued (yes by default), timers elapsed
// when the test says.
#include <deque>
#include <string>
#include <vector>

#include "bench/BenchmarkHost.h"
#include "tests/doubles/FakeTimers.h"

namespace dx::test {

class RecordingBenchmarkHost : public IBenchmarkHost, public FakeTimers {
 public:
  // What the window shows.
  bool busy = false;
  bool runButtonEnabled = true;
  bool waitingForGame = false;
  std::string progress;
  std::string runsLine;
  // Every report, in order ("busy", "repaint", "idle", "enable", "progress <text>", ...).
  std::vector<std::string> events;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<bool> answers;
  std::vector<BenchmarkOutcome> ended;

  bool Idle() const { return !busy && runButtonEnabled; }
  int Count(const std::string& event) const {
    int n = 0;
    for (const auto& e : events) n += e == event;
    return n;
  }
  // Reports of one kind whatever their text ("progress ").
  int CountStarting(const std::string& prefix) const {
    int n = 0;
    for (const auto& e : events) n += e.rfind(prefix, 0) == 0;
    return n;
  }

  void ShowProgress(const std::string& text) override {
    progress = text;
    events.push_back("progress " + text);
  }
  void ShowRuns(const std::string& text) override {
    runsLine = text;
    events.push_back("runs " + text);
  }
  void ShowBusy() override {
    busy = true;
    runButtonEnabled = false;
    events.push_back("busy");
  }
  void RepaintBusyPanel() override {
    events.push_back("repaint");
  }
  void EnableRunButton() override {
    runButtonEnabled = true;
    events.push_back("enable");
  }
  void ShowIdle() override {
    busy = false;
    runButtonEnabled = true;
    events.push_back("idle");
  }
  void ShowWaitingForGame(bool waiting) override {
    waitingForGame = waiting;
    events.push_back(waiting ? "waiting" : "not waiting");
  }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    events.push_back("message");
  }
  bool Ask(const std::string& question) override {
    questions.push_back(question);
    events.push_back("ask");
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Ended(BenchmarkOutcome outcome) override {
    ended.push_back(outcome);
    events.push_back("ended");
  }
  std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) override {
    return Start(milliseconds, std::move(onElapsed));
  }
};

}  // namespace dx::test
