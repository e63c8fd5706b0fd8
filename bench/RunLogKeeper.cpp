#include "bench/RunLogKeeper.h"

#include "bench/Report.h"
#include "common/Text.h"
#include "gameprep/GameInterface.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace dx {

std::string RunLogFolder(const std::string& resultsPath, const std::string& fileStamp) {
  if (resultsPath.empty()) return {};
  return IncludeTrailingBackslash(resultsPath) + "result_" + fileStamp + "_logs\\";
}

std::string KeptLogName(const std::string& tag, int repetition, const std::string& fileName) {
  return tag + "_" + IntToStr(repetition) + "_" + fileName;
}

std::vector<KeptLog> ReadRunLogs(platform::IFileSystem& files, const std::string& gameBasePath,
                                 const std::string& logFolder, const std::string& tag, int repetition,
                                 std::vector<KeptLogProblem>& problems) {
  std::vector<KeptLog> logs;
  for (const char* name : {game::kConsoleLog, game::kNetDemoDump}) {
    const std::string source = gameBasePath + name;
    if (!files.FileExists(source)) continue;
    const std::string target = logFolder + KeptLogName(tag, repetition, name);
    if (logFolder.empty()) {
      problems.push_back({KeptLogName(tag, repetition, name), "No results folder is set."});
      continue;
    }
    auto read = files.ReadFile(source);
    if (!read.ok) {
      problems.push_back({target, read.errorText});
      continue;
    }
    logs.push_back({target, std::move(read.data)});
  }
  return logs;
}

std::vector<KeptLogProblem> WriteRunLogs(platform::IFileSystem& files, const std::vector<KeptLog>& logs) {
  std::vector<KeptLogProblem> problems;
  for (const auto& log : logs) {
    const std::string folder = ExtractFilePath(log.target);
    if (!files.FolderExists(folder)) CreateFolderPath(files, folder.substr(0, folder.size() - 1));
    if (auto written = files.WriteFile(log.target, log.data); !written.ok) {
      problems.push_back({log.target, written.errorText});
    }
  }
  return problems;
}

}  // namespace dx
