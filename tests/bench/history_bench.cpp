// Measures how long writing results.htm takes for a results folder of 1,000 earlier
// benchmarks: reading every result file, building the page and writing it, through the
// in-memory file system. With a path argument the page is also written there to look at.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/ResultHistory.h"
#include "bench/ResultJson.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace {

constexpr int kBenchmarks = 1000;

dx::BenchmarkRecord Benchmark(int i) {
  dx::BenchmarkRecord r;
  char iso[32];
  std::snprintf(iso, sizeof iso, "2026-%02d-%02dT%02d:%02d:00", 1 + i / 100 % 12, 1 + i % 28, i % 24, i % 60);
  r.startedIso = iso;
  r.startedAt = iso;
  r.programVersion = "1.5.0.12";
  static const char* qualities[] = {"Low", "Medium", "High", "Ultra"};
  r.setup.quality = qualities[i % 4];
  r.setup.aspect = "[4:3]";
  r.setup.antialiasing = i % 3 ? "2\xD7" : "None";
  r.setup.filtering = "8\xD7";
  r.setup.demoName = "VKRdemo.demo";
  r.setup.repetitions = 3;
  r.setup.note = "driver matrix " + std::to_string(i % 7);
  r.systemInfo.CpuName = " AMD Athlon(tm) 64 X2 Dual Core Processor 4400+";
  r.systemInfo.GraphicsCard = " RADEON X1900 Series";
  r.systemInfo.DriverVersion = " 8." + std::to_string(200 + i % 9) + ".0.0";
  r.systemInfo.VideoMemory = " 512.0 MB";
  for (const char* tag : {"640", "1024", "1600"}) {
    for (int rep = 1; rep <= 3; ++rep) {
      dx::RecordedRun run;
      run.tag = tag;
      run.width = tag;
      run.height = std::string(tag) == "640" ? "480" : std::string(tag) == "1024" ? "768" : "1200";
      run.repetition = rep;
      run.commandLine = "C:\\Games\\Quake 4\\quake4.exe +set logFile 1 +timedemoquit VKRdemo.demo";
      run.rateText = std::to_string(60 + (i * 7 + rep) % 13) + ".5";
      run.score = 60 + (i * 7 + rep) % 13;
      r.runs.push_back(run);
    }
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  dx::test::MemoryFileSystem files;
  const std::string folder = "D:\\Results\\";
  files.AddFolder(folder);
  for (int i = 0; i < kBenchmarks; ++i) {
    const std::string stamp = "bench_" + std::to_string(i);
    files.AddFile(folder + "result_" + stamp + ".json", dx::ResultJson(Benchmark(i), "result_" + stamp + ".htm"));
  }
  const auto start = std::chrono::steady_clock::now();
  const auto written = dx::WriteResultHistory(files, folder, '.');
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const std::string page = files.Contents(written.path);
  std::printf("write results.htm for %d earlier benchmarks: %.1f ms (%d read, page %zu bytes)\n", kBenchmarks, ms,
              written.benchmarks, page.size());
  if (argc > 1) std::ofstream(argv[1], std::ios::binary) << page;
  return written.ok ? 0 : 1;
}
