#pragma once
// The main window's state and rules: every control as a model under its own name, the
// folders and lists the window owns, and the handlers that read and write them. The
// Win32 view creates the real windows and keeps them in step with these models.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/MainFormHost.h"
#include "common/SharedRegistry.h"
#include "app/controls/ChoiceControls.h"
#include "app/controls/TextControls.h"
#include "bench/BenchmarkHost.h"
#include "bench/BenchmarkRecord.h"
#include "bench/FrameRecorder.h"
#include "bench/Report.h"
#include "bench/ResultFiles.h"
#include "bench/RunState.h"
#include "common/LineList.h"
#include "extras/CustomResolution.h"
#include "gameprep/ConfigWriter.h"
#include "gameprep/DemoHousekeeping.h"
#include "gameprep/ProcessRunner.h"
#include "platform/Platform.h"
#include "sysinfo/ComputerInfo.h"
#include "sysinfo/DirectXDiagnostics.h"
#include "sysinfo/RadInfo.h"
#include "sysinfo/SystemInfo.h"

namespace dx {

class TSelfUpdater;

enum class MouseButton { Left, Right, Middle };

// The page of each side-bar item.
inline constexpr int kPagePaths = 0;
inline constexpr int kPageResolutions = 1;
inline constexpr int kPageDemoQuality = 2;
inline constexpr int kPageProxy = 3;
inline constexpr int kPageStart = 4;
inline constexpr int kPageAdditional = 5;

// RGB (166, 193, 98) as the window system stores colours (0x00BBGGRR).
inline constexpr std::uint32_t kGroupCaptionColour = 0x0062C1A6;
inline constexpr const char* kMessageCaption = "Dextrel";

// How the last benchmark of this program run ended, for whoever waits on it.
enum class BenchmarkOutcome {
  boNone,             // none has ended yet
  boAllScored,        // every run gave a score
  boRunWithoutScore,  // a run gave none, which ended the benchmark there
  boCancelled,        // the user stopped it
  boTimedOut,         // a run took longer than the time limit and was ended
  boCouldNotStart,    // a check of the start failed, or the game (or its script) could not be started
};

class TForm1 : private IBenchmarkHost {
 public:
  TForm1(platform::Platform& platform, IMainFormHost& host);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // ---- Window and start-up
  // Start-up from the side-bar colours to the hidden auxiliary windows. A settings
  // load that fails still lets the auxiliary windows be created; its error follows.
  void FormCreate();
  // Every activation: the news check.
  void FormActivate();
  void Image1MouseDown(MouseButton button);
  void Image3Click();
  // The exit button: restore, remove, clear the cache, end.
  void Image2Click();
  // A close request: the close query, then the close.
  void FormCloseQuery(bool& canClose);
  void FormClose();

  // ---- Side bar
  void RzGroup1Items0Click() { PageControl.SetActivePageIndex(kPagePaths); }
  void RzGroup1Items1Click() { PageControl.SetActivePageIndex(kPageResolutions); }
  void RzGroup1Items2Click() { PageControl.SetActivePageIndex(kPageDemoQuality); }
  void RzGroup1Items3Click() { PageControl.SetActivePageIndex(kPageAdditional); }
  void RzGroup3Items1Click() { PageControl.SetActivePageIndex(kPageProxy); }
  void RzGroup3Items4Click() { PageControl.SetActivePageIndex(kPageStart); }

  // ---- Option pages
  void RzToolButton2Click();
  void RzToolButton1Click();
  void OpenResFolderClick();
  // The results history of the results folder, rebuilt and opened (app/HistoryCommand.cpp).
  void HistoryButtonClick();
  void NoteEditChange();
  void resMouseLeave();
  void cusresboxClick();
  void cusresboxMouseLeave();
  void CusPossibilitiesClick();
  void AspectBoxChanging();
  void RunNumberBoxChange();
  void demoChanging();
  void DemoEditButtonClick();
  void QualityModeBoxChanging();
  void UseProxyBoxClick();
  void UseProxyBoxMouseLeave();
  void ProxyServerEditChange();
  void ProxyPortEditChange();
  void ProxyUsernameEditChange();
  void ProxyPassEditChange();
  void AFBoxChange();
  void AABoxChange();
  void SMPBoxMouseLeave();
  void AmbientLightBoxMouseLeave();
  void FrameTimesBoxMouseLeave();
  void ALValuesChange();
  // "Update benchmark": the proxy fields as they are now, then the update check.
  void RzToolButton3Click();

  // ---- Update component
  void UpdaterLaterUpgrade();
  void UpdaterAborted();
  void UpdaterHostUnreachable(const std::string& url, const std::string& host);

  // ---- Benchmark
  // The run button: prepares the game folder, makes sure the diagnostic values are in
  // memory and starts the benchmark (at once, or when the diagnostic tool has ended).
  void BenchButtonClick();
  // Writes the configuration, checks the start, writes the report head and launches the
  // first selected resolution.
  void StartBenchmark();
  // The game's exit: records the run and launches the next one.
  void cpTerminate(TJvCreateProcess& sender, std::uint32_t exitCode);
  // Back to idle, the game's configuration restored, the report saved and shown.
  void FinishBenchmark();
  // From the press of the run button until the window is idle again.
  bool BenchmarkRunning() const { return busy_; }
  // The busy panel's "Cancel" and the Escape key: asks, and on yes stops the benchmark.
  void CancelButtonClick();
  // A close nobody is asked about: the benchmark stops as cancelled, its files back.
  void CancelBenchmark();
  BenchmarkOutcome LastBenchmarkOutcome = BenchmarkOutcome::boNone;
  // Raised once a benchmark has ended and every file is back in place.
  std::function<void(BenchmarkOutcome)> OnBenchmarkEnded;

  // ---- Game preparation, on the controls' current state (the benchmark calls these)
  void BuildSmpSummary();
  void BuildAmbientLightLine();
  void BuildFilteringLines();
  void BuildAspectArgument();
  void WriteAutoexec();
  void PrepareDemo();
  void BackupGameConfig();
  void RestoreGameConfig();
  void RestoreAutoexec();
  void RemoveBuiltinDemo();
  void RemoveNetDemoFiles();
  void RemoveConsoleLog();

  // Open the settings key without creating it and write one value.
  void Store(const std::string& name, const std::string& value);
  // The game folder and the two below it, from the folder text (ending in a backslash).
  void SetGameFolder(const std::string& gamePath);

  platform::Platform& Platform() { return platform_; }
  IMainFormHost& Host() { return host_; }
  // Where frame times can be captured; without it a benchmark that asks for them records why not.
  void SetFrameCapture(platform::IFrameCapture* capture) { frameCapture_ = capture; }

  // ---- Main window
  controls::TPageControl PageControl{"PageControl", 6};
  controls::TPanel Panel1{"Panel1"};
  controls::TLabel Label3{"Label3", "Benchmarking in progress"};
  controls::TLabel Label2{"Label2", "Resolution: ..."};
  controls::TLabel RunsLabel{"RunsLabel"};
  controls::TButton CancelButton{"CancelButton", "Cancel"};
  controls::TButton BenchButton{"BenchButton"};
  controls::TLabel Label6{"Label6"};
  // Shown while a benchmark's game left by a copy that ended still runs.
  controls::TLabel WaitingLabel{"WaitingLabel"};
  std::uint32_t GroupCaptionColour = 0;

  // ---- Page 0
  controls::TEdit Q4PathEdit{"Q4PathEdit"};
  controls::TButton RzToolButton2{"RzToolButton2"};
  controls::TButton OpenResFolder{"OpenResFolder", "Open"};
  controls::TEdit ResEdit{"ResEdit"};
  controls::TButton HistoryButton{"HistoryButton", "History"};
  controls::TButton RzToolButton1{"RzToolButton1"};
  controls::TEdit NoteEdit{"NoteEdit"};

  // ---- Page 1
  controls::TCheckGroup res;
  controls::TCheckBox cusresbox{"cusresbox", "Custom resolution:"};
  controls::TEdit CusWidth{"CusWidth"};
  controls::TEdit CusHeight{"CusHeight"};
  controls::TButton CusPossibilities{"CusPossibilities", "Possibilities"};
  controls::TRadioGroup AspectBox;
  controls::TComboBox RunNumberBox;

  // ---- Page 2
  controls::TRadioGroup demo;
  controls::TEdit DemoEdit{"DemoEdit"};
  controls::TButton DemoEditButton{"DemoEditButton"};
  controls::TRadioGroup QualityModeBox;
  controls::TLabel Label7{"Label7"};

  // ---- Page 3
  controls::TEdit ProxyServerEdit{"ProxyServerEdit"};
  controls::TEdit ProxyPortEdit{"ProxyPortEdit"};
  controls::TEdit ProxyUsernameEdit{"ProxyUsernameEdit"};
  controls::TEdit ProxyPassEdit{"ProxyPassEdit"};
  controls::TCheckBox UseProxyBox{"UseProxyBox", "Use Proxy  Server"};
  controls::TButton RzToolButton3{"RzToolButton3", "Update benchmark"};

  // ---- Page 5
  controls::TComboBox AFBox;
  controls::TComboBox AABox;
  controls::TCheckBox SMPBox{"SMPBox", "Enable SMP"};
  controls::TCheckBox AmbientLightBox{"AmbientLightBox", "Enable Ambient Light"};
  controls::TCheckBox FrameTimesBox{"FrameTimesBox", "Record frame times"};
  controls::TComboBox ALValues;

  // ---- State
  std::string GamePath;
  std::string GameBasePath;
  std::string GameDemoPath;
  std::string ResultsPath;
  std::string ProgramDir;
  int RunCount = 0;
  // The version string shown after the "v", and the one the update check compares.
  std::string VersionString;
  std::string UpdaterOwnVersion;

  LineList DisplayModeList;
  LineList DiagnosticLines;
  LineList ResultReport;
  LineList GameConfigLines;
  LineList Memo1;
  dx::SharedRegistry SharedRegistry;
  ConfigWriter Config;
  DemoHousekeeping Housekeeping;
  std::unique_ptr<TForm3> Form3;
  // Made at start-up once the program's path is known (app/UpdateCheck.cpp).
  std::unique_ptr<TSelfUpdater> Updater;

  // ---- Benchmark
  TJvCreateProcess cp;     // the game
  TJvCreateProcess dxrun;  // the diagnostic tool
  SystemInfoRecord SystemInfo;
  dx::BenchmarkRunState BenchmarkRunState;
  LineList NetDemoScript;
  TJvComputerInfoEx JvComputerInfoEx1;
  RadInfo AdapterInfo;
  // What the result files beside the report are made of, and what of them failed.
  BenchmarkRecord ResultRecord;
  ResultFileProblems ResultFileTroubles;
  // Made once the program's folder is known; releases dxrun's event before dxrun goes.
  std::unique_ptr<TDirectXDiagnostics> Diagnostics;

 private:
  void WireHandlers();
  void StoreIfNotEmpty(const std::string& name, const controls::TEdit& edit);
  GameFolders Folders() const { return {ProgramDir, GameBasePath, GameDemoPath}; }
  DemoChoice ChosenDemo() const { return {demo.IsChecked(0), demo.IsChecked(1), DemoEdit.Text()}; }
  // The registry step of both exits.
  void ClearSessionSettings();
  // The game folder's part of both exits: what this copy's journal names put back.
  void CloseGameFolder();
  // The game folder's mark, for any step on the user's files there; none while another copy
  // has files out there, or when the system cannot make it.
  platform::MarkAttempt TakeGameFolder();
  // At start-up and before a benchmark: a journal a copy that ended left, acted on. False
  // when its game still runs, which this copy then waits for.
  bool RecoverGameFolder();
  void WaitForJournalGame();
  void JournalGameEnded();
  // The mark goes once no benchmark runs and nothing of the journal is out.
  void LetGoOfGameFolder();
  // Benchmark steps (app/MainFormBenchmark.cpp).
  void CreateDiagnostics();
  void CreateUpdater();
  // The highest update serial kept in the settings key; 0 when none is.
  std::uint64_t SeenUpdateSerial();
  void FailStart(const std::string& message);
  void ShowMessageOk(const std::string& text);
  void UpdateRunsLine();
  // Launches the first selected resolution at or after tag; false when none started.
  bool Launch(const std::string& tag);
  // The game or its script could not be started: the benchmark ends with what it has.
  void EndAfterFailedLaunch(bool scriptFailed, const std::string& failure);
  // The question of Cancel and of leaving during a benchmark; on yes the benchmark is
  // stopped. True when none runs any more.
  bool ConfirmStop();
  void EndIfStartFails(const std::function<void()>& step);
  void PrepareAndStart(bool gameFolderPresent);
  void StopBenchmark(BenchmarkOutcome reason);
  void RunTimeLimitReached();
  // Ends a benchmark before its last run: saves and opens what was measured, puts every
  // file back, then tells the user (when there is something to tell).
  void EndEarly(const std::string& message);
  // The benchmark is over: the mark let go, the outcome set and announced.
  void EndBenchmark();
  ResolutionBlockInputs BlockInputs() const;
  // Records the run that has just ended; true when the sequence goes on.
  bool RecordRun();
  // The choices the benchmark starts with, for the result files.
  BenchmarkSetup CurrentSetup() const;
  // The run into ResultRecord, its logs into the results folder.
  void KeepRun(const RecordedRun& run);

  // The benchmark's steps call back through this.
  void ShowProgress(const std::string& text) override;
  void EnableRunButton() override;
  void RepaintBusyPanel() override;
  void ShowBenchmarkMessage(const std::string& text) override;
  void RunRecorded(const RecordedRun& run) override;
  void FinishRuns() override;
  void PutAutoexecBack() override;
  void PutGameConfigBack() override;
  void ShowIdle() override;
  void RemoveRunLog() override;
  void RemoveNetDemoRun() override;

  platform::Platform& platform_;
  IMainFormHost& host_;
  platform::IFrameCapture* frameCapture_ = nullptr;
  FrameRecorder frameRecorder_;
  bool busy_ = false;
  // Held from the run button, or the start-up's recovery, until everything the journal
  // names is back, so that no other copy touches those files.
  std::unique_ptr<platform::IHeldMark> gameFolderMark_;
  // The game of a journal left by a copy that ended, still running.
  std::unique_ptr<platform::IProcessWait> gameWait_;
  // The journal was left by a copy that ended: a configuration its game rewrote is kept.
  bool journalRecovered_ = false;
  std::unique_ptr<IHostTimer> runTimer_;
  std::uint32_t runTimeLimitMs_ = 0;  // 0: none
  std::string runTimeLimitText_;     // in minutes, as stored
  // Set by the ways a benchmark ends early; otherwise the runs tell.
  std::optional<BenchmarkOutcome> endReason_;
};

// The quality description of item 0 to 3 (the "Ultra Quality" one for any other).
const char* QualityDescription(int index);

}  // namespace dx
