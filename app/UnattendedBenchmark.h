#pragma once
// A benchmark nobody watches: the stored settings with this run's overrides, the run
// button pressed as a person would, every message box printed instead of shown, and at
// the end one line per resolution, the report's path and an exit code.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/CommandLineOptions.h"
#include "app/ExitCodes.h"
#include "bench/BenchmarkHost.h"
#include "platform/Shell.h"

namespace dx {

class TForm1;
struct BenchmarkRecord;

using LinePrinter = std::function<void(const std::string&)>;

inline constexpr const char* kAnotherCopyMessage = "Another copy of Dextrel is running.";

// The shell of a benchmark without a person: a message box is printed, line by line,
// and answered as its default button would be; dialogs are cancelled; documents are
// opened only when asked for, and the last one the program wanted opened is kept (the
// saved report).
class PrintingShell : public platform::IShell {
 public:
  PrintingShell(platform::IShell& shell, LinePrinter print, bool openDocuments);
  bool Open(const std::string& target, platform::ShowMode mode) override;
  platform::MessageResult ShowMessage(const std::string& text, const std::string& caption,
                                      platform::MessageButtons buttons, platform::MessageIcon icon) override;
  std::optional<std::string> BrowseForFolder(const std::string& title, bool allowCreateAndDelete) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filter) override;
  const std::string& LastOpened() const { return lastOpened_; }

 private:
  platform::IShell& shell_;
  LinePrinter print_;
  bool openDocuments_;
  std::string lastOpened_;
};

// Puts the overrides into the controls without storing any of them. A size the window
// would not offer on this display refuses them all: the message naming it.
std::optional<std::string> ApplyOverrides(TForm1& form, const BenchmarkOverrides& overrides);

// The lines printed at the end: one per resolution with its average and its runs.
std::vector<std::string> ResolutionLines(const BenchmarkRecord& record);

// 0 when every run scored; 1 when the benchmark ended early or a run had no score;
// a start that failed gives 2 unless an earlier run scored.
int UnattendedExitCode(BenchmarkOutcome outcome, const BenchmarkRecord& record);

// Drives the window's benchmark session as its host: everything is shown by the window as
// usual, and the end is kept for the exit code.
class UnattendedBenchmark : private IBenchmarkHost {
 public:
  // ended runs once the benchmark is over, possibly inside Start and always inside the
  // session's own steps: it may only arrange for Finish to be called later.
  UnattendedBenchmark(TForm1& form, const PrintingShell& shell, LinePrinter print, std::function<void()> ended = {});
  ~UnattendedBenchmark() override;
  UnattendedBenchmark(const UnattendedBenchmark&) = delete;
  UnattendedBenchmark& operator=(const UnattendedBenchmark&) = delete;
  // Puts the overrides in and presses the run button; overrides the window would refuse
  // end it before anything is touched.
  void Start(const BenchmarkOverrides& overrides = {});
  // A close request, a console's Ctrl+C or an unexpected error: a benchmark still running
  // ends as cancelled, its files back. Finish follows.
  void Cancel();
  // True once the benchmark has ended, or the run button would not start one.
  bool Over() const { return outcome_.has_value() || refusal_.has_value(); }
  // Prints the outcome, leaves through the exit button and returns the exit code.
  int Finish();

 private:
  void NotifyEnded();

  void ShowProgress(const std::string& text) override { window_.ShowProgress(text); }
  void ShowRuns(const std::string& text) override { window_.ShowRuns(text); }
  void ShowBusy() override { window_.ShowBusy(); }
  void RepaintBusyPanel() override { window_.RepaintBusyPanel(); }
  void EnableRunButton() override { window_.EnableRunButton(); }
  void ShowIdle() override { window_.ShowIdle(); }
  void ShowWaitingForGame(bool waiting) override { window_.ShowWaitingForGame(waiting); }
  void ShowMessage(const std::string& text) override { window_.ShowMessage(text); }
  bool Ask(const std::string& question) override { return window_.Ask(question); }
  void Ended(BenchmarkOutcome outcome) override;
  std::unique_ptr<IHostTimer> StartTimer(std::uint32_t milliseconds, std::function<void()> onElapsed) override {
    return window_.StartTimer(milliseconds, std::move(onElapsed));
  }

  TForm1& form_;
  IBenchmarkHost& window_;
  const PrintingShell& shell_;
  LinePrinter print_;
  std::function<void()> ended_;
  std::optional<BenchmarkOutcome> outcome_;
  std::optional<int> refusal_;  // the exit code of a benchmark that never began
};

}  // namespace dx
