#pragma once
// The HTML page of one benchmark, built line by line while it runs and saved once it
// has ended. Single-byte Windows-1252 text; the resolution lines carry "×" as 0xD7.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/LineList.h"
#include "gameprep/ConfigWriter.h"
#include "sysinfo/SystemInfo.h"

namespace dx {

namespace platform {
class IFileSystem;
class IShell;
class ILocaleClock;
}  // namespace platform

// What the header block of a resolution prints besides the tag.
struct ResolutionBlockInputs {
  std::string customWidth;  // texts of the custom width and height edits
  std::string customHeight;
  std::string demoArgument;
  ConfigSummaryLines summary;  // printed under every resolution
};

// Text shown as typed: a "<" must not open a tag; inside an attribute value a quotation
// mark must not end it either (the report's own text keeps its quotation marks).
std::string HtmlText(std::string_view text, bool inAttribute = false);

// The memory line of the head for a total in bytes; empty when it has fewer than 8 digits.
std::string MemoryLine(std::uint64_t totalBytes, char decimalSeparator);

// Clears nothing: appends the head. gatherAdapterDetails runs after the sound line and
// may fill info's adapter fields, which the VGA lines then print.
void WriteReportHead(LineList& report, SystemInfoRecord& info, const std::string& startedAt,
                     const std::string& comment, char decimalSeparator,
                     const std::function<void()>& gatherAdapterDetails);

// The resolution line of tag; empty for an unknown tag.
std::string ResolutionLine(const std::string& tag, const std::string& customWidth,
                           const std::string& customHeight);
// The eight lines before the first result of a resolution.
void AppendResolutionHeader(LineList& report, const std::string& tag, const ResolutionBlockInputs& block);
void AppendSingleRunScore(LineList& report, const std::string& scoreText);
void AppendRepetitionScore(LineList& report, const std::string& scoreText);
void AppendAverageScore(LineList& report, std::int32_t average);
void AppendNoScore(LineList& report);
void AppendBlockSeparator(LineList& report);
// The two closing lines with the maker's notice.
void AppendReportClosing(LineList& report);

// The start time as printed in the head, and the same made fit for a file name.
struct StartTimes {
  std::string startedAt;
  std::string fileStamp;
  std::string startedIso;  // the printed moment in ISO 8601
};
// Reads the clock twice: once for the printed time, once for the file name.
StartTimes ReadStartTimes(platform::ILocaleClock& clock);
// ":", ".", "/", "-", "\" and blanks become "_".
std::string MakeFileStamp(std::string dateTimeText);

// resultsPath + "\" (only when longer than a drive root) + "result_" + stamp + ".htm".
std::string ReportFileName(const std::string& resultsPath, const std::string& fileStamp);

struct ReportSaveInputs {
  std::string resultsPath;
  std::string fileStamp;
  std::string scoreText;  // empty: no score has been read since program start
  // Folders tried in turn when the results folder refuses the file (the program's
  // folder, the temporary folder), each ending in a backslash.
  std::vector<std::string> fallbackFolders;
};

enum class ReportSaveStatus {
  NotWritten,      // no score text: nothing saved, nothing opened
  Saved,           // in the results folder
  SavedElsewhere,  // in a fallback folder; the user was told where
  Failed,          // nowhere; the user was told
};

struct ReportSaveResult {
  ReportSaveStatus status = ReportSaveStatus::NotWritten;
  std::string path;  // the file written, when one was
};

// Appends the closing lines, then saves the page (creating a missing results folder)
// and asks the shell to show it. showMessage gets the modal notice when the page could
// not go where the user wanted it.
ReportSaveResult CloseSaveAndOpenReport(LineList& report, const ReportSaveInputs& inputs,
                                        platform::IFileSystem& files, platform::IShell& shell,
                                        const std::function<void(const std::string&)>& showMessage);

}  // namespace dx
