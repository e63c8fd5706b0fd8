#pragma once
// Keeps each run's console log, and the net demo's console dump, in
// result_<FileStamp>_logs\ of the results folder before the run's files are removed.
#include <string>
#include <vector>

namespace dx {

namespace platform {
class IFileSystem;
}

// resultsPath with its backslash, "result_", the stamp and "_logs\"; empty without a
// results folder.
std::string RunLogFolder(const std::string& resultsPath, const std::string& fileStamp);
// "<tag>_<repetition>_<file name>", e.g. "640_2_qconsole.log".
std::string KeptLogName(const std::string& tag, int repetition, const std::string& fileName);

struct KeptLogProblem {
  std::string path;  // the copy that could not be written
  std::string why;
};

// A run's log read, its copy not written yet.
struct KeptLog {
  std::string target;
  std::string data;
};

// Reads whichever of qconsole.log and VKRnetdemo.txt the run left in gameBasePath, before
// they are removed; what cannot be kept goes into problems. The game's files are only read.
std::vector<KeptLog> ReadRunLogs(platform::IFileSystem& files, const std::string& gameBasePath,
                                 const std::string& logFolder, const std::string& tag, int repetition,
                                 std::vector<KeptLogProblem>& problems);
// Writes the copies, the folder made when missing. Returns what could not be written.
std::vector<KeptLogProblem> WriteRunLogs(platform::IFileSystem& files, const std::vector<KeptLog>& logs);

}  // namespace dx
