// The files beside the report: the figures of each resolution, the JSON document and
// results.csv against the golden files, the kept run logs and the rate details.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "bench/RateDetails.h"
#include "bench/ResultFigures.h"
#include "bench/ResultFiles.h"
#include "bench/ResultJson.h"
#include "bench/ResultSummaryCsv.h"
#include "bench/RunLogKeeper.h"
#include "common/JsonValue.h"
#include "common/Utf8.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

std::string Golden(const std::string& name) {
  std::ifstream in(std::string(DEXTREL_TEST_DATA) + "/bench/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

RecordedRun MadeRun(const std::string& tag, int repetition, std::optional<std::int32_t> score) {
  RecordedRun run;
  run.tag = tag;
  run.width = tag == "800" ? "800" : "640";
  run.height = tag == "800" ? "600" : "480";
  run.repetition = repetition;
  run.score = score;
  if (!score) run.noScoreReason = "The console log holds no frame rate.";
  return run;
}

TEST(ResultFigures, OneRunHasItsScoreAndNoSpread) {
  const auto figures = FiguresByResolution({MadeRun("640", 1, 61)});
  ASSERT_EQ(figures.size(), 1u);
  EXPECT_EQ(figures[0].runs, 1);
  EXPECT_EQ(figures[0].unscoredRuns, 0);
  EXPECT_DOUBLE_EQ(figures[0].mean.value(), 61.0);
  EXPECT_EQ(figures[0].average, 61);
  EXPECT_EQ(figures[0].minimum, 61);
  EXPECT_EQ(figures[0].maximum, 61);
  EXPECT_FALSE(figures[0].deviationPercent);
}

TEST(ResultFigures, FiveRunsGiveMeanExtremesAndSampleDeviationInPercent) {
  std::vector<RecordedRun> runs;
  int repetition = 0;
  for (int score : {60, 62, 61, 63, 64}) runs.push_back(MadeRun("640", ++repetition, score));
  const auto f = FiguresByResolution(runs).at(0);
  EXPECT_EQ(f.runs, 5);
  EXPECT_DOUBLE_EQ(*f.mean, 62.0);
  EXPECT_EQ(f.minimum, 60);
  EXPECT_EQ(f.maximum, 64);
  // Squares 4 + 0 + 1 + 1 + 4 over n - 1 = 4: sqrt(2.5) of 62.
  EXPECT_NEAR(*f.deviationPercent, 2.5503, 1e-4);
  // As the report averages: the remainder dropped.
  runs[4].score = 65;
  EXPECT_EQ(FiguresByResolution(runs).at(0).average, 62);  // 311 / 5
  EXPECT_DOUBLE_EQ(*FiguresByResolution(runs).at(0).mean, 62.2);
}

TEST(ResultFigures, RunsWithoutScoreAreCountedButLeftOutPerResolutionInRunOrder) {
  const auto figures =
      FiguresByResolution({MadeRun("800", 1, 100), MadeRun("800", 2, std::nullopt), MadeRun("800", 3, 104),
                           MadeRun("640", 1, std::nullopt)});
  ASSERT_EQ(figures.size(), 2u);
  EXPECT_EQ(figures[0].tag, "800");
  EXPECT_EQ(figures[0].runs, 3);
  EXPECT_EQ(figures[0].unscoredRuns, 1);
  EXPECT_DOUBLE_EQ(*figures[0].mean, 102.0);
  EXPECT_EQ(figures[0].minimum, 100);
  EXPECT_NEAR(*figures[0].deviationPercent, 2.7730, 1e-4);  // sqrt(8) of 102
  EXPECT_EQ(figures[1].tag, "640");
  EXPECT_EQ(figures[1].unscoredRuns, 1);
  EXPECT_FALSE(figures[1].mean);
  EXPECT_FALSE(figures[1].minimum);
  EXPECT_FALSE(figures[1].deviationPercent);
}

TEST(ResultText, Cp1252BecomesUtf8AndJsonEscapesWhatItMust) {
  EXPECT_EQ(Cp1252ToUtf8("2\xD7 \x80 \xE9"), "2\xC3\x97 \xE2\x82\xAC \xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x81\x9F"), "\xC2\x81\xC5\xB8");  // unassigned byte, then Y diaeresis
  EXPECT_EQ(JsonString("C:\\Spiele\\\"Q4\"\r\n\t\x01\x7F"), "\"C:\\\\Spiele\\\\\\\"Q4\\\"\\r\\n\\t\\u0001\\u007F\"");
}

TEST(ResultText, CsvFieldsAreQuotedOnlyWhenTheyHoldTheSeparatorAQuoteOrALineEnd) {
  EXPECT_EQ(CsvField("640x480", ','), "640x480");
  EXPECT_EQ(CsvField("03.11.2006 14:05:09", ','), "03.11.2006 14:05:09");
  EXPECT_EQ(CsvField("2,55", ','), "\"2,55\"");
  EXPECT_EQ(CsvField("2,55", ';'), "2,55");
  EXPECT_EQ(CsvField("a \"b\";c", ';'), "\"a \"\"b\"\";c\"");
  EXPECT_EQ(CsvField("two\r\nlines", ';'), "\"two\r\nlines\"");
  EXPECT_EQ(CsvSeparatorFor(','), ';');
  EXPECT_EQ(CsvSeparatorFor('.'), ',');
}

TEST(RateDetails, TheResultLineGivesRateFramesAndSecondsAsPrinted) {
  const auto timed = TimedDemoDetails("Quake 4\r\n2133 frames rendered in 34.68 seconds = 61.50346 fps\r\nbye\r\n");
  EXPECT_EQ(timed.rateText, "61.50346");
  EXPECT_EQ(timed.frames, "2133");
  EXPECT_EQ(timed.seconds, "34.68");
  EXPECT_EQ(TimedDemoDetails("x SECONDS =61.4FpS").rateText, "61.4");
  EXPECT_EQ(TimedDemoDetails("x SECONDS =61.4FpS").frames, "");
  EXPECT_EQ(TimedDemoDetails("no result").rateText, "");

  LineList dump;
  dump.SetText("timeNetDemo: 900 frames in 12.5 seconds, 13.9 ms: 72.0 fps\r\n"
               "stopped demo playback of 'demos/x.netdemo'\r\n");
  const auto net = NetDemoDetails(dump, "x.netdemo");
  EXPECT_EQ(net.rateText, "72.0");
  EXPECT_EQ(net.frames, "900");
  EXPECT_EQ(net.seconds, "12.5");
  EXPECT_EQ(NetDemoDetails(dump, "other.netdemo").rateText, "");
}

// Two resolutions, one of them with a run without score, and every kind of text the
// Windows-1252 world can bring.
BenchmarkRecord SampleRecord() {
  BenchmarkRecord record;
  record.startedAt = "03.11.2006 14:05:09";
  record.startedIso = "2006-11-03T14:05:09";
  record.fileStamp = "03_11_2006_14_05_09";
  record.programVersion = "1.2.0.0";
  auto& s = record.setup;
  s.resolutions = {{"640", "640", "480"}, {"custom", "1440", "9O0"}};
  s.repetitions = 2;
  s.quality = "High";
  s.aspect = "[4:3]";
  s.antialiasing = "2\xD7";
  s.filtering = "8\xD7";
  s.ambientLight = true;
  s.ambientLightValue = "0.7";
  s.demoName = "r\xE9" "cit.demo";
  s.userDemo = true;
  s.demoFile = "C:\\D\xE9mos\\r\xE9" "cit.demo";
  s.note = "new driver \"beta\"; \x80 5, ok";
  s.gameFolder = "C:\\Games\\Quake 4\\";
  s.resultsFolder = "D:\\R\xE9sultats\\";
  s.summary = {"Quality: High", "Aspect Ratio: [4:3]", "Antialiasing: 2\xD7", "Anisotropic filtering: 8\xD7",
               "Symmetric MultiProcessing (SMP): disabled", "Force Ambient Light: enabled, value: 0.7"};
  auto& i = record.systemInfo;
  i.OperatingSystem = "Microsoft Windows XP";
  i.SystemMemory = 2147483648ull;
  i.CpuName = "AMD Athlon(tm) 64 X2";
  i.CpuSpeed = 2211;
  i.GraphicsCard = " RADEON X1900 \x99";  // the blank the report's cut leaves
  i.VideoMemory = " 512.0 MB";
  i.DriverVersion = " 8.282.0.0";
  i.SoundSystem = "Realtek HD Audio";
  i.HasRadeonDetails = true;
  i.RadeonCardName = "RADEON X1900 XT";
  i.BusType = "PCI Express x16";
  i.MemoryType = "GDDR3";
  i.VpuClock = "621 MHz";
  i.MemoryClock = "720 MHz";

  RecordedRun a;
  a.tag = "640";
  a.width = "640";
  a.height = "480";
  a.repetition = 1;
  a.commandLine = "C:\\Games\\Quake 4\\quake4.exe +set logFile 1 +timedemoquit r\xE9" "cit.demo";
  a.rateText = "61.5";
  a.frames = "2133";
  a.seconds = "34.68";
  a.score = 62;
  RecordedRun b = a;
  b.repetition = 2;
  b.rateText = "63.25";
  b.score = 63;
  RecordedRun c = a;
  c.tag = "custom";
  c.width = "1440";
  c.height = "9O0";  // as typed
  c.repetition = 1;
  c.rateText.clear();
  c.frames.clear();
  c.seconds.clear();
  c.score.reset();
  c.noScoreReason = "The console log holds no frame rate.";
  record.runs = {a, b, c};
  return record;
}

TEST(ResultJson, TheDocumentMatchesItsGoldenFile) {
  const std::string golden = Golden("result_03_11_2006_14_05_09.json");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(ResultJson(SampleRecord(), "result_03_11_2006_14_05_09.htm"), golden);
}

// The sample with frame times: the 640 runs have them, the second unreliable.
BenchmarkRecord SampleWithFrames() {
  auto record = SampleRecord();
  record.frameTimes.requested = true;
  RunFrameTimes steady;
  steady.frameMs = std::vector<double>(100, 16.0);
  record.runs[0].frameTimes = steady;
  record.runs[0].frameCsv = "640-run1.csv";
  steady.frameMs[50] = 48.0;
  steady.reliable = false;
  steady.unreliableReason = "the capture ran out of room";
  record.runs[1].frameTimes = steady;
  record.runs[1].frameCsv = "640-run2.csv";
  return record;
}

TEST(ResultJson, FrameTimesRaiseTheSchemaAndAddTheirMembersPerRunAndResolution) {
  const auto doc = ParseJson(ResultJson(SampleWithFrames(), "result_03_11_2006_14_05_09.htm"));
  ASSERT_TRUE(doc);
  EXPECT_EQ((*doc)["schema_version"].Number(), 3.0);
  EXPECT_TRUE((*doc)["frame_times"]["recorded"].Bool());
  const auto& runs = (*doc)["runs"].Items();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0]["frames"].Number(), 2133.0) << "a run's frames stay the printed count";
  EXPECT_EQ(runs[0]["avg_fps_frames"].TextOr(), "62.50");
  EXPECT_EQ(runs[0]["low_1pct_fps"].TextOr(), "62.50");
  EXPECT_TRUE(runs[0]["frames_reliable"].Bool());
  EXPECT_EQ(runs[0]["frames_csv"].TextOr(), "result_03_11_2006_14_05_09/640-run1.csv");
  EXPECT_EQ(runs[1]["longest_frame_ms"].TextOr(), "48.000");
  EXPECT_EQ(runs[1]["stutters"].Number(), 1.0);
  EXPECT_FALSE(runs[1]["frames_reliable"].Bool());
  EXPECT_EQ(runs[1]["frames_unreliable_reason"].TextOr(), "the capture ran out of room");
  EXPECT_TRUE(runs[2]["low_1pct_fps"].IsNull()) << "a run without score has none";
  EXPECT_TRUE(runs[2]["frames_csv"].IsNull());

  const auto& resolutions = (*doc)["resolutions"].Items();
  ASSERT_EQ(resolutions.size(), 2u);
  EXPECT_EQ(resolutions[0]["frames"].Number(), 200.0);
  // 200 frames in 3232 ms; rank 0.999 * 199 = 198.801 lies between 16 and 48 ms.
  EXPECT_EQ(resolutions[0]["avg_fps_frames"].TextOr(), "61.88");
  EXPECT_EQ(resolutions[0]["low_01pct_fps"].TextOr(), "24.02");
  EXPECT_EQ(resolutions[0]["stutter_time_pct"].TextOr(), "1.49");
  EXPECT_FALSE(resolutions[0]["frames_reliable"].Bool());
  ASSERT_EQ(resolutions[0]["frames_csv"].Items().size(), 2u);
  EXPECT_EQ(resolutions[0]["frames_csv"].Items()[1].TextOr(), "result_03_11_2006_14_05_09/640-run2.csv");
  EXPECT_TRUE(resolutions[1]["frames"].IsNull());
  EXPECT_TRUE(resolutions[1]["frames_reliable"].IsNull());

  // Asked for but impossible: said why, every figure null.
  auto unavailable = SampleRecord();
  unavailable.frameTimes = {true, "No capture library matches the game."};
  const auto why = ParseJson(ResultJson(unavailable, "r.htm"));
  ASSERT_TRUE(why);
  EXPECT_FALSE((*why)["frame_times"]["recorded"].Bool());
  EXPECT_EQ((*why)["frame_times"]["unavailable_reason"].TextOr(), "No capture library matches the game.");
  EXPECT_TRUE((*why)["runs"].Items()[0]["avg_fps_frames"].IsNull());
}

class SummaryCsv : public ::testing::Test {
 protected:
  test::MemoryFileSystem files;
  const std::string path = "D:\\Results\\results.csv";
  void SetUp() override { files.AddFolder("D:\\Results"); }
  bool Append(char decimalSeparator) {
    return AppendToSummary(files, path, SampleRecord(), "result_03_11_2006_14_05_09.htm", decimalSeparator).ok;
  }
};

TEST_F(SummaryCsv, ANewFileGetsItsHeaderAndEachBenchmarkAppendsItsLines) {
  ASSERT_TRUE(Append('.'));
  const std::string golden = Golden("results_comma.csv");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(files.Contents(path), golden);
  ASSERT_TRUE(Append('.'));
  EXPECT_EQ(files.Contents(path), golden + golden.substr(golden.find("\r\n") + 2));
}

TEST_F(SummaryCsv, ACommaDecimalSeparatorGivesSemicolonsButAFileKeepsItsOwnSeparator) {
  ASSERT_TRUE(Append(','));
  const std::string golden = Golden("results_semicolon.csv");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(files.Contents(path), golden);

  // A file begun with commas stays so; a decimal comma is then quoted.
  files.AddFile(path, "\xEF\xBB\xBF" + CsvHeader(',') + "\r\nold,line");
  ASSERT_TRUE(Append(','));
  const std::string content = files.Contents(path);
  EXPECT_EQ(content.find("\r\nold,line\r\n03.11.2006 14:05:09,640x480,High,"), CsvHeader(',').size() + 3);
  EXPECT_NE(content.find(",\"1,13\",result_03_11_2006_14_05_09.htm\r\n"), std::string::npos) << content;
}

TEST_F(SummaryCsv, FrameTimesExtendTheHeaderOnceAndEarlierLinesStayAsTheyWere) {
  ASSERT_TRUE(Append('.'));
  const std::string before = files.Contents(path);
  const std::string oldLines = before.substr(before.find("\r\n") + 2);
  ASSERT_TRUE(AppendToSummary(files, path, SampleWithFrames(), "f.htm", '.').ok);
  const std::string header = "\xEF\xBB\xBF" + CsvHeader(',') + ",1% low,0.1% low\r\n";
  std::string content = files.Contents(path);
  ASSERT_EQ(content.substr(0, header.size()), header);
  EXPECT_EQ(content.substr(header.size(), oldLines.size()), oldLines);
  EXPECT_NE(content.find(",f.htm,62.50,24.02\r\n"), std::string::npos)
      << content;
  EXPECT_NE(content.find("1440x9O0 (custom),High,2\xC3\x97,8\xC3\x97,1,1,,,,,f.htm,,\r\n"), std::string::npos);

  // Once extended, a benchmark without frame times leaves the two fields empty.
  ASSERT_TRUE(Append('.'));
  content = files.Contents(path);
  const std::string last = "(custom),High,2\xC3\x97,8\xC3\x97,1,1,,,,,result_03_11_2006_14_05_09.htm,,\r\n";
  EXPECT_EQ(content.substr(content.size() - last.size()), last);

  // A new file begun with frame times has the long header from the start.
  ASSERT_TRUE(files.RemoveFile(path));
  ASSERT_TRUE(AppendToSummary(files, path, SampleWithFrames(), "f.htm", ',').ok);
  EXPECT_EQ(files.Contents(path).find("\xEF\xBB\xBF" + CsvHeader(';', true) + "\r\n"), 0u);
}

TEST_F(SummaryCsv, AFileThatCannotBeWrittenIsLeftAsItWas) {
  files.AddFile(path, "started,mine\r\n");
  files.SetReadOnly(path);
  const auto result = AppendToSummary(files, path, SampleRecord(), "r.htm", '.');
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(files.Contents(path), "started,mine\r\n");
}

TEST(ResultFiles, LogsAreCopiedByTagAndRepetitionAndTheGameFilesStay) {
  test::MemoryFileSystem files;
  const std::string base = "C:\\Games\\Quake 4\\q4base\\";
  files.AddFile(base + "qconsole.log", "log\r\n");
  files.AddFile(base + "VKRnetdemo.txt", "dump\r\n");
  files.AddFolder("D:\\Results");
  // Read before the run's files go, written later, as the benchmark does.
  const auto keep = [&](const std::string& logFolder, const std::string& tag, int repetition) {
    std::vector<KeptLogProblem> problems;
    const auto logs = ReadRunLogs(files, base, logFolder, tag, repetition, problems);
    for (auto& problem : WriteRunLogs(files, logs)) problems.push_back(std::move(problem));
    return problems;
  };
  const std::string folder = RunLogFolder("D:\\Results\\", "03_11_2006_14_05_09");
  EXPECT_EQ(folder, "D:\\Results\\result_03_11_2006_14_05_09_logs\\");
  EXPECT_TRUE(keep(folder, "hdw2", 3).empty());
  EXPECT_EQ(files.Contents(folder + "hdw2_3_qconsole.log"), "log\r\n");
  EXPECT_EQ(files.Contents(folder + "hdw2_3_VKRnetdemo.txt"), "dump\r\n");
  EXPECT_EQ(files.Contents(base + "qconsole.log"), "log\r\n");
  EXPECT_EQ(files.Contents(base + "VKRnetdemo.txt"), "dump\r\n");

  files.SetReadOnly(folder.substr(0, folder.size() - 1));
  const auto problems = keep(folder, "hdw2", 4);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].path, folder + "hdw2_4_qconsole.log");
  EXPECT_EQ(keep(RunLogFolder("", "x"), "640", 1).size(), 2u);
}

TEST(ResultFiles, TheJsonGoesBesideTheSavedPageAndNothingIsWrittenForAnUnsavedOne) {
  test::MemoryFileSystem files;
  files.AddFolder("D:\\Results");
  files.AddFolder("C:\\Windows\\Temp");
  ResultFileProblems problems;
  WriteResultFiles(SampleRecord(), {ReportSaveStatus::NotWritten, ""}, "D:\\Results\\", '.', files, problems);
  WriteResultFiles(SampleRecord(), {ReportSaveStatus::Failed, ""}, "D:\\Results\\", '.', files, problems);
  EXPECT_TRUE(files.AllFiles().empty());
  EXPECT_TRUE(problems.Empty());

  WriteResultFiles(SampleRecord(), {ReportSaveStatus::SavedElsewhere, "C:\\Windows\\Temp\\result_s.htm"},
                   "D:\\Results", '.', files, problems);
  EXPECT_NE(files.Contents("C:\\Windows\\Temp\\result_s.json"), "<missing>");
  EXPECT_NE(files.Contents("D:\\Results\\results.csv").find(",result_s.htm\r\n"), std::string::npos);
  EXPECT_TRUE(problems.Empty());

  EXPECT_EQ(files.Contents("C:\\Windows\\Temp\\result_s\\640-run1.csv"), "<missing>") << "none recorded";

  // Frame times: a CSV per scored run in the page's folder, named in the JSON; one that
  // cannot be written is told and left out of the JSON, the others stay.
  auto record = SampleWithFrames();
  files.AddFile("D:\\Results\\result_f\\640-run2.csv", "held by a spreadsheet");
  files.SetReadOnly("D:\\Results\\result_f\\640-run2.csv");
  WriteResultFiles(record, {ReportSaveStatus::Saved, "D:\\Results\\result_f.htm"}, "D:\\Results", '.', files,
                   problems);
  const std::string csv = files.Contents("D:\\Results\\result_f\\640-run1.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 101);
  const auto doc = ParseJson(files.Contents("D:\\Results\\result_f.json"));
  ASSERT_TRUE(doc);
  EXPECT_EQ((*doc)["runs"].Items()[0]["frames_csv"].TextOr(), "result_f/640-run1.csv");
  EXPECT_TRUE((*doc)["runs"].Items()[1]["frames_csv"].IsNull());
  EXPECT_NE(problems.Message(true).find(":\r\n\"D:\\Results\\result_f\\640-run2.csv\": "), std::string::npos)
      << problems.Message(true);
  problems.Clear();

  problems.Add("D:\\Results\\results.csv", "Access is denied.\r\n");
  EXPECT_EQ(problems.Message(true),
            "The report and its scores are saved, but these result files could not be written:\r\n"
            "\"D:\\Results\\results.csv\": Access is denied.");
}

}  // namespace
}  // namespace dx
