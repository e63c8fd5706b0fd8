#pragma once
// results.csv in the results folder: one line per resolution of every benchmark, for a
// spreadsheet. UTF-8 with a byte-order mark; the list separator is ";" where the decimal
// separator is "," and "," elsewhere, and a file keeps the separator of its header.
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchmarkRecord.h"

namespace dx {

namespace platform {
class IFileSystem;
}

inline constexpr const char* kSummaryFileName = "results.csv";

char CsvSeparatorFor(char decimalSeparator);
// The field as a spreadsheet reads it back: quoted, inner quotes doubled, when it holds
// the separator, a quote or a line end. utf8 is already UTF-8.
std::string CsvField(std::string_view utf8, char separator);
// withLows: the two columns of the frame-time lows after the others. A file gets them with
// its first benchmark that was to record frame times and keeps them; until then it is
// written as it always was.
std::string CsvHeader(char separator, bool withLows = false);
// The lines of one benchmark, without line ends.
std::vector<std::string> CsvLines(const BenchmarkRecord& record, const std::string& reportFile, char separator,
                                  char decimalSeparator, bool withLows = false);

struct SummaryAppendResult {
  bool ok = false;
  std::string errorText;
};

// Appends the benchmark's lines to path, creating the file with its header when it is
// missing. Only appended, while no one else may open it: its earlier lines are never
// rewritten, and another copy finishing at the same time adds its lines before or after.
// The one exception: a benchmark with frame times extends a header without the lows'
// columns, rewriting the file whole through a temporary file; the earlier lines stay as
// they were, their missing last fields read as empty.
SummaryAppendResult AppendToSummary(platform::IFileSystem& files, const std::string& path,
                                    const BenchmarkRecord& record, const std::string& reportFile,
                                    char decimalSeparator);

}  // namespace dx
