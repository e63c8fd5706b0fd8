#include "bench/ReportFrameTimes.h"

#include <algorithm>
#include <cmath>

#include "bench/Report.h"
#include "common/Numbers.h"
#include "common/Text.h"

namespace dx {

namespace {

constexpr const char* kRunColours[] = {"#0066FF", "#990000", "#2E8B57", "#FF8C00",
                                       "#8A2BE2", "#008B8B", "#C71585", "#556B2F"};
constexpr double kWidth = 800, kHeight = 280, kLeft = 56, kRight = 24, kTop = 28, kBottom = 30;

std::string F1(double value) { return FormatFixed(value, 1, '.'); }

// An axis a reader takes in: steps of 1, 2 or 5 times a power of ten, four or five of
// them up to the first step at or above value.
struct Axis {
  double step = 1.0;
  double end = 1.0;
};
Axis NiceAxis(double value) {
  if (value <= 0.0) return {};
  const double raw = value / 4.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10.0 * power;
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw) {
      step = m * power;
      break;
    }
  }
  return {step, std::ceil(value / step - 1e-9) * step};
}

// Whole numbers without decimals, the rest with one.
std::string Label(double value, char sep) {
  return FormatFixed(value, std::fabs(value - std::round(value)) < 1e-9 ? 0 : 1, sep);
}

std::vector<const RecordedRun*> PlottedRuns(const std::vector<const RecordedRun*>& runs) {
  std::vector<const RecordedRun*> plotted;
  for (const auto* run : runs) {
    if (run->score && run->frameTimes && !run->frameTimes->frameMs.empty()) plotted.push_back(run);
  }
  return plotted;
}

}  // namespace

std::string FrameFiguresText(const FrameFigures& f, char sep) {
  return FormatFixed(f.averageFps, 1, sep) + " FPS average, 1% low " + FormatFixed(f.low1PercentFps, 1, sep) +
         " FPS, 0.1% low " + FormatFixed(f.low01PercentFps, 1, sep) + " FPS, longest frame " +
         FormatFixed(f.longestMs, 1, sep) + " ms, " + IntToStr(f.stutters) +
         (f.stutters == 1 ? " stutter (" : " stutters (") + FormatFixed(f.stutterTimePercent, 2, sep) +
         " % of the time)";
}

std::string FrameTimePlot(const std::vector<const RecordedRun*>& runs, char sep) {
  const auto plotted = PlottedRuns(runs);
  if (plotted.empty()) return {};
  double longestMs = 0.0, longestS = 0.0;
  for (const auto* run : plotted) {
    double total = 0.0;
    for (double ms : run->frameTimes->frameMs) {
      total += ms;
      longestMs = std::max(longestMs, ms);
    }
    longestS = std::max(longestS, total / 1000.0);
  }
  const Axis msAxis = NiceAxis(longestMs * 1.05);
  const Axis sAxis = NiceAxis(longestS);
  const double topMs = msAxis.end, endS = sAxis.end;
  const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
  auto x = [&](double s) { return kLeft + s / endS * plotW; };
  auto y = [&](double ms) { return kTop + (topMs - ms) / topMs * plotH; };

  std::string svg = "<svg class=\"frametimes\" width=\"800\" height=\"280\" viewBox=\"0 0 800 280\" "
                    "xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" font-family=\"Arial,sans-serif\" "
                    "font-size=\"11\"><title>Frame time over the demo</title>"
                    "<rect x=\"0\" y=\"0\" width=\"800\" height=\"280\" fill=\"#ffffff\"/>";
  // A grid line and label at every step of each axis.
  for (double ms = 0.0; ms <= topMs + msAxis.step / 2; ms += msAxis.step) {
    svg += "<line x1=\"" + F1(kLeft) + "\" x2=\"" + F1(kWidth - kRight) + "\" y1=\"" + F1(y(ms)) + "\" y2=\"" +
           F1(y(ms)) + "\" stroke=\"#d0d0d0\"/><text x=\"" + F1(kLeft - 4) + "\" y=\"" + F1(y(ms) + 4) +
           "\" text-anchor=\"end\">" + Label(ms, sep) + " ms</text>";
  }
  for (double s = 0.0; s <= endS + sAxis.step / 2; s += sAxis.step) {
    svg += "<text x=\"" + F1(x(s)) + "\" y=\"" + F1(kHeight - kBottom + 16) + "\" text-anchor=\"middle\">" +
           Label(s, sep) + " s</text>";
  }
  for (std::size_t r = 0; r < plotted.size(); ++r) {
    const auto& frames = plotted[r]->frameTimes->frameMs;
    const char* colour = kRunColours[r % std::size(kRunColours)];
    // The longest frame of each stretch, placed where it ended.
    const std::size_t buckets = std::min(frames.size(), kPlotPointsPerRun);
    std::string points;
    double elapsed = 0.0;
    std::size_t at = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
      const std::size_t end = (b + 1) * frames.size() / buckets;
      double longest = -1.0, when = 0.0;
      for (; at < end; ++at) {
        elapsed += frames[at];
        if (frames[at] > longest) {
          longest = frames[at];
          when = elapsed;
        }
      }
      points += (b ? " " : "") + F1(x(when / 1000.0)) + "," + F1(y(longest));
    }
    svg += "<polyline data-run=\"" + IntToStr(plotted[r]->repetition) + "\" points=\"" + points +
           "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1\"/>";
    const std::string label = "Run " + IntToStr(plotted[r]->repetition) +
                              (plotted[r]->frameTimes->reliable ? "" : " (unreliable)");
    const double lx = kLeft + static_cast<double>(r) * 110.0;
    svg += "<rect x=\"" + F1(lx) + "\" y=\"8\" width=\"10\" height=\"10\" fill=\"" + colour + "\"/><text x=\"" +
           F1(lx + 14) + "\" y=\"17\">" + label + "</text>";
  }
  return svg + "</svg>";
}

void AppendFrameTimeLines(LineList& report, const FrameTimeRecording& recording,
                          const std::vector<const RecordedRun*>& runs, char sep) {
  if (!recording.requested) return;
  if (!recording.Recorded()) {
    report.Add("<b>Frame times:</b> not recorded, because " + HtmlText(recording.unavailableReason) + ".<br>");
    return;
  }
  std::vector<const RunFrameTimes*> frames;
  std::string unreliable;
  for (const auto* run : runs) {
    if (!run->score || !run->frameTimes) continue;
    frames.push_back(&*run->frameTimes);
    if (!run->frameTimes->reliable) {
      unreliable += " Run " + IntToStr(run->repetition) + ": " + HtmlText(run->frameTimes->unreliableReason) + ".";
    }
  }
  const auto figures = FiguresOfPool(frames);
  std::string line = "<b>Frame times:</b> ";
  line += figures ? FrameFiguresText(*figures, sep) : std::string("none, no scored run has them");
  if (!unreliable.empty()) line += " <span class=\"style5\"><b>Unreliable:</b>" + unreliable + "</span>";
  report.Add(line + "<br>");
  if (auto plot = FrameTimePlot(runs, sep); !plot.empty()) report.Add(plot + "<br>");
}

}  // namespace dx
