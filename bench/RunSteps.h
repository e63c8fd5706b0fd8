#pragma once
// What the steps of a run (its launch and its recording) ask of the benchmark that runs
// them. The benchmark session implements it, so a step it lacks fails to compile instead
// of silently doing nothing.
#include <cstdint>
#include <string>

namespace dx {

struct RecordedRun;

// The pause after a game has ended and after its files are removed, so the system has let
// go of the game's files and display before the next step.
inline constexpr std::uint32_t kSettleMilliseconds = 1000;

class IRunSteps {
 public:
  virtual ~IRunSteps() = default;

  // The progress line's caption, repainted at once.
  virtual void ShowProgress(const std::string& text) = 0;
  // The run button, enabled again when the game cannot be started.
  virtual void EnableRunButton() = 0;
  // The busy panel and the main window, repainted at once (the event loop is blocked).
  virtual void RepaintBusyPanel() = 0;
  // A modal message with an OK button.
  virtual void ShowBenchmarkMessage(const std::string& text) = 0;
  // The run, once the report has its lines and before the benchmark is finished or the
  // run's files are removed.
  virtual void RunRecorded(const RecordedRun& run) = 0;
  // The last run is recorded, or a run without score ends the benchmark: the report.
  virtual void FinishRuns() = 0;
  // After a run without score: the user's autoexec.cfg (or the written one removed when
  // there is no back-up) and Quake4Config.cfg back, the window idle.
  virtual void PutAutoexecBack() = 0;
  virtual void PutGameConfigBack() = 0;
  virtual void ShowIdle() = 0;
  // The run's console log, and the net demo's script and dump.
  virtual void RemoveRunLog() = 0;
  virtual void RemoveNetDemoRun() = 0;
};

}  // namespace dx
