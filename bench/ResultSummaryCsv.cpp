#include "bench/ResultSummaryCsv.h"

#include "bench/ResultFigures.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/Utf8.h"
#include "platform/FileSystem.h"

namespace dx {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kHeaderNames[] = {"started",   "resolution", "quality", "antialiasing", "filtering",
                                        "runs",      "runs without score", "average score", "min", "max",
                                        "stddev %", "report"};

std::string Joined(const std::vector<std::string>& fields, char separator) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += separator;
    line += CsvField(fields[i], separator);
  }
  return line;
}

template <class T>
std::string IntOrEmpty(const std::optional<T>& value) {
  return value ? IntToStr(static_cast<std::int64_t>(*value)) : std::string();
}

// The separator the file's header was written with; nothing for a file of another kind.
std::optional<char> HeaderSeparator(std::string_view content) {
  if (StartsWith(content, kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
  const std::string_view first = kHeaderNames[0];
  if (!StartsWith(content, first) || content.size() <= first.size()) return std::nullopt;
  const char separator = content[first.size()];
  if (separator != ',' && separator != ';') return std::nullopt;
  return separator;
}

}  // namespace

char CsvSeparatorFor(char decimalSeparator) { return decimalSeparator == ',' ? ';' : ','; }

std::string CsvField(std::string_view utf8, char separator) {
  if (utf8.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos) {
    return std::string(utf8);
  }
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string CsvHeader(char separator) {
  return Joined(std::vector<std::string>(std::begin(kHeaderNames), std::end(kHeaderNames)), separator);
}

std::vector<std::string> CsvLines(const BenchmarkRecord& record, const std::string& reportFile, char separator,
                                  char decimalSeparator) {
  std::vector<std::string> lines;
  for (const auto& f : FiguresByResolution(record.runs)) {
    std::string resolution = f.width + "x" + f.height;
    if (f.tag == "custom") resolution += " (custom)";
    lines.push_back(Joined({Cp1252ToUtf8(record.startedAt), Cp1252ToUtf8(resolution),
                            Cp1252ToUtf8(record.setup.quality), Cp1252ToUtf8(record.setup.antialiasing),
                            Cp1252ToUtf8(record.setup.filtering), IntToStr(f.runs), IntToStr(f.unscoredRuns),
                            IntOrEmpty(f.average), IntOrEmpty(f.minimum), IntOrEmpty(f.maximum),
                            f.deviationPercent ? FormatFixed(*f.deviationPercent, 2, decimalSeparator) : "",
                            Cp1252ToUtf8(reportFile)},
                           separator));
  }
  return lines;
}

SummaryAppendResult AppendToSummary(platform::IFileSystem& files, const std::string& path,
                                    const BenchmarkRecord& record, const std::string& reportFile,
                                    char decimalSeparator) {
  const auto written = files.AppendFile(path, [&](const std::string& existing) {
    char separator = CsvSeparatorFor(decimalSeparator);
    std::string added;
    if (existing.empty()) {
      added = std::string(kByteOrderMark) + CsvHeader(separator) + "\r\n";
    } else {
      if (auto own = HeaderSeparator(existing)) separator = *own;
      // A last line without its end (a spreadsheet saved it so) would run into ours.
      if (existing.back() != '\n' && existing.back() != '\r') added = "\r\n";
    }
    for (const auto& line : CsvLines(record, reportFile, separator, decimalSeparator)) added += line + "\r\n";
    return added;
  });
  if (!written.ok) return {false, written.errorText};
  return {true, {}};
}

}  // namespace dx
