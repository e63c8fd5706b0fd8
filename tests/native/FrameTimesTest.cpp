// Frame times on synthetic series: which stamps make the demo's frames and when they are
// not to be trusted, the figures over a run and over pooled runs, the per-run CSV and the
// report's line and plot.
#include <gtest/gtest.h>

#include <algorithm>

#include "bench/FrameCsv.h"
#include "bench/FrameTimes.h"
#include "bench/ReportFrameTimes.h"

namespace dx {
namespace {

// Stamps of a counter that ticks once a microsecond: some loading frames, then frameMs.
FrameCapture Captured(const std::vector<double>& frameMs, std::size_t loadingFrames = 5) {
  FrameCapture capture;
  capture.frequency = 1000000;
  std::int64_t now = 7000000;
  capture.stamps.push_back(now);
  for (std::size_t i = 0; i < loadingFrames; ++i) capture.stamps.push_back(now += 250000);
  for (double ms : frameMs) capture.stamps.push_back(now += static_cast<std::int64_t>(ms * 1000.0 + 0.5));
  return capture;
}

RunFrameTimes Frames(std::vector<double> ms) {
  RunFrameTimes run;
  run.frameMs = std::move(ms);
  return run;
}

TEST(FrameTimes, TheLastIntervalsAreTheDemoAndWhatDoesNotAddUpIsMarked) {
  const std::vector<double> demo = {10, 20, 10, 20};  // 4 frames in 60 ms: 66.7 fps
  auto run = DemoFrames(Captured(demo), 4, 66.7);
  EXPECT_EQ(run.frameMs, demo) << "the loading frames of a quarter second are dropped";
  EXPECT_TRUE(run.reliable) << run.unreliableReason;

  // Within 2 % of the printed rate is trusted, beyond it not.
  EXPECT_TRUE(DemoFrames(Captured(demo), 4, 65.5).reliable);
  run = DemoFrames(Captured(demo), 4, 64.9);
  EXPECT_FALSE(run.reliable);
  EXPECT_EQ(run.unreliableReason, "their average of 66.7 fps is off the game's 64.9 fps by more than 2.0 %");
  EXPECT_EQ(run.frameMs, demo) << "kept all the same";

  // Fewer stamps than the printed frames and one: what there is, marked.
  run = DemoFrames(Captured(demo, 0), 6, 66.7);
  EXPECT_EQ(run.frameMs, demo);
  EXPECT_FALSE(run.reliable);
  EXPECT_EQ(run.unreliableReason, "the capture holds 4 of the 6 frames");

  auto full = Captured(demo);
  full.overflowed = true;
  EXPECT_EQ(DemoFrames(full, 4, 66.7).unreliableReason, "the capture ran out of room");
  EXPECT_FALSE(DemoFrames(FrameCapture{}, 4, 66.7).reliable);
  EXPECT_TRUE(DemoFrames(FrameCapture{}, 4, 66.7).frameMs.empty());

  // The printed texts, with either separator; none when they are no numbers.
  const auto printed = DemoFramesOfPrinted(Captured(demo), "4", "66,7");
  ASSERT_TRUE(printed);
  EXPECT_TRUE(printed->reliable);
  EXPECT_FALSE(DemoFramesOfPrinted(Captured(demo), "", "66.7"));
  EXPECT_FALSE(DemoFramesOfPrinted(Captured(demo), "4", "fast"));
}

TEST(FrameTimes, PercentilesInterpolateBetweenTheClosestRanks) {
  std::vector<double> values;
  for (int v = 10; v >= 1; --v) values.push_back(v);  // unsorted on purpose
  EXPECT_DOUBLE_EQ(Percentile(values, 0.99), 9.91);    // rank 8.91
  EXPECT_DOUBLE_EQ(Percentile(values, 0.5), 5.5);
  EXPECT_DOUBLE_EQ(Percentile(values, 1.0), 10.0);
  EXPECT_DOUBLE_EQ(Percentile({4.0}, 0.999), 4.0);

  // 1000 frames of 10 ms with ten of 40 ms: the 99th percentile falls on the last short
  // one and the next long one; the 99.9th among the long ones.
  std::vector<double> frames(990, 10.0);
  frames.insert(frames.begin() + 500, 10, 40.0);
  const auto f = FiguresOfFrames(Frames(frames));
  ASSERT_TRUE(f);
  EXPECT_EQ(f->frames, 1000);
  EXPECT_NEAR(f->averageFps, 1000.0 * 1000.0 / (990 * 10.0 + 10 * 40.0), 1e-9);
  EXPECT_NEAR(f->low1PercentFps, 1000.0 / (10.0 + 0.01 * 30.0), 1e-9);  // rank 989.01
  EXPECT_NEAR(f->low01PercentFps, 25.0, 1e-9);
  EXPECT_DOUBLE_EQ(f->longestMs, 40.0);
  EXPECT_FALSE(FiguresOfFrames(Frames({})));
}

TEST(FrameTimes, StuttersAreJudgedAgainstTheMedianOfTheSixtyFramesBefore) {
  // A long frame among the first ten is none; a frame just over 2.5 times the median is
  // one, exactly 2.5 times is not. Then the pace drops from 10 to 30 ms: a stutter each
  // until 30 of the 60 frames looked back on are slow and the median moves to 20 ms.
  std::vector<double> ms(70, 10.0);
  ms[5] = 100.0;
  ms[15] = 25.5;
  ms[20] = 25.0;
  ms.insert(ms.end(), 70, 30.0);
  const auto stutters = StutterFrames(ms);
  ASSERT_EQ(stutters.size(), 31u);
  EXPECT_EQ(stutters.front(), 15u);
  EXPECT_EQ(stutters[1], 70u);
  EXPECT_EQ(stutters.back(), 99u);

  const auto f = FiguresOfFrames(Frames(ms));
  ASSERT_TRUE(f);
  EXPECT_EQ(f->stutters, 31);
  double total = 0;
  for (double v : ms) total += v;
  EXPECT_NEAR(f->stutterTimePercent, (25.5 + 30 * 30.0) / total * 100.0, 1e-9);
}

TEST(FrameTimes, PooledRunsAreOneSeriesButEachRunKeepsItsOwnStutterWindow) {
  auto first = Frames(std::vector<double>(100, 5.0));
  auto second = Frames(std::vector<double>(100, 20.0));
  second.frameMs[3] = 60.0;  // slow after a fast run, but within the second run's first ten frames
  second.reliable = false;
  const auto pooled = FiguresOfPool({&first, &second});
  ASSERT_TRUE(pooled);
  EXPECT_EQ(pooled->frames, 200);
  EXPECT_NEAR(pooled->averageFps, 200 * 1000.0 / (500.0 + 1980.0 + 60.0), 1e-9);
  EXPECT_EQ(pooled->stutters, 0);
  EXPECT_DOUBLE_EQ(pooled->longestMs, 60.0);
  EXPECT_FALSE(pooled->reliable) << "one unreliable run marks the pool";
  EXPECT_TRUE(FiguresOfPool({&first})->reliable);
}

TEST(FrameTimes, TheCsvHasOneRowPerFrameInTheCaptureLayout) {
  const std::string csv = FrameCsv({16.5, 33.25, 1000.0}, 4242);
  const std::string header = kFrameCsvHeader;
  ASSERT_EQ(csv.substr(0, header.size() + 2), header + "\r\n");
  EXPECT_EQ(csv.substr(header.size() + 2),
            "quake4.exe,4242,0x0000000000000000,Other,0,0,0,Other,0,0.0165000,16.5000,16.5000,0.0000,0.0000,0.0000\r\n"
            "quake4.exe,4242,0x0000000000000000,Other,0,0,0,Other,0,0.0497500,33.2500,33.2500,0.0000,0.0000,0.0000\r\n"
            "quake4.exe,4242,0x0000000000000000,Other,0,0,0,Other,0,1.0497500,1000.0000,1000.0000,0.0000,0.0000,"
            "0.0000\r\n");
  EXPECT_EQ(FrameCsvFolder("D:\\Results\\result_03_11_2006_14_05_09.htm"), "D:\\Results\\result_03_11_2006_14_05_09\\");
  EXPECT_EQ(FrameCsvFolderName("result_x.htm"), "result_x");
  EXPECT_EQ(FrameCsvName("hdw2", 3), "hdw2-run3.csv");
}

RecordedRun PlottedRun(int repetition, std::vector<double> ms, bool scored = true) {
  RecordedRun run;
  run.tag = "640";
  run.repetition = repetition;
  if (scored) run.score = 60;
  run.frameTimes = Frames(std::move(ms));
  return run;
}

TEST(FrameTimes, TheReportAddsTheFiguresAndAThinnedPlotOrSaysWhyThereAreNone) {
  std::vector<double> long_run(10000, 10.0);
  long_run[7777] = 95.0;  // one spike among ten thousand frames survives the thinning
  auto first = PlottedRun(1, long_run);
  auto second = PlottedRun(2, std::vector<double>(50, 12.5));
  second.frameTimes->reliable = false;
  second.frameTimes->unreliableReason = "the capture ran out of room";
  const auto cancelled = PlottedRun(3, std::vector<double>(50, 500.0), false);
  const std::vector<const RecordedRun*> runs = {&first, &second, &cancelled};

  LineList report;
  AppendFrameTimeLines(report, {}, runs, ',');
  EXPECT_EQ(report.Count(), 0u) << "not asked for: the report stays as it was";

  AppendFrameTimeLines(report, {true, "the frame-capture library C:\\D\\F&32.dll is missing"}, runs, ',');
  ASSERT_EQ(report.Count(), 1u);
  EXPECT_EQ(report[0], "<b>Frame times:</b> not recorded, because the frame-capture library C:\\D\\F&amp;32.dll is "
                       "missing.<br>");

  report.Clear();
  AppendFrameTimeLines(report, {true, ""}, runs, ',');
  ASSERT_EQ(report.Count(), 2u);
  // The cancelled run's slow frames take no part.
  // 10,050 frames in 100,710 ms; rank 9948.51 falls among the 10 ms frames, 10038.95
  // among the 12.5 ms ones.
  EXPECT_EQ(report[0].find("<b>Frame times:</b> 99,8 FPS average, 1% low 100,0 FPS, 0.1% low 80,0 FPS, longest "
                           "frame 95,0 ms, 1 stutter (0,09 % of the time)"),
            0u)
      << report[0];
  EXPECT_NE(report[0].find("Run 2: the capture ran out of room."), std::string::npos);

  const std::string& plot = report[1];
  EXPECT_EQ(plot.find("<svg class=\"frametimes\" width=\"800\""), 0u);
  EXPECT_EQ(plot.find("data-run=\"3\""), std::string::npos);
  const auto points = [&](const std::string& run) {
    const auto at = plot.find("points=\"", plot.find("data-run=\"" + run + "\"")) + 8;
    const std::string list = plot.substr(at, plot.find('"', at) - at);
    return std::count(list.begin(), list.end(), ',');
  };
  EXPECT_EQ(points("1"), static_cast<long>(kPlotPointsPerRun));
  EXPECT_EQ(points("2"), 50);
  // The axis ends at 100 ms (95 ms and a margin, rounded up): the spike is drawn at its top.
  EXPECT_NE(plot.find(">100 ms</text>"), std::string::npos);
  const double spikeY = 28 + (100.0 - 95.0) / 100.0 * (280 - 28 - 30);
  EXPECT_NE(plot.find("," + std::to_string(spikeY).substr(0, 4)), std::string::npos) << spikeY;
  EXPECT_NE(plot.find("Run 2 (unreliable)"), std::string::npos);
  EXPECT_EQ(plot.find("http://"), plot.find("http://www.w3.org/2000/svg"));
}

}  // namespace
}  // namespace dx
