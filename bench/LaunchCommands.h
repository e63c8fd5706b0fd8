#pragma once
// Starting one run of the game at one resolution: which resolution runs, the command
// line it runs with, the net-demo script, and the start through the game's runner.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/RunSteps.h"
#include "bench/RunState.h"
#include "common/LineList.h"

namespace dx {

class TJvCreateProcess;
namespace platform {
class IFileSystem;
}

// The resolution controls as they stand at the moment of a launch.
struct ResolutionSelection {
  std::array<bool, kPresetCount> presets{};  // the items of the resolution group
  bool customChecked = false;                 // the custom-resolution tick box
  std::string customWidth;                    // the width and height edits, as typed
  std::string customHeight;

  // Custom counts only with both edits filled in.
  bool CustomSelected() const { return customChecked && !customWidth.empty() && !customHeight.empty(); }
  bool IsSelected(std::string_view tag) const;
  // Resolutions a benchmark will run.
  int Count() const;
};

// The first selected tag at or after tag in running order; nothing when none is left.
std::optional<std::string> FirstSelectedFrom(const ResolutionSelection& selection, std::string_view tag);

// Width and height texts the game is given for tag: the preset's numbers or the custom
// edits unchanged. Nothing for an unknown tag.
std::optional<std::pair<std::string, std::string>> LaunchSize(const ResolutionSelection& selection,
                                                              std::string_view tag);

// gamePath ends in a backslash; the program path stays unquoted at the front, blanks and all.
std::string TimedDemoCommandLine(const std::string& gamePath, const std::string& aspectArgument,
                                 const std::string& width, const std::string& height,
                                 const std::string& demoArgument);
std::string NetDemoCommandLine(const std::string& gamePath, const std::string& aspectArgument,
                               const std::string& width, const std::string& height);

// The four lines of the net-demo script, replacing what script held.
void FillNetDemoScript(LineList& script, const std::string& demoArgument);

struct LaunchInputs {
  std::string gamePath;  // the game folder, ending in a backslash
  std::string aspectArgument;
  std::string demoArgument;
  bool netDemoMode = false;
  ResolutionSelection selection;
  std::string commandLineTail;                  // appended to the game's command line as it is
  std::vector<std::string> addedEnvironment;    // NAME=value for the game only
};

enum class LaunchOutcome {
  Started,
  NothingSelected,  // no selected resolution at or after the tag: nothing changed
  StartFailed,      // the game could not be started: the run button is enabled again
  ScriptFailed,     // the net-demo script could not be written: nothing started, the button enabled
};

// Starts the game for the first selected resolution at or after tag. Sets CurrentTag
// and CommandLine; with a net demo writes the script (scriptList is its scratch list)
// into the game's base folder first. When it fails, failure (if given) gets the error's
// text for the user.
LaunchOutcome LaunchPreset(std::string_view tag, const LaunchInputs& inputs, BenchmarkRunState& state,
                           TJvCreateProcess& cp, platform::IFileSystem& files, LineList& scriptList,
                           IRunSteps& host, std::string* failure = nullptr);

}  // namespace dx
