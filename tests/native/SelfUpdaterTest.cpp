#include <gtest/gtest.h>

#include <deque>

#include "extras/HttpDate.h"
#include "extras/SelfUpdater.h"
#include "common/Sha256.h"
#include "tests/doubles/FakePlatform.h"
#include "tests/doubles/FakeUpdaterUi.h"
#include "tests/doubles/OpenSslSigning.h"
#include "tests/doubles/PumpedUiThread.h"

namespace dx {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;
using test::FakeUpdaterUi;
using test::RecordingStarter;

constexpr const char* kInfoUrl = "http://updates.example/benchmarks/fennick/orvalle.inf";

class SelfUpdaterTest : public ::testing::Test {
 protected:
  SelfUpdaterTest() {
    fake.files.AddFolder("C:\\Bench");
    fake.files.AddFolder("C:\\Temp");
    fake.files.AddFile("C:\\Bench\\Dextrel.exe", "program");
    fake.internet.fileSystem = &fake.files;
  }
  TSelfUpdater& Updater() {
    if (!updater) {
      updater = std::make_unique<TSelfUpdater>(view, starter, ui, "C:\\Bench\\Dextrel.exe", "C:\\Temp");
      updater->InfoFileURL = kInfoUrl;
      updater->VersionNumber = "1.5.0.12";
      updater->HelperBytes = [] { return std::string("MZ helper"); };
      updater->Trust = test::SharedTestTrust();
      updater->OnLaterUpgrade = [this] { program.push_back("Update aborted."); };
      updater->OnAborted = [this] { program.push_back("Update aborted."); };
      updater->OnHostUnreachable = [this](const std::string& url, const std::string& host) {
        program.push_back("No internet connection. " + url + " " + host);
      };
      updater->CloseMainWindow = [this] { program.push_back("main window closed"); };
    }
    return *updater;
  }
  // The information file as the maker signs it, and as anyone else could send it.
  void Info(const std::string& text) { RawInfo(test::SharedTestKey().Signed(text)); }
  void RawInfo(const std::string& text) { fake.internet.answers[kInfoUrl] = {200, {}, text}; }
  static std::string Digest(const std::string& suffix, const std::string& body) {
    return "#sha256" + suffix + "=" + Sha256Hex(body) + "\n";
  }
  void File(const std::string& url, const std::string& body, std::map<std::string, std::string> headers = {}) {
    fake.internet.answers[url] = {200, std::move(headers), body};
  }
  // Runs until the component is idle again.
  void Check() {
    Updater().CheckUpdate();
    Settle();
  }
  void Settle() { ASSERT_TRUE(pumped.RunUntil([&] { return !updater->Busy() && !updater->IsRunning(); })); }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const auto& m : ui.messages) texts.push_back(m.text);
    return texts;
  }

  test::FakePlatform fake;
  test::PumpedUiThread pumped;
  platform::Platform view{fake.registry, fake.files, fake.processes, pumped, fake.display,
                          fake.processor, fake.shell, fake.internet, fake.clock, fake.marks};
  FakeUpdaterUi ui;
  RecordingStarter starter;
  std::vector<std::string> program;
  std::unique_ptr<TSelfUpdater> updater;
};

TEST_F(SelfUpdaterTest, ANewerVersionIsAskedForDownloadedAndHandedOver) {
  Info("#version=1.5.0.13\r\n#url1=http://updates.example/dir/Dextrel.exe\r\n#url2=http://updates.example/data.pak\r\n"
       "#message={Faster start}\r\n" + Digest("1", "new program") + Digest("2", "DATA"));
  File("http://updates.example/dir/Dextrel.exe", "new program",
       {{"Content-Length", "11"}, {"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"}});
  File("http://updates.example/data.pak", "DATA");
  Check();
  EXPECT_EQ(ui.askCaption, "Application update wizard");
  EXPECT_EQ(ui.askText,
            "A newer version of Dextrel was released.\n\nFaster start\n\nDo you want to update your version with the "
            "latest one?");
  ASSERT_EQ(Updater().UpdateFileList().size(), 2u);
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\Dextrel.exe.uTMP"), "new program");
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\data.pak.uTMP"), "DATA");
  EXPECT_EQ(fake.files.GetAttributes("C:\\Bench\\data.pak.uTMP") & 0x102u, 0x102u);
  EXPECT_EQ(fake.files.times["C:\\Bench\\Dextrel.exe.uTMP"], 784111777);
  EXPECT_EQ(fake.files.times.count("C:\\Bench\\data.pak.uTMP"), 0u);
  EXPECT_EQ(ui.events, (std::vector<std::string>{"ask", "window",
                                                 "file http://updates.example/dir/Dextrel.exe Downloading 1 of 2",
                                                 "File size: 0.0 Kb", "file http://updates.example/data.pak Downloading 2 of 2",
                                                 "File size: 0.0 Kb", "completed"}));
  EXPECT_EQ(ui.completedTitle, "Upgrade completed!");
  EXPECT_EQ(ui.completedNote,
            "The update of Dextrel has been successfully completed.\r\rPress the OK button to restart program.");
  // The information file skips the cache, the files do not.
  ASSERT_EQ(fake.internet.requests.size(), 3u);
  EXPECT_TRUE(fake.internet.requests[0].flags & platform::request_flag::kPragmaNoCache);
  EXPECT_FALSE(fake.internet.requests[1].flags & platform::request_flag::kPragmaNoCache);
  EXPECT_TRUE(starter.commandLines.empty());

  Updater().FinishClicked();
  EXPECT_EQ(fake.files.Contents("C:\\Temp\\DextrelUpgrade.exe"), "MZ helper");
  EXPECT_TRUE(fake.files.GetAttributes("C:\\Temp\\DextrelUpgrade.exe") & 0x100u);
  // Only these two files, with the digests they were checked against, go to the helper.
  EXPECT_EQ(starter.commandLines,
            std::vector<std::string>{"\"C:\\Temp\\DextrelUpgrade.exe\" \"/sha256=" + Sha256Hex("new program") +
                                     ":Dextrel.exe.uTMP\" \"/sha256=" + Sha256Hex("DATA") +
                                     ":data.pak.uTMP\" C:\\Bench\\Dextrel.exe +/afterupgrade0"});
  EXPECT_EQ(program, std::vector<std::string>{"main window closed"});
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SelfUpdaterTest, AnInformationFileTheMakerDidNotSignEndsTheCheckAndNothingIsFetchedOrWritten) {
  File("http://updates.example/a.exe", "a");
  const std::string text = "#version=2\r\n#url=http://updates.example/a.exe\r\n" + Digest("", "a");
  const std::string signedText = test::SharedTestKey().Signed(text);
  std::string tampered = signedText;
  tampered.replace(tampered.find("a.exe"), 5, "b.exe");
  const auto before = fake.files.AllFiles();
  for (const std::string& served : {text, tampered}) {
    RawInfo(served);
    Check();
  }
  Info(text);
  Updater().Trust = {};  // no verifier: nothing is trusted
  Check();
  ASSERT_EQ(ui.messages.size(), 3u);
  for (const auto& m : ui.messages) {
    EXPECT_EQ(m.text, "The update information could not be verified. Nothing was downloaded.");
    EXPECT_EQ(m.caption, "Error");
    EXPECT_EQ(m.icon, MessageIcon::Error);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
  }
  EXPECT_EQ(fake.internet.requests.size(), 3u);
  EXPECT_EQ(fake.files.AllFiles(), before);
  EXPECT_TRUE(ui.events.empty());
  EXPECT_TRUE(Updater().UpdateFileList().empty());
  EXPECT_FALSE(Updater().Checking());
  EXPECT_TRUE(program.empty());
  Updater().FinishClicked();
  EXPECT_TRUE(starter.commandLines.empty());
}

TEST_F(SelfUpdaterTest, NoNewerVersionOrNoFileShowsMessage24) {
  Info("#version=1.5.0.12\n#url=http://updates.example/a.exe\n");
  Check();
  Info("#version=1.6\n");
  Check();
  ASSERT_EQ(ui.messages.size(), 2u);
  for (const auto& m : ui.messages) {
    EXPECT_EQ(m.text, "Newer version not found. You actually are\rusing most recent version of this program.");
    EXPECT_EQ(m.caption, "Application update wizard");
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
  }
  EXPECT_EQ(fake.internet.requests.size(), 2u);
  EXPECT_FALSE(Updater().Checking());
}

TEST_F(SelfUpdaterTest, AnEmptyOwnVersionTakesAnyVersionAsNewerAndEmptyNotesLeaveAnEmptyLine) {
  Info("#version=0.1\n#url=http://updates.example/a.exe\n#message=x\n");
  ui.agree = false;
  Updater().VersionNumber = "";
  Check();
  EXPECT_EQ(ui.askText, "A newer version of Dextrel was released.\n\nDo you want to update your version with the latest one?");
  EXPECT_EQ(program, std::vector<std::string>{"Update aborted."});
  EXPECT_EQ(fake.internet.requests.size(), 1u);
}

TEST_F(SelfUpdaterTest, TheRedirectMethodOpensOnlyWebPages) {
  Info("#version=2\n#url=www.example.com/new\n#method=2\n");
  Check();
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{"http://www.example.com/new"});
  Info("#version=2\n#url=file://C:/Windows/system32/calc.exe\n#method=2\n");
  Check();
  EXPECT_EQ(fake.shell.opened.size(), 1u);
  EXPECT_EQ(fake.internet.requests.size(), 2u);
  EXPECT_FALSE(ui.windowShown);
}

TEST_F(SelfUpdaterTest, AMissingInformationFileEndsTheCheckSilently) {
  fake.internet.answers[kInfoUrl] = {404, {}, "gone"};
  Check();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.events.empty());
  EXPECT_FALSE(Updater().Checking());
}

TEST_F(SelfUpdaterTest, NoAnswerTellsTheProgramThenShowsMessage26) {
  Check();
  EXPECT_EQ(program, std::vector<std::string>{"No internet connection. " + std::string(kInfoUrl) + " updates.example"});
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Host 'http://updates.example' unreachable.\r\rPlease check your Internet connection and\rtry to upgrade "
            "this software again later.");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
}

TEST_F(SelfUpdaterTest, ALostConnectionShowsMessage30AndKeepsThePart) {
  Info("#version=2\n#url=http://updates.example/big.pak\n" + Digest("", std::string(100, 'x')));
  auto& answer = fake.internet.answers["http://updates.example/big.pak"];
  answer = {200, {{"Content-Length", "100"}}, std::string(100, 'x')};
  answer.breakAfter = 40;
  Check();
  ASSERT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Connection with remote server lost.\r\rPlease restore connection and try to\rupgrade this software again "
            "later.");
  EXPECT_EQ(ui.events.back(), "close");
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\big.pak.uTMP").size(), 40u);
  EXPECT_TRUE(program.empty());
}

TEST_F(SelfUpdaterTest, AMissingFileCanBeSkippedOrEndsInAnAbortThatDeletesEveryDownload) {
  fake.files.AddFile("C:\\Bench\\stale.dll.uTMP", "from an earlier attempt");
  Info("#version=2\n#url1=http://updates.example/a.exe\n#url2=http://updates.example/b.dat\n" + Digest("1", "a") +
       Digest("2", "b"));
  fake.internet.answers["http://updates.example/a.exe"] = {404, {}, ""};
  File("http://updates.example/b.dat", "b");
  Check();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "File a.exe not found or inaccessible.\r\rTry to skip this file and continue upgrade?");
  EXPECT_EQ(ui.messages[0].caption, "Error #404");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\a.exe.uTMP"));
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\b.dat.uTMP"), "b");
  EXPECT_EQ(ui.events.back(), "completed");

  ui.answers.push_back(MessageResult::No);
  updater.reset();
  Check();
  EXPECT_EQ(program, std::vector<std::string>{"Update aborted."});
  EXPECT_TRUE(Updater().Aborted());
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\stale.dll.uTMP"));
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\b.dat.uTMP"));
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\Dextrel.exe"), "program");
}

TEST_F(SelfUpdaterTest, TheCancelQuestionAbortsOnlyOnYes) {
  Info("#version=2\n#url=http://updates.example/a.exe\n" + Digest("", "a"));
  File("http://updates.example/a.exe", "a");
  Check();
  ui.answers.push_back(MessageResult::No);
  EXPECT_FALSE(Updater().CancelRequested());
  EXPECT_EQ(ui.messages.back().text, "The update is not completed.\rWould you like to abort upgrading?");
  EXPECT_EQ(ui.messages.back().caption, "Dextrel");
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Question);
  EXPECT_TRUE(fake.files.FileExists("C:\\Bench\\a.exe.uTMP"));
  EXPECT_TRUE(Updater().CancelRequested());
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\a.exe.uTMP"));
  EXPECT_EQ(program, std::vector<std::string>{"Update aborted."});
  Updater().FinishClicked();  // too late: nothing is handed over
  EXPECT_TRUE(starter.commandLines.empty());
}

TEST_F(SelfUpdaterTest, TwoQuickPressesStartOneCheck) {
  Info("#version=1\n");
  Updater().CheckUpdate();
  Updater().CheckUpdate();
  Settle();
  EXPECT_EQ(fake.internet.requests.size(), 1u);
}

TEST_F(SelfUpdaterTest, UnsafeNamesAndWrongDigestsAreLostFilesAndNeverStay) {
  const std::string good = "good bytes";
  Info("#version=2\n#url1=http://updates.example/dir/\n#url2=http://updates.example/..%2f/CON\n"
       "#url3=http://updates.example/a.exe\n#sha2563=" + Sha256Hex("other bytes") +
       "\n#url4=http://updates.example/b.dll?x=/c.exe\n#sha2564=" + Sha256Hex(good) +
       "\n#url5=http://updates.example/e.dat\n#url6=http://updates.example/f.dat\n#sha2566=f00d\n");
  File("http://updates.example/e.dat", "no digest given");
  File("http://updates.example/f.dat", "a digest that is none");
  File("http://updates.example/a.exe", "tampered");
  File("http://updates.example/b.dll?x=/c.exe", good);
  Check();
  ASSERT_EQ(ui.messages.size(), 5u);
  EXPECT_EQ(ui.messages[3].text, "File e.dat not found or inaccessible.\r\rTry to skip this file and continue upgrade?");
  EXPECT_EQ(ui.messages[4].caption, "Error");
  EXPECT_EQ(ui.messages[0].text, "File  not found or inaccessible.\r\rTry to skip this file and continue upgrade?");
  EXPECT_EQ(ui.messages[1].text, "File CON not found or inaccessible.\r\rTry to skip this file and continue upgrade?");
  EXPECT_EQ(ui.messages[2].text, "File a.exe not found or inaccessible.\r\rTry to skip this file and continue upgrade?");
  EXPECT_EQ(ui.messages[2].caption, "Error");
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\a.exe.uTMP"));
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\b.dll.uTMP"), good);
  // The unsafe names and the files without a digest were never fetched.
  EXPECT_EQ(fake.internet.requests.size(), 3u);
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\e.dat.uTMP"));
  for (const auto& path : fake.files.AllFiles()) EXPECT_EQ(path.find("CON"), std::string::npos) << path;
}

TEST_F(SelfUpdaterTest, ProgressLinesUseTheUsersSeparatorAndCountEarlierFiles) {
  fake.clock.separator = ',';
  Info("#version=2\n#url1=http://updates.example/a\n#url2=http://updates.example/b\n" + Digest("1", "a") +
       Digest("2", std::string(5000, 'b')));
  File("http://updates.example/a", "a");
  File("http://updates.example/b", std::string(5000, 'b'), {{"Content-Length", "10240"}});
  Updater().OnProgress = [&, base = Updater().OnProgress](const TTransferProgress&) {
    base(ComputeProgress(5120, 10240, 2000));
  };
  Check();
  ASSERT_EQ(ui.progress.size(), 3u);
  EXPECT_EQ(ui.progress.back(), "50 75 Transfer rate: 2,5 Kb/s Estimated time left: 0:00:02");
  EXPECT_NE(std::find(ui.events.begin(), ui.events.end(), "File size: 10,0 Kb"), ui.events.end());
}

TEST_F(SelfUpdaterTest, AFolderThatRefusesTheDownloadAbortsWithTheSystemsText) {
  fake.files.SetReadOnly("C:\\Bench");
  Info("#version=2\n#url=http://updates.example/a.exe\n" + Digest("", "a"));
  File("http://updates.example/a.exe", "a");
  Check();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Cannot create file \"C:\\Bench\\a.exe.uTMP\". ", 0), 0u);
  EXPECT_EQ(program, std::vector<std::string>{"Update aborted."});
  EXPECT_FALSE(Updater().Busy());
}

TEST_F(SelfUpdaterTest, TheHelperPathAndItsLeftOverAndTheExternalSetupDigit) {
  fake.files.AddFile("C:\\Temp\\DextrelUpgrade.exe", "old helper");
  EXPECT_EQ(Updater().HelperPath(), "C:\\Temp\\DextrelUpgrade.exe");
  EXPECT_FALSE(fake.files.FileExists("C:\\Temp\\DextrelUpgrade.exe"));
  TSelfUpdater noTemp(view, starter, ui, "C:\\Bench\\Dextrel.exe", "C:\\Missing\\");
  EXPECT_EQ(noTemp.HelperPath(), "C:\\Bench\\DextrelUpgrade.exe");

  Info("#version=2\n#url=http://updates.example/setup.exe\n#method=1\n" + Digest("", "setup"));
  File("http://updates.example/setup.exe", "setup");
  Check();
  Updater().FinishClicked();
  EXPECT_EQ(starter.commandLines,
            std::vector<std::string>{"\"C:\\Temp\\DextrelUpgrade.exe\" \"/sha256=" + Sha256Hex("setup") +
                                     ":setup.exe.uTMP\" C:\\Bench\\Dextrel.exe +/afterupgrade1"});
}

TEST_F(SelfUpdaterTest, AHelperThatCannotBeWrittenIsNotStartedButTheProgramStillCloses) {
  Info("#version=2\n#url=http://updates.example/a.exe\n" + Digest("", "a"));
  File("http://updates.example/a.exe", "a");
  Check();
  fake.files.SetReadOnly("C:\\Temp");
  Updater().FinishClicked();
  EXPECT_TRUE(starter.commandLines.empty());
  EXPECT_EQ(program, std::vector<std::string>{"main window closed"});
  EXPECT_TRUE(fake.files.FileExists("C:\\Bench\\a.exe.uTMP"));
}

}  // namespace
}  // namespace dx
