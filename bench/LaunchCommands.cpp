#include "bench/LaunchCommands.h"

#include "common/Errors.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"
#include "gameprep/ProcessRunner.h"
#include "platform/FileSystem.h"

namespace dx {

namespace {

static_assert(std::string_view(game::kCommandLineHead).starts_with(game::kGameProgram),
              "the command line starts the program that is named to the system");

std::string CommandHead(const std::string& gamePath, const std::string& aspectArgument,
                        const std::string& width, const std::string& height) {
  return gamePath + game::kCommandLineHead + aspectArgument + " " + game::kCustomWidthArgument + " " + width + " " +
         game::kCustomHeightArgument + " " + height;
}

}  // namespace

bool ResolutionSelection::IsSelected(std::string_view tag) const {
  const auto index = TagIndex(tag);
  if (!index) return false;
  if (*index < kPresetCount) return presets[static_cast<std::size_t>(*index)];
  return CustomSelected();
}

int ResolutionSelection::Count() const {
  int count = CustomSelected() ? 1 : 0;
  for (bool checked : presets) count += checked ? 1 : 0;
  return count;
}

std::optional<std::string> FirstSelectedFrom(const ResolutionSelection& selection, std::string_view tag) {
  const auto start = TagIndex(tag);
  if (!start) return std::nullopt;
  const auto& tags = ResolutionTags();
  for (std::size_t i = static_cast<std::size_t>(*start); i < tags.size(); ++i) {
    if (selection.IsSelected(tags[i])) return std::string(tags[i]);
  }
  return std::nullopt;
}

std::optional<std::pair<std::string, std::string>> LaunchSize(const ResolutionSelection& selection,
                                                              std::string_view tag) {
  const auto index = TagIndex(tag);
  if (!index) return std::nullopt;
  if (*index == kPresetCount) return std::make_pair(selection.customWidth, selection.customHeight);
  const auto& preset = ResolutionPresets()[static_cast<std::size_t>(*index)];
  return std::make_pair(IntToStr(preset.width), IntToStr(preset.height));
}

std::string TimedDemoCommandLine(const std::string& gamePath, const std::string& aspectArgument,
                                 const std::string& width, const std::string& height,
                                 const std::string& demoArgument) {
  return CommandHead(gamePath, aspectArgument, width, height) + " " + game::kTimedDemoArgument + " " + demoArgument;
}

std::string NetDemoCommandLine(const std::string& gamePath, const std::string& aspectArgument,
                               const std::string& width, const std::string& height) {
  return CommandHead(gamePath, aspectArgument, width, height) + " " + game::kNetDemoArgument;
}

void FillNetDemoScript(LineList& script, const std::string& demoArgument) {
  script.Clear();
  script.Add(std::string(game::kPlayNetTimedemo) + " " + demoArgument);
  script.Add(game::kNetDemoWait);
  script.Add(game::kNetDemoConDump);
  script.Add(game::kNetDemoExit);
}

LaunchOutcome LaunchPreset(std::string_view tag, const LaunchInputs& inputs, BenchmarkRunState& state,
                           TJvCreateProcess& cp, platform::IFileSystem& files, LineList& scriptList,
                           IRunSteps& host, std::string* failure) {
  const auto chosen = FirstSelectedFrom(inputs.selection, tag);
  if (!chosen) return LaunchOutcome::NothingSelected;
  const auto size = LaunchSize(inputs.selection, *chosen);

  host.ShowProgress(ProgressText(*chosen, inputs.selection.customWidth, inputs.selection.customHeight));
  state.CurrentTag = *chosen;

  if (inputs.netDemoMode) {
    // Set first: a run whose script cannot be written is recorded with its own command line.
    state.CommandLine =
        NetDemoCommandLine(inputs.gamePath, inputs.aspectArgument, size->first, size->second) + inputs.commandLineTail;
    FillNetDemoScript(scriptList, inputs.demoArgument);
    try {
      scriptList.SaveToFile(files, inputs.gamePath + game::kBaseFolder + game::kNetDemoScript);
    } catch (const Error& e) {
      // Without its script the game would sit in its console and never quit, so it is
      // not started.
      if (failure) *failure = e.what();
      host.EnableRunButton();
      return LaunchOutcome::ScriptFailed;
    }
  } else {
    state.CommandLine = TimedDemoCommandLine(inputs.gamePath, inputs.aspectArgument, size->first, size->second,
                                             inputs.demoArgument) +
                        inputs.commandLineTail;
  }

  // The command line keeps the game's path unquoted; named as the program, the path is not
  // cut at a blank into a program that someone may have planted on the way.
  cp.ApplicationName = inputs.gamePath + game::kGameProgram;
  cp.CurrentDirectory = inputs.gamePath;
  cp.CommandLine = state.CommandLine;
  cp.AddedEnvironment = inputs.addedEnvironment;
  try {
    cp.Run();
  } catch (const Error& e) {
    if (failure) *failure = e.what();
    host.EnableRunButton();
    return LaunchOutcome::StartFailed;
  }
  return LaunchOutcome::Started;
}

}  // namespace dx
