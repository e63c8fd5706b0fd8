#include "bench/ResultFiles.h"

#include <exception>

#include "bench/FrameCsv.h"
#include "bench/ResultJson.h"
#include "bench/ResultSummaryCsv.h"
#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace dx {

void ResultFileProblems::Add(const std::string& path, const std::string& why) {
  // Built in steps: GCC 12 reads "\"" + a temporary as an overlapping copy (-Wrestrict).
  std::string line = "\"";
  line += ShownPath(path);
  line += "\": ";
  line += why.empty() ? "the system gave no reason." : Trim(why);
  lines_.push_back(std::move(line));
}

std::string ResultFileProblems::Message(bool reportSaved) const {
  std::string text;
  if (!lines_.empty()) {
    text = reportSaved ? "The report and its scores are saved, but these result files could not be written:"
                       : "These result files could not be written:";
    for (const auto& line : lines_) text += "\r\n" + line;
  }
  for (const auto& note : notes_) text += (text.empty() ? "" : "\r\n") + note;
  return text;
}

std::string JsonFileName(const std::string& reportPath) {
  if (EndsWith(reportPath, ".htm")) return reportPath.substr(0, reportPath.size() - 4) + ".json";
  return reportPath + ".json";
}

namespace {

// The runs' CSV files; the names of those written go into the runs for the JSON.
void WriteFrameFiles(BenchmarkRecord& record, const std::string& reportPath, platform::IFileSystem& files,
                     ResultFileProblems& problems) {
  const std::string folder = FrameCsvFolder(reportPath);
  bool folderMade = false;
  for (auto& run : record.runs) {
    run.frameCsv.clear();
    if (!run.score || !run.frameTimes || run.frameTimes->frameMs.empty()) continue;
    const std::string name = FrameCsvName(run.tag, run.repetition);
    try {
      if (!folderMade) CreateFolderPath(files, folder);
      folderMade = true;
      if (auto written = files.WriteFile(folder + name, FrameCsv(run.frameTimes->frameMs, run.frameTimes->processId));
          !written.ok) {
        problems.Add(folder + name, written.errorText);
        continue;
      }
      run.frameCsv = name;
    } catch (const std::exception& e) {
      problems.Add(folder + name, e.what());
    }
  }
}

}  // namespace

void WriteResultFiles(const BenchmarkRecord& written, const ReportSaveResult& saved, const std::string& resultsPath,
                      char decimalSeparator, platform::IFileSystem& files, ResultFileProblems& problems) {
  if (saved.status != ReportSaveStatus::Saved && saved.status != ReportSaveStatus::SavedElsewhere) return;
  const std::string reportFile = ExtractFileName(saved.path);
  BenchmarkRecord withCsvNames;
  if (written.frameTimes.Recorded()) {
    withCsvNames = written;
    WriteFrameFiles(withCsvNames, saved.path, files, problems);
  }
  const BenchmarkRecord& record = written.frameTimes.Recorded() ? withCsvNames : written;

  const std::string jsonPath = JsonFileName(saved.path);
  try {
    if (auto written = files.WriteFile(jsonPath, ResultJson(record, reportFile)); !written.ok) {
      problems.Add(jsonPath, written.errorText);
    }
  } catch (const std::exception& e) {
    problems.Add(jsonPath, e.what());
  }

  if (resultsPath.empty()) {
    problems.Add(kSummaryFileName, "No results folder is set.");
    return;
  }
  const std::string csvPath = IncludeTrailingBackslash(resultsPath) + kSummaryFileName;
  try {
    if (auto appended = AppendToSummary(files, csvPath, record, reportFile, decimalSeparator); !appended.ok) {
      problems.Add(csvPath, appended.errorText);
    }
  } catch (const std::exception& e) {
    problems.Add(csvPath, e.what());
  }
}

}  // namespace dx
