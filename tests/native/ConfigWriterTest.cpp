#include "gameprep/ConfigWriter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/Errors.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx::test {
namespace {

constexpr const char* kBasePath = "C:\\Games\\Quake 4\\q4base\\";

std::string Golden(const std::string& name) {
  std::ifstream in(std::string(DEXTREL_TEST_DATA) + "/autoexec/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Writer : public ::testing::Test {
 protected:
  MemoryFileSystem files;
  ConfigWriter writer{files};
  LineList lines;

  Writer() { files.AddFolder(kBasePath); }
  std::string Autoexec() const { return files.Contents(std::string(kBasePath) + "autoexec.cfg"); }
  void Write(bool smp, bool ambient, const std::string& level, int aa, int af, int aspect, int quality) {
    writer.BuildSmpSummary(smp);
    writer.BuildAmbientLightLine(ambient, level);
    writer.BuildFilteringLines(aa, af);
    writer.BuildAspectArgument(aspect);
    writer.WriteAutoexec(quality, lines, kBasePath);
  }
};

struct PresetCase {
  const char* golden;
  int quality, aa, af;
  bool ambient;
  const char* level;
  std::size_t lines;
  const char* quality_summary;
};

class Presets : public Writer, public ::testing::WithParamInterface<PresetCase> {};

TEST_P(Presets, MatchTheirFileByteForByte) {
  const auto& c = GetParam();
  Write(false, c.ambient, c.level, c.aa, c.af, 0, c.quality);
  const std::string golden = Golden(c.golden);
  ASSERT_FALSE(golden.empty()) << c.golden;
  EXPECT_EQ(Autoexec(), golden);
  EXPECT_EQ(lines.Count(), c.lines);
  EXPECT_EQ(writer.ConfigSummary.Quality, c.quality_summary);
  // Line for line, so a difference names its line.
  const auto expected = SplitLines(golden);
  ASSERT_EQ(expected.size(), c.lines);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
  EXPECT_TRUE(IsWrittenConfiguration(Autoexec()));
}

INSTANTIATE_TEST_SUITE_P(AllFour, Presets,
                         ::testing::Values(PresetCase{"low_from_system.cfg", 0, 5, 5, false, "0.5", 28, "Quality: Low"},
                                           PresetCase{"medium_aa2_af8_ambient07.cfg", 1, 1, 3, true, "0.7", 28,
                                                      "Quality: Medium"},
                                           PresetCase{"high_none.cfg", 2, 0, 0, false, "", 31, "Quality: High"},
                                           PresetCase{"ultra_aa4_af16.cfg", 3, 2, 4, false, "0.1", 31,
                                                      "Quality: Ultra"}));

TEST_F(Writer, UltraWithFourTimesAntialiasingAndSixteenTimesFiltering) {
  Write(false, false, "0.3", 2, 4, 1, 3);
  ASSERT_EQ(lines.Count(), 31u);
  EXPECT_EQ(lines[4], "seta bse_scale \"1.2\"");
  EXPECT_EQ(lines[6], "seta r_forceAmbient \"0\"");
  EXPECT_EQ(lines[29], "seta r_multiSamples 4");
  EXPECT_EQ(lines[30], "seta image_anisotropy 16");
  EXPECT_EQ(writer.ConfigSummary.Antialiasing, "Antialiasing: 4\xD7");
  EXPECT_EQ(writer.ConfigSummary.Filtering, "Anisotropic filtering: 16\xD7");
  EXPECT_EQ(writer.ConfigSummary.AmbientLight, "Force Ambient Light: disabled");
  EXPECT_EQ(writer.ConfigSummary.AspectRatio, "Aspect Ratio: [16:9]");
  EXPECT_EQ(writer.AspectArgument, "+set r_aspectRatio 1");
}

TEST_F(Writer, FilteringRowsAndTheirSummaries) {
  const char* ms[] = {"seta r_multiSamples 0", "seta r_multiSamples 2", "seta r_multiSamples 4",
                      "seta r_multiSamples 8", "seta r_multiSamples 16", ""};
  const char* an[] = {"seta image_anisotropy 0", "seta image_anisotropy 2", "seta image_anisotropy 4",
                      "seta image_anisotropy 8", "seta image_anisotropy 16", ""};
  const char* names[] = {"None", "2\xD7", "4\xD7", "8\xD7", "16\xD7", "From System"};
  for (int i = 0; i < 6; ++i) {
    writer.BuildFilteringLines(i, 5 - i);
    EXPECT_EQ(writer.MultiSampleLine, ms[i]);
    EXPECT_EQ(writer.AnisotropyLine, an[5 - i]);
    EXPECT_EQ(writer.ConfigSummary.Antialiasing, std::string("Antialiasing: ") + names[i]);
    EXPECT_EQ(writer.ConfigSummary.Filtering, std::string("Anisotropic filtering: ") + names[5 - i]);
  }
  // No selection keeps what the last call left.
  writer.BuildFilteringLines(-1, 6);
  EXPECT_EQ(writer.MultiSampleLine, "");
  EXPECT_EQ(writer.AnisotropyLine, "seta image_anisotropy 0");
  EXPECT_EQ(writer.ConfigSummary.Antialiasing, "Antialiasing: From System");
}

TEST_F(Writer, AmbientLightSmpAndAspect) {
  writer.BuildAmbientLightLine(true, "0.7");
  EXPECT_EQ(writer.AmbientLightLine, "seta r_forceAmbient \"0.7\"");
  EXPECT_EQ(writer.ConfigSummary.AmbientLight, "Force Ambient Light: enabled, value: 0.7");
  writer.BuildAmbientLightLine(true, "bright");  // used as typed
  EXPECT_EQ(writer.AmbientLightLine, "seta r_forceAmbient \"bright\"");
  // A quotation mark or line break typed into the level cannot end the value and hand
  // the rest to the game's console; the summary shows what was typed.
  writer.BuildAmbientLightLine(true, "0.5\"; quit\r\nbind x \"kill\"");
  EXPECT_EQ(writer.AmbientLightLine, "seta r_forceAmbient \"0.5; quitbind x kill\"");
  EXPECT_EQ(writer.ConfigSummary.AmbientLight, "Force Ambient Light: enabled, value: 0.5\"; quit\r\nbind x \"kill\"");
  writer.BuildAmbientLightLine(false, "0.7");
  EXPECT_EQ(writer.AmbientLightLine, "seta r_forceAmbient \"0\"");

  writer.BuildSmpSummary(true);
  EXPECT_EQ(writer.ConfigSummary.Smp, "Symmetric MultiProcessing (SMP): enabled");
  writer.BuildSmpSummary(false);
  EXPECT_EQ(writer.ConfigSummary.Smp, "Symmetric MultiProcessing (SMP): disabled");
  EXPECT_EQ(SmpConsoleCommand(true), "r_useSMP 1");

  writer.BuildAspectArgument(-1);
  EXPECT_EQ(writer.AspectArgument, "");
  EXPECT_EQ(writer.ConfigSummary.AspectRatio, "");
  writer.BuildAspectArgument(0);
  EXPECT_EQ(writer.AspectArgument, "+set r_aspectRatio 0");
  EXPECT_EQ(writer.ConfigSummary.AspectRatio, "Aspect Ratio: [4:3]");
  writer.BuildAspectArgument(-1);
  EXPECT_EQ(writer.AspectArgument, "+set r_aspectRatio 0");
}

TEST_F(Writer, SmpChangesNoByteOfTheFile) {
  Write(true, false, "", 1, 1, 0, 2);
  const std::string with = Autoexec();
  Write(false, false, "", 1, 1, 0, 2);
  EXPECT_EQ(Autoexec(), with);
}

TEST_F(Writer, NoQualityKeepsTheSummaryAndTheList) {
  Write(false, false, "", 0, 0, 0, -1);
  EXPECT_EQ(writer.ConfigSummary.Quality, "");
  EXPECT_EQ(Autoexec(), "");  // nothing filled the list yet
  Write(false, false, "", 0, 0, 0, 1);
  const std::string medium = Autoexec();
  Write(false, false, "", 4, 4, 0, -1);
  EXPECT_EQ(writer.ConfigSummary.Quality, "Quality: Medium");
  EXPECT_EQ(Autoexec(), medium);
}

TEST_F(Writer, AFolderThatCannotTakeTheFileRaisesTheCreationError) {
  try {
    writer.WriteAutoexec(0, lines, "C:\\Missing\\q4base\\");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(),
                 "Cannot create file \"C:\\Missing\\q4base\\autoexec.cfg\". The system cannot find the path specified");
  }
}

TEST_F(Writer, TheUsersFileGoesAsideOnceAndSurvivesEveryLaterBenchmark) {
  const std::string mine = "bind F1 \"screenshot\"\r\n";
  files.AddFile(std::string(kBasePath) + "autoexec.cfg", mine);
  for (int run = 0; run < 3; ++run) Write(false, false, "", 0, 0, 0, run);
  EXPECT_EQ(files.Contents(std::string(kBasePath) + "autoexec_old.cfg"), mine);
  EXPECT_EQ(Autoexec(), Golden("high_none.cfg"));
  int moves = 0;
  for (const auto& call : files.shellCalls()) {
    moves += call.operation == "move";
    EXPECT_EQ(call.title, "Please wait...");
  }
  EXPECT_EQ(moves, 1);
}

TEST_F(Writer, AnEmptyConfigurationOfThisRunIsStillKnownAsOurs) {
  files.AddFile(std::string(kBasePath) + "autoexec.cfg", "mine\r\n");
  Write(false, false, "", 0, 0, 0, -1);
  Write(false, false, "", 0, 0, 0, -1);
  EXPECT_EQ(files.Contents(std::string(kBasePath) + "autoexec_old.cfg"), "mine\r\n");
}

TEST_F(Writer, AConfigurationLeftByAnEarlierRunIsOverwrittenNotBackedUp) {
  // An earlier program run ended without restoring: the user's file is aside already.
  files.AddFile(std::string(kBasePath) + "autoexec_old.cfg", "mine\r\n");
  files.AddFile(std::string(kBasePath) + "autoexec.cfg", Golden("ultra_aa4_af16.cfg"));
  Write(false, true, "0.2", 3, 3, 0, 0);
  EXPECT_EQ(files.Contents(std::string(kBasePath) + "autoexec_old.cfg"), "mine\r\n");
  EXPECT_EQ(SplitLines(Autoexec()).size(), 28u);
}

TEST_F(Writer, AnEarlierBackUpStaysAndTheUsersFileGoesAboveEveryNumberedOne) {
  const std::string base = kBasePath;
  files.AddFile(base + "autoexec_old.cfg", "older\r\n");
  files.AddFile(base + "autoexec.cfg", "newer\r\n");
  Write(false, false, "", 0, 0, 0, 0);
  EXPECT_EQ(files.Contents(base + "autoexec_old.cfg"), "older\r\n");
  EXPECT_EQ(files.Contents(base + "autoexec_old1.cfg"), "newer\r\n");
  EXPECT_EQ(writer.AutoexecBackup, "autoexec_old1.cfg");

  // A gap below a numbered one of the user's is not filled.
  files.AddFile(base + "autoexec_old3.cfg", "third\r\n");
  files.AddFile(base + "autoexec_oldest.cfg", "not numbered\r\n");
  files.AddFile(base + "autoexec.cfg", "newest\r\n");
  Write(false, false, "", 0, 0, 0, 0);
  EXPECT_EQ(files.Contents(base + "autoexec_old4.cfg"), "newest\r\n");
  EXPECT_EQ(writer.AutoexecBackup, "autoexec_old4.cfg");
  EXPECT_EQ(files.Contents(base + "autoexec_old3.cfg"), "third\r\n");
}

TEST_F(Writer, AUsersFileThatCannotGoAsideIsNotOverwritten) {
  files.AddFile(std::string(kBasePath) + "autoexec.cfg", "newer\r\n");
  files.SetReadOnly(kBasePath);  // the move is refused
  try {
    Write(false, false, "", 0, 0, 0, 0);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"C:\\Games\\Quake 4\\q4base\\autoexec.cfg\". ", 0), 0u);
  }
  files.SetReadOnly(kBasePath, false);
  EXPECT_EQ(Autoexec(), "newer\r\n");
}

TEST(WrittenConfiguration, IsRecognisedOnlyInItsExactForm) {
  const std::string low = Golden("low_from_system.cfg");
  EXPECT_TRUE(IsWrittenConfiguration(low));
  EXPECT_FALSE(IsWrittenConfiguration(low.substr(0, low.size() - 2)));  // a last line without CR LF
  EXPECT_FALSE(IsWrittenConfiguration(low + "bind F1 quit\r\n"));
  std::string edited = low;
  edited.replace(edited.find("0.66"), 4, "0.67");
  EXPECT_FALSE(IsWrittenConfiguration(edited));
  EXPECT_FALSE(IsWrittenConfiguration(""));
  EXPECT_FALSE(IsWrittenConfiguration("seta r_shadows \"1\"\r\n"));
}

}  // namespace
}  // namespace dx::test
