#pragma once
// A run's frames as the capture library stamped them: which intervals belong to the demo,
// whether they can be trusted, and the figures over them (per run and pooled over the
// scored runs of a resolution).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dx {

// What the shared section held once the game had ended.
struct FrameCapture {
  std::vector<std::int64_t> stamps;  // performance-counter values, one per swap, in order
  std::int64_t frequency = 0;        // counts per second
  bool overflowed = false;            // the section was full and stopped recording
};

// The capture average may differ this much (percent) from the rate the game printed.
inline constexpr double kFrameRateTolerancePercent = 2.0;

struct RunFrameTimes {
  std::vector<double> frameMs;  // the demo's frames in order
  bool reliable = true;
  std::string unreliableReason;  // why not, as the report shows it
  std::uint32_t processId = 0;   // the game's, for the CSV; 0 when not known
};

// The last printedFrames intervals before the game quit; the intervals before them are
// loading frames. Marked unreliable, never dropped: fewer stamps than the frames and one,
// an average off the printed rate by more than the tolerance, a full section.
RunFrameTimes DemoFrames(const FrameCapture& capture, std::int64_t printedFrames, double printedFps);

// The same from the texts the game printed ("2133", "61.5" or "61,5"); nothing when they
// are not numbers (the run has no score then and no frame times either).
std::optional<RunFrameTimes> DemoFramesOfPrinted(const FrameCapture& capture, const std::string& framesText,
                                                 const std::string& rateText);

struct FrameFigures {
  std::int64_t frames = 0;
  double averageFps = 0.0;  // frames over the sum of their times
  double low1PercentFps = 0.0;   // 1000 over the 99th percentile frame time
  double low01PercentFps = 0.0;  // 1000 over the 99.9th
  double longestMs = 0.0;
  std::int64_t stutters = 0;
  double stutterTimePercent = 0.0;  // the stutters' share of the time
  bool reliable = true;
};

// The p-th quantile (0..1) of values, linear between the closest ranks: rank p * (n - 1).
double Percentile(std::vector<double> values, double p);

// Frames longer than this many times the median of the frames before them are stutters.
inline constexpr double kStutterFactor = 2.5;
inline constexpr std::size_t kStutterWindow = 60;      // frames the median looks back on
inline constexpr std::size_t kStutterLeadFrames = 10;  // a run's first frames are never stutters

// The indices of the stutters of one run.
std::vector<std::size_t> StutterFrames(const std::vector<double>& frameMs);

// Nothing without frames.
std::optional<FrameFigures> FiguresOfFrames(const RunFrameTimes& run);
// Over the pooled frames of several runs; each run's stutters are judged within it.
std::optional<FrameFigures> FiguresOfPool(const std::vector<const RunFrameTimes*>& runs);

}  // namespace dx
