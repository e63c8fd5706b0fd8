#include "bench/FrameTimes.h"

#include <algorithm>
#include <cmath>

#include "common/Numbers.h"
#include "common/Text.h"

namespace dx {

namespace {

std::string Fixed1(double value) { return FormatFixed(value, 1, '.'); }

}  // namespace

RunFrameTimes DemoFrames(const FrameCapture& capture, std::int64_t printedFrames, double printedFps) {
  RunFrameTimes run;
  const auto& stamps = capture.stamps;
  const std::size_t wanted = printedFrames > 0 ? static_cast<std::size_t>(printedFrames) : 0;
  const std::size_t available = stamps.size() > 1 ? stamps.size() - 1 : 0;
  const std::size_t taken = std::min(wanted, available);
  if (capture.frequency > 0) {
    const double msPerCount = 1000.0 / static_cast<double>(capture.frequency);
    run.frameMs.reserve(taken);
    for (std::size_t i = stamps.size() - taken; i < stamps.size(); ++i) {
      // A counter that went backwards is no frame time; it shows as 0 and fails the rate check.
      const std::int64_t counts = stamps[i] >= stamps[i - 1] ? stamps[i] - stamps[i - 1] : 0;
      run.frameMs.push_back(static_cast<double>(counts) * msPerCount);
    }
  }

  std::vector<std::string> reasons;
  if (capture.overflowed) reasons.push_back("the capture ran out of room");
  if (wanted == 0) reasons.push_back("the game counted no frames");
  if (run.frameMs.size() < wanted) {
    reasons.push_back("the capture holds " + IntToStr(static_cast<std::int64_t>(run.frameMs.size())) + " of the " +
                      IntToStr(printedFrames) + " frames");
  }
  double totalMs = 0.0;
  for (double ms : run.frameMs) totalMs += ms;
  if (!run.frameMs.empty() && printedFps > 0.0) {
    const double capturedFps = totalMs > 0.0 ? static_cast<double>(run.frameMs.size()) * 1000.0 / totalMs : 0.0;
    if (std::fabs(capturedFps - printedFps) > printedFps * kFrameRateTolerancePercent / 100.0) {
      reasons.push_back("their average of " + Fixed1(capturedFps) + " fps is off the game's " + Fixed1(printedFps) +
                        " fps by more than " + Fixed1(kFrameRateTolerancePercent) + " %");
    }
  }
  run.reliable = reasons.empty();
  for (std::size_t i = 0; i < reasons.size(); ++i) run.unreliableReason += (i ? "; " : "") + reasons[i];
  return run;
}

std::optional<RunFrameTimes> DemoFramesOfPrinted(const FrameCapture& capture, const std::string& framesText,
                                                 const std::string& rateText) {
  const auto frames = TryReadDecimalPointOrComma(framesText);
  const auto rate = TryReadDecimalPointOrComma(rateText);
  if (!frames || !rate || *frames < 0 || *frames != std::floor(*frames)) return std::nullopt;
  return DemoFrames(capture, static_cast<std::int64_t>(*frames), *rate);
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  const double rank = std::clamp(p, 0.0, 1.0) * static_cast<double>(values.size() - 1);
  const auto lower = static_cast<std::size_t>(std::floor(rank));
  // Two partial selections instead of a sort: a pool holds millions of frames.
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(lower), values.end());
  const double below = values[lower];
  if (lower + 1 >= values.size()) return below;
  const double above = *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(lower) + 1, values.end());
  return below + (rank - static_cast<double>(lower)) * (above - below);
}

std::vector<std::size_t> StutterFrames(const std::vector<double>& frameMs) {
  std::vector<std::size_t> stutters;
  std::vector<double> window;  // the frames before the current one, sorted
  window.reserve(kStutterWindow + 1);
  for (std::size_t i = 0; i < frameMs.size(); ++i) {
    if (i >= kStutterLeadFrames && !window.empty()) {
      const std::size_t n = window.size();
      const double median = n % 2 ? window[n / 2] : (window[n / 2 - 1] + window[n / 2]) / 2.0;
      if (frameMs[i] > kStutterFactor * median) stutters.push_back(i);
    }
    window.insert(std::upper_bound(window.begin(), window.end(), frameMs[i]), frameMs[i]);
    if (window.size() > kStutterWindow) {
      window.erase(std::lower_bound(window.begin(), window.end(), frameMs[i - kStutterWindow]));
    }
  }
  return stutters;
}

std::optional<FrameFigures> FiguresOfPool(const std::vector<const RunFrameTimes*>& runs) {
  FrameFigures f;
  std::vector<double> pooled;
  double totalMs = 0.0;
  double stutterMs = 0.0;
  for (const auto* run : runs) {
    if (!run->reliable) f.reliable = false;
    for (double ms : run->frameMs) {
      totalMs += ms;
      f.longestMs = std::max(f.longestMs, ms);
    }
    pooled.insert(pooled.end(), run->frameMs.begin(), run->frameMs.end());
    for (std::size_t at : StutterFrames(run->frameMs)) {
      ++f.stutters;
      stutterMs += run->frameMs[at];
    }
  }
  if (pooled.empty() || totalMs <= 0.0) return std::nullopt;
  f.frames = static_cast<std::int64_t>(pooled.size());
  f.averageFps = static_cast<double>(f.frames) * 1000.0 / totalMs;
  const double p99 = Percentile(pooled, 0.99);
  const double p999 = Percentile(std::move(pooled), 0.999);
  f.low1PercentFps = p99 > 0.0 ? 1000.0 / p99 : 0.0;
  f.low01PercentFps = p999 > 0.0 ? 1000.0 / p999 : 0.0;
  f.stutterTimePercent = stutterMs / totalMs * 100.0;
  return f;
}

std::optional<FrameFigures> FiguresOfFrames(const RunFrameTimes& run) { return FiguresOfPool({&run}); }

}  // namespace dx
