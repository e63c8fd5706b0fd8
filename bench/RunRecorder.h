#pragma once
// Recording a finished game run: its score, its lines in the report, and whether the
// benchmark goes on.
#include <cstdint>
#include <string>
#include <vector>

#include "bench/RunSteps.h"
#include "bench/BenchmarkRecord.h"
#include "bench/FrameRecorder.h"
#include "bench/Report.h"
#include "bench/RunState.h"
#include "common/LineList.h"

namespace dx {

namespace platform {
class IFileSystem;
class IUiThread;
class ILocaleClock;
}  // namespace platform

struct RecordInputs {
  std::string gameBasePath;  // ends in a backslash
  int runCount = 0;          // as the settings hold it
  bool netDemoMode = false;
  ResolutionBlockInputs block;  // its demo argument also names the net demo's stop line
  // The frames of a scored run and the resolution's frame-time lines; none without it.
  FrameRecorder* frames = nullptr;
  std::uint32_t processId = 0;                              // the game's, for the frame-time file
  const std::vector<RecordedRun>* earlierRuns = nullptr;  // the benchmark's runs recorded before this one
};

// Why a run has no score, as the result files name it.
inline constexpr const char* kNoLogReason = "The game left no console log.";
inline constexpr const char* kNoMarkerReason = "The console log holds no frame rate.";
inline constexpr const char* kNoDumpReason = "The game left no console dump of the net demo.";
inline constexpr const char* kNoDumpRateReason = "The console dump holds no frame rate of the demo.";

// What the sequencer does after a recorded run: only Continue launches another.
enum class RunRecord {
  Continue,  // launch the same resolution again or the next selected one
  Finished,  // the last run has been recorded and the host has finished the benchmark
  Ended,     // a run without score: the host has finished the benchmark and the configuration is put
             // back, so no further run would measure the benchmark's settings
};

// A run the game gave no result for because it was stopped or never started: its
// resolution header when due, the no-score line and the block separator (nothing runs
// after it). The run is returned for the result files, without score and with reason;
// it does not count towards an average. repetition: 1 for a resolution's first run.
RecordedRun RecordUnfinishedRun(BenchmarkRunState& state, LineList& report, const ResolutionBlockInputs& block,
                                int repetition, const std::string& reason);

// Records the run that has just ended: waits, reads the score, appends the report lines,
// finishes or ends the benchmark, puts the configuration back after a run without score,
// removes the run's files and waits again. RepetitionsDone and FinishedResolutions have
// been advanced for the run already; the repetition count is taken through
// EffectiveRunCount.
RunRecord RecordRunResult(BenchmarkRunState& state, LineList& report, const RecordInputs& inputs,
                          platform::IFileSystem& files, platform::IUiThread& ui, platform::ILocaleClock& locale,
                          IRunSteps& host);

}  // namespace dx
