#pragma once
// Reading the frame rate of a finished run and recording it in the report.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "bench/BenchmarkRecord.h"
#include "bench/Report.h"
#include "bench/RunState.h"
#include "common/LineList.h"

namespace dx {

namespace platform {
class IFileSystem;
class IUiThread;
class ILocaleClock;
}  // namespace platform

inline constexpr const char* kNoScoreMessage =
    "Error occured. Maybe the demo isn't compatible your Quake 4 version! The built-in demo compatible with the "
    "original v1.4.1 patch.";

// The characters a cut score text loses, compared without regard to case.
inline constexpr std::string_view kTimedDemoNoise = " =FPS:";
inline constexpr std::string_view kNetDemoNoise = " =MFPS:";

// Where part first occurs in text, without regard to ASCII case; npos when it does not.
std::size_t FindNoCase(std::string_view text, std::string_view part);

// Removes every character of noise (any case) from text; the rest keeps its order.
std::string CleanScoreText(std::string_view text, std::string_view noise);

// The score text after the first "seconds =" (any case) of a console log, cleaned;
// nothing when the marker is absent.
std::optional<std::string> CutTimedDemoScore(std::string_view logText);

// The score text of a net-demo console dump: the line before the first stop line of the
// demo, from the blank of its "ms: ", cleaned; nothing when a piece is missing.
std::optional<std::string> CutNetDemoScore(const LineList& dump, const std::string& demoArgument);

// The cleaned text read with the user's separator, rounded half to even. Nothing when it
// is not a number or the score does not fit.
std::optional<std::int32_t> ConvertScore(std::string_view text, char separator);
// The first "," becomes "." or else the first "." becomes ",".
std::string SwapFirstSeparator(std::string text);
// Converts state.ScoreText once more with its separator exchanged into state.LastScore.
bool ConvertWithSwappedSeparator(BenchmarkRunState& state, char separator);

// ScoreSum over the repetition count, the remainder dropped.
std::int32_t AverageScore(std::int32_t scoreSum, int runCount);

struct RecordInputs {
  std::string gameBasePath;  // ends in a backslash
  int runCount = 0;          // as the settings hold it
  bool netDemoMode = false;
  ResolutionBlockInputs block;  // its demo argument also names the net demo's stop line
};

// The controller's side of recording a run.
struct RecordCallbacks {
  std::function<void()> repaint;  // the progress panel and the main window
  std::function<void(const std::string&)> showMessage;  // modal, OK button
  std::function<void()> finishBenchmark;
  std::function<void()> restoreAutoexec;  // removing the written autoexec.cfg when no back-up exists
  std::function<void()> restoreGameConfig;
  std::function<void()> showIdle;  // progress panel hidden, run button enabled
  std::function<void()> removeConsoleLog;
  std::function<void()> removeNetDemoFiles;
  // The run and its outcome, once the report has its lines and before the benchmark is
  // finished or the run's files are removed.
  std::function<void(const RecordedRun&)> runRecorded;
};

// Why a run has no score, as the result files name it.
inline constexpr const char* kNoLogReason = "The game left no console log.";
inline constexpr const char* kNoMarkerReason = "The console log holds no frame rate.";
inline constexpr const char* kNoDumpReason = "The game left no console dump of the net demo.";
inline constexpr const char* kNoDumpRateReason = "The console dump holds no frame rate of the demo.";

// What the sequencer does after a recorded run: only Continue launches another.
enum class RunRecord {
  Continue,  // launch the same resolution again or the next selected one
  Finished,  // the last run has been recorded and finishBenchmark has run
  Ended,     // a run without score: finishBenchmark has run and the configuration is put
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
                          const RecordCallbacks& callbacks);

}  // namespace dx
