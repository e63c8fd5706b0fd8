#include <algorithm>
#include <stdexcept>

#include "common/Errors.h"
#include "tests/native/FormFixture.h"

namespace dx::test {
namespace {

class MainWindow : public FormFixture {
 protected:
  std::string BaseFile(const std::string& name) const { return fake.files.Contents(std::string(kBase) + name); }
  void PutBase(const std::string& name, const std::string& data) { fake.files.AddFile(std::string(kBase) + name, data); }
  // What a benchmark of this copy leaves in the game folder while it runs, its journal
  // naming all of it.
  void LeaveBenchmarkFiles() {
    auto& journal = form->Benchmark().Housekeeping().Journal;
    journal.Begin(kBase);
    for (const char* name : {"Demos\\VKRdemo.demo", "VKRBnetdemo.cfg", "VKRnetdemo.txt", "qconsole.log"}) {
      journal.NoteWritten(name);
    }
    fake.files.AddFile(std::string(kDemos) + "VKRdemo.demo", "copy");
    PutBase("VKRBnetdemo.cfg", "script");
    PutBase("VKRnetdemo.txt", "dump");
    PutBase("qconsole.log", "log");
  }
  void PutAutoexecAside(const std::string& mine) {
    form->Benchmark().Housekeeping().Journal.Begin(kBase);
    form->Benchmark().Housekeeping().Journal.NoteAside("autoexec.cfg", "autoexec_old.cfg", false);
    PutBase("autoexec_old.cfg", mine);
  }
  void FillDiagnosticCache() {
    Set("Display Memory", "256 MB");
    Set("Driver Version", "6.14");
    Set("Sound", "Realtek");
  }
  void ExpectSessionCleared() {
    EXPECT_EQ(Stored("Display Memory"), "");
    EXPECT_EQ(Stored("Driver Version"), "");
    EXPECT_EQ(Stored("Sound"), "");
    EXPECT_EQ(Stored("News"), "0");
  }

  // The game's side of one run: it reads autoexec.cfg and saves its configuration.
  void PlayOneRun() {
    PutBase("qconsole.log", "1000 frames rendered in 10.0 seconds = 100.0 fps\r\n");
    PutBase("Quake4Config.cfg", "seta com_machineSpec \"3\"\r\n");
  }
  // The benchmark's own steps around its runs, in the order of its start and finish.
  void Benchmark() {
    auto& housekeeping = form->Benchmark().Housekeeping();
    auto& config = form->Benchmark().Config();
    const BenchmarkSetup setup = form->CurrentSetup();
    housekeeping.RemoveBuiltinDemo();
    housekeeping.BackupGameConfig(kBase);
    housekeeping.PrepareDemo(setup.demo, Folders());
    housekeeping.RemoveConsoleLog(kBase);
    config.BuildSmpSummary(setup.smp);
    config.BuildAmbientLightLine(setup.ambientLight, setup.ambientLightValue);
    config.BuildFilteringLines(setup.antialiasing, setup.filtering);
    config.BuildAspectArgument(setup.aspect);
    LineList written;
    config.WriteAutoexec(setup.quality, written, kBase);
    ASSERT_FALSE(housekeeping.CustomDemoError);
    PlayOneRun();
    housekeeping.RemoveNetDemoFiles();
    housekeeping.RemoveConsoleLog(kBase);
    housekeeping.RestoreGameConfig();
    housekeeping.RemoveBuiltinDemo();
  }
  static GameFolders Folders() { return {kProgramFolder, kBase, kDemos}; }
};

TEST_F(MainWindow, TheNewsComesUpOnceWhenItIsExactlyZero) {
  StartInstalled();
  Set("News", "0");
  form->FormActivate();
  form->FormActivate();
  EXPECT_EQ(host.Count("show news"), 1);
  EXPECT_EQ(Stored("News"), "1");
  for (const char* other : {"", "00", "1", " 0"}) {
    Set("News", other);
    form->FormActivate();
    EXPECT_EQ(host.Count("show news"), 1) << other;
    EXPECT_EQ(Stored("News"), other);
  }
}

TEST_F(MainWindow, MissingNewsOrKeyBringsNoNewsAndTheFirstExitArmsIt) {
  StartInstalled();
  form->FormActivate();
  EXPECT_EQ(host.Count("show news"), 0);
  EXPECT_EQ(Stored("News"), "<missing>");
  form->Image2Click();
  EXPECT_EQ(Stored("News"), "0");

  host.calls.clear();
  fake.registry.RemoveKey(kSettingsPath);
  form.reset();
  Start();
  form->FormActivate();
  EXPECT_EQ(host.Count("show news"), 0);
  EXPECT_FALSE(fake.registry.HasKey(kSettingsPath));
}

TEST_F(MainWindow, TheExitButtonPutsBackWhatTheJournalNames) {
  StartInstalled();
  FillDiagnosticCache();
  LeaveBenchmarkFiles();
  PutAutoexecAside("mine\r\n");
  form->Image2Click();
  EXPECT_EQ(BaseFile("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), "<missing>");
  EXPECT_EQ(BaseFile("VKRBnetdemo.cfg"), "<missing>");
  EXPECT_EQ(BaseFile("VKRnetdemo.txt"), "<missing>");
  EXPECT_EQ(BaseFile("qconsole.log"), "<missing>");
  EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "<missing>");
  EXPECT_EQ(BaseFile("Dextrel-journal.txt"), "<missing>");
  ExpectSessionCleared();
  EXPECT_EQ(host.calls.back(), "end program");
}

// A folder holding files of the user's own under the names a benchmark uses, and no
// journal: starting and leaving either way changes nothing in it.
TEST_F(MainWindow, WithoutAJournalNeitherStartNorExitTouchesTheGameFolder) {
  for (const bool byExitButton : {true, false}) {
    InstallGame();
    fake.registry.AddKey(kSettingsPath);
    PutBase("autoexec_old.cfg", "// set aside on purpose\r\n");
    PutBase("Quake4Configold.cfg", "seta r_mode \"3\"\r\n");
    PutBase("Quake4Config.cfg", "seta r_mode \"5\"\r\n");
    PutBase("qconsole.log", "the user's own log");
    fake.files.AddFile(std::string(kDemos) + "VKRdemo.demo", "copy");
    const auto before = fake.files.AllFiles();
    Start();
    Leave(byExitButton);
    EXPECT_EQ(fake.files.AllFiles(), before);
    EXPECT_TRUE(fake.files.shellCalls().empty());
    EXPECT_EQ(BaseFile("autoexec.cfg"), "<missing>");
    EXPECT_EQ(BaseFile("autoexec_old.cfg"), "// set aside on purpose\r\n");
    EXPECT_EQ(BaseFile("Quake4Config.cfg"), "seta r_mode \"5\"\r\n");
    EXPECT_EQ(BaseFile("Quake4Configold.cfg"), "seta r_mode \"3\"\r\n");
    EXPECT_TRUE(fake.marks.held.empty());
  }
}

TEST_F(MainWindow, TheWindowCloseRemovesEverythingTheBenchmarkLeft) {
  StartInstalled();
  FillDiagnosticCache();
  LeaveBenchmarkFiles();
  PutAutoexecAside("mine\r\n");
  form->Benchmark().Housekeeping().Journal.NoteWritten("autoexec.cfg");
  PutBase("autoexec.cfg", "");  // written with no quality chosen
  bool canClose = false;
  form->FormCloseQuery(canClose);
  EXPECT_TRUE(canClose);
  EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "<missing>");
  EXPECT_EQ(BaseFile("autoexec.cfg"), "");  // the query removes the demo only
  form->FormClose();
  EXPECT_EQ(BaseFile("autoexec.cfg"), "mine\r\n");
  for (const char* name : {"autoexec_old.cfg", "VKRBnetdemo.cfg", "VKRnetdemo.txt", "qconsole.log"}) {
    EXPECT_EQ(BaseFile(name), "<missing>") << name;
  }
  ExpectSessionCleared();
  EXPECT_EQ(host.Count("end program"), 0);
  EXPECT_FALSE(form->SharedRegistry.HasCurrentKey());
}

TEST_F(MainWindow, WithoutAGameFolderOnlyTheRegistryStepRuns) {
  fake.registry.AddKey(kSettingsPath);
  FillDiagnosticCache();
  Start();
  ASSERT_EQ(form->GameBasePath, "");
  // Relative paths would land beside the program; nothing may be touched.
  fake.files.AddFile("q4base\\autoexec_old.cfg", "x");
  form->Image2Click();
  CloseWindow();
  EXPECT_TRUE(fake.files.shellCalls().empty());
  EXPECT_EQ(fake.files.Contents("q4base\\autoexec_old.cfg"), "x");
  ExpectSessionCleared();
}

TEST_F(MainWindow, WithoutTheSettingsKeyTheExitsWriteNothing) {
  InstallGame();
  Start();
  form->Image2Click();
  form->FormClose();
  EXPECT_FALSE(fake.registry.HasKey(kSettingsPath));
  EXPECT_EQ(fake.registry.writes(), 0);
  EXPECT_EQ(host.Count("end program"), 1);
}

TEST_F(MainWindow, ARegistryThatRefusesTheValuesStillLetsTheProgramEnd) {
  StartInstalled();
  fake.registry.RefuseWrites(kSettingsPath);
  EXPECT_THROW(form->Image2Click(), Error);
  EXPECT_EQ(host.Count("end program"), 1);
  EXPECT_THROW(form->FormClose(), Error);
  EXPECT_FALSE(form->SharedRegistry.HasCurrentKey());
}

TEST_F(MainWindow, TheWindowMoveAndTheMinimiseButton) {
  StartInstalled();
  form->Image1MouseDown(MouseButton::Right);
  form->Image1MouseDown(MouseButton::Middle);
  EXPECT_EQ(host.Count("move window"), 0);
  form->Image1MouseDown(MouseButton::Left);
  EXPECT_EQ(host.Count("move window"), 1);
  form->Image3Click();
  EXPECT_EQ(host.Count("minimise"), 1);
}

TEST_F(MainWindow, InitialStateOfTheControls) {
  form = std::make_unique<TForm1>(view, host);
  EXPECT_FALSE(form->Panel1.Visible());
  EXPECT_EQ(form->Label2.Caption(), "Resolution: ...");
  EXPECT_EQ(form->RunsLabel.Caption(), "");
  EXPECT_EQ(form->res.Caption(), " Resolution ");
  ASSERT_EQ(form->res.Count(), 9u);
  EXPECT_EQ(form->res.Items()[0], "640 \xD7 480");
  EXPECT_EQ(form->res.Items()[8], "1920 \xD7 1200");
  for (std::size_t i = 0; i < 9; ++i) EXPECT_TRUE(form->res.ItemEnabled(i) && !form->res.ItemChecked(i));
  EXPECT_TRUE(form->CusWidth.ReadOnly() && !form->CusWidth.Enabled());
  EXPECT_FALSE(form->CusPossibilities.Enabled());
  EXPECT_EQ(form->AspectBox.ItemIndex(), -1);
  EXPECT_EQ(form->QualityModeBox.Items()[2], "High  Quality");
  EXPECT_EQ(form->QualityModeBox.Caption(), " Quality  ");
  EXPECT_EQ(form->Label7.Caption(), QualityDescription(3));
  EXPECT_EQ(form->AFBox.Items()[4], "Anisotropic 16\xD7");
  EXPECT_EQ(form->AABox.Items()[1], "2\xD7");
  EXPECT_EQ(form->ALValues.Items().back(), "1.0");
  EXPECT_EQ(form->NoteEdit.MaxLength(), 50u);
  EXPECT_FALSE(form->DemoEdit.Enabled());
  EXPECT_FALSE(form->DemoEditButton.Enabled());
  EXPECT_EQ(form->UseProxyBox.Caption(), "Use Proxy  Server");
  for (auto* field : {&form->ProxyServerEdit, &form->ProxyPortEdit, &form->ProxyUsernameEdit, &form->ProxyPassEdit}) {
    EXPECT_TRUE(field->Enabled()) << field->Name();
  }
}

// Two benchmarks in one program run, then either exit: the user's files come back
// byte for byte.
class UserFilesSurvive : public MainWindow, public ::testing::WithParamInterface<bool> {};

TEST_P(UserFilesSurvive, TwoBenchmarksAndAnExit) {
  const std::string autoexec = "bind F12 \"screenshot\"\r\nseta com_showFPS \"1\"\n";
  const std::string config = "seta r_mode \"5\"\r\nbind w \"_forward\"\r\n";
  InstallGame();
  fake.registry.AddKey(kSettingsPath);
  PutBase("autoexec.cfg", autoexec);
  PutBase("Quake4Config.cfg", config);
  Set("Demo", "1");
  Set("Quality", "3");
  Set("AALevel", "2");
  Set("AFLevel", "4");
  Set("AspectRatio", "0");
  Start();

  Benchmark();
  EXPECT_EQ(BaseFile("autoexec.cfg").substr(0, 18), "seta r_shadows \"1\"");
  EXPECT_EQ(BaseFile("Quake4Config.cfg"), config);
  EXPECT_EQ(form->Benchmark().Config().AspectArgument, "+set r_aspectRatio 0");
  form->QualityModeBox.UserSelect(0);
  form->AABox.UserSelect(5);
  Benchmark();
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), autoexec);
  EXPECT_EQ(SplitLines(BaseFile("autoexec.cfg")).size(), 28u);
  EXPECT_EQ(BaseFile("Quake4Config.cfg"), config);

  Leave(GetParam());
  EXPECT_EQ(BaseFile("autoexec.cfg"), autoexec);
  EXPECT_EQ(BaseFile("Quake4Config.cfg"), config);
  for (const char* name : {"autoexec_old.cfg", "Quake4Configold.cfg", "VKRBnetdemo.cfg", "VKRnetdemo.txt"}) {
    EXPECT_EQ(BaseFile(name), "<missing>") << name;
  }
  EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "<missing>");
}

INSTANTIATE_TEST_SUITE_P(BothExits, UserFilesSurvive, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "ExitButton" : "WindowClose"; });

TEST_F(MainWindow, AUserDemoGoneBeforeTheStartIsReportedNotFatal) {
  InstallGame();
  fake.registry.AddKey(kSettingsPath);
  fake.files.AddFile("D:\\demos\\mine.demo", "mine");
  Set("Demo", "2");
  Set("Demoname", "D:\\demos\\mine.demo");
  Start();
  fake.files.RemoveFile("D:\\demos\\mine.demo");
  form->Benchmark().Housekeeping().PrepareDemo(form->CurrentSetup().demo, Folders());
  EXPECT_TRUE(form->Benchmark().Housekeeping().CustomDemoError);
}

}  // namespace
}  // namespace dx::test
