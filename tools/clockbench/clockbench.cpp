// Measures the processor clock measurement of the report head: how long one
// measurement holds the thread, how many tries it takes, and how far its result lies
// from the time-stamp frequency the kernel determined (read from /proc/cpuinfo through
// wine's drive Z:) and from a long-window reading of the counter.
//
//   wine clockbench.exe [count]      (default 20 measurements)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/win32/Win32Processor.h"
#include "sysinfo/CpuInfo.h"

namespace {

double KernelTscMhz() {
  // Without APERF/MPERF the kernel prints its time-stamp frequency as "cpu MHz".
  std::ifstream in("Z:\\proc\\cpuinfo");
  std::string line;
  bool aperf = false;
  double mhz = 0;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = dx::Trim(line.substr(0, colon));
    if (name == "cpu MHz" && mhz == 0) mhz = std::atof(line.c_str() + colon + 1);
    if (name == "flags" && line.find(" aperfmperf") != std::string::npos) aperf = true;
  }
  return aperf ? 0 : mhz;
}

double LongWindowMhz(dx::platform::IProcessor& cpu) {
  const double rate = static_cast<double>(cpu.PerformanceFrequency());
  const std::int64_t c0 = cpu.PerformanceCounter();
  const std::uint64_t t0 = cpu.ReadTimeStamp();
  ::Sleep(500);
  const std::int64_t c1 = cpu.PerformanceCounter();
  const std::uint64_t t1 = cpu.ReadTimeStamp();
  return static_cast<double>(t1 - t0) / (static_cast<double>(c1 - c0) / rate) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  dx::win32::Win32Processor cpu;
  const double rate = static_cast<double>(cpu.PerformanceFrequency());
  const auto windows = dx::WindowsFor(cpu.PerformanceFrequency());
  const double kernel = KernelTscMhz();
  const double longWindow = LongWindowMhz(cpu);
  const double reference = kernel > 0 ? kernel : longWindow;
  std::printf("performance counter: %.0f Hz; windows %lld + %lld counts (%.1f + %.1f us)\n", rate,
              static_cast<long long>(windows.leadIn), static_cast<long long>(windows.window),
              windows.leadIn * 1e6 / rate, windows.window * 1e6 / rate);
  std::printf("kernel time-stamp frequency: %s; long-window reading: %.3f MHz\n",
              kernel > 0 ? (std::to_string(kernel) + " MHz").c_str() : "not known", longWindow);
  std::printf("%3s %10s %5s %10s %8s %8s %10s\n", "#", "us", "tries", "exact MHz", "raw MHz", "norm", "error ppm");

  std::vector<double> durations, errors;
  for (int i = 0; i < count; ++i) {
    const std::int64_t start = cpu.PerformanceCounter();
    const auto clock = dx::MeasureClock(cpu);
    const double us = static_cast<double>(cpu.PerformanceCounter() - start) * 1e6 / rate;
    const double ppm = (clock.ExactMhz - reference) / reference * 1e6;
    durations.push_back(us);
    errors.push_back(std::fabs(ppm));
    std::printf("%3d %10.1f %5d %10.3f %8u %8u %10.0f\n", i + 1, us, clock.Tries, clock.ExactMhz, clock.RawFreq,
                clock.NormFreq, ppm);
  }
  std::sort(durations.begin(), durations.end());
  std::sort(errors.begin(), errors.end());
  double meanError = 0;
  for (double e : errors) meanError += e;
  meanError /= errors.size();
  std::printf("duration: min %.1f us, median %.1f us, max %.1f us\n", durations.front(),
              durations[durations.size() / 2], durations.back());
  std::printf("error against %s: mean %.0f ppm, median %.0f ppm, max %.0f ppm (%.2f MHz)\n",
              kernel > 0 ? "the kernel" : "the long window", meanError, errors[errors.size() / 2], errors.back(),
              errors.back() * reference / 1e6);
  return 0;
}
