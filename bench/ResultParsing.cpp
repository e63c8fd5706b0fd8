#include "bench/ResultParsing.h"

#include <algorithm>
#include <array>
#include <climits>

#include "bench/RateDetails.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"
#include "platform/FileSystem.h"
#include "platform/LocaleClock.h"
#include "platform/UiThread.h"

namespace dx {

namespace {

constexpr std::uint32_t kSettleMilliseconds = 1000;
constexpr std::string_view kSecondsMarker = game::kTimedemoScoreMarker;
constexpr std::size_t kTimedDemoCut = 7;
constexpr std::size_t kNetDemoCut = 6;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Up to count characters from start; a line end ends the number, it is never part of it.
std::string CutAt(std::string_view text, std::size_t start, std::size_t count) {
  std::string cut;
  for (std::size_t i = start; i < text.size() && cut.size() < count; ++i) {
    if (text[i] == '\r' || text[i] == '\n') break;
    cut += text[i];
  }
  return cut;
}

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

}  // namespace

// Horspool's search: skipping ahead by up to the pattern's length keeps a console log of
// a hundred megabytes quick.
std::size_t FindNoCase(std::string_view text, std::string_view part) {
  const std::size_t m = part.size();
  if (m == 0) return 0;
  if (text.size() < m) return std::string_view::npos;
  std::string pattern(m, '\0');
  for (std::size_t i = 0; i < m; ++i) pattern[i] = Lower(part[i]);
  std::array<std::size_t, 256> skip;
  skip.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) {
    const char c = pattern[i];
    skip[static_cast<unsigned char>(c)] = m - 1 - i;
    if (c >= 'a' && c <= 'z') skip[static_cast<unsigned char>(c - 'a' + 'A')] = m - 1 - i;
  }
  const char lastOfPattern = pattern[m - 1];
  for (std::size_t at = 0; at + m <= text.size();) {
    const char last = text[at + m - 1];
    if (Lower(last) == lastOfPattern) {
      std::size_t j = 0;
      while (j + 1 < m && Lower(text[at + j]) == pattern[j]) ++j;
      if (j + 1 == m) return at;
    }
    at += skip[static_cast<unsigned char>(last)];
  }
  return std::string_view::npos;
}

std::string CleanScoreText(std::string_view text, std::string_view noise) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const bool isNoise = std::any_of(noise.begin(), noise.end(), [c](char n) { return Lower(n) == Lower(c); });
    if (!isNoise) out += c;
  }
  return out;
}

std::optional<std::string> CutTimedDemoScore(std::string_view logText) {
  // The marker holds no line end, so the log's own line ends need no rewriting first.
  const auto at = FindNoCase(logText, kSecondsMarker);
  if (at == std::string_view::npos) return std::nullopt;
  return CleanScoreText(CutAt(logText, at + kSecondsMarker.size(), kTimedDemoCut), kTimedDemoNoise);
}

std::optional<std::string> CutNetDemoScore(const LineList& dump, const std::string& demoArgument) {
  const std::string stopLine =
      std::string(game::kNetDemoStoppedMarker) + game::kNetDemoFolderMarker + demoArgument + "'";
  for (std::size_t i = 0; i < dump.Count(); ++i) {
    if (!EqualsNoCase(dump[i], stopLine)) continue;
    if (i == 0) return std::nullopt;
    const std::string& rateLine = dump[i - 1];
    const auto at = FindNoCase(rateLine, game::kNetDemoFrameMarker);
    if (at == std::string_view::npos) return std::nullopt;
    return CleanScoreText(CutAt(rateLine, at + 3, kNetDemoCut), kNetDemoNoise);
  }
  return std::nullopt;
}

std::optional<std::int32_t> ConvertScore(std::string_view text, char separator) {
  const auto value = TryReadDecimal(text, separator);
  if (!value) return std::nullopt;
  const std::int64_t rounded = RoundHalfEven(*value);
  if (rounded < INT32_MIN || rounded > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::string SwapFirstSeparator(std::string text) {
  if (auto comma = text.find(','); comma != std::string::npos) {
    text[comma] = '.';
  } else if (auto point = text.find('.'); point != std::string::npos) {
    text[point] = ',';
  }
  return text;
}

bool ConvertWithSwappedSeparator(BenchmarkRunState& state, char separator) {
  const auto score = ConvertScore(SwapFirstSeparator(state.ScoreText), separator);
  if (!score) return false;
  state.LastScore = *score;
  return true;
}

std::int32_t AverageScore(std::int32_t scoreSum, int runCount) {
  return runCount < 1 ? scoreSum : static_cast<std::int32_t>(scoreSum / runCount);
}

RecordedRun RecordUnfinishedRun(BenchmarkRunState& state, LineList& report, const ResolutionBlockInputs& block,
                                int repetition, const std::string& reason) {
  if (!state.HeaderWritten) {
    state.HeaderWritten = true;
    AppendResolutionHeader(report, state.CurrentTag, block);
  }
  AppendNoScore(report);
  AppendBlockSeparator(report);
  RecordedRun run = RunOf(state, block, repetition);
  run.noScoreReason = reason;
  return run;
}

RunRecord RecordRunResult(BenchmarkRunState& state, LineList& report, const RecordInputs& inputs,
                          platform::IFileSystem& files, platform::IUiThread& ui, platform::ILocaleClock& locale,
                          const RecordCallbacks& callbacks) {
  const auto call = [](const std::function<void()>& f) {
    if (f) f();
  };
  ui.Sleep(kSettleMilliseconds);

  const int runCount = EffectiveRunCount(inputs.runCount);
  const bool lastRepetition = state.RepetitionsDone >= runCount;
  // Only this run's outcome decides the putting back; the flag may still hold the
  // outcome of a run of an earlier benchmark.
  bool runWithoutScore = false;

  RecordedRun run = RunOf(state, inputs.block, state.RepetitionsDone);
  run.noScoreReason = kNoLogReason;

  // A game that crashed, or was ended from outside, before it wrote its log has no score
  // either: without a word the benchmark would end as if it had measured this run.
  const bool logPresent = files.FileExists(inputs.gameBasePath + game::kConsoleLog);
  {
    if (logPresent) call(callbacks.repaint);
    if (!state.HeaderWritten) {
      state.HeaderWritten = true;
      AppendResolutionHeader(report, state.CurrentTag, inputs.block);
    }

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

    if (score) {
      state.NoScore = false;
      state.LastScore = *score;
      state.ScoreText = IntToStr(state.LastScore);
      run.score = state.LastScore;
      run.noScoreReason.clear();
      if (runCount == 1) {
        AppendSingleRunScore(report, state.ScoreText);
        AppendBlockSeparator(report);
      } else {
        AppendRepetitionScore(report, state.ScoreText);
        state.ScoreSum += state.LastScore;
        if (lastRepetition) {
          AppendAverageScore(report, AverageScore(state.ScoreSum, runCount));
          AppendBlockSeparator(report);
        }
      }
    } else {
      state.NoScore = true;
      runWithoutScore = true;
      AppendNoScore(report);
      if (callbacks.showMessage) callbacks.showMessage(kNoScoreMessage);
      // The benchmark ends here, so the block is closed even with repetitions left.
      AppendBlockSeparator(report);
    }
  }

  if (lastRepetition) state.ScoreSum = 0;
  if (callbacks.runRecorded) callbacks.runRecorded(run);

  RunRecord outcome = RunRecord::Continue;
  if (state.FinishedResolutions == state.SelectedResolutions) {
    call(callbacks.finishBenchmark);
    outcome = RunRecord::Finished;
  } else if (runWithoutScore) {
    // The configuration is put back below, so the runs left would measure the user's own
    // settings: the benchmark ends, and the report keeps what was measured until now.
    call(callbacks.finishBenchmark);
    outcome = RunRecord::Ended;
  }

  if (runWithoutScore) {
    call(callbacks.restoreAutoexec);
    call(callbacks.restoreGameConfig);
    call(callbacks.showIdle);
  }

  call(callbacks.removeConsoleLog);
  call(callbacks.removeNetDemoFiles);
  ui.Sleep(kSettleMilliseconds);
  return outcome;
}

}  // namespace dx
