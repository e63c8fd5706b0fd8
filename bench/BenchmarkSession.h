#pragma once
// One benchmark, from the run button's checks to its end: the game folder marked, its
// journal begun and the folder prepared, the diagnostic values made sure of, every game
// run launched and recorded, the report saved and opened and the user's files put back
// from the journal. Between benchmarks it keeps the game folder's journal: what a copy
// that ended left is put back at start-up (after its game, when that still runs), and
// this copy's own at the exit. Everything runs on the user-interface thread; the game's
// and the diagnostic tool's exits re-enter through their runners. It reports through
// IBenchmarkHost only.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "bench/BenchmarkHost.h"
#include "bench/BenchmarkRecord.h"
#include "bench/FrameRecorder.h"
#include "bench/LaunchCommands.h"
#include "bench/ResultFiles.h"
#include "bench/RunLogKeeper.h"
#include "bench/RunSteps.h"
#include "bench/RunState.h"
#include "common/LineList.h"
#include "common/SharedRegistry.h"
#include "gameprep/ConfigWriter.h"
#include "gameprep/DemoHousekeeping.h"
#include "gameprep/ProcessRunner.h"
#include "platform/Platform.h"
#include "sysinfo/ComputerInfo.h"
#include "sysinfo/DirectXDiagnostics.h"
#include "sysinfo/RadInfo.h"
#include "sysinfo/SystemInfo.h"

namespace dx {

// The user's choices as they stood when the run button was pressed; a control changed
// during the benchmark does not change it.
struct BenchmarkSetup {
  ResolutionSelection resolutions;
  int runCount = 0;  // as the settings hold it; 0 until one is loaded or chosen
  // Item indexes of the option lists; -1 for none.
  int quality = -1;
  int aspect = -1;
  int antialiasing = -1;
  int filtering = -1;
  bool smp = false;
  bool ambientLight = false;
  std::string ambientLightValue;  // what the list shows
  bool frameTimes = false;
  DemoChoice demo;
  std::string gamePath;     // ends in a backslash; empty while the game is unknown
  std::string resultsPath;  // ends in a backslash
  std::string note;
  std::string programVersion;
};

class BenchmarkSession : private IRunSteps {
 public:
  BenchmarkSession(platform::Platform& platform, SharedRegistry& registry, IBenchmarkHost& host);
  ~BenchmarkSession() override;
  BenchmarkSession(const BenchmarkSession&) = delete;
  BenchmarkSession& operator=(const BenchmarkSession&) = delete;

  // The program (its journal names it) and its folder, ending in a backslash: the built-in
  // demo, the diagnostic report and the last place for a report. Makes the diagnostic
  // tool's hand-over anew, which takes over the tool runner's exit.
  void SetProgram(const std::string& programPath, const std::string& programDir);
  // Where frame times can be captured; without it a benchmark that asks for them records why not.
  void SetFrameCapture(platform::IFrameCapture* capture) { frameCapture_ = capture; }
  // The host the session reports to from now on (the unattended mode puts itself
  // between the session and the window's).
  void SetHost(IBenchmarkHost& host) { host_ = &host; }

  // The run button: marks the game folder, puts back what a copy that ended left there,
  // prepares it, makes sure the diagnostic values are in memory and starts the benchmark
  // (at once, or when the diagnostic tool has ended). A press while a benchmark, a game or
  // the tool runs changes nothing.
  void Start(const BenchmarkSetup& setup);
  // The game's exit: records the run and launches the next one.
  void cpTerminate(TJvCreateProcess& sender, std::uint32_t exitCode);
  // The diagnostic tool's exit: its values read, then the benchmark started.
  void dxrunTerminate(TJvCreateProcess& sender, std::uint32_t exitCode);
  // Asks, and on yes stops the benchmark. True when none runs any more.
  bool ConfirmStop();
  // A stop nobody is asked about: the benchmark ends as cancelled, its files back.
  void Cancel() { StopBenchmark(BenchmarkOutcome::boCancelled); }
  // From the press of the run button until the benchmark has ended.
  bool Running() const { return busy_; }
  BenchmarkOutcome LastOutcome() const { return lastOutcome_; }

  // ---- The game folder outside a benchmark
  // At start-up: a journal a copy that ended left, acted on. False when its game still
  // runs, which the session then waits for before putting the files back.
  bool RecoverGameFolder(const std::string& gamePath);
  // The close query: the built-in demo out, unless a journal's game still runs.
  void TidyAtCloseQuery();
  // Either exit: what this copy's journal names put back, nothing while its game runs.
  void CloseGameFolder();

  // What the benchmark measured and wrote, for its callers and the tests.
  const BenchmarkRecord& Record() const { return record_; }
  const BenchmarkRunState& RunState() const { return state_; }
  const LineList& Report() const { return report_; }
  const SystemInfoRecord& SystemInfo() const { return systemInfo_; }
  DemoHousekeeping& Housekeeping() { return housekeeping_; }
  ConfigWriter& Config() { return config_; }
  TJvCreateProcess& Game() { return cp_; }
  TJvCreateProcess& DiagnosticTool() { return dxrun_; }

 private:
  std::string GameBasePath() const;
  std::string GameDemoPath() const;
  // The game folder's mark, for any step on the user's files there; none while another copy
  // has files out there, or when the system cannot make it.
  platform::MarkAttempt TakeGameFolder(const std::string& gamePath);
  // The journal a copy that ended left, acted on under the game folder's mark, which stays
  // held; false while its game still runs.
  bool RecoverJournal(const std::string& gamePath);
  void WaitForJournalGame();
  void JournalGameEnded();
  // The mark goes once no benchmark runs and nothing of the journal is out.
  void LetGoOfGameFolder();
  void CreateDiagnostics();
  // An unexpected failure before the first run is under way must not leave the window
  // busy and the user's files aside.
  void EndIfStartFails(const std::function<void()>& step);
  void PrepareAndStart(bool gameFolderPresent);
  // Writes the configuration, checks the start, writes the report head and launches the
  // first selected resolution.
  void StartBenchmark();
  void FailStart(const std::string& message);
  // Launches the first selected resolution at or after tag; false when none started.
  bool Launch(const std::string& tag);
  // The game or its script could not be started: the benchmark ends with what it has.
  void EndAfterFailedLaunch(bool scriptFailed, const std::string& failure);
  void StopBenchmark(BenchmarkOutcome reason);
  // Ends a benchmark before its last run: saves and opens what was measured, puts every
  // file back, then tells the user (when there is something to tell).
  void EndEarly(const std::string& message);
  // The benchmark is over: the mark let go, the outcome set and announced.
  void EndBenchmark();
  // Back to idle, the game's configuration restored, the report saved and shown.
  void FinishBenchmark();
  ResolutionBlockInputs BlockInputs() const;
  // Records the run that has just ended; true when the sequence goes on.
  bool RecordRun();
  // The choices the benchmark started with, for the result files.
  RecordedSetup SetupForRecord() const;
  // The run into the record, its logs read for the results folder.
  void KeepRun(const RecordedRun& run);
  // The logs read since the last write, copied into the results folder.
  void WriteKeptLogs();
  void UpdateRunsLine();
  void RestoreAutoexec();

  // The steps of a run call back through this.
  void ShowProgress(const std::string& text) override { host_->ShowProgress(text); }
  void EnableRunButton() override { host_->EnableRunButton(); }
  void RepaintBusyPanel() override { host_->RepaintBusyPanel(); }
  void ShowBenchmarkMessage(const std::string& text) override { host_->ShowMessage(text); }
  void RunRecorded(const RecordedRun& run) override { KeepRun(run); }
  void FinishRuns() override { FinishBenchmark(); }
  void PutAutoexecBack() override { RestoreAutoexec(); }
  void PutGameConfigBack() override { housekeeping_.RestoreGameConfig(); }
  void ShowIdle() override { host_->ShowIdle(); }
  void RemoveRunLog() override { housekeeping_.RemoveConsoleLog(GameBasePath()); }
  void RemoveNetDemoRun() override { housekeeping_.RemoveNetDemoFiles(); }

  platform::Platform& platform_;
  SharedRegistry& registry_;
  IBenchmarkHost* host_;
  std::string programDir_;
  platform::IFrameCapture* frameCapture_ = nullptr;
  BenchmarkSetup setup_;

  ConfigWriter config_;
  DemoHousekeeping housekeeping_;
  TJvCreateProcess cp_;     // the game
  TJvCreateProcess dxrun_;  // the diagnostic tool
  LineList gameConfigLines_;
  LineList diagnosticLines_;
  LineList adapterLines_;
  LineList netDemoScript_;
  LineList report_;
  SystemInfoRecord systemInfo_;
  TJvComputerInfoEx computerInfo_;
  RadInfo adapterInfo_;
  FrameRecorder frameRecorder_;
  // Made once the program's folder is known; releases dxrun's event before dxrun goes.
  std::unique_ptr<TDirectXDiagnostics> diagnostics_;

  BenchmarkRunState state_;
  // What the result files beside the report are made of, and what of them failed.
  BenchmarkRecord record_;
  ResultFileProblems troubles_;
  std::vector<KeptLog> keptLogs_;

  bool busy_ = false;
  // Held from the run button, or the start-up's recovery, until everything the journal
  // names is back, so that no other copy touches those files.
  std::unique_ptr<platform::IHeldMark> mark_;
  // The game of a journal left by a copy that ended, still running.
  std::unique_ptr<platform::IProcessWait> gameWait_;
  // The journal was left by a copy that ended: a configuration its game rewrote is kept.
  bool journalRecovered_ = false;
  std::unique_ptr<IHostTimer> runTimer_;
  std::uint32_t runTimeLimitMs_ = 0;  // 0: none
  std::string runTimeLimitText_;     // in minutes, as stored
  // Set by the ways a benchmark ends early; otherwise the runs tell.
  std::optional<BenchmarkOutcome> endReason_;
  BenchmarkOutcome lastOutcome_ = BenchmarkOutcome::boNone;
};

}  // namespace dx
