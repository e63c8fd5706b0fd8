// Measures how long reading the frame rate out of a console log of 100 MB takes: the
// whole recording of one run through the in-memory file system, and the search alone
// on a log without the marker and on one crowded with near misses.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/ResultParsing.h"
#include "bench/RunRecorder.h"
#include "gameprep/GameInterface.h"
#include "tests/doubles/FakeLocaleClock.h"
#include "tests/doubles/FakeUiThread.h"
#include "tests/doubles/MemoryFileSystem.h"
#include "tests/doubles/RecordingRunSteps.h"

namespace {

constexpr std::size_t kLogSize = 100u * 1024u * 1024u;

std::string MakeLog(const std::string& filler, const std::string& tail) {
  std::string log;
  log.reserve(kLogSize + filler.size() + tail.size());
  while (log.size() < kLogSize) log += filler;
  log += tail;
  return log;
}

template <typename F>
double Milliseconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  using namespace dx;
  const std::string result = "2133 frames rendered in 34.7 seconds = 61.5 fps\r\n";
  const std::string console = "WARNING: image 'textures/base_wall/lfwall13f3' not found, using default\r\n";

  {
    const std::string base = "C:\\Games\\Quake 4\\q4base\\";
    test::MemoryFileSystem files;
    test::FakeUiThread ui;
    test::FakeLocaleClock locale;
    files.AddFile(base + game::kConsoleLog, MakeLog(console, result));
    BenchmarkRunState state;
    state.SelectedResolutions = 1;
    state.FinishedResolutions = 1;
    state.RepetitionsDone = 1;
    state.CurrentTag = "640";
    LineList report;
    RecordInputs inputs;
    test::RecordingRunSteps host;
    inputs.gameBasePath = base;
    inputs.runCount = 1;
    const double ms = Milliseconds([&] { RecordRunResult(state, report, inputs, files, ui, locale, host); });
    std::printf("record one run, 100 MB log, marker at the end: %.1f ms (score %s)\n", ms, state.ScoreText.c_str());
    std::size_t size = 0;
    const double readMs = Milliseconds([&] { size = files.ReadFile(base + game::kConsoleLog).data.size(); });
    std::printf("  of which reading the file alone takes about: %.1f ms (%zu bytes)\n", readMs, size);
  }

  struct Case {
    const char* name;
    std::string filler, tail;
  };
  for (const Case& c : {Case{"no marker", console, ""},
                        Case{"crowded with near misses, marker at the end", "seconds seconds SECONDS : x =\r\n", result}}) {
    const std::string log = MakeLog(c.filler, c.tail);
    std::optional<std::string> cut;
    const double ms = Milliseconds([&] { cut = CutTimedDemoScore(log); });
    std::printf("search a 100 MB log, %s: %.1f ms (%s)\n", c.name, ms, cut ? cut->c_str() : "absent");
  }
  return 0;
}
