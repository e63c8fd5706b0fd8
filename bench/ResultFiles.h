#pragma once
// The files a benchmark leaves beside its HTML page: the JSON document, the line of
// results.csv and the kept run logs. None of them may cost the page or its scores; what
// could not be written is collected and told to the user once, after the page is saved.
#include <string>
#include <vector>

#include "bench/BenchmarkRecord.h"
#include "bench/Report.h"

namespace dx {

namespace platform {
class IFileSystem;
}

class ResultFileProblems {
 public:
  void Add(const std::string& path, const std::string& why);
  // A file written, but not where the user would look for it.
  void Note(const std::string& text) { notes_.push_back(text); }
  bool Empty() const { return lines_.empty() && notes_.empty(); }
  void Clear() {
    lines_.clear();
    notes_.clear();
  }
  // The one message of the benchmark, naming every file and why; it says the report is
  // safe when it was saved. The notes follow.
  std::string Message(bool reportSaved) const;

 private:
  std::vector<std::string> lines_;
  std::vector<std::string> notes_;
};

// The report path with ".htm" exchanged for ".json".
std::string JsonFileName(const std::string& reportPath);

// Writes each scored run's frame times as a CSV in the folder named after the saved page
// (when they were recorded), the JSON beside the page, naming those files, and appends the
// benchmark to results.csv in the results folder. Nothing is written for a page that was
// not saved.
void WriteResultFiles(const BenchmarkRecord& record, const ReportSaveResult& saved, const std::string& resultsPath,
                      char decimalSeparator, platform::IFileSystem& files, ResultFileProblems& problems);

}  // namespace dx
