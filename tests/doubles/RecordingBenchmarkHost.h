#pragma once
// A benchmark session's host in a test: what a window would show is kept as its state,
// every report in order, questions answered as queued (yes by default), timers elapsed
// when the test says. Given a window's host, it passes every report on to it as well.
#include <deque>
#include <string>
#include <vector>

#include "bench/BenchmarkHost.h"
#include "tests/doubles/FakeTimers.h"

namespace dx::test {

class RecordingBenchmarkHost : public IBenchmarkHost, public FakeTimers {
 public:
  explicit RecordingBenchmarkHost(IBenchmarkHost* window = nullptr) : window_(window) {}

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
    if (window_) window_->ShowProgress(text);
  }
  void ShowRuns(const std::string& text) override {
    runsLine = text;
    events.push_back("runs " + text);
    if (window_) window_->ShowRuns(text);
  }
  void ShowBusy() override {
    busy = true;
    runButtonEnabled = false;
    events.push_back("busy");
    if (window_) window_->ShowBusy();
  }
  void RepaintBusyPanel() override {
    events.push_back("repaint");
    if (window_) window_->RepaintBusyPanel();
  }
  void EnableRunButton() override {
    runButtonEnabled = true;
    events.push_back("enable");
    if (window_) window_->EnableRunButton();
  }
  void ShowIdle() override {
    busy = false;
    runButtonEnabled = true;
    events.push_back("idle");
    if (window_) window_->ShowIdle();
  }
  void ShowWaitingForGame(bool waiting) override {
    waitingForGame = waiting;
    events.push_back(waiting ? "waiting" : "not waiting");
    if (window_) window_->ShowWaitingForGame(waiting);
  }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    events.push_back("message");
    if (window_) window_->ShowMessage(text);
  }
  bool Ask(const std::string& question) override {
    questions.push_back(question);
    events.push_back("ask");
    if (window_) return window_->Ask(question);
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Ended(BenchmarkOutcome outcome) override {
    ended.push_back(outcome);
    events.push_back("ended");
    if (window_) window_->Ended(outcome);
  }
  std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) override {
    if (window_) return window_->StartTimer(milliseconds, std::move(onElapsed));
    return Start(milliseconds, std::move(onElapsed));
  }

 private:
  IBenchmarkHost* window_;
};

}  // namespace dx::test
