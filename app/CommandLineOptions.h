#pragma once
// The program's command line: the window as usual, an unattended benchmark, or the
// results history. Every override holds for that one run and is never stored.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dx {

enum class ProgramMode { Window, Benchmark, History, Help };

struct BenchmarkOverrides {
  // Set when /resolutions= was given: the presets in the resolution group's order, and
  // the one size that is none of them as the custom resolution.
  std::optional<std::array<bool, 9>> presets;
  std::optional<std::pair<std::string, std::string>> custom;  // width, height
  std::optional<int> runs;          // 1 to 5
  std::optional<int> quality;       // item of the quality group, 0 (low) to 3 (ultra)
  std::optional<int> antialiasing;  // item of the list, 0 (none) to 5 (from system)
  std::optional<int> filtering;
  std::optional<std::string> resultsFolder;  // ending in a backslash
  bool frameTimes = false;                   // record frame times
};

struct CommandLineOptions {
  ProgramMode mode = ProgramMode::Window;
  bool openReport = false;
  BenchmarkOverrides overrides;
};

struct CommandLineParse {
  std::optional<CommandLineOptions> options;
  std::string error;  // the message naming the switch, when options is empty
};

// The arguments after the program's name, split by the rules of the Windows C runtime
// (blanks separate, double quotes group, backslashes escape only before a quote).
std::vector<std::string> SplitCommandLine(std::string_view arguments);

// Switches start with "/" or "-" and are read without regard to case. "/?" anywhere asks
// for the help text.
CommandLineParse ParseCommandLine(const std::vector<std::string>& arguments);

// What "/?" prints: the switches and the exit codes.
std::vector<std::string> CommandLineHelp();

}  // namespace dx
