#pragma once
// What a benchmark leaves besides its HTML page: the settings it ran with, the facts of
// the report head and every run with its outcome. Gathered while it runs, written out by
// the result files once the page is saved. Texts are Windows-1252 bytes.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/FrameTimes.h"
#include "gameprep/ConfigWriter.h"
#include "sysinfo/SystemInfo.h"

namespace dx {

struct BenchmarkResolution {
  std::string tag;
  std::string width;  // as typed for "custom"
  std::string height;
};

// The choices that shaped the runs, as the controls held them at the start.
struct RecordedSetup {
  std::vector<BenchmarkResolution> resolutions;  // in running order
  int repetitions = 0;
  std::string quality;  // the captions of the chosen items
  std::string aspect;
  std::string antialiasing;
  std::string filtering;
  bool ambientLight = false;
  std::string ambientLightValue;
  bool smp = false;
  std::string demoName;  // as the game loads it
  bool userDemo = false;
  bool netDemo = false;
  std::string demoFile;  // the user's demo file; empty for the built-in demo
  std::string note;
  std::string gameFolder;
  std::string resultsFolder;
  ConfigSummaryLines summary;
};

// One game run and what came of it.
struct RecordedRun {
  std::string tag;
  std::string width;
  std::string height;
  int repetition = 0;  // 1 for the first run of a resolution
  std::string commandLine;
  std::string rateText;  // the frame rate as the game printed it; empty when it printed none
  std::string frames;    // when the game printed them
  std::string seconds;
  std::optional<std::int32_t> score;  // the whole-number score of the report
  std::string noScoreReason;          // why there is no score
  // Only for a scored run of a benchmark that recorded frame times.
  std::optional<RunFrameTimes> frameTimes;
  std::string frameCsv;  // the name of its file in the report's folder; empty when none was written
};

// Whether the benchmark was to record frame times, and why there are none when it could not.
struct FrameTimeRecording {
  bool requested = false;
  std::string unavailableReason;  // empty when they were recorded

  bool Recorded() const { return requested && unavailableReason.empty(); }
};

struct BenchmarkRecord {
  std::string startedAt;  // as the report's head shows it
  std::string startedIso;  // the same moment, ISO 8601 local time
  std::string fileStamp;
  std::string programVersion;
  RecordedSetup setup;
  FrameTimeRecording frameTimes;
  SystemInfoRecord systemInfo;
  std::vector<RecordedRun> runs;
};

inline bool AnyRunScored(const BenchmarkRecord& record) {
  return std::any_of(record.runs.begin(), record.runs.end(), [](const RecordedRun& r) { return r.score.has_value(); });
}
inline bool AllRunsScored(const BenchmarkRecord& record) {
  return std::all_of(record.runs.begin(), record.runs.end(), [](const RecordedRun& r) { return r.score.has_value(); });
}

}  // namespace dx
