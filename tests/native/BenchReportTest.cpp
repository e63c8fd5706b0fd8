#include "bench/Report.h"

#include <gtest/gtest.h>

#include "tests/doubles/FakeLocaleClock.h"
#include "tests/doubles/FakeShell.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

constexpr std::uint64_t kMiB = 1048576ull;
constexpr std::uint64_t kGiB = 1024 * kMiB;

std::string Entry(const std::string& name, const std::string& value) {
  return "   <FONT size=2><b>" + name + ":</b> " + value + "</FONT><br>";
}

TEST(BenchReportMemory, FollowsTheDigitCountOfTheTotal) {
  const std::string lead = "   <FONT size=2><b>System memory:</b> ";
  EXPECT_EQ(MemoryLine(4 * kGiB, '.'), lead + "4.0 GB </FONT><br>");
  EXPECT_EQ(MemoryLine(2 * kGiB, ','), lead + "2,0 GB </FONT><br>");
  EXPECT_EQ(MemoryLine(16 * kGiB, '.'), lead + "16GB</FONT><br>");
  EXPECT_EQ(MemoryLine(16 * kGiB + 1023 * kMiB, '.'), lead + "16GB</FONT><br>");  // remainder dropped
  EXPECT_EQ(MemoryLine(512 * kMiB, '.'), lead + "512.00 MB </FONT><br>");
  EXPECT_EQ(MemoryLine(512 * kMiB, ','), lead + "512,00 MB </FONT><br>");
  EXPECT_EQ(MemoryLine(9999999999ull, '.'), lead + "9.3 GB </FONT><br>");
  EXPECT_EQ(MemoryLine(10000000000ull, '.'), lead + "9GB</FONT><br>");
  EXPECT_EQ(MemoryLine(99999999ull, '.'), lead + "95.37 MB </FONT><br>");
  EXPECT_EQ(MemoryLine(10000000ull, '.'), lead + "9.54 MB </FONT><br>");
  EXPECT_EQ(MemoryLine(9999999ull, '.'), "");
  EXPECT_EQ(MemoryLine(0, '.'), "");
}

class ReportHeadTest : public ::testing::Test {
 protected:
  ReportHeadTest() {
    info.OperatingSystem = "Windows";
    info.SystemMemory = 5;  // no memory line
    info.CpuName = "CPU";
    info.CpuSpeed = 3000;
    info.SoundSystem = "Sound";
    info.GraphicsCard = "Card";
    info.VideoMemory = "256.0 MB";
    info.DriverVersion = "1.2";
    info.RadeonCardName = "Radeon";
    info.MemoryClock = "700 MHz";
    info.VpuClock = "600 MHz";
    info.DriverDescription = "Description";
    info.GpuClock = "500 MHz";
    info.AdapterMemoryClock = "800 MHz";
  }
  // The head's lines from the one after the sound line up to the end.
  std::vector<std::string> Tail(const std::string& comment = "", const std::function<void()>& gather = {}) {
    LineList report;
    WriteReportHead(report, info, "now", comment, '.', gather);
    const auto& lines = report.Lines();
    const auto sound = std::find(lines.begin(), lines.end(), Entry("Sound system", "Sound"));
    EXPECT_NE(sound, lines.end());
    return {sound + 1, lines.end()};
  }
  SystemInfoRecord info;
};

TEST_F(ReportHeadTest, WithoutAdapterDetailsShowsTheDiagnosticCard) {
  EXPECT_EQ(Tail(), (std::vector<std::string>{"   <span class=\"style4\">VGA Information</span><br>",
                                              Entry("Graphics card", "Card"), Entry("Memory", "256.0 MB"),
                                              Entry("Driver version", "1.2"), "<hr>"}));
}

TEST_F(ReportHeadTest, RadeonBlockShowsTheBusOnlyWithBothBusAndMemoryType) {
  info.HasRadeonDetails = true;
  info.BusType = "AGP";
  const std::vector<std::string> withoutBus{"   <span class=\"style4\">VGA Information</span><br>",
                                            Entry("Graphics card", "Radeon"),
                                            Entry("Memory", "256.0 MB"),
                                            Entry("Current VPU speed", "600 MHz"),
                                            Entry("Current memory speed", "700 MHz"),
                                            Entry("Driver version", "1.2"),
                                            "<hr>"};
  EXPECT_EQ(Tail(), withoutBus);
  info.MemoryType = "DDR3";
  auto withBus = withoutBus;
  withBus.insert(withBus.begin() + 2, Entry("Bustype", "AGP"));
  EXPECT_EQ(Tail(), withBus);
}

TEST_F(ReportHeadTest, AdapterClockBlockAlone) {
  info.HasAdapterClocks = true;
  EXPECT_EQ(Tail(), (std::vector<std::string>{"   <align=\"left\"><span class=\"style4\">VGA Information</span><br>",
                                              Entry("Graphics card", "Description"), Entry("Memory", "256.0 MB"),
                                              Entry("Current GPU speed", "500 MHz"),
                                              Entry("Current memory speed", "800 MHz"),
                                              Entry("Driver version", "1.2"), "<hr>"}));
}

TEST_F(ReportHeadTest, AdapterDetailsAreGatheredAfterTheSoundLineAndPrinted) {
  std::size_t linesWhenGathered = 0;
  LineList report;
  WriteReportHead(report, info, "now", "", '.', [&] {
    linesWhenGathered = report.Count();
    info.HasAdapterClocks = true;
    info.GpuClock = "450 MHz";
  });
  EXPECT_EQ(report[linesWhenGathered - 1], Entry("Sound system", "Sound"));
  EXPECT_EQ(report[linesWhenGathered], "   <align=\"left\"><span class=\"style4\">VGA Information</span><br>");
  EXPECT_NE(report.IndexOf(Entry("Current GPU speed", "450 MHz")), -1);
}

TEST_F(ReportHeadTest, TheCommentIsShownAsTyped) {
  const auto tail = Tail("5 < 6 & fast");
  ASSERT_GE(tail.size(), 2u);
  EXPECT_EQ(tail[tail.size() - 2], "<FONT size=2><span class=\"style6\">Comment:</span> 5 &lt; 6 &amp; fast</FONT><br>");
  EXPECT_EQ(tail.back(), "<hr>");
}

TEST(BenchReportLines, ResolutionLinesOfEveryTag) {
  EXPECT_EQ(ResolutionLine("640", "", ""), "<BR><B><FONT size=5>Resolution: 640\xD7" "480</FONT></B><BR>");
  EXPECT_EQ(ResolutionLine("1600", "", ""), "<BR><B><FONT size=5>Resolution: 1600\xD7" "1200</FONT></B><BR>");
  EXPECT_EQ(ResolutionLine("hdw1", "", ""),
            "<BR><B><FONT size=5>Resolution: 1280\xD7" "768 (HD WideScreen)</FONT></B><BR>");
  EXPECT_EQ(ResolutionLine("hdw2", "", ""),
            "<BR><B><FONT size=5>Resolution: 1920\xD7" "1080 (HD WideScreen)</FONT></B><BR>");
  EXPECT_EQ(ResolutionLine("custom", "1440", "900"),
            "<BR><B><FONT size=5>Resolution: 1440 \xD7 900 (Custom)</FONT></B><BR>");
  EXPECT_EQ(ResolutionLine("", "1", "2"), "");

  LineList block;
  AppendResolutionHeader(block, "800", {"", "", "my.demo", {"q", "a", "aa", "f", "s", "l"}});
  EXPECT_EQ(block.Lines(), (std::vector<std::string>{"<BR><B><FONT size=5>Resolution: 800\xD7" "600</FONT></B><BR>",
                                                     "Demo: my.demo<br>", "q<br>", "a<br>", "aa<br>", "f<br>",
                                                     "s<br>", "l<br>"}));

  // The demo's file name and the typed ambient-light level open no tags.
  LineList typed;
  AppendResolutionHeader(typed, "800", {"", "", "a&b.demo", {"q", "a", "aa", "f", "s", "value: <i>1"}});
  EXPECT_EQ(typed.Lines()[1], "Demo: a&amp;b.demo<br>");
  EXPECT_EQ(typed.Lines()[7], "value: &lt;i&gt;1<br>");
  EXPECT_EQ(typed.Lines()[3], "a<br>");
}

TEST(BenchReportNames, FileStampAndTheDriveRootRule) {
  EXPECT_EQ(MakeFileStamp("03.11.2006 14:05:09"), "03_11_2006_14_05_09");
  EXPECT_EQ(MakeFileStamp("2006-11-03 2:05:09 PM"), "2006_11_03_2_05_09_PM");
  EXPECT_EQ(MakeFileStamp("3/11/06\\x"), "3_11_06_x");

  EXPECT_EQ(ReportFileName("C:\\", "s"), "C:\\result_s.htm");
  EXPECT_EQ(ReportFileName("D:\\Results\\", "s"), "D:\\Results\\\\result_s.htm");
  EXPECT_EQ(ReportFileName("D:\\R", "s"), "D:\\R\\result_s.htm");

  test::FakeLocaleClock clock;
  clock.secondsPerCall = 1;
  const auto times = ReadStartTimes(clock);
  EXPECT_EQ(times.startedAt, "03.11.2006 14:05:09");
  EXPECT_EQ(times.fileStamp, "03_11_2006_14_05_10");  // the clock is read a second time
}

class ReportSaveTest : public ::testing::Test {
 protected:
  ReportSaveTest() {
    report.Add("<html>");
    inputs.resultsPath = "C:\\Dextrel\\Results\\";
    inputs.fileStamp = "03_11_2006_14_05_09";
    inputs.scoreText = "62";
    inputs.fallbackFolders = {"C:\\Dextrel", "C:\\Temp\\"};
    files.AddFolder("C:\\Dextrel");
    files.AddFolder("C:\\Temp");
  }
  ReportSaveResult Save() {
    return CloseSaveAndOpenReport(report, inputs, files, shell, [this](const std::string& m) { messages.push_back(m); });
  }
  LineList report;
  ReportSaveInputs inputs;
  test::MemoryFileSystem files;
  test::FakeShell shell;
  std::vector<std::string> messages;
  const std::string expectedText =
      "<html>\r\n<br><br><P></P><P></P>\r\n<CENTER>Made with Dextrel, the Quake 4 benchmark of Tamberlin - <a "
      "href=\"http://www.dextrel.org\">www.dextrel.org</a></CENTER><BR></BODY></HTML>\r\n";
};

TEST_F(ReportSaveTest, WithoutAnyScoreNothingIsWrittenOrOpened) {
  inputs.scoreText.clear();
  EXPECT_EQ(Save().status, ReportSaveStatus::NotWritten);
  EXPECT_EQ(report.Count(), 3u);  // closed all the same
  EXPECT_TRUE(files.writes().empty());
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ReportSaveTest, SavesIntoAMissingResultsFolderAndShowsThePage) {
  const auto result = Save();
  EXPECT_EQ(result.status, ReportSaveStatus::Saved);
  EXPECT_EQ(result.path, "C:\\Dextrel\\Results\\\\result_03_11_2006_14_05_09.htm");
  EXPECT_EQ(files.Contents("C:\\Dextrel\\Results\\result_03_11_2006_14_05_09.htm"), expectedText);
  EXPECT_EQ(shell.opened, std::vector<std::string>{result.path});
  EXPECT_EQ(shell.openModes, std::vector<platform::ShowMode>{platform::ShowMode::Show});
  EXPECT_TRUE(messages.empty());
}

TEST_F(ReportSaveTest, ReplacesAnEarlierFileOfTheSameName) {
  files.AddFile("C:\\Dextrel\\Results\\result_03_11_2006_14_05_09.htm", "old");
  EXPECT_EQ(Save().status, ReportSaveStatus::Saved);
  EXPECT_EQ(files.Contents("C:\\Dextrel\\Results\\result_03_11_2006_14_05_09.htm"), expectedText);
}

TEST_F(ReportSaveTest, AnUnwritableResultsFolderSendsThePageToTheNextFolderAndSaysWhere) {
  files.AddFolder("C:\\Dextrel\\Results");
  files.SetReadOnly("C:\\Dextrel\\Results");
  files.SetReadOnly("C:\\Dextrel");
  const auto result = Save();
  EXPECT_EQ(result.status, ReportSaveStatus::SavedElsewhere);
  EXPECT_EQ(result.path, "C:\\Temp\\result_03_11_2006_14_05_09.htm");
  EXPECT_EQ(files.Contents(result.path), expectedText);
  EXPECT_EQ(shell.opened, std::vector<std::string>{result.path});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("C:\\Dextrel\\Results\\"), std::string::npos);
  EXPECT_NE(messages[0].find(result.path), std::string::npos);
}

TEST_F(ReportSaveTest, NoFolderTakingThePageIsReported) {
  inputs.resultsPath.clear();
  inputs.fallbackFolders = {"Q:\\Nowhere\\"};
  EXPECT_EQ(Save().status, ReportSaveStatus::Failed);
  EXPECT_TRUE(shell.opened.empty());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("could not be saved"), std::string::npos);
}

}  // namespace
}  // namespace dx
