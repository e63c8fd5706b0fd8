#include "bench/ResultSummaryCsv.h"

#include <algorithm>

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
constexpr const char* kLowNames[] = {"1% low", "0.1% low"};

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

std::string_view FirstLine(std::string_view content) {
  return content.substr(0, std::min(content.find_first_of("\r\n"), content.size()));
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

std::string CsvHeader(char separator, bool withLows) {
  std::vector<std::string> names(std::begin(kHeaderNames), std::end(kHeaderNames));
  if (withLows) names.insert(names.end(), std::begin(kLowNames), std::end(kLowNames));
  return Joined(names, separator);
}

std::vector<std::string> CsvLines(const BenchmarkRecord& record, const std::string& reportFile, char separator,
                                  char decimalSeparator, bool withLows) {
  std::vector<std::string> lines;
  for (const auto& f : FiguresByResolution(record.runs)) {
    std::string resolution = f.width + "x" + f.height;
    if (f.tag == "custom") resolution += " (custom)";
    std::vector<std::string> fields = {
        Cp1252ToUtf8(record.startedAt), Cp1252ToUtf8(resolution), Cp1252ToUtf8(record.setup.quality),
        Cp1252ToUtf8(record.setup.antialiasing), Cp1252ToUtf8(record.setup.filtering), IntToStr(f.runs),
        IntToStr(f.unscoredRuns), IntOrEmpty(f.average), IntOrEmpty(f.minimum), IntOrEmpty(f.maximum),
        f.deviationPercent ? FormatFixed(*f.deviationPercent, 2, decimalSeparator) : "", Cp1252ToUtf8(reportFile)};
    if (withLows) {
      fields.push_back(f.frames ? FormatFixed(f.frames->low1PercentFps, 2, decimalSeparator) : "");
      fields.push_back(f.frames ? FormatFixed(f.frames->low01PercentFps, 2, decimalSeparator) : "");
    }
    lines.push_back(Joined(fields, separator));
  }
  return lines;
}

SummaryAppendResult AppendToSummary(platform::IFileSystem& files, const std::string& path,
                                    const BenchmarkRecord& record, const std::string& reportFile,
                                    char decimalSeparator) {
  const bool requested = record.frameTimes.requested;
  // The file's header line, after the byte order mark.
  const auto headerOf = [](std::string_view content) {
    if (StartsWith(content, kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
    return FirstLine(content);
  };
  // Our lines after what the file holds; a last line without its end (a spreadsheet saved
  // it so) would run into ours.
  const auto linesAfter = [&](const std::string& existing, char separator, bool withLows) {
    std::string added;
    if (!existing.empty() && existing.back() != '\n' && existing.back() != '\r') added = "\r\n";
    for (const auto& line : CsvLines(record, reportFile, separator, decimalSeparator, withLows)) added += line + "\r\n";
    return added;
  };
  // The first benchmark with frame times widens an older header: the one time the file is
  // rewritten (whole, through a temporary file); every other benchmark only appends.
  if (requested && files.FileExists(path)) {
    auto read = files.ReadFile(path);
    if (!read.ok) return {false, read.errorText.empty() ? "It could not be read." : read.errorText};
    std::string content = std::move(read.data);
    const auto own = HeaderSeparator(content);
    if (own && headerOf(content) == CsvHeader(*own)) {
      const std::size_t headerAt = StartsWith(content, kByteOrderMark) ? kByteOrderMark.size() : 0;
      content.replace(headerAt, CsvHeader(*own).size(), CsvHeader(*own, true));
      content += linesAfter(content, *own, true);
      const auto written = files.WriteFile(path, content);
      if (!written.ok) return {false, written.errorText};
      return {true, {}};
    }
  }
  const auto written = files.AppendFile(path, [&](const std::string& existing) {
    if (existing.empty()) {
      const char separator = CsvSeparatorFor(decimalSeparator);
      return std::string(kByteOrderMark) + CsvHeader(separator, requested) + "\r\n" +
             linesAfter(existing, separator, requested);
    }
    const auto own = HeaderSeparator(existing);
    const char separator = own ? *own : CsvSeparatorFor(decimalSeparator);
    const bool withLows = own ? headerOf(existing) == CsvHeader(separator, true) : requested;
    return linesAfter(existing, separator, withLows);
  });
  if (!written.ok) return {false, written.errorText};
  return {true, {}};
}

}  // namespace dx
