#include "bench/ResultFigures.h"

#include <algorithm>
#include <cmath>

namespace dx {

namespace {

ResolutionFigures Figures(const std::vector<const RecordedRun*>& runs) {
  ResolutionFigures figures;
  figures.tag = runs.front()->tag;
  figures.width = runs.front()->width;
  figures.height = runs.front()->height;
  figures.runs = static_cast<int>(runs.size());
  std::vector<std::int32_t> scores;
  std::vector<const RunFrameTimes*> frames;
  for (const auto* run : runs) {
    if (run->score) scores.push_back(*run->score);
    if (run->score && run->frameTimes) frames.push_back(&*run->frameTimes);
  }
  figures.frames = FiguresOfPool(frames);
  if (!frames.empty()) {
    figures.framesReliable =
        std::all_of(frames.begin(), frames.end(), [](const RunFrameTimes* f) { return f->reliable; });
  }
  figures.scoredRuns = static_cast<int>(scores.size());
  figures.unscoredRuns = figures.runs - figures.scoredRuns;
  if (scores.empty()) return figures;

  std::int64_t sum = 0;
  for (auto s : scores) sum += s;
  const double n = static_cast<double>(scores.size());
  const double mean = static_cast<double>(sum) / n;
  figures.mean = mean;
  figures.average = static_cast<std::int32_t>(sum / static_cast<std::int64_t>(scores.size()));
  figures.minimum = *std::min_element(scores.begin(), scores.end());
  figures.maximum = *std::max_element(scores.begin(), scores.end());
  if (scores.size() >= 2 && mean != 0.0) {
    double squares = 0.0;
    for (auto s : scores) squares += (s - mean) * (s - mean);
    figures.deviationPercent = std::sqrt(squares / (n - 1.0)) / std::fabs(mean) * 100.0;
  }
  return figures;
}

}  // namespace

std::vector<ResolutionFigures> FiguresByResolution(const std::vector<RecordedRun>& runs) {
  std::vector<std::string> order;
  for (const auto& run : runs) {
    if (std::find(order.begin(), order.end(), run.tag) == order.end()) order.push_back(run.tag);
  }
  std::vector<ResolutionFigures> result;
  for (const auto& tag : order) {
    std::vector<const RecordedRun*> own;
    for (const auto& run : runs) {
      if (run.tag == tag) own.push_back(&run);
    }
    result.push_back(Figures(own));
  }
  return result;
}

}  // namespace dx
