// The results history: result files of both schemas read back, and the page built from
// a folder of them (the table, the charts of repeated settings, the latest benchmark
// against the previous one of the same settings).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "bench/ResultHistory.h"
#include "bench/ResultJson.h"
#include "common/JsonValue.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx::test {
namespace {

TEST(JsonReader, EscapesNumbersAndNestingAsTheFormatHasThem) {
  const auto doc = ParseJson("\xEF\xBB\xBF{\"a\": \"\\u00e9\\ud83d\\ude00\\\"\", \"b\": [1, -2.5e1], \"c\": true}");
  ASSERT_TRUE(doc);
  EXPECT_EQ((*doc)["a"].TextOr(), "\xC3\xA9\xF0\x9F\x98\x80\"");
  ASSERT_EQ((*doc)["b"].Items().size(), 2u);
  EXPECT_EQ((*doc)["b"].Items()[1].Number(), -25.0);
  EXPECT_EQ((*doc)["b"].Items()[1].TextOr(), "-2.5e1");
  EXPECT_TRUE((*doc)["c"].Bool());
  EXPECT_TRUE((*doc)["missing"]["deeper"].IsNull());
  for (const char* broken : {"{\"a\": 1,}", "[1 2]", "{\"a\" 1}", "\"open", "01x", "{} {}", "\"tab\there\""}) {
    EXPECT_FALSE(ParseJson(broken)) << broken;
  }
  EXPECT_FALSE(ParseJson(std::string(200, '[') + std::string(200, ']')));
}

TEST(ResultHistory, AFileOfTheFirstSchemaIsReadWithCleanTexts) {
  std::ifstream in(std::string(DEXTREL_TEST_DATA) + "/bench/history/result_02_11_2006_09_30_00.json", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const auto entry = ReadHistoryEntry(text.str(), "result_02_11_2006_09_30_00.json");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->driverVersion, "8.282.0.0");
  EXPECT_EQ(entry->graphicsCard, "RADEON X1900 \xE2\x84\xA2");
  EXPECT_EQ(entry->videoMemoryMb, 512);
  EXPECT_EQ(entry->reportFile, "result_02_11_2006_09_30_00.htm");
  ASSERT_EQ(entry->resolutions.size(), 2u);
  EXPECT_EQ(entry->resolutions[0].label, "640\xC3\x97" "480");
  EXPECT_EQ(entry->resolutions[0].mean, 62.5);
  EXPECT_EQ(entry->resolutions[1].label, "1440\xC3\x97" "9O0 (custom)");
  EXPECT_FALSE(entry->resolutions[1].mean);
  EXPECT_FALSE(ReadHistoryEntry("{\"schema_version\": 2, \"program\": {\"name\": \"Other\"}}", "x.json"));

  EXPECT_EQ(VideoMemoryMegabytes(" 256.0 MB"), 256);
  EXPECT_EQ(VideoMemoryMegabytes("1 GB"), 1024);
  EXPECT_FALSE(VideoMemoryMegabytes("n/a"));
}

BenchmarkRecord Benchmark(const std::string& iso, const std::string& quality, const std::string& driver,
                          const std::vector<std::pair<std::string, std::vector<int>>>& scores) {
  BenchmarkRecord r;
  r.startedIso = iso;
  r.startedAt = iso.substr(8, 2) + "." + iso.substr(5, 2) + "." + iso.substr(0, 4) + " " + iso.substr(11);
  r.fileStamp = iso;
  r.programVersion = "1.5.0.12";
  r.setup.quality = quality;
  r.setup.aspect = "[4:3]";
  r.setup.antialiasing = "2\xD7";
  r.setup.filtering = "8\xD7";
  r.setup.demoName = "VKRdemo.demo";
  r.setup.repetitions = 3;
  r.setup.note = "note <" + driver + ">";
  r.systemInfo.CpuName = " Athlon 64";
  r.systemInfo.GraphicsCard = " RADEON X1900";
  r.systemInfo.DriverVersion = " " + driver;
  r.systemInfo.VideoMemory = " 512.0 MB";
  for (const auto& [width, list] : scores) {
    int repetition = 0;
    for (int s : list) {
      RecordedRun run;
      run.tag = width;
      run.width = width;
      run.height = width == "640" ? "480" : "600";
      run.repetition = ++repetition;
      run.score = s;
      r.runs.push_back(run);
    }
  }
  return r;
}

TEST(ResultHistory, ThePageComparesTheLatestWithThePreviousOfTheSameSettings) {
  MemoryFileSystem files;
  const std::string folder = "D:\\Results\\";
  files.AddFolder(folder);
  auto put = [&](const std::string& stamp, const BenchmarkRecord& record) {
    files.AddFile(folder + "result_" + stamp + ".json", ResultJson(record, "result_" + stamp + ".htm"));
  };
  put("A", Benchmark("2026-01-10T10:00:00", "High", "1.0", {{"640", {60, 61, 59}}, {"800", {40, 40, 41}}}));
  put("C", Benchmark("2026-01-20T10:00:00", "Low", "1.0", {{"640", {90}}}));
  put("B", Benchmark("2026-02-10T10:00:00", "High", "2.0", {{"640", {66, 66, 66}}, {"800", {40, 41, 40}}}));
  files.AddFile(folder + "result_broken.json", "{\"schema_version\": 2,");
  files.AddFile(folder + "results.csv", "hand-edited, not read\r\n");

  const auto written = WriteResultHistory(files, "D:\\Results", '.');
  ASSERT_TRUE(written.ok) << written.errorText;
  EXPECT_EQ(written.path, folder + "results.htm");
  EXPECT_EQ(written.benchmarks, 3);
  const std::string page = files.Contents(written.path);

  // Newest first, each linking its report.
  const auto a = page.find("data-json=\"result_A.json\""), b = page.find("data-json=\"result_B.json\""),
             c = page.find("data-json=\"result_C.json\"");
  ASSERT_NE(a, std::string::npos);
  EXPECT_LT(b, c);
  EXPECT_LT(c, a);
  EXPECT_NE(page.find("<a href=\"result_B.htm\">10.02.2026 10:00:00</a>"), std::string::npos);
  EXPECT_NE(page.find("note &lt;2.0&gt;"), std::string::npos);
  EXPECT_NE(page.find("60.00</b> FPS, 59&ndash;61, \xCF\x83 1.67 %"), std::string::npos);

  // 640: +10 %, beyond the larger spread of 1.67 %; 800: no change, within it.
  EXPECT_NE(page.find("data-resolution=\"640 640x480\" data-change=\"10.00\""), std::string::npos);
  EXPECT_NE(page.find("faster beyond noise"), std::string::npos);
  EXPECT_NE(page.find("data-resolution=\"800 800x600\" data-change=\"0.00\""), std::string::npos);
  EXPECT_NE(page.find("within noise"), std::string::npos);
  EXPECT_NE(page.find("<li>Driver version: 1.0 &rarr; 2.0</li>"), std::string::npos);
  EXPECT_EQ(page.find("<li>Processor"), std::string::npos);

  // Charts only for the settings measured twice: 640 and 800 of High, two points each.
  std::size_t charts = 0;
  for (auto at = page.find("<svg class=\"chart\""); at != std::string::npos; at = page.find("<svg class=\"chart\"", at + 1)) {
    ++charts;
  }
  EXPECT_EQ(charts, 2u);
  const auto chart = page.find("<svg class=\"chart\" data-resolution=\"640 640x480\"");
  ASSERT_NE(chart, std::string::npos);
  const auto first = page.find("data-mean=\"60.00\" data-min=\"59\" data-max=\"61\"", chart);
  const auto second = page.find("data-mean=\"66.00\" data-min=\"66\" data-max=\"66\"", chart);
  EXPECT_LT(first, second) << "oldest first along the time axis";
  EXPECT_LT(second, page.find("</svg>", chart));

  EXPECT_NE(page.find("<li>result_broken.json</li>"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("http://www.w3.org/2000/svg\""), page.find("http"));  // no address but the SVG namespace
}

// A results.htm of the user's own survives every rewrite; the history then goes to the
// other name and says so, and ours (also an unmarked one of before) is replaced.
TEST(ResultHistory, OnlyAPageThisProgramWroteIsReplaced) {
  MemoryFileSystem files;
  const std::string folder = "D:\\Results\\";
  files.AddFolder(folder);
  files.AddFile(folder + "result_A.json", ResultJson(Benchmark("2026-01-10T10:00:00", "High", "1.0", {{"640", {60}}}),
                                                     "result_A.htm"));
  const std::string mine = "<html><head><title>My Quake 4 results</title></head></html>";
  files.AddFile(folder + "results.htm", mine);

  auto written = WriteResultHistory(files, folder, '.');
  ASSERT_TRUE(written.ok) << written.errorText;
  EXPECT_EQ(written.path, folder + "results-dextrel.htm");
  EXPECT_EQ(written.notice, "\"D:\\Results\\results.htm\" was not written by Dextrel and is left as it is; the results "
                            "history is in \"D:\\Results\\results-dextrel.htm\".");
  EXPECT_EQ(files.Contents(folder + "results.htm"), mine);
  const std::string page = files.Contents(written.path);
  EXPECT_TRUE(IsOwnHistoryPage(page));
  ASSERT_TRUE(WriteResultHistory(files, folder, '.').ok) << "our page under the other name is rewritten";

  ResultFileProblems problems;
  UpdateResultHistory({ReportSaveStatus::Saved, folder + "result_A.htm"}, folder, '.', files, problems);
  EXPECT_EQ(problems.Message(true), written.notice);

  // Neither name free: nothing of the user's is replaced.
  files.AddFile(folder + "results-dextrel.htm", mine);
  written = WriteResultHistory(files, folder, '.');
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(files.Contents(folder + "results-dextrel.htm"), mine);

  for (const std::string& ours : {page, std::string("<!DOCTYPE html>\r\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                                                   "<title>Dextrel results history</title><style>")}) {
    files.AddFile(folder + "results.htm", ours);
    written = WriteResultHistory(files, folder, '.');
    EXPECT_TRUE(written.ok && written.notice.empty() && written.path == folder + "results.htm") << written.path;
  }
}

TEST(ResultHistory, AVerdictNeedsTwoScoredRunsOnEachSideAndWeighsBothSpreads) {
  auto latest = Benchmark("2026-03-02T08:00:00", "High", "2.0", {{"640", {66}}, {"800", {103, 107}}});
  latest.frameTimes.requested = true;
  latest.runs[0].frameTimes = RunFrameTimes{std::vector<double>(100, 15.0), true, ""};
  auto read = [](const BenchmarkRecord& record, const std::string& name) {
    auto entry = ReadHistoryEntry(ResultJson(record, name + ".htm"), name + ".json");
    EXPECT_TRUE(entry);
    return entry.value_or(HistoryEntry{});
  };
  // 640: two equal runs against one, which once made "faster beyond noise (σ 0.00 %)".
  // 800: +2.94 % is beyond either side's spread (2.77 %, 2.69 % as stored) but not beyond both.
  const std::string page =
      ResultHistoryPage({read(Benchmark("2026-03-01T08:00:00", "High", "1.0", {{"640", {60, 60}}, {"800", {100, 104}}}),
                              "result_P"),
                         read(latest, "result_L")},
                        {}, '.');
  const auto row = [&](const std::string& key) {
    const auto at = page.find("<tr data-resolution=\"" + key);
    return page.substr(at, page.find("</tr>", at) - at);
  };
  EXPECT_NE(row("640").find("noise unknown (fewer than two scored runs on a side)"), std::string::npos) << row("640");
  EXPECT_NE(row("640").find("1% low 66.7</span>"), std::string::npos) << "the latest's 1 % low beside its mean";
  EXPECT_NE(row("800").find("within noise (\xCF\x83 3.86 %)"), std::string::npos) << row("800");
  EXPECT_NE(page.find("<b>66.00</b> FPS (1% low 66.7)"), std::string::npos);
}

TEST(ResultHistory, TheLatestWithoutAnEarlierOfItsSettingsSaysSo) {
  const auto latest = ReadHistoryEntry(ResultJson(Benchmark("2026-03-01T08:00:00", "Ultra", "2.0", {{"640", {50}}}),
                                                  "result_D.htm"),
                                       "result_D.json");
  ASSERT_TRUE(latest);
  const std::string page = ResultHistoryPage({*latest}, {}, ',');
  EXPECT_NE(page.find("id=\"no-previous\""), std::string::npos);
  EXPECT_NE(page.find("<b>50,00</b> FPS"), std::string::npos) << "the user's decimal separator";
}

}  // namespace
}  // namespace dx::test
