#include "bench/BenchmarkSession.h"

#include <algorithm>
#include <exception>
#include <string>
#include <tuple>
#include <utility>

#include "bench/Report.h"
#include "bench/ResultHistory.h"
#include "bench/ResultParsing.h"
#include "bench/RunLogKeeper.h"
#include "bench/RunRecorder.h"
#include "common/Errors.h"
#include "common/FirstError.h"
#include "common/Numbers.h"
#include "common/SettingsNames.h"
#include "common/Text.h"
#include "platform/Paths.h"
#include "gameprep/BenchmarkJournal.h"
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
    const auto read = TryReadDecimalPointOrComma(typed);
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

BenchmarkSession::BenchmarkSession(platform::Platform& platform, SharedRegistry& registry, IBenchmarkHost& host)
    : platform_(platform),
      registry_(registry),
      host_(&host),
      config_(platform.files),
      housekeeping_(platform.files),
      cp_(platform.processes),
      dxrun_(platform.processes),
      computerInfo_(platform.registry, platform.processor),
      adapterInfo_(platform.display, registry, platform.clock, adapterLines_, systemInfo_) {
  UseHiddenStart(cp_.StartupInfo);
  UseHiddenStart(dxrun_.StartupInfo);
  config_.Journal = &housekeeping_.Journal;
  cp_.OnTerminate = [this](TJvCreateProcess& sender, std::uint32_t exitCode) { cpTerminate(sender, exitCode); };
}

BenchmarkSession::~BenchmarkSession() = default;

void BenchmarkSession::SetProgram(const std::string& programPath, const std::string& programDir) {
  housekeeping_.Journal.ProgramPath = programPath;
  programDir_ = programDir;
  CreateDiagnostics();
}

void BenchmarkSession::CreateDiagnostics() {
  diagnostics_.reset();
  auto start = [this] {
    runTimer_.reset();
    EndIfStartFails([this] { StartBenchmark(); });
  };
  diagnostics_ = std::make_unique<TDirectXDiagnostics>(platform_, registry_, dxrun_, programDir_, diagnosticLines_,
                                                       systemInfo_, start, settings::kSettingsKey);
}

void BenchmarkSession::dxrunTerminate(TJvCreateProcess& sender, std::uint32_t exitCode) {
  if (diagnostics_) diagnostics_->dxrunTerminate(sender, exitCode);
}

// Empty while the game is unknown, as nothing may then be touched beside the program.
std::string BenchmarkSession::GameBasePath() const {
  return setup_.gamePath.empty() ? std::string() : setup_.gamePath + game::kBaseFolder;
}
std::string BenchmarkSession::GameDemoPath() const {
  return setup_.gamePath.empty() ? std::string() : setup_.gamePath + game::kDemoFolder;
}

// ---- The game folder's journal

// Another copy's journal has its files out in the game folder: leaving, starting and the
// start-up recovery touch none of them.
platform::MarkAttempt BenchmarkSession::TakeGameFolder(const std::string& gamePath) {
  if (gamePath.empty()) return {};
  return platform_.marks.TryTake(BenchmarkMarkName(gamePath));
}

bool BenchmarkSession::RecoverJournal(const std::string& gamePath) {
  const std::string base = gamePath.empty() ? std::string() : gamePath + game::kBaseFolder;
  if (housekeeping_.Journal.Open() || base.empty() || !platform_.files.FolderExists(base)) return true;
  // Without a journal the folder is the user's as it is, whatever its files are called.
  if (!platform_.files.FileExists(base + kJournalName)) return true;
  if (!mark_) {
    auto attempt = TakeGameFolder(gamePath);
    // Another copy's files, or no mark to keep other copies away: nothing is touched.
    if (!attempt.mark) return true;
    mark_ = std::move(attempt.mark);
  }
  journalRecovered_ = true;
  const auto recovered = housekeeping_.RecoverUnfinishedBenchmark(base, platform_.processes);
  if (recovered == DemoHousekeeping::Recovery::GameRunning) {
    WaitForJournalGame();
    return false;
  }
  return true;
}

bool BenchmarkSession::RecoverGameFolder(const std::string& gamePath) {
  if (!RecoverJournal(gamePath)) return false;
  LetGoOfGameFolder();
  return true;
}

void BenchmarkSession::WaitForJournalGame() {
  host_->ShowWaitingForGame(true);
  gameWait_ = platform_.processes.WaitForEnd(*housekeeping_.Journal.Entries().game, [this] { JournalGameEnded(); });
}

void BenchmarkSession::JournalGameEnded() {
  gameWait_.reset();
  host_->ShowWaitingForGame(false);
  try {
    // The game watched to its end was the benchmark's: what it rewrote is the benchmark's.
    housekeeping_.PutBack(false);
  } catch (const std::exception& e) {
    host_->ShowMessage(e.what());
  }
  LetGoOfGameFolder();
}

void BenchmarkSession::LetGoOfGameFolder() {
  if (busy_ || gameWait_) return;
  housekeeping_.Journal.CloseIfEmpty();
  if (housekeeping_.Journal.Open()) return;
  mark_.reset();
  journalRecovered_ = false;
}

void BenchmarkSession::TidyAtCloseQuery() {
  if (!gameWait_) housekeeping_.RemoveBuiltinDemo();
}

// A copy's exit puts back what its own journal names, and nothing while that journal's
// game still runs.
void BenchmarkSession::CloseGameFolder() {
  if (gameWait_ || !housekeeping_.Journal.Open()) return;
  housekeeping_.PutBack(journalRecovered_);
  LetGoOfGameFolder();
}

// ---- The benchmark

void BenchmarkSession::FailStart(const std::string& message) {
  host_->ShowMessage(message);
  host_->ShowIdle();
  registry_.OpenKey(settings::kSettingsKey, true);
  endReason_ = BenchmarkOutcome::boCouldNotStart;
  EndBenchmark();
}

void BenchmarkSession::Start(const BenchmarkSetup& setup) {
  // The runner refuses a second game or tool while one runs, and the run in progress
  // still has to be recorded: a press then changes nothing.
  if (busy_ || cp_.State() == TJvProcessState::Waiting || dxrun_.State() == TJvProcessState::Waiting) return;
  if (!diagnostics_) CreateDiagnostics();
  setup_ = setup;
  // A demo name that would smuggle a console command in is refused before anything of
  // the game folder is touched.
  if (const std::string refusal = UnsafeDemoNameMessage(setup_.demo); !refusal.empty()) {
    FailStart(refusal);
    return;
  }

  // A stale or missing game folder is reported by the start's first check. Touching it
  // before would let the demo copy create the folder tree and pass that check.
  const bool gameFolderPresent = !setup_.gamePath.empty() && platform_.files.FolderExists(setup_.gamePath);
  if (gameFolderPresent) {
    if (gameWait_) {
      host_->ShowMessage(kGameStillRunning);
      return;
    }
    if (!mark_) {
      // Another copy has the user's files aside: nothing here may touch them. Without a
      // mark nothing keeps other copies away, so nothing is started either.
      auto attempt = TakeGameFolder(setup_.gamePath);
      if (attempt.failed) {
        host_->ShowMessage(FormatMessageText(kGameFolderMarkFailed, attempt.why));
        return;
      }
      if (!attempt.mark) {
        host_->ShowMessage(kAnotherCopyBenchmarking);
        return;
      }
      mark_ = std::move(attempt.mark);
    }
    // A journal left while another copy held the folder goes first; the mark stays for the
    // benchmark that follows.
    if (!RecoverJournal(setup_.gamePath)) {
      host_->ShowMessage(kGameStillRunning);
      return;
    }
  }
  busy_ = true;
  endReason_.reset();
  // The previous benchmark's record and report are no part of this one, even when it
  // stops before its first run.
  record_ = {};
  report_.Clear();
  troubles_.Clear();
  EndIfStartFails([&] { PrepareAndStart(gameFolderPresent); });
}

// An unexpected failure before the first run is under way must not leave the window busy
// and the user's files aside: they go back, the benchmark ends as one that could not
// start, and the failure goes on to the error box.
void BenchmarkSession::EndIfStartFails(const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    if (busy_ && cp_.State() != TJvProcessState::Waiting) {
      endReason_ = BenchmarkOutcome::boCouldNotStart;
      FirstError cleanup;
      cleanup.Run([&] { EndEarly(""); });
      if (busy_) EndBenchmark();
    }
    throw;
  }
}

void BenchmarkSession::PrepareAndStart(bool gameFolderPresent) {
  host_->ShowProgress("Collecting system information...");
  // The journal is there before anything in the game folder changes; without it nothing may.
  if (gameFolderPresent) {
    try {
      housekeeping_.Journal.Begin(GameBasePath());
      // A copy the journal names from an earlier benchmark (still in use when it ended) goes first.
      housekeeping_.RemoveBuiltinDemo();
    } catch (const Error& e) {
      FailStart(std::string(e.what()) + "\r\n" + kFolderUntouched);
      return;
    }
  }
  registry_.OpenKey(settings::kSettingsKey, false);
  host_->ShowBusy();
  state_.ResetCounters();
  if (gameFolderPresent) {
    try {
      if (!platform_.files.FolderExists(GameDemoPath())) platform_.files.CreateFolder(GameDemoPath());
      housekeeping_.BackupGameConfig(GameBasePath());
      housekeeping_.PrepareDemo(setup_.demo, {programDir_, GameBasePath(), GameDemoPath()});
      housekeeping_.RemoveConsoleLog(GameBasePath());
    } catch (const Error& e) {
      // A step the journal could not name was not taken; those it named go back.
      housekeeping_.RestoreGameConfig();
      housekeeping_.RemoveBuiltinDemo();
      FailStart(e.what());
      return;
    }
  }

  const std::string videoMemory = registry_.ReadString(settings::kDisplayMemory);
  if (videoMemory.empty()) {
    // The time limit of a run holds for the diagnostic tool too.
    std::tie(runTimeLimitMs_, runTimeLimitText_) = RunTimeLimit(registry_.ReadValue(settings::kRunTimeLimit));
    diagnostics_->StartDiagnostics();
    if (runTimeLimitMs_ > 0 && dxrun_.State() == TJvProcessState::Waiting) {
      runTimer_ = host_->StartTimer(runTimeLimitMs_, [this] { diagnostics_->EndOverdue(); });
    }
    return;
  }
  systemInfo_.VideoMemory = videoMemory;
  systemInfo_.DriverVersion = OrNoInformation(registry_.ReadString(settings::kDriverVersion));
  systemInfo_.SoundSystem = OrNoInformation(registry_.ReadString(settings::kSound));
  StartBenchmark();
}

void BenchmarkSession::StartBenchmark() {
  // A benchmark stopped while the diagnostic tool ran has ended already.
  if (!busy_) return;
  config_.BuildSmpSummary(setup_.smp);
  config_.BuildAmbientLightLine(setup_.ambientLight, setup_.ambientLightValue);
  config_.BuildFilteringLines(setup_.antialiasing, setup_.filtering);
  config_.BuildAspectArgument(setup_.aspect);
  // Without the game's folder there is nowhere to write autoexec.cfg; a relative path
  // would land beside the program. The check below reports the missing game.
  const bool gameFolderPresent = !setup_.gamePath.empty() && platform_.files.FolderExists(setup_.gamePath);
  if (gameFolderPresent) {
    try {
      config_.WriteAutoexec(setup_.quality, gameConfigLines_, GameBasePath());
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
  state_.SelectedResolutions = setup_.resolutions.Count();
  if (state_.SelectedResolutions <= 0) {
    FailStart(kNoResolutionMessage);
    return;
  }
  if (housekeeping_.CustomDemoError) {
    FailStart(kCustomDemoMessage);
    return;
  }

  if (auto line = RunsLineText(setup_.runCount, 0)) host_->ShowRuns(*line);
  registry_.OpenKey(settings::kSettingsKey, false);
  std::tie(runTimeLimitMs_, runTimeLimitText_) = RunTimeLimit(registry_.ReadValue(settings::kRunTimeLimit));
  host_->ShowBusy();
  host_->RepaintBusyPanel();

  const StartTimes times = ReadStartTimes(platform_.clock);
  state_.StartedAt = times.startedAt;
  state_.FileStamp = times.fileStamp;

  report_.Clear();
  computerInfo_.Collect(systemInfo_);
  WriteReportHead(report_, systemInfo_, state_.StartedAt, setup_.note, platform_.clock.DecimalSeparator(), [this] {
    adapterInfo_.CollectRadeonDetails();
    adapterInfo_.CollectAdapterClocks();
  });

  record_ = {};
  record_.startedAt = times.startedAt;
  record_.startedIso = times.startedIso;
  record_.fileStamp = times.fileStamp;
  record_.programVersion = setup_.programVersion;
  record_.setup = SetupForRecord();
  record_.systemInfo = systemInfo_;
  frameRecorder_.Begin(setup_.frameTimes, frameCapture_, platform_.files, setup_.gamePath + game::kGameProgram,
                       programDir_);
  record_.frameTimes = frameRecorder_.Recording();
  troubles_.Clear();

  Launch(std::string(ResolutionTags().front()));
}

bool BenchmarkSession::Launch(const std::string& tag) {
  LaunchInputs inputs;
  inputs.gamePath = setup_.gamePath;
  inputs.aspectArgument = config_.AspectArgument;
  inputs.demoArgument = housekeeping_.DemoArgument;
  inputs.netDemoMode = housekeeping_.NetDemoMode;
  inputs.selection = setup_.resolutions;
  inputs.commandLineTail = frameRecorder_.CommandLineTail();
  inputs.addedEnvironment = frameRecorder_.PrepareRun();

  std::string failure;
  try {
    housekeeping_.NoteRunFiles(GameBasePath(), housekeeping_.NetDemoMode);
  } catch (const Error& e) {
    EndAfterFailedLaunch(false, e.what());
    return false;
  }
  const auto outcome = LaunchPreset(tag, inputs, state_, cp_, platform_.files, netDemoScript_, *this, &failure);
  if (outcome == LaunchOutcome::Started) {
    try {
      housekeeping_.Journal.NoteGame(cp_.ChildIdentity());
    } catch (const Error&) {
      // The journal names the files still; only a start while this game runs would not wait for it.
    }
    if (runTimeLimitMs_ > 0) {
      runTimer_ = host_->StartTimer(runTimeLimitMs_, [this] { StopBenchmark(BenchmarkOutcome::boTimedOut); });
    }
    return true;
  }
  if (outcome == LaunchOutcome::StartFailed || outcome == LaunchOutcome::ScriptFailed) {
    EndAfterFailedLaunch(outcome == LaunchOutcome::ScriptFailed, failure);
  }
  return false;
}

// What was measured before is never thrown away: the run that could not start is
// recorded without score, and the benchmark ends as after a run without score.
void BenchmarkSession::EndAfterFailedLaunch(bool scriptFailed, const std::string& failure) {
  const std::string reason =
      (scriptFailed ? "The net-demo script could not be written. " : "Quake 4 could not be started. ") + failure;
  record_.runs.push_back(RecordUnfinishedRun(state_, report_, BlockInputs(), state_.RepetitionsDone + 1, reason));
  endReason_ = BenchmarkOutcome::boCouldNotStart;
  std::string message;
  if (AnyRunScored(record_)) {
    message = reason + "\r\n" + kMeasuredKept;
  } else if (scriptFailed) {
    message = failure;
  } else {
    // The game is there but would not start (locked, blocked, no program): the system's
    // reason helps, the plea to install it would not.
    message =
        platform_.files.FileExists(setup_.gamePath + game::kGameProgram) ? reason : std::string(kNoGameMessage);
  }
  EndEarly(message);
}

ResolutionBlockInputs BenchmarkSession::BlockInputs() const {
  return {setup_.resolutions.customWidth, setup_.resolutions.customHeight, housekeeping_.DemoArgument,
          config_.ConfigSummary};
}

void BenchmarkSession::RestoreAutoexec() {
  housekeeping_.RestoreAutoexec();
  // Once it is back, the next benchmark puts the user's file aside afresh.
  if (!housekeeping_.Journal.Names(game::kAutoexec)) config_.AutoexecBackup.clear();
}

void BenchmarkSession::EndEarly(const std::string& message) {
  runTimer_.reset();
  if (AnyRunScored(record_)) {
    FinishBenchmark();
  } else {
    // Nothing measured: no report, only the window idle and the user's files back.
    host_->ShowIdle();
    housekeeping_.RestoreGameConfig();
    housekeeping_.RemoveBuiltinDemo();
  }
  RestoreAutoexec();
  housekeeping_.RemoveConsoleLog(GameBasePath());
  housekeeping_.RemoveNetDemoFiles();
  if (!message.empty()) host_->ShowMessage(message);
  EndBenchmark();
}

void BenchmarkSession::EndBenchmark() {
  WriteKeptLogs();
  busy_ = false;
  runTimer_.reset();
  LetGoOfGameFolder();
  lastOutcome_ = endReason_.value_or(AllRunsScored(record_) ? BenchmarkOutcome::boAllScored
                                                            : BenchmarkOutcome::boRunWithoutScore);
  endReason_.reset();
  host_->Ended(lastOutcome_);
}

bool BenchmarkSession::ConfirmStop() {
  if (!busy_) return true;
  const bool gameRunning = cp_.State() == TJvProcessState::Waiting;
  if (!host_->Ask(gameRunning ? kStopQuestion : kStopQuestionBeforeGame)) return false;
  // Stopping does nothing when the benchmark ended on its own while the question was open.
  StopBenchmark(BenchmarkOutcome::boCancelled);
  return true;
}

void BenchmarkSession::StopBenchmark(BenchmarkOutcome reason) {
  if (!busy_) return;
  runTimer_.reset();
  const bool gameEnded = cp_.Terminate();
  if (!gameEnded) dxrun_.Terminate();
  const std::string why =
      reason == BenchmarkOutcome::boTimedOut ? TimeLimitText(runTimeLimitText_) : std::string(kCancelledReason);
  if (gameEnded) {
    // The run in progress is counted nowhere; its log, if any, is kept as it is.
    KeepRun(RecordUnfinishedRun(state_, report_, BlockInputs(), state_.RepetitionsDone + 1, why));
  }
  endReason_ = reason;
  std::string message;
  if (reason == BenchmarkOutcome::boTimedOut) {
    message = why + (AnyRunScored(record_) ? std::string("\r\n") + kMeasuredKept : "");
  }
  EndEarly(message);
}

bool BenchmarkSession::RecordRun() {
  RecordInputs inputs;
  inputs.gameBasePath = GameBasePath();
  inputs.runCount = setup_.runCount;
  inputs.netDemoMode = housekeeping_.NetDemoMode;
  inputs.block = BlockInputs();
  inputs.frames = &frameRecorder_;
  inputs.processId = cp_.ProcessId();
  inputs.earlierRuns = &record_.runs;
  return RecordRunResult(state_, report_, inputs, platform_.files, platform_.ui, platform_.clock, *this) ==
         RunRecord::Continue;
}

RecordedSetup BenchmarkSession::SetupForRecord() const {
  RecordedSetup setup;
  for (std::size_t i = 0; i < ResolutionPresets().size(); ++i) {
    if (!setup_.resolutions.presets[i]) continue;
    const auto& preset = ResolutionPresets()[i];
    setup.resolutions.push_back({std::string(preset.tag), IntToStr(preset.width), IntToStr(preset.height)});
  }
  if (setup_.resolutions.CustomSelected()) {
    setup.resolutions.push_back(
        {std::string(kCustomTag), setup_.resolutions.customWidth, setup_.resolutions.customHeight});
  }
  setup.repetitions = EffectiveRunCount(setup_.runCount);
  const auto& summary = config_.ConfigSummary;
  setup.quality = SummaryValue(summary.Quality);
  setup.aspect = SummaryValue(summary.AspectRatio);
  setup.antialiasing = SummaryValue(summary.Antialiasing);
  setup.filtering = SummaryValue(summary.Filtering);
  setup.ambientLight = setup_.ambientLight;
  setup.ambientLightValue = setup_.ambientLightValue;
  setup.smp = setup_.smp;
  setup.demoName = housekeeping_.DemoArgument;
  setup.userDemo = setup_.demo.userChecked;
  setup.netDemo = housekeeping_.NetDemoMode;
  if (setup.userDemo) setup.demoFile = setup_.demo.userDemoPath;
  setup.note = setup_.note;
  setup.gameFolder = setup_.gamePath;
  setup.resultsFolder = setup_.resultsPath;
  setup.summary = summary;
  return setup;
}

void BenchmarkSession::KeepRun(const RecordedRun& run) {
  record_.runs.push_back(run);
  // Read now, before the recorder removes them, and written once the next game is on its
  // way; a failure waits for the end of the benchmark to be told.
  const std::string folder = RunLogFolder(setup_.resultsPath, record_.fileStamp);
  std::vector<KeptLogProblem> problems;
  try {
    for (auto& log : ReadRunLogs(platform_.files, GameBasePath(), folder, run.tag, run.repetition, problems)) {
      keptLogs_.push_back(std::move(log));
    }
  } catch (const std::exception& e) {
    // The run's score is recorded already and the benchmark must go on.
    troubles_.Add(folder, e.what());
  }
  for (const auto& problem : problems) troubles_.Add(problem.path, problem.why);
}

void BenchmarkSession::WriteKeptLogs() {
  if (keptLogs_.empty()) return;
  const std::vector<KeptLog> logs = std::move(keptLogs_);
  keptLogs_.clear();
  try {
    for (const auto& problem : WriteRunLogs(platform_.files, logs)) troubles_.Add(problem.path, problem.why);
  } catch (const std::exception& e) {
    troubles_.Add(ExtractFilePath(logs.front().target), e.what());
  }
}

void BenchmarkSession::UpdateRunsLine() {
  if (auto line = RunsLineText(setup_.runCount, state_.RepetitionsDone)) host_->ShowRuns(*line);
}

void BenchmarkSession::cpTerminate(TJvCreateProcess& /*sender*/, std::uint32_t /*exitCode*/) {
  runTimer_.reset();
  platform_.ui.Sleep(kSettleMilliseconds);
  auto& state = state_;
  if (!IsResolutionTag(state.CurrentTag)) return;
  const std::string tag = state.CurrentTag;
  // Without a stored repetition count every resolution runs once; the recorder counts
  // the same way.
  const int runCount = EffectiveRunCount(setup_.runCount);

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
  // Should the runs not reach the count of selected resolutions, the benchmark ends with
  // what it has measured rather than waiting for ever.
  const bool started = next && Launch(*next);
  WriteKeptLogs();
  if (!started && busy_) {
    FinishBenchmark();
    EndBenchmark();
  }
}

void BenchmarkSession::FinishBenchmark() {
  WriteKeptLogs();
  host_->ShowIdle();
  housekeeping_.RestoreGameConfig();

  ReportSaveInputs inputs;
  inputs.resultsPath = setup_.resultsPath;
  inputs.fileStamp = state_.FileStamp;
  inputs.scoreText = state_.ScoreText;
  inputs.fallbackFolders = {programDir_, platform_.files.TempFolder()};
  const ReportSaveResult saved = CloseSaveAndOpenReport(report_, inputs, platform_.files, platform_.shell,
                                                        [this](const std::string& text) { host_->ShowMessage(text); });
  // Only once the page is safe; their troubles are told in one message.
  const char separator = platform_.clock.DecimalSeparator();
  WriteResultFiles(record_, saved, setup_.resultsPath, separator, platform_.files, troubles_);
  UpdateResultHistory(saved, setup_.resultsPath, separator, platform_.files, troubles_);
  const bool pageSaved = saved.status == ReportSaveStatus::Saved || saved.status == ReportSaveStatus::SavedElsewhere;
  if (!troubles_.Empty()) host_->ShowMessage(troubles_.Message(pageSaved));
  troubles_.Clear();

  platform_.ui.Sleep(kSettleMilliseconds);
  housekeeping_.RemoveBuiltinDemo();
}

}  // namespace dx
