#include "bench/RunState.h"

#include "common/Text.h"

namespace dx {

const std::array<ResolutionPreset, kPresetCount>& ResolutionPresets() {
  static const std::array<ResolutionPreset, kPresetCount> presets{{
      {"640", 640, 480, false},
      {"800", 800, 600, false},
      {"1024", 1024, 768, false},
      {"1280", 1280, 1024, false},
      {"1600", 1600, 1200, false},
      {"2048", 2048, 1536, false},
      {"hdw1", 1280, 768, true},
      {"hdw2", 1920, 1080, true},
      {"hdw3", 1920, 1200, true},
  }};
  return presets;
}

const std::array<std::string_view, kPresetCount + 1>& ResolutionTags() {
  static const std::array<std::string_view, kPresetCount + 1> tags{
      "640", "800", "1024", "1280", "1600", "2048", "hdw1", "hdw2", "hdw3", kCustomTag};
  return tags;
}

std::optional<int> TagIndex(std::string_view tag) {
  const auto& tags = ResolutionTags();
  for (int i = 0; i < static_cast<int>(tags.size()); ++i) {
    if (tags[static_cast<std::size_t>(i)] == tag) return i;
  }
  return std::nullopt;
}

bool IsResolutionTag(std::string_view tag) { return TagIndex(tag).has_value(); }

std::optional<std::string> SuccessorTag(std::string_view tag) {
  const auto index = TagIndex(tag);
  if (!index || *index >= kPresetCount) return std::nullopt;
  return std::string(ResolutionTags()[static_cast<std::size_t>(*index + 1)]);
}

std::string ProgressText(std::string_view tag, const std::string& customWidth, const std::string& customHeight) {
  const auto index = TagIndex(tag);
  if (!index) return {};
  std::string width = customWidth, height = customHeight, tail;
  if (*index < kPresetCount) {
    const auto& preset = ResolutionPresets()[static_cast<std::size_t>(*index)];
    width = IntToStr(preset.width);
    height = IntToStr(preset.height);
  } else {
    tail = " (Custom)";
  }
  return "Resolution: " + width + " " + kTimes + " " + height + tail + "...";
}

int EffectiveRunCount(int runCount) { return runCount < 1 ? 1 : runCount; }

std::optional<std::string> RunsLineText(int runCount, int repetitionsDone) {
  if (runCount <= 1) return std::nullopt;
  return "Runs: " + IntToStr(runCount) + "/" + IntToStr(repetitionsDone + 1);
}

}  // namespace dx
