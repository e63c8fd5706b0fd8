#include "app/CommandLineOptions.h"

#include "app/ExitCodes.h"
#include "bench/RunState.h"
#include "common/Text.h"
#include "platform/Paths.h"

namespace dx {

namespace {

constexpr const char* kSwitchList =
    "The switches are /benchmark, /open, /history, /resolutions=WxH,..., /runs=1-5, "
    "/quality=low|medium|high|ultra, /aa=none|2|4|8|16|system, /af=none|2|4|8|16|system, /results=FOLDER and "
    "/frametimes; "
    "/? shows them.";

bool AsksForHelp(const std::string& argument) {
  return argument == "/?" || argument == "-?" || EqualsNoCase(argument, "/help") || EqualsNoCase(argument, "-help");
}

// A folder for the results: a drive's or a network share's full path of characters a
// file name may hold. What a quoted folder ending in a backslash leaves of its closing
// quotation mark ("C:\My Results\" reaches us as C:\My Results") is dropped first.
std::optional<std::string> FullFolderPath(std::string folder) {
  folder = Trim(folder);
  if (!folder.empty() && folder.back() == '"') folder = Trim(std::string_view(folder).substr(0, folder.size() - 1));
  std::size_t rest = 0;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (folder.size() >= 3 && letter(folder[0]) && folder[1] == ':' && folder[2] == '\\') {
    rest = 3;
  } else if (StartsWith(folder, "\\\\")) {
    // \\server\share: both named.
    const std::size_t server = folder.find('\\', 2);
    if (server == std::string::npos || server == 2 || server + 1 >= folder.size() || folder[server + 1] == '\\') {
      return std::nullopt;
    }
    rest = 2;
  } else {
    return std::nullopt;
  }
  for (std::size_t i = rest; i < folder.size(); ++i) {
    const auto c = static_cast<unsigned char>(folder[i]);
    if (c < 32 || std::string_view("<>:\"/|?*").find(static_cast<char>(c)) != std::string_view::npos) {
      return std::nullopt;
    }
    if (c == '\\' && i + 1 < folder.size() && folder[i + 1] == '\\') return std::nullopt;
  }
  return IncludeTrailingBackslash(folder);
}

std::string BadValue(const std::string& shown, const std::string& value, const std::string& expected) {
  return "Bad value \"" + value + "\" for " + shown + ": " + expected;
}

std::optional<int> ItemOf(const std::string& value, std::initializer_list<const char*> items) {
  int index = 0;
  for (const char* item : items) {
    if (EqualsNoCase(value, item)) return index;
    ++index;
  }
  return std::nullopt;
}

bool PositiveNumber(std::string_view text) {
  int value = 0;
  return !text.empty() && text[0] != '+' && text[0] != '-' && TryStrToInt(text, value) && value > 0;
}

// "640x480,1024x768": the presets by their sizes, at most one other size as the custom one.
std::optional<std::string> ReadResolutions(const std::string& shown, const std::string& value,
                                           BenchmarkOverrides& overrides) {
  std::array<bool, 9> presets{};
  std::optional<std::pair<std::string, std::string>> custom;
  if (value.empty()) return BadValue(shown, value, "give one or more sizes such as 640x480,1024x768.");
  std::size_t from = 0;
  while (from <= value.size()) {
    const std::size_t comma = std::min(value.find(',', from), value.size());
    const std::string size = Trim(std::string_view(value).substr(from, comma - from));
    from = comma + 1;
    const std::size_t x = size.find_first_of("xX\xD7");
    const std::string width = x == std::string::npos ? "" : size.substr(0, x);
    const std::string height = x == std::string::npos ? "" : size.substr(x + 1);
    if (!PositiveNumber(width) || !PositiveNumber(height)) {
      return BadValue(shown, size, "a size is a width, an x and a height, such as 1024x768.");
    }
    bool preset = false;
    for (std::size_t i = 0; i < ResolutionPresets().size(); ++i) {
      const auto& p = ResolutionPresets()[i];
      if (IntToStr(p.width) == width && IntToStr(p.height) == height) {
        presets[i] = true;
        preset = true;
      }
    }
    if (preset) continue;
    if (custom && (custom->first != width || custom->second != height)) {
      return BadValue(shown, value, "only one size that is no preset can be given, as the custom resolution.");
    }
    custom.emplace(width, height);
  }
  overrides.presets = presets;
  overrides.custom = custom;
  return std::nullopt;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view arguments) {
  std::vector<std::string> result;
  std::size_t i = 0;
  while (true) {
    while (i < arguments.size() && (arguments[i] == ' ' || arguments[i] == '\t')) ++i;
    if (i >= arguments.size()) break;
    std::string current;
    bool quoted = false;
    while (i < arguments.size() && (quoted || (arguments[i] != ' ' && arguments[i] != '\t'))) {
      std::size_t backslashes = 0;
      while (i < arguments.size() && arguments[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < arguments.size() && arguments[i] == '"') {
        current.append(backslashes / 2, '\\');
        if (backslashes % 2) {
          current += '"';
        } else if (quoted && i + 1 < arguments.size() && arguments[i + 1] == '"') {
          current += '"';  // "" inside quotes is a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
        continue;
      }
      current.append(backslashes, '\\');
      if (i < arguments.size() && (quoted || (arguments[i] != ' ' && arguments[i] != '\t'))) current += arguments[i++];
    }
    result.push_back(std::move(current));
  }
  return result;
}

CommandLineParse ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLineOptions options;
  bool benchmark = false, history = false;
  std::string overrideShown;
  auto fail = [](std::string message) { return CommandLineParse{std::nullopt, std::move(message)}; };
  for (const auto& argument : arguments) {
    if (AsksForHelp(argument)) {
      options.mode = ProgramMode::Help;
      return {options, {}};
    }
  }

  for (const auto& argument : arguments) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
      return fail("Unknown argument \"" + argument + "\". " + kSwitchList);
    }
    const std::size_t equals = argument.find('=');
    const std::string name = ToLowerAscii(argument.substr(1, equals == std::string::npos ? std::string::npos : equals - 1));
    const bool hasValue = equals != std::string::npos;
    const std::string value = hasValue ? argument.substr(equals + 1) : std::string();
    const std::string shown = "/" + name;

    auto flag = [&](bool& target) -> std::optional<std::string> {
      if (hasValue) return "The switch " + shown + " takes no value.";
      target = true;
      return std::nullopt;
    };
    std::optional<std::string> problem;
    bool isOverride = true;
    if (name == "benchmark") {
      problem = flag(benchmark);
      isOverride = false;
    } else if (name == "history") {
      problem = flag(history);
      isOverride = false;
    } else if (name == "open") {
      problem = flag(options.openReport);
    } else if (name == "afterupgrade") {
      // The upgrade helper restarts the program with it; it changes nothing.
      bool restarted = false;
      problem = flag(restarted);
      isOverride = false;
    } else if (name == "frametimes") {
      problem = flag(options.overrides.frameTimes);
    } else if (!hasValue && (name == "resolutions" || name == "runs" || name == "quality" || name == "aa" ||
                             name == "af" || name == "results")) {
      problem = "The switch " + shown + " needs a value: " + shown + "=...";
    } else if (name == "resolutions") {
      problem = ReadResolutions(shown, value, options.overrides);
    } else if (name == "runs") {
      int runs = 0;
      if (PositiveNumber(value) && TryStrToInt(value, runs) && runs <= 5) {
        options.overrides.runs = runs;
      } else {
        problem = BadValue(shown, value, "give 1 to 5.");
      }
    } else if (name == "quality") {
      options.overrides.quality = ItemOf(value, {"low", "medium", "high", "ultra"});
      if (!options.overrides.quality) problem = BadValue(shown, value, "give low, medium, high or ultra.");
    } else if (name == "aa" || name == "af") {
      auto& target = name == "aa" ? options.overrides.antialiasing : options.overrides.filtering;
      target = ItemOf(value, {"none", "2", "4", "8", "16", "system"});
      if (!target) problem = BadValue(shown, value, "give none, 2, 4, 8, 16 or system.");
    } else if (name == "results") {
      options.overrides.resultsFolder = FullFolderPath(value);
      if (!options.overrides.resultsFolder) {
        problem = BadValue(shown, value,
                           "give a folder's full path, such as C:\\Benchmarks or \\\\server\\share\\Benchmarks, "
                           "without < > : \" / | ? *.");
      }
    } else {
      return fail("Unknown switch \"" + argument + "\". " + kSwitchList);
    }
    if (problem) return fail(*problem);
    if (isOverride && overrideShown.empty()) overrideShown = shown;
  }

  if (benchmark && history) return fail("The switches /benchmark and /history cannot be combined.");
  if (!benchmark && !overrideShown.empty()) return fail("The switch " + overrideShown + " needs /benchmark.");
  options.mode = benchmark ? ProgramMode::Benchmark : history ? ProgramMode::History : ProgramMode::Window;
  return {options, {}};
}

std::vector<std::string> CommandLineHelp() {
  const auto code = [](int value) { return "  " + IntToStr(value) + "  "; };
  return {
      "Dextrel, the Quake 4 benchmark.",
      "",
      "Dextrel.exe                     the window",
      "Dextrel.exe /benchmark [...]    one benchmark with the stored settings, nobody needed",
      "Dextrel.exe /history            the results history rebuilt and opened",
      "Dextrel.exe /?                  this text",
      "",
      "With /benchmark, for this run only (never stored):",
      "  /open                           open the report once it is saved",
      "  /resolutions=WxH,...            sizes this display offers; one that is no preset runs as the custom one",
      "  /runs=1-5                       runs per resolution",
      "  /quality=low|medium|high|ultra",
      "  /aa=none|2|4|8|16|system        anti-aliasing",
      "  /af=none|2|4|8|16|system        anisotropic filtering",
      "  /results=FOLDER                 a full path: C:\\... or \\\\server\\share\\...",
      "",
      "Exit codes of /benchmark:",
      code(kExitAllScored) + "every run scored",
      code(kExitRunWithoutScore) + "a run had no score, or the benchmark was stopped, timed out or asked to close;",
      "     what was measured is saved and printed",
      code(kExitCouldNotStart) + "the benchmark could not start, or a switch or its value is wrong",
      code(kExitAnotherCopy) + "another copy of Dextrel is running, or benchmarking the same game",
      code(kExitUnexpectedFault) + "an unexpected error ended the program; its message or the path of",
      "     its fault report is printed",
  };
}

}  // namespace dx
