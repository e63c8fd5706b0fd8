#pragma once
// The record of the benchmark in progress and the resolution tags it walks through.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dx {

// Lives as long as the program runs. Only the run button resets the counters; the
// texts and flags carry over from one benchmark to the next.
struct BenchmarkRunState {
  std::string CurrentTag;
  std::int32_t SelectedResolutions = 0;
  std::int32_t FinishedResolutions = 0;
  std::int32_t RepetitionsDone = 0;
  std::int32_t ScoreSum = 0;
  std::int32_t LastScore = 0;
  std::string ScoreText;
  bool HeaderWritten = false;
  bool NoScore = false;
  std::string StartedAt;
  std::string FileStamp;
  std::string CommandLine;

  // What a press of the run button clears.
  void ResetCounters() {
    RepetitionsDone = 0;
    SelectedResolutions = 0;
    FinishedResolutions = 0;
    ScoreSum = 0;
  }
};

// The nine fixed presets, in the order of the resolution group's items.
inline constexpr int kPresetCount = 9;
inline constexpr std::string_view kCustomTag = "custom";

struct ResolutionPreset {
  std::string_view tag;
  int width;
  int height;
  bool wide;  // the HD widescreen presets
};

const std::array<ResolutionPreset, kPresetCount>& ResolutionPresets();
// The ten tags in running order, "custom" last.
const std::array<std::string_view, kPresetCount + 1>& ResolutionTags();

bool IsResolutionTag(std::string_view tag);
// 0 to 8 for a preset, 9 for "custom", nothing for any other text.
std::optional<int> TagIndex(std::string_view tag);
// The tag that runs after tag; nothing after "custom" or for an unknown text.
std::optional<std::string> SuccessorTag(std::string_view tag);

// The progress line shown while the game plays: "Resolution: 640 × 480...", and for
// "custom" the width and height as typed with " (Custom)". Empty for an unknown tag.
std::string ProgressText(std::string_view tag, const std::string& customWidth, const std::string& customHeight);

// The repetition count to run with. The count reads 0 until a value has been loaded or
// chosen; a benchmark started then runs every resolution once instead of never reaching
// its count.
int EffectiveRunCount(int runCount);

// The runs line before the run about to start: "Runs: " + count + "/" + its number.
// Nothing when the count is 1 or less: the line is then left as it stands.
std::optional<std::string> RunsLineText(int runCount, int repetitionsDone);

}  // namespace dx
