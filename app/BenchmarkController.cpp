// The main window's benchmark: from the run button through every game run to the saved
// and opened report. Everything runs on the user-interface thread; the game's exit
// re-enters through cpTerminate.
#include <exception>
#include <optional>
#include <string>

#include "app/MainForm.h"
#include "app/SettingsStore.h"
#include "bench/LaunchCommands.h"
#include "bench/Report.h"
#include "bench/ResultHistory.h"
#include "bench/ResultParsing.h"
#include "bench/RunLogKeeper.h"
#include "common/Errors.h"
#include "common/Text.h"

namespace dx {
namespace {

constexpr std::uint32_t kSettleMilliseconds = 1000;
constexpr const char* kNoInformation = "No information";

constexpr const char* kNoGameMessage = "ERROR. Please, install the retail version of Quake 4.";
constexpr const char* kNoResolutionMessage = "ERROR. Please, choose a resolution of Quake 4.";
constexpr const char* kCustomDemoMessage = "ERROR. Please, check your custom defined demo parameters.";

std::string OrNoInformation(const std::string& value) { return value.empty() ? kNoInformation : value; }

// "High" of "Quality: High": the value of a summary line as the report shows it.
std::string SummaryValue(const std::string& line) {
  const auto colon = line.find(": ");
  return colon == std::string::npos ? line : line.substr(colon + 2);
}

}  // namespace

void TForm1::CreateDiagnostics() {
  Diagnostics.reset();
  Diagnostics = std::make_unique<TDirectXDiagnostics>(platform_, SharedRegistry, dxrun, ProgramDir, DiagnosticLines,
                                                      SystemInfo, [this] { StartBenchmark(); },
                                                      settings::kSettingsKey);
}

void TForm1::ShowMessageOk(const std::string& text) {
  platform_.shell.ShowMessage(text, kMessageCaption, platform::MessageButtons::Ok, platform::MessageIcon::None);
}

void TForm1::FailStart(const std::string& message) {
  ShowMessageOk(message);
  Panel1.SetVisible(false);
  SharedRegistry.OpenKey(settings::kSettingsKey, true);
  BenchButton.SetEnabled(true);
}

void TForm1::BenchButtonClick() {
  // The runner refuses a second game or tool while one runs, and the run in progress
  // still has to be recorded: a press then changes nothing.
  if (cp.State() == TJvProcessState::Waiting || dxrun.State() == TJvProcessState::Waiting) return;
  if (!Diagnostics) CreateDiagnostics();

  // A stale or missing game folder is reported by the start's first check. Touching it
  // before would let the demo copy create the folder tree and pass that check.
  const bool gameFolderPresent = !GamePath.empty() && platform_.files.FolderExists(GamePath);

  Label2.SetCaption("Collecting system information...");
  if (gameFolderPresent) RemoveBuiltinDemo();
  SharedRegistry.OpenKey(settings::kSettingsKey, false);
  Panel1.SetVisible(true);
  host_.RepaintNow(Panel1);
  host_.RepaintNow(Label2);
  BenchmarkRunState.ResetCounters();
  BenchButton.SetEnabled(false);
  if (gameFolderPresent) {
    if (!platform_.files.FolderExists(GameDemoPath)) platform_.files.CreateFolder(GameDemoPath);
    BackupGameConfig();
    PrepareDemo();
    RemoveConsoleLog();
  }

  const std::string videoMemory = SharedRegistry.ReadString(settings::kDisplayMemory);
  if (videoMemory.empty()) {
    Diagnostics->StartDiagnostics();
    return;
  }
  SystemInfo.VideoMemory = videoMemory;
  SystemInfo.DriverVersion = OrNoInformation(SharedRegistry.ReadString(settings::kDriverVersion));
  SystemInfo.SoundSystem = OrNoInformation(SharedRegistry.ReadString(settings::kSound));
  StartBenchmark();
}

void TForm1::StartBenchmark() {
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

  LaunchWindow window;
  window.setProgressText = [this](const std::string& text) {
    Label2.SetCaption(text);
    host_.RepaintNow(Label2);
  };
  window.enableBenchButton = [this] { BenchButton.SetEnabled(true); };
  window.showMessage = [this](const std::string& text) { ShowMessageOk(text); };
  const auto outcome = LaunchPreset(tag, inputs, BenchmarkRunState, cp, platform_.files, NetDemoScript, window);
  if (outcome == LaunchOutcome::StartFailed) AbandonUnstartedRun();
  return outcome == LaunchOutcome::Started;
}

// A game that cannot be started would leave the busy panel up for good with the user
// none the wiser: the window goes back to idle, the user's files back in place.
void TForm1::AbandonUnstartedRun() {
  Panel1.SetVisible(false);
  BenchButton.SetEnabled(true);
  RestoreAutoexec(true);
  RestoreGameConfig();
  RemoveBuiltinDemo();
  ShowMessageOk(kNoGameMessage);
}

bool TForm1::RecordRun() {
  RecordInputs inputs;
  inputs.gameBasePath = GameBasePath;
  inputs.runCount = RunCount;
  inputs.netDemoMode = Housekeeping.NetDemoMode;
  inputs.block = {CusWidth.Text(), CusHeight.Text(), Housekeeping.DemoArgument, Config.ConfigSummary};

  RecordCallbacks callbacks;
  callbacks.repaint = [this] {
    host_.RepaintNow(Panel1);
    host_.RepaintNow(BenchButton);
  };
  callbacks.showMessage = [this](const std::string& text) { ShowMessageOk(text); };
  callbacks.finishBenchmark = [this] { FinishBenchmark(); };
  callbacks.restoreAutoexec = [this] { RestoreAutoexec(true); };
  callbacks.restoreGameConfig = [this] { RestoreGameConfig(); };
  callbacks.showIdle = [this] {
    Panel1.SetVisible(false);
    BenchButton.SetEnabled(true);
  };
  callbacks.removeConsoleLog = [this] { RemoveConsoleLog(); };
  callbacks.removeNetDemoFiles = [this] { RemoveNetDemoFiles(); };
  callbacks.runRecorded = [this](const RecordedRun& run) { KeepRun(run); };
  return RecordRunResult(BenchmarkRunState, ResultReport, inputs, platform_.files, platform_.ui, platform_.clock,
                         callbacks) == RunRecord::Continue;
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

  std::optional<std::string> next;
  if (state.RepetitionsDone < runCount) {
    --state.FinishedResolutions;
    if (!RecordRun()) return;
    next = tag;
  } else {
    if (tag == kCustomTag || state.FinishedResolutions == state.SelectedResolutions) {
      RecordRun();
      return;
    }
    if (!RecordRun()) return;
    state.RepetitionsDone = 0;
    state.HeaderWritten = false;
    next = SuccessorTag(tag);
  }
  UpdateRunsLine();
  // A selection that changed under the running benchmark may leave nothing to launch;
  // the benchmark then ends with what it has measured rather than waiting for ever.
  const bool started = next && Launch(*next);
  if (!started && !BenchButton.Enabled()) FinishBenchmark();
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

}  // namespace dx
