#pragma once
// results.htm: every benchmark of a results folder on one page, built from the
// result_*.json files there (so a hand-edited or deleted results.csv changes nothing).
// Self-contained HTML in UTF-8: no script, nothing from the net.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/Report.h"
#include "bench/ResultFiles.h"

namespace dx {

namespace platform {
class IFileSystem;
}

inline constexpr const char* kHistoryFileName = "results.htm";
// Where the history goes when a results.htm of someone else's is in the folder.
inline constexpr const char* kHistoryOtherFileName = "results-dextrel.htm";

// True for a page this program wrote (its marker, or the head of the pages written
// before there was one): only such a page is ever replaced.
bool IsOwnHistoryPage(std::string_view content);

struct HistoryResolution {
  std::string key;    // tag and size: what makes two results comparable
  std::string label;  // "640×480", "1440×900 (custom)"
  int runs = 0;
  int unscoredRuns = 0;
  std::optional<double> mean;
  std::optional<std::int64_t> minimum;
  std::optional<std::int64_t> maximum;
  std::optional<double> deviationPercent;
  std::optional<double> low1PercentFps;  // from the frame times, when they were recorded
  int ScoredRuns() const { return runs - unscoredRuns; }
};

// One benchmark as its JSON file tells it; texts are UTF-8.
struct HistoryEntry {
  std::string jsonFile;
  std::string reportFile;
  std::string startedText;
  std::string startedIso;
  std::string note;
  // What must agree for two benchmarks to be compared, and how the page names it.
  std::string settingsKey;
  std::string settingsText;
  std::string demo;
  std::string cpu;
  std::string graphicsCard;
  std::string driverVersion;
  std::optional<std::int64_t> videoMemoryMb;
  // Every system fact by its name, for naming what differs between two benchmarks.
  std::vector<std::pair<std::string, std::string>> system;
  std::vector<HistoryResolution> resolutions;
};

// Nothing when the text is not a result file of this program. Files of the first schema
// keep the blank of the report's cuts in their system texts; it is dropped here.
std::optional<HistoryEntry> ReadHistoryEntry(std::string_view json, const std::string& jsonFile);

// The page. decimalSeparator is the user's; unreadable names files that were skipped.
std::string ResultHistoryPage(std::vector<HistoryEntry> entries, const std::vector<std::string>& unreadable,
                              char decimalSeparator);

struct HistoryWriteResult {
  bool ok = false;
  std::string path;
  std::string errorText;
  int benchmarks = 0;
  // Set when the history went to the other name, for the user.
  std::string notice;
};

// Reads every result_*.json of the folder (ending in a backslash or not) and writes
// results.htm beside them; a results.htm this program did not write is left as it is and
// the history goes to the other name.
HistoryWriteResult WriteResultHistory(platform::IFileSystem& files, const std::string& resultsFolder,
                                      char decimalSeparator);

// After a benchmark whose page went into the results folder: results.htm rewritten, a
// failure or the other name added to the benchmark's one message about its result files.
void UpdateResultHistory(const ReportSaveResult& saved, const std::string& resultsFolder, char decimalSeparator,
                         platform::IFileSystem& files, ResultFileProblems& problems);

}  // namespace dx
