// The main window's benchmark: from the run button through every game run to the saved
// and opened report. Everything runs on the user-interface thread; the game's exit
// re-enters through cpTerminate.
#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "app/MainForm.h"
#include "app/SettingsStore.h"
#include "bench/LaunchCommands.h"
#include "bench/Report.h"
#include "bench/ResultHistory.h"
#include "bench/ResultParsing.h"
#include "bench/RunRecorder.h"
#include "bench/RunLogKeeper.h"
#include "common/Errors.h"
#include "common/FirstError.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "gameprep/BenchmarkMark.h"
#include "gameprep/GameInterface.h"

namespace dx {
namespace {

constexpr const char* kNoInformation = "No information";

constexpr const char* kNoGameMessage = "ERROR. Please, install the retail version of Quake 4.";
constexpr const char* kNoResolutionMessage = "ERROR. Please, choose a resolution of Quake 4.";
constexpr const char* kCustomDemoMessage = "ERROR. Please, check your custom defined demo parameters.";

constexpr const char* kGameFolderMarkFailed =
    "The game folder could not be reserved for this benchmark, so another copy of Dextrel could change its files "
    "meanwhile. Nothing was changed. %s";

constexpr const char* kFolderUntouched =
    "The benchmark did not start: autoexec.cfg, Quake4Config.cfg and every other file of the game folder are as "
    "they were.";

constexpr const char* kStopQuestion = "Stop the benchmark? The game will be closed.";
// Before the first run no game runs that could be closed.
constexpr const char* kStopQuestionBeforeGame = "Stop the benchmark?";
constexpr const char* kCancelledReason = "The run was cancelled.";
constexpr const char* kMeasuredKept = "The runs measured until then are in the report.";
constexpr int kDefaultRunTimeLimitMinutes = 30;
// The longest a 32-bit timer of milliseconds holds.
constexpr double kLongestRunTimeLimitMinutes = 4294967295.0 / 60000.0;

std::string OrNoInformation(const std::string& value) { return value.empty() ? kNoInformation : value; }

std::string TimeLimitText(const std::string& minutes) {
  return "The game did not finish the run within the time limit of " + minutes +
         (minutes == "1" ? " minute" : " minutes") + " and was closed.";
}

// The stored value in minutes, a string (a fraction too, for a quick look) or a number;
// anything else is the default.
std::pair<std::uint32_t, std::string> RunTimeLimit(const platform::RegistryValue& value) {
  double minutes = kDefaultRunTimeLimitMinutes;
  std::string text = IntToStr(kDefaultRunTimeLimitMinutes);
  if (value.type == platform::RegistryValueType::String) {
    const std::string typed = Trim(value.data);
    auto read = TryReadDecimal(typed, '.');
    if (!read) read = TryReadDecimal(typed, ',');
    if (read && *read >= 0) {
      minutes = *read;
      text = typed;
    }
  } else if (value.type == platform::RegistryValueType::Dword && value.data.size() == 4) {
    std::uint32_t read = 0;
    for (std::size_t i = 4; i-- > 0;) read = (read << 8) | static_cast<unsigned char>(value.data[i]);
    minutes = read;
    text = IntToStr(read);
  }
  minutes = std::min(minutes, kLongestRunTimeLimitMinutes);
  return {static_cast<std::uint32_t>(minutes * 60000.0 + 0.5), text};
}

// "High" of "Quality: High": the value of a summary line as the report shows it.
std::string SummaryValue(const std::string& line) {
  const auto colon = line.find(": ");
  return colon == std::string::npos ? line : line.substr(colon + 2);
}
}  // namespace

void TForm1::CreateDiagnostics() {
  Diagnostics.reset();
  auto start = [this] {
    runTimer_.reset();
    EndIfStartFails([this] { StartBenchmark(); });
  };
  Diagnostics = std::make_unique<TDirectXDiagnostics>(platform_, SharedRegistry, dxrun, ProgramDir, DiagnosticLines,
                                                      SystemInfo, start, settings::kSettingsKey);
}

void TForm1::ShowMessageOk(const std::string& text) {
  platform_.shell.ShowMessage(text, kMessageCaption, platform::MessageButtons::Ok, platform::MessageIcon::None);
}

void TForm1::FailStart(const std::string& message) {
  ShowMessageOk(message);
  ShowIdle();
  SharedRegistry.OpenKey(settings::kSettingsKey, true);
  endReason_ = BenchmarkOutcome::boCouldNotStart;
  EndBenchmark();
}

void TForm1::BenchButtonClick() {
  // The runner refuses a second game or tool while one runs, and the run in progress
  // still has to be recorded: a press then changes nothing.
  if (busy_ || cp.State() == TJvProcessState::Waiting || dxrun.State() == TJvProcessState::Waiting) return;
  if (!Diagnostics) CreateDiagnostics();
  // A demo name that would smuggle a console command in is refused before anything of
  // the game folder is touched.
  if (const std::string refusal = UnsafeDemoNameMessage(ChosenDemo()); !refusal.empty()) {
    FailStart(refusal);
    return;
  }

  // A stale or missing game folder is reported by the start's first check. Touching it
  // before would let the demo copy create the folder tree and pass that check.
  const bool gameFolderPresent = !GamePath.empty() && platform_.files.FolderExists(GamePath);
  if (gameFolderPresent) {
    if (gameWait_) {
      ShowMessageOk(kGameStillRunning);
      return;
    }
    if (!gameFolderMark_) {
      // Another copy has the user's files aside: nothing here may touch them. Without a
      // mark nothing keeps other copies away, so nothing is started either.
      auto attempt = TakeGameFolder();
      if (attempt.failed) {
        ShowMessageOk(FormatMessageText(kGameFolderMarkFailed, attempt.why));
        return;
      }
      if (!attempt.mark) {
        ShowMessageOk(kAnotherCopyBenchmarking);
        return;
      }
      gameFolderMark_ = std::move(attempt.mark);
    }
    // A journal left while another copy held the folder goes first.
    if (!RecoverGameFolder()) {
      ShowMessageOk(kGameStillRunning);
      return;
    }
  }
  busy_ = true;
  endReason_.reset();
  // The previous benchmark's record and report are no part of this one, even when it
  // stops before its first run.
  ResultRecord = {};
  ResultReport.Clear();
  ResultFileTroubles.Clear();
  EndIfStartFails([&] { PrepareAndStart(gameFolderPresent); });
}

// An unexpected failure before the first run is under way must not leave the window busy
// and the user's files aside: they go back, the benchmark ends as one that could not
// start, and the failure goes on to the error box.
void TForm1::EndIfStartFails(const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    if (busy_ && cp.State() != TJvProcessState::Waiting) {
      endReason_ = BenchmarkOutcome::boCouldNotStart;
      FirstError cleanup;
      cleanup.Run([&] { EndEarly(""); });
      if (busy_) EndBenchmark();
    }
    throw;
  }
}

void TForm1::PrepareAndStart(bool gameFolderPresent) {
  Label2.SetCaption("Collecting system information...");
  // The journal is there before anything in the game folder changes; without it nothing may.
  if (gameFolderPresent) {
    try {
      Housekeeping.Journal.Begin(GameBasePath);
      // A copy the journal names from an earlier benchmark (still in use when it ended) goes first.
      RemoveBuiltinDemo();
    } catch (const Error& e) {
      FailStart(std::string(e.what()) + "\r\n" + kFolderUntouched);
      return;
    }
  }
  SharedRegistry.OpenKey(settings::kSettingsKey, false);
  Panel1.SetVisible(true);
  host_.RepaintNow(Panel1);
  host_.RepaintNow(Label2);
  BenchmarkRunState.ResetCounters();
  BenchButton.SetEnabled(false);
  if (gameFolderPresent) {
    try {
      if (!platform_.files.FolderExists(GameDemoPath)) platform_.files.CreateFolder(GameDemoPath);
      BackupGameConfig();
      PrepareDemo();
      RemoveConsoleLog();
    } catch (const Error& e) {
      // A step the journal could not name was not taken; those it named go back.
      RestoreGameConfig();
      RemoveBuiltinDemo();
      FailStart(e.what());
      return;
    }
  }

  const std::string videoMemory = SharedRegistry.ReadString(settings::kDisplayMemory);
  if (videoMemory.empty()) {
    // The time limit of a run holds for the diagnostic tool too.
    std::tie(runTimeLimitMs_, runTimeLimitText_) = RunTimeLimit(SharedRegistry.ReadValue(settings::kRunTimeLimit));
    Diagnostics->StartDiagnostics();
    if (runTimeLimitMs_ > 0 && dxrun.State() == TJvProcessState::Waiting) {
      runTimer_ = host_.StartTimer(runTimeLimitMs_, [this] { Diagnostics->EndOverdue(); });
    }
    return;
  }
  SystemInfo.VideoMemory = videoMemory;
  SystemInfo.DriverVersion = OrNoInformation(SharedRegistry.ReadString(settings::kDriverVersion));
  SystemInfo.SoundSystem = OrNoInformation(SharedRegistry.ReadString(settings::kSound));
  StartBenchmark();
}

void TForm1::StartBenchmark() {
  // A benchmark stopped while the diagnostic tool ran has ended already.
  if (!busy_) return;
  BuildSmpSummary();
  BuildAmbientLightLine();
  BuildFilteringLines();
  BuildAspectArgument();
  // Without the game's folder there is nowhere to write autoexec.cfg; a relative path
  // would land beside the program. The check below reports the missing game.
  const bool gameFolderPresent = !GamePath.empty() && platform_.files.FolderExists(GamePath);
  if (gameFolderPresent) {
    try {
      WriteAutoexec();
    } catch (const Error& e) {
      // The game would run with its own settings, not the benchmark's.
      FailStart(e.what());
      return;
    }
  }

  if (!gameFolderPresent) {
    FailStart(kNoGameMessage);
    return;
  }
  const ResolutionSelection selection{
      {res.ItemChecked(0), res.ItemChecked(1), res.ItemChecked(2), res.ItemChecked(3), res.ItemChecked(4),
       res.ItemChecked(5), res.ItemChecked(6), res.ItemChecked(7), res.ItemChecked(8)},
      cusresbox.Checked(),
      CusWidth.Text(),
      CusHeight.Text()};
  BenchmarkRunState.SelectedResolutions = selection.Count();
  if (BenchmarkRunState.SelectedResolutions <= 0) {
    FailStart(kNoResolutionMessage);
    return;
  }
  if (Housekeeping.CustomDemoError) {
    FailStart(kCustomDemoMessage);
    return;
  }

  if (auto line = RunsLineText(RunCount, 0)) RunsLabel.SetCaption(*line);
  SharedRegistry.OpenKey(settings::kSettingsKey, false);
  std::tie(runTimeLimitMs_, runTimeLimitText_) = RunTimeLimit(SharedRegistry.ReadValue(settings::kRunTimeLimit));
  Panel1.SetVisible(true);
  host_.RepaintNow(Panel1);
  host_.RepaintNow(Label2);
  host_.RepaintNow(BenchButton);

  const StartTimes times = ReadStartTimes(platform_.clock);
  BenchmarkRunState.StartedAt = times.startedAt;
  BenchmarkRunState.FileStamp = times.fileStamp;

  ResultReport.Clear();
  JvComputerInfoEx1.Collect(SystemInfo);
  WriteReportHead(ResultReport, SystemInfo, BenchmarkRunState.StartedAt, NoteEdit.Text(),
                  platform_.clock.DecimalSeparator(), [this] {
                    AdapterInfo.CollectRadeonDetails();
                    AdapterInfo.CollectAdapterClocks();
                  });

  ResultRecord = {};
  ResultRecord.startedAt = times.startedAt;
  ResultRecord.startedIso = times.startedIso;
  ResultRecord.fileStamp = times.fileStamp;
  ResultRecord.programVersion = VersionString;
  ResultRecord.setup = CurrentSetup();
  ResultRecord.systemInfo = SystemInfo;
  frameRecorder_.Begin(FrameTimesBox.Checked(), frameCapture_, platform_.files, GamePath + game::kGameProgram,
                       ProgramDir);
  ResultRecord.frameTimes = frameRecorder_.Recording();
  ResultFileTroubles.Clear();

  Launch(std::string(ResolutionTags().front()));
}

bool TForm1::Launch(const std::string& tag) {
  LaunchInputs inputs;
  inputs.gamePath = GamePath;
  inputs.aspectArgument = Config.AspectArgument;
  inputs.demoArgument = Housekeeping.DemoArgument;
  inputs.netDemoMode = Housekeeping.NetDemoMode;
  for (std::size_t i = 0; i < inputs.selection.presets.size(); ++i) inputs.selection.presets[i] = res.ItemChecked(i);
  inputs.selection.customChecked = cusresbox.Checked();
  inputs.selection.customWidth = CusWidth.Text();
  inputs.selection.customHeight = CusHeight.Text();
  inputs.commandLineTail = frameRecorder_.CommandLineTail();
  inputs.addedEnvironment = frameRecorder_.PrepareRun();

  std::string failure;
  try {
    Housekeeping.NoteRunFiles(GameBasePath, Housekeeping.NetDemoMode);
  } catch (const Error& e) {
    EndAfterFailedLaunch(false, e.what());
    return false;
  }
  const auto outcome =
      LaunchPreset(tag, inputs, BenchmarkRunState, cp, platform_.files, NetDemoScript, *this, &failure);
  if (outcome == LaunchOutcome::Started) {
    try {
      Housekeeping.Journal.NoteGame(cp.ChildIdentity());
    } catch (const Error&) {
      // The journal names the files still; only a start while this game runs would not wait for it.
    }
    if (runTimeLimitMs_ > 0) runTimer_ = host_.StartTimer(runTimeLimitMs_, [this] { RunTimeLimitReached(); });
    return true;
  }
  if (outcome == LaunchOutcome::StartFailed || outcome == LaunchOutcome::ScriptFailed) {
    EndAfterFailedLaunch(outcome == LaunchOutcome::ScriptFailed, failure);
  }
  return false;
}

// What was measured before is never thrown away: the run that could not start is
// recorded without score, and the benchmark ends as after a run without score.
void TForm1::EndAfterFailedLaunch(bool scriptFailed, const std::string& failure) {
  const std::string reason =
      (scriptFailed ? "The net-demo script could not be written. " : "Quake 4 could not be started. ") + failure;
  ResultRecord.runs.push_back(RecordUnfinishedRun(BenchmarkRunState, ResultReport, BlockInputs(),
                                                  BenchmarkRunState.RepetitionsDone + 1, reason));
  endReason_ = BenchmarkOutcome::boCouldNotStart;
  std::string message;
  if (AnyRunScored(ResultRecord)) {
    message = reason + "\r\n" + kMeasuredKept;
  } else if (scriptFailed) {
    message = failure;
  } else {
    // The game is there but would not start (locked, blocked, no program): the system's
    // reason helps, the plea to install it would not.
    message = platform_.files.FileExists(GamePath + game::kGameProgram) ? reason : std::string(kNoGameMessage);
  }
  EndEarly(message);
}

ResolutionBlockInputs TForm1::BlockInputs() const {
  return {CusWidth.Text(), CusHeight.Text(), Housekeeping.DemoArgument, Config.ConfigSummary};
}

void TForm1::EndEarly(const std::string& message) {
  runTimer_.reset();
  if (AnyRunScored(ResultRecord)) {
    FinishBenchmark();
  } else {
    // Nothing measured: no report, only the window idle and the user's files back.
    ShowIdle();
    RestoreGameConfig();
    RemoveBuiltinDemo();
  }
  RestoreAutoexec();
  RemoveConsoleLog();
  RemoveNetDemoFiles();
  if (!message.empty()) ShowMessageOk(message);
  EndBenchmark();
}

void TForm1::EndBenchmark() {
  busy_ = false;
  runTimer_.reset();
  LetGoOfGameFolder();
  LastBenchmarkOutcome = endReason_.value_or(AllRunsScored(ResultRecord) ? BenchmarkOutcome::boAllScored
                                                                        : BenchmarkOutcome::boRunWithoutScore);
  endReason_.reset();
  if (OnBenchmarkEnded) OnBenchmarkEnded(LastBenchmarkOutcome);
}

bool TForm1::ConfirmStop() {
  if (!busy_) return true;
  const bool gameRunning = cp.State() == TJvProcessState::Waiting;
  const auto answer = platform_.shell.ShowMessage(gameRunning ? kStopQuestion : kStopQuestionBeforeGame,
                                                  kMessageCaption, platform::MessageButtons::YesNo,
                                                  platform::MessageIcon::Question);
  if (answer != platform::MessageResult::Yes) return false;
  // Stopping does nothing when the benchmark ended on its own while the question was open.
  StopBenchmark(BenchmarkOutcome::boCancelled);
  return true;
}

void TForm1::CancelButtonClick() { ConfirmStop(); }

void TForm1::CancelBenchmark() { StopBenchmark(BenchmarkOutcome::boCancelled); }

void TForm1::RunTimeLimitReached() { StopBenchmark(BenchmarkOutcome::boTimedOut); }

void TForm1::StopBenchmark(BenchmarkOutcome reason) {
  if (!busy_) return;
  runTimer_.reset();
  const bool gameEnded = cp.Terminate();
  if (!gameEnded) dxrun.Terminate();
  const std::string why = reason == BenchmarkOutcome::boTimedOut ? TimeLimitText(runTimeLimitText_)
                                                                 : std::string(kCancelledReason);
  if (gameEnded) {
    // The run in progress is counted nowhere; its log, if any, is kept as it is.
    KeepRun(RecordUnfinishedRun(BenchmarkRunState, ResultReport, BlockInputs(), BenchmarkRunState.RepetitionsDone + 1,
                                why));
  }
  endReason_ = reason;
  std::string message;
  if (reason == BenchmarkOutcome::boTimedOut) {
    message = why + (AnyRunScored(ResultRecord) ? std::string("\r\n") + kMeasuredKept : "");
  }
  EndEarly(message);
}

bool TForm1::RecordRun() {
  RecordInputs inputs;
  inputs.gameBasePath = GameBasePath;
  inputs.runCount = RunCount;
  inputs.netDemoMode = Housekeeping.NetDemoMode;
  inputs.block = BlockInputs();
  inputs.frames = &frameRecorder_;
  inputs.processId = cp.ProcessId();
  inputs.earlierRuns = &ResultRecord.runs;

  return RecordRunResult(BenchmarkRunState, ResultReport, inputs, platform_.files, platform_.ui, platform_.clock,
                         *this) == RunRecord::Continue;
}

BenchmarkSetup TForm1::CurrentSetup() const {
  BenchmarkSetup setup;
  for (std::size_t i = 0; i < ResolutionPresets().size(); ++i) {
    if (!res.ItemChecked(i)) continue;
    const auto& preset = ResolutionPresets()[i];
    setup.resolutions.push_back({std::string(preset.tag), IntToStr(preset.width), IntToStr(preset.height)});
  }
  if (cusresbox.Checked() && !CusWidth.Text().empty() && !CusHeight.Text().empty()) {
    setup.resolutions.push_back({std::string(kCustomTag), CusWidth.Text(), CusHeight.Text()});
  }
  setup.repetitions = EffectiveRunCount(RunCount);
  const auto& summary = Config.ConfigSummary;
  setup.quality = SummaryValue(summary.Quality);
  setup.aspect = SummaryValue(summary.AspectRatio);
  setup.antialiasing = SummaryValue(summary.Antialiasing);
  setup.filtering = SummaryValue(summary.Filtering);
  setup.ambientLight = AmbientLightBox.Checked();
  setup.ambientLightValue = ALValues.Text();
  setup.smp = SMPBox.Checked();
  setup.demoName = Housekeeping.DemoArgument;
  setup.userDemo = demo.IsChecked(1);
  setup.netDemo = Housekeeping.NetDemoMode;
  if (setup.userDemo) setup.demoFile = DemoEdit.Text();
  setup.note = NoteEdit.Text();
  setup.gameFolder = GamePath;
  setup.resultsFolder = ResultsPath;
  setup.summary = summary;
  return setup;
}

void TForm1::KeepRun(const RecordedRun& run) {
  ResultRecord.runs.push_back(run);
  // Copied now, before the recorder removes them; a failure waits for the end of the
  // benchmark to be told.
  const std::string folder = RunLogFolder(ResultsPath, ResultRecord.fileStamp);
  try {
    for (const auto& problem : KeepRunLogs(platform_.files, GameBasePath, folder, run.tag, run.repetition)) {
      ResultFileTroubles.Add(problem.path, problem.why);
    }
  } catch (const std::exception& e) {
    // The run's score is recorded already and the benchmark must go on.
    ResultFileTroubles.Add(folder, e.what());
  }
}

void TForm1::UpdateRunsLine() {
  if (auto line = RunsLineText(RunCount, BenchmarkRunState.RepetitionsDone)) RunsLabel.SetCaption(*line);
}

void TForm1::cpTerminate(TJvCreateProcess& /*sender*/, std::uint32_t /*exitCode*/) {
  runTimer_.reset();
  platform_.ui.Sleep(kSettleMilliseconds);
  auto& state = BenchmarkRunState;
  if (!IsResolutionTag(state.CurrentTag)) return;
  const std::string tag = state.CurrentTag;
  // Without a stored repetition count every resolution runs once; the recorder counts
  // the same way.
  const int runCount = EffectiveRunCount(RunCount);

  ++state.FinishedResolutions;
  ++state.RepetitionsDone;
  if (state.RepetitionsDone == 1) state.HeaderWritten = false;

  const bool anotherRepetition = state.RepetitionsDone < runCount;
  if (anotherRepetition) --state.FinishedResolutions;
  const bool lastRun =
      !anotherRepetition && (tag == kCustomTag || state.FinishedResolutions == state.SelectedResolutions);
  // A run the benchmark cannot go on from ends it as well as its last run does.
  if (!RecordRun() || lastRun) {
    EndBenchmark();
    return;
  }
  std::optional<std::string> next = tag;
  if (!anotherRepetition) {
    state.RepetitionsDone = 0;
    state.HeaderWritten = false;
    next = SuccessorTag(tag);
  }
  UpdateRunsLine();
  // A selection that changed under the running benchmark may leave nothing to launch;
  // the benchmark then ends with what it has measured rather than waiting for ever.
  const bool started = next && Launch(*next);
  if (!started && busy_) {
    FinishBenchmark();
    EndBenchmark();
  }
}

void TForm1::FinishBenchmark() {
  Panel1.SetVisible(false);
  BenchButton.SetEnabled(true);
  RestoreGameConfig();

  ReportSaveInputs inputs;
  inputs.resultsPath = ResultsPath;
  inputs.fileStamp = BenchmarkRunState.FileStamp;
  inputs.scoreText = BenchmarkRunState.ScoreText;
  inputs.fallbackFolders = {ProgramDir, platform_.files.TempFolder()};
  const ReportSaveResult saved = CloseSaveAndOpenReport(ResultReport, inputs, platform_.files, platform_.shell,
                                                        [this](const std::string& text) { ShowMessageOk(text); });
  // Only once the page is safe; their troubles are told in one message.
  WriteResultFiles(ResultRecord, saved, ResultsPath, platform_.clock.DecimalSeparator(), platform_.files,
                   ResultFileTroubles);
  UpdateResultHistory(saved, ResultsPath, platform_.clock.DecimalSeparator(), platform_.files, ResultFileTroubles);
  const bool pageSaved = saved.status == ReportSaveStatus::Saved || saved.status == ReportSaveStatus::SavedElsewhere;
  if (!ResultFileTroubles.Empty()) ShowMessageOk(ResultFileTroubles.Message(pageSaved));
  ResultFileTroubles.Clear();

  platform_.ui.Sleep(kSettleMilliseconds);
  RemoveBuiltinDemo();
}

void TForm1::ShowProgress(const std::string& text) {
  Label2.SetCaption(text);
  host_.RepaintNow(Label2);
}

void TForm1::EnableRunButton() { BenchButton.SetEnabled(true); }

void TForm1::RepaintBusyPanel() {
  host_.RepaintNow(Panel1);
  host_.RepaintNow(BenchButton);
}

void TForm1::ShowBenchmarkMessage(const std::string& text) { ShowMessageOk(text); }
void TForm1::RunRecorded(const RecordedRun& run) { KeepRun(run); }
void TForm1::FinishRuns() { FinishBenchmark(); }
void TForm1::PutAutoexecBack() { RestoreAutoexec(); }
void TForm1::PutGameConfigBack() { RestoreGameConfig(); }

void TForm1::ShowIdle() {
  Panel1.SetVisible(false);
  BenchButton.SetEnabled(true);
}

void TForm1::RemoveRunLog() { RemoveConsoleLog(); }
void TForm1::RemoveNetDemoRun() { RemoveNetDemoFiles(); }

}  // namespace dx
