#pragma once
// Where the lines of a benchmark nobody watches go: the console or standard output it was
// started with or, with neither, Dextrel-unattended.log in the results folder (the
// temporary folder when that is missing), so that no message box ever waits.
#include <string>

#include "app/CommandLineOptions.h"

namespace dx::win32 {

class ConsoleOutput;

inline constexpr const char* kUnattendedLogName = "Dextrel-unattended.log";

// The results folder the program would use: stored, or its own default beside it.
std::string StoredResultsFolder();

class UnattendedLog {
 public:
  // resultsFolder: this run's; empty or missing, the stored one, then the temporary folder.
  UnattendedLog(ConsoleOutput& out, const std::string& resultsFolder);
  UnattendedLog(const UnattendedLog&) = delete;
  UnattendedLog& operator=(const UnattendedLog&) = delete;
  void Line(const std::string& text);
  // Empty while everything reached a console.
  const std::string& LogPath() const { return path_; }

 private:
  ConsoleOutput& out_;
  std::string folder_;
  std::string path_;
};

// True when the arguments ask for an unattended benchmark, even where they are refused.
bool AsksForBenchmark(const std::vector<std::string>& arguments);

}  // namespace dx::win32
