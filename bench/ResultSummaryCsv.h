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
std::string CsvHeader(char separator);
// The lines of one benchmark, without line ends.
std::vector<std::string> CsvLines(const BenchmarkRecord& record, const std::string& reportFile, char separator,
                                  char decimalSeparator);

struct SummaryAppendResult {
  bool ok = false;
  std::string errorText;
};

// Appends the benchmark's lines to path, creating the file with its header when it is
// missing. Only appended, while no one else may open it: its earlier lines are never
// rewritten, and another copy finishing at the same time adds its lines before or after.
SummaryAppendResult AppendToSummary(platform::IFileSystem& files, const std::string& path,
                                    const BenchmarkRecord& record, const std::string& reportFile,
                                    char decimalSeparator);

}  // namespace dx
