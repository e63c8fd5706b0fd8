#pragma once
// The figures of each resolution over its runs: mean, minimum, maximum and the spread.
// Runs without a score are counted but take no part in the figures, their frames neither.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/BenchmarkRecord.h"

namespace dx {

struct ResolutionFigures {
  std::string tag;
  std::string width;
  std::string height;
  int runs = 0;
  int scoredRuns = 0;
  int unscoredRuns = 0;
  // The rest only when at least one run has a score.
  std::optional<double> mean;
  // The mean as the report prints an average: the sum over the scored runs, the
  // remainder dropped.
  std::optional<std::int32_t> average;
  std::optional<std::int32_t> minimum;
  std::optional<std::int32_t> maximum;
  // The sample standard deviation (n - 1) in percent of the mean; it needs two scored
  // runs and a mean other than 0.
  std::optional<double> deviationPercent;
  // Over the pooled frames of the scored runs that have frame times.
  std::optional<FrameFigures> frames;
  // False when any of those runs' frame times is unreliable; nothing without frame times.
  std::optional<bool> framesReliable;
};

// One entry per resolution, in the order the runs came.
std::vector<ResolutionFigures> FiguresByResolution(const std::vector<RecordedRun>& runs);

}  // namespace dx
