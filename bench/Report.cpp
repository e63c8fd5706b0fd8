#include "bench/Report.h"

#include "bench/RunState.h"
#include "common/DateTimeText.h"
#include "common/Errors.h"
#include "common/Hosts.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/LocaleClock.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

namespace dx {

namespace {

constexpr std::uint64_t kGiB = 1073741824ull;
constexpr std::uint64_t kMiB = 1048576ull;

std::string Entry(const std::string& name, const std::string& value) {
  return "   <FONT size=2><b>" + name + ":</b> " + value + "</FONT><br>";
}

int DigitCount(std::uint64_t value) {
  int digits = 1;
  while (value >= 10) value /= 10, ++digits;
  return digits;
}

std::string MakerNotice() {
  return std::string("Made with Dextrel, the Quake 4 benchmark of Tamberlin - <a href=\"http://") + kMakerHomePage +
         "\">" + kMakerHomePage + "</a>";
}

}  // namespace

std::string HtmlText(std::string_view text, bool inAttribute) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += inAttribute ? "&quot;" : "\""; break;
      default: out += c;
    }
  }
  return out;
}

std::string MemoryLine(std::uint64_t totalBytes, char decimalSeparator) {
  const int digits = DigitCount(totalBytes);
  std::string rest;
  if (digits >= 11) {
    rest = IntToStr(static_cast<std::int64_t>(totalBytes / kGiB)) + "GB</FONT><br>";
  } else if (digits == 10) {
    rest = FormatFixed(static_cast<double>(totalBytes) / static_cast<double>(kGiB), 1, decimalSeparator) +
           " GB </FONT><br>";
  } else if (digits >= 8) {
    rest = FormatFixed(static_cast<double>(totalBytes) / static_cast<double>(kMiB), 2, decimalSeparator) +
           " MB </FONT><br>";
  } else {
    return {};
  }
  return "   <FONT size=2><b>System memory:</b> " + rest;
}

void WriteReportHead(LineList& report, SystemInfoRecord& info, const std::string& startedAt,
                     const std::string& comment, char decimalSeparator,
                     const std::function<void()>& gatherAdapterDetails) {
  report.Add(
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\">");
  report.Add("<html>");
  report.Add("<head>");
  report.Add(std::string("<title>Quake 4 Benchmark - ") + kMakerHomePage + "</title>");
  report.Add("<style type=\"text/css\">");
  report.Add("<!--");
  report.Add(".style4 {");
  report.Add("\tcolor: #0066FF;");
  report.Add("\tfont-weight: bold;");
  report.Add("}");
  report.Add(".style5 {color: #990000}");
  report.Add(".style6 {color: #0066FF}");
  report.Add(".style7 {");
  report.Add("font-size: 36px;");
  report.Add("font-weight: bold;)");
  report.Add("}");
  report.Add("-->");
  report.Add("</style>");
  report.Add("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"></head>");
  report.Add("<body>");
  report.Add("<p align=\"center\" class=\"style7\">Quake 4 Benchmark</p><br>");
  report.Add("   <FONT size=2>The benchmark started at " + startedAt + "</FONT><br>");
  report.Add("<p align=\"left\"><span class=\"style4\">System Information<br></span>");
  report.Add(Entry("Operating system", info.OperatingSystem));
  if (auto memory = MemoryLine(info.SystemMemory, decimalSeparator); !memory.empty()) report.Add(memory);
  report.Add(Entry("CPU", info.CpuName));
  report.Add(Entry("CPU speed", IntToStr(info.CpuSpeed) + " MHz"));
  report.Add(Entry("Sound system", info.SoundSystem));

  if (gatherAdapterDetails) gatherAdapterDetails();

  if (info.HasRadeonDetails) {
    report.Add("   <span class=\"style4\">VGA Information</span><br>");
    report.Add(Entry("Graphics card", info.RadeonCardName));
    if (!info.BusType.empty() && !info.MemoryType.empty()) report.Add(Entry("Bustype", info.BusType));
    report.Add(Entry("Memory", info.VideoMemory));
    report.Add(Entry("Current VPU speed", info.VpuClock));
    report.Add(Entry("Current memory speed", info.MemoryClock));
    report.Add(Entry("Driver version", info.DriverVersion));
  }
  if (info.HasAdapterClocks) {
    report.Add("   <align=\"left\"><span class=\"style4\">VGA Information</span><br>");
    report.Add(Entry("Graphics card", info.DriverDescription));
    report.Add(Entry("Memory", info.VideoMemory));
    report.Add(Entry("Current GPU speed", info.GpuClock));
    report.Add(Entry("Current memory speed", info.AdapterMemoryClock));
    report.Add(Entry("Driver version", info.DriverVersion));
  }
  if (!info.HasRadeonDetails && !info.HasAdapterClocks) {
    report.Add("   <span class=\"style4\">VGA Information</span><br>");
    report.Add(Entry("Graphics card", info.GraphicsCard));
    report.Add(Entry("Memory", info.VideoMemory));
    report.Add(Entry("Driver version", info.DriverVersion));
  }

  if (!comment.empty()) {
    report.Add("<FONT size=2><span class=\"style6\">Comment:</span> " + HtmlText(comment) + "</FONT><br>");
  }
  report.Add("<hr>");
}

std::string ResolutionLine(const std::string& tag, const std::string& customWidth,
                           const std::string& customHeight) {
  const auto index = TagIndex(tag);
  if (!index) return {};
  std::string size;
  if (*index == kPresetCount) {
    size = customWidth + " " + kTimes + " " + customHeight + " (Custom)";
  } else {
    const auto& preset = ResolutionPresets()[static_cast<std::size_t>(*index)];
    size = IntToStr(preset.width) + kTimes + IntToStr(preset.height) + (preset.wide ? " (HD WideScreen)" : "");
  }
  return "<BR><B><FONT size=5>Resolution: " + size + "</FONT></B><BR>";
}

void AppendResolutionHeader(LineList& report, const std::string& tag, const ResolutionBlockInputs& block) {
  report.Add(ResolutionLine(tag, block.customWidth, block.customHeight));
  // The demo's file name and the ambient-light level are the user's own text.
  report.Add("Demo: " + HtmlText(block.demoArgument) + "<br>");
  for (const std::string* line : {&block.summary.Quality, &block.summary.AspectRatio, &block.summary.Antialiasing,
                                  &block.summary.Filtering, &block.summary.Smp, &block.summary.AmbientLight}) {
    report.Add(HtmlText(*line) + "<br>");
  }
}

void AppendSingleRunScore(LineList& report, const std::string& scoreText) {
  report.Add("<span class=\"style5\"><b>Score = " + scoreText + " FPS</b></span><br>");
}

void AppendRepetitionScore(LineList& report, const std::string& scoreText) {
  report.Add("<b>Score = " + scoreText + " FPS</b><br>");
}

void AppendAverageScore(LineList& report, std::int32_t average) {
  report.Add("<span class=\"style5\"><b>Average score = " + IntToStr(average) + " FPS</b></span><br>");
}

void AppendNoScore(LineList& report) { report.Add("<span class=\"style5\"><b>Score = No Score.</b></span><br>"); }

void AppendBlockSeparator(LineList& report) { report.Add("<br><HR>"); }

void AppendReportClosing(LineList& report) {
  report.Add("<br><br><P></P><P></P>");
  report.Add("<CENTER>" + MakerNotice() + "</CENTER><BR></BODY></HTML>");
}

StartTimes ReadStartTimes(platform::ILocaleClock& clock) {
  StartTimes times;
  const auto printed = clock.Now();
  times.startedAt = DateTimeText(clock, printed);
  times.startedIso = Iso8601(printed);
  times.fileStamp = MakeFileStamp(DateTimeText(clock, clock.Now()));
  return times;
}

std::string MakeFileStamp(std::string text) {
  for (const char* from : {":", ".", "/", "-", "\\", " "}) text = ReplaceAll(std::move(text), from, "_");
  return text;
}

std::string ReportFileName(const std::string& resultsPath, const std::string& fileStamp) {
  return resultsPath + (resultsPath.size() > 3 ? "\\" : "") + "result_" + fileStamp + ".htm";
}

ReportSaveResult CloseSaveAndOpenReport(LineList& report, const ReportSaveInputs& inputs,
                                        platform::IFileSystem& files, platform::IShell& shell,
                                        const std::function<void(const std::string&)>& showMessage) {
  AppendReportClosing(report);
  ReportSaveResult result;
  if (inputs.scoreText.empty()) return result;

  // The scores of a whole benchmark are not to be lost to a folder that went missing or
  // turned read-only: the folder is made, and failing that the page goes elsewhere and
  // the user is told where.
  std::string firstError;
  if (inputs.resultsPath.empty()) {
    firstError = "No results folder is set.";
  } else {
    if (!files.FolderExists(inputs.resultsPath)) CreateFolderPath(files, inputs.resultsPath);
    const std::string path = ReportFileName(inputs.resultsPath, inputs.fileStamp);
    try {
      report.SaveToFile(files, path);
      shell.Open(path, platform::ShowMode::Show);
      return {ReportSaveStatus::Saved, path};
    } catch (const Error& e) {
      firstError = e.what();
    }
  }

  for (const auto& folder : inputs.fallbackFolders) {
    if (folder.empty()) continue;
    const std::string path = IncludeTrailingBackslash(folder) + "result_" + inputs.fileStamp + ".htm";
    try {
      report.SaveToFile(files, path);
    } catch (const Error&) {
      continue;
    }
    if (showMessage) {
      showMessage("The report could not be saved in the results folder \"" + inputs.resultsPath + "\". " +
                  firstError + "\r\nIt was saved as \"" + path + "\" instead.");
    }
    shell.Open(path, platform::ShowMode::Show);
    return {ReportSaveStatus::SavedElsewhere, path};
  }
  if (showMessage) showMessage("The report could not be saved. " + firstError);
  result.status = ReportSaveStatus::Failed;
  return result;
}

}  // namespace dx
