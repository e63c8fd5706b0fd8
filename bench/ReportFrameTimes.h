#pragma once
// What the report adds after a resolution's lines when the benchmark was to record frame
// times: the figures over its scored runs and a plot of frame time over the demo, one
// colour per run; or the one line that says why there are none.
#include <string>
#include <vector>

#include "bench/BenchmarkRecord.h"
#include "common/LineList.h"

namespace dx {

// A run's plot keeps at most this many points: the longest frame of each stretch, so a
// spike is never thinned away.
inline constexpr std::size_t kPlotPointsPerRun = 2000;

// The figures' line, as the report and the printed lines word it ("61.5 FPS average, 1% low
// ..."); runs are the resolution's runs, of which only the scored ones with frame times count.
std::string FrameFiguresText(const FrameFigures& figures, char decimalSeparator);

// A self-contained SVG, 800 pixels wide; empty when no run has frames.
std::string FrameTimePlot(const std::vector<const RecordedRun*>& runs, char decimalSeparator);

// Nothing when recording was not asked for.
void AppendFrameTimeLines(LineList& report, const FrameTimeRecording& recording,
                          const std::vector<const RecordedRun*>& runs, char decimalSeparator);

}  // namespace dx
