#pragma once
// The display card, its memory and driver version and the sound device, read from the
// text report of the DirectX diagnostic tool. The last three are cached in the settings
// for the rest of the program run, so the tool runs once, at the first benchmark.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/LineList.h"
#include "common/SettingsNames.h"
#include "common/SharedRegistry.h"
#include "gameprep/ProcessRunner.h"
#include "platform/Platform.h"
#include "sysinfo/SystemInfo.h"

namespace dx {

inline constexpr const char* kIndeterminable = "indeterminable";
inline constexpr const char* kDiagnosticReportName = "dxinfo.txt";

// The four values of a report; a value is absent when its marker was not found.
struct DiagnosticValues {
  std::optional<std::string> GraphicsCard;
  std::optional<std::string> VideoMemory;
  std::optional<std::string> DriverVersion;
  std::optional<std::string> SoundSystem;
};

// Reads the four values from the report's lines, each search starting at the line where
// the previous one was found. The lines shrink from the front as the markers are found;
// a marker that is missing leaves them as they were.
DiagnosticValues ParseDiagnosticReport(LineList& lines);

// The tool's command line for a report in programDir (which ends in a backslash).
std::string DiagnosticCommandLine(const std::string& systemFolder, const std::string& programDir);

class TDirectXDiagnostics {
 public:
  // Takes over dxrun's OnTerminate. Everything given must outlive this object.
  TDirectXDiagnostics(platform::Platform platform, SharedRegistry& registry, TJvCreateProcess& dxrun,
                      std::string programDir, LineList& diagnosticLines, SystemInfoRecord& systemInfo,
                      std::function<void()> startBenchmark,
                      std::string settingsKey = settings::kSettingsKey);
  ~TDirectXDiagnostics();
  TDirectXDiagnostics(const TDirectXDiagnostics&) = delete;
  TDirectXDiagnostics& operator=(const TDirectXDiagnostics&) = delete;

  // Starts the tool, or the benchmark at once when the tool is missing or cannot be
  // started. A collection already under way is left to finish.
  void StartDiagnostics();
  // The tool ran past the time limit: it is ended, its values are indeterminable (none
  // cached) and the benchmark starts. False when no tool was running.
  bool EndOverdue();
  // dxrun's termination: reads the report, fills the record, refreshes the cache and
  // starts the benchmark. The exit code is not used.
  void dxrunTerminate(TJvCreateProcess& sender, std::uint32_t exitCode);
  // Empties the three cached values when the settings key exists. False when they
  // could not be written.
  bool ClearDiagnosticCache();

  std::string ReportPath() const { return programDir_ + kDiagnosticReportName; }

 private:
  void CacheValue(bool keyOpen, const char* name, const std::optional<std::string>& value);

  platform::Platform platform_;
  SharedRegistry& registry_;
  TJvCreateProcess& dxrun_;
  std::string programDir_;
  LineList& diagnosticLines_;
  SystemInfoRecord& systemInfo_;
  std::function<void()> startBenchmark_;
  std::string settingsKey_;
};

}  // namespace dx
