#include "bench/RunRecorder.h"

#include "bench/RateDetails.h"
#include "bench/ReportFrameTimes.h"
#include "bench/ResultParsing.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"
#include "platform/FileSystem.h"
#include "platform/LocaleClock.h"
#include "platform/UiThread.h"

namespace dx {

namespace {

std::optional<std::string> ReadText(platform::IFileSystem& files, const std::string& path) {
  auto read = files.ReadFile(path);
  if (!read.ok) return std::nullopt;
  return std::move(read.data);
}

RecordedRun RunOf(const BenchmarkRunState& state, const ResolutionBlockInputs& block, int repetition) {
  RecordedRun run;
  run.tag = state.CurrentTag;
  if (const auto index = TagIndex(run.tag); index && *index < kPresetCount) {
    const auto& preset = ResolutionPresets()[static_cast<std::size_t>(*index)];
    run.width = IntToStr(preset.width);
    run.height = IntToStr(preset.height);
  } else {
    run.width = block.customWidth;
    run.height = block.customHeight;
  }
  run.repetition = repetition;
  run.commandLine = state.CommandLine;
  return run;
}

// A resolution's header goes before the lines of its first run.
void HeaderOnce(BenchmarkRunState& state, LineList& report, const ResolutionBlockInputs& block) {
  if (state.HeaderWritten) return;
  state.HeaderWritten = true;
  AppendResolutionHeader(report, state.CurrentTag, block);
}

// A resolution's frame-time lines go after its scores, before the block closes.
void CloseBlock(LineList& report, const RecordInputs& inputs, const RecordedRun& run, char decimalSeparator) {
  if (inputs.frames) {
    std::vector<const RecordedRun*> runs;
    if (inputs.earlierRuns) {
      for (const auto& earlier : *inputs.earlierRuns) {
        if (earlier.tag == run.tag) runs.push_back(&earlier);
      }
    }
    runs.push_back(&run);
    AppendFrameTimeLines(report, inputs.frames->Recording(), runs, decimalSeparator);
  }
  AppendBlockSeparator(report);
}

}  // namespace

RecordedRun RecordUnfinishedRun(BenchmarkRunState& state, LineList& report, const ResolutionBlockInputs& block,
                                int repetition, const std::string& reason) {
  HeaderOnce(state, report, block);
  AppendNoScore(report);
  AppendBlockSeparator(report);
  RecordedRun run = RunOf(state, block, repetition);
  run.noScoreReason = reason;
  return run;
}

RunRecord RecordRunResult(BenchmarkRunState& state, LineList& report, const RecordInputs& inputs,
                          platform::IFileSystem& files, platform::IUiThread& ui, platform::ILocaleClock& locale,
                          IRunSteps& host) {
  ui.Sleep(kSettleMilliseconds);

  const int runCount = EffectiveRunCount(inputs.runCount);
  const bool lastRepetition = state.RepetitionsDone >= runCount;

  RecordedRun run = RunOf(state, inputs.block, state.RepetitionsDone);

  // A game that crashed, or was ended from outside, before it wrote its log has no score
  // either: without a word the benchmark would end as if it had measured this run.
  const bool logPresent = files.FileExists(inputs.gameBasePath + game::kConsoleLog);
  if (logPresent) host.RepaintBusyPanel();
  HeaderOnce(state, report, inputs.block);

  std::optional<std::string> cut;
  RateDetails details;
  if (logPresent && !inputs.netDemoMode) {
    run.noScoreReason = kNoMarkerReason;
    if (auto log = ReadText(files, inputs.gameBasePath + game::kConsoleLog)) {
      cut = CutTimedDemoScore(*log);
      if (cut) details = TimedDemoDetails(*log);
    }
  } else if (!logPresent) {
    run.noScoreReason = kNoLogReason;
  } else if (auto dump = ReadText(files, inputs.gameBasePath + game::kNetDemoDump)) {
    // A missing dump is a run without result, as a dump without the stop line: the
    // user hears of it, and an earlier run's score is not reported for this one.
    run.noScoreReason = kNoDumpRateReason;
    LineList lines;
    lines.SetText(*dump);
    cut = CutNetDemoScore(lines, inputs.block.demoArgument);
    if (cut) details = NetDemoDetails(lines, inputs.block.demoArgument);
  } else {
    run.noScoreReason = kNoDumpReason;
  }
  run.rateText = details.rateText.empty() && cut ? *cut : details.rateText;
  run.frames = details.frames;
  run.seconds = details.seconds;

  std::optional<std::int32_t> score;
  if (cut) {
    // A text that is no number even with the other separator counts as no score, and
    // the score text of the last good run stays, so it never shows in a score line.
    const std::string previous = state.ScoreText;
    state.ScoreText = *cut;
    score = ConvertScore(state.ScoreText, locale.DecimalSeparator());
    if (!score && ConvertWithSwappedSeparator(state, locale.DecimalSeparator())) score = state.LastScore;
    if (!score) {
      state.ScoreText = previous;
      run.noScoreReason = "The frame rate \"" + *cut + "\" is not a number.";
    }
  }

  // Only this run's outcome decides the putting back; state.NoScore may still hold the
  // outcome of a run of an earlier benchmark.
  const bool runWithoutScore = !score;
  if (score) {
    state.NoScore = false;
    state.LastScore = *score;
    state.ScoreText = IntToStr(state.LastScore);
    run.score = state.LastScore;
    run.noScoreReason.clear();
    if (inputs.frames) inputs.frames->FinishRun(run, inputs.processId);
    if (runCount == 1) {
      AppendSingleRunScore(report, state.ScoreText);
      CloseBlock(report, inputs, run, locale.DecimalSeparator());
    } else {
      AppendRepetitionScore(report, state.ScoreText);
      state.ScoreSum += state.LastScore;
      if (lastRepetition) {
        AppendAverageScore(report, AverageScore(state.ScoreSum, runCount));
        CloseBlock(report, inputs, run, locale.DecimalSeparator());
      }
    }
  } else {
    state.NoScore = true;
    AppendNoScore(report);
    host.ShowBenchmarkMessage(kNoScoreMessage);
    // The benchmark ends here, so the block is closed even with repetitions left.
    CloseBlock(report, inputs, run, locale.DecimalSeparator());
  }

  if (lastRepetition) state.ScoreSum = 0;
  host.RunRecorded(run);

  RunRecord outcome = RunRecord::Continue;
  if (state.FinishedResolutions == state.SelectedResolutions) {
    host.FinishRuns();
    outcome = RunRecord::Finished;
  } else if (runWithoutScore) {
    // The configuration is put back below, so the runs left would measure the user's own
    // settings: the benchmark ends, and the report keeps what was measured until now.
    host.FinishRuns();
    outcome = RunRecord::Ended;
  }

  if (runWithoutScore) {
    host.PutAutoexecBack();
    host.PutGameConfigBack();
    host.ShowIdle();
  }

  host.RemoveRunLog();
  host.RemoveNetDemoRun();
  ui.Sleep(kSettleMilliseconds);
  return outcome;
}

}  // namespace dx
