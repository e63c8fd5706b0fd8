#pragma once
// What a benchmark session tells the program that shows it: progress, busy or idle, a
// message or a question, and its end. The main window implements it, and so does the
// unattended mode (around the window's); the tests have a recording host.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dx {

// How the last benchmark of this program run ended, for whoever waits on it.
enum class BenchmarkOutcome {
  boNone,             // none has ended yet
  boAllScored,        // every run gave a score
  boRunWithoutScore,  // a run gave none, which ended the benchmark there
  boCancelled,        // the user stopped it
  boTimedOut,         // a run took longer than the time limit and was ended
  boCouldNotStart,    // a check of the start failed, or the game (or its script) could not be started
};

// A timer of the host; destroying it stops it.
class IHostTimer {
 public:
  virtual ~IHostTimer() = default;
};

class IBenchmarkHost {
 public:
  virtual ~IBenchmarkHost() = default;

  // The progress line's caption, repainted at once (the event loop is blocked).
  virtual void ShowProgress(const std::string& text) = 0;
  // The runs line ("Runs: 2/3").
  virtual void ShowRuns(const std::string& text) = 0;
  // The busy panel shown and the run button disabled; the panel and its line painted at once.
  virtual void ShowBusy() = 0;
  // The busy panel and the run button painted again at once.
  virtual void RepaintBusyPanel() = 0;
  // The run button enabled again when the game cannot be started.
  virtual void EnableRunButton() = 0;
  // The busy panel hidden, the run button enabled.
  virtual void ShowIdle() = 0;
  // While a benchmark's game left by a copy that ended still runs: the line that says so.
  virtual void ShowWaitingForGame(bool waiting) = 0;
  // A modal message with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A yes/no question; true for yes.
  virtual bool Ask(const std::string& question) = 0;
  // The benchmark is over and every file is back in place.
  virtual void Ended(BenchmarkOutcome outcome) = 0;
  // Calls onElapsed once, on the user-interface thread, after the time has passed.
  virtual std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) = 0;
};

}  // namespace dx
