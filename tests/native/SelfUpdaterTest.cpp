#include <gtest/gtest.h>

#include <deque>

#include "extras/HttpDate.h"
#include "extras/SelfUpdater.h"
#include "common/Sha256.h"
#include "tests/doubles/FakePlatform.h"
#include "tests/doubles/FakeUpdaterUi.h"
#include "tests/doubles/OpenSslSigning.h"
#include "tests/doubles/PumpedUiThread.h"
#include "platform/Paths.h"
#include "upgrade_helper/UpgradeHelper.h"

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
    fake.files.AddFile("C:\\Bench\\Dextrel.exe", "program");
    fake.internet.fileSystem = &fake.files;
  }
  TSelfUpdater& Updater() {
    if (!updater) {
      updater = std::make_unique<TSelfUpdater>(view, starter, ui, "C:\\Bench\\Dextrel.exe");
      updater->InfoFileURL = kInfoUrl;
      updater->VersionNumber = "1.5.0.12";
      updater->HelperBytes = [] { return std::string("MZ helper"); };
      updater->Trust = test::SharedTestTrust();
      updater->ReadSeenSerial = [this] { return seenSerial; };
      updater->WriteSeenSerial = [this](std::uint64_t serial) { seenSerial = serial; };
      updater->OnLaterUpgrade = [this] { program.push_back("Update aborted."); };
      updater->OnAborted = [this] { program.push_back("Update aborted."); };
      updater->OnHostUnreachable = [this](const std::string& url, const std::string& host) {
        program.push_back("No internet connection. " + url + " " + host);
      };
      updater->CloseMainWindow = [this] { program.push_back("main window closed"); };
    }
    return *updater;
  }
  // The information file as the maker signs it, current unless the text gives its own
  // serial, and as anyone else could send it.
  void Info(const std::string& text) {
    const bool dated = text.find("#serial=") != std::string::npos || text.find("#expires=") != std::string::npos;
    RawInfo(test::SharedTestKey().Signed(dated ? text : text + "#serial=7\n#expires=2006-12-01\n"));
  }
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
  std::uint64_t seenSerial = 0;
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
  EXPECT_EQ(starter.startedBytes, std::vector<std::string>{"MZ helper"});
  // Only these two files, with the digests they were checked against, go to the helper;
  // every name and path in hexadecimal.
  EXPECT_EQ(starter.commandLines,
            std::vector<std::string>{"DextrelUpgrade.exe /sha256=" + Sha256Hex("new program") +
                                     ":4465787472656c2e6578652e75544d50 /sha256=" + Sha256Hex("DATA") +
                                     ":646174612e70616b2e75544d50 /program=433a5c42656e63685c4465787472656c2e657865 "
                                     "/restart=2f616674657275706772616465 /setup=0"});
  EXPECT_EQ(seenSerial, 7u);
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
  Info("#version=1.6.0.0\n");
  Check();
  // Only four dot-separated numbers are a version: anything else offers no update.
  for (const char* offered : {"1.6", "2", "1.6b.0.0", "1.6.0.0.1", "+1.6.0.0", "1.6.0.0 "}) {
    Info("#version=" + std::string(offered) + "\n#url=http://updates.example/a.exe\n");
    Check();
  }
  ASSERT_EQ(ui.messages.size(), 8u);
  for (const auto& m : ui.messages) {
    EXPECT_EQ(m.text, "Newer version not found. You actually are\rusing most recent version of this program.");
    EXPECT_EQ(m.caption, "Application update wizard");
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
  }
  EXPECT_EQ(fake.internet.requests.size(), 8u);
  EXPECT_FALSE(Updater().Checking());
}

TEST_F(SelfUpdaterTest, AnOwnVersionThatIsNoVersionFindsNothingNewerAndEmptyNotesLeaveAnEmptyLine) {
  // An empty or unreadable own version once took any version, an old one too, for newer.
  Info("#version=0.0.0.1\n#url=http://updates.example/a.exe\n#message=x\n");
  for (const char* own : {"", "Value Not Available", "1.5"}) {
    Updater().VersionNumber = own;
    Check();
  }
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text, "Newer version not found. You actually are\rusing most recent version of this program.");
  EXPECT_TRUE(ui.askText.empty());

  Info("#version=1.5.0.13\n#url=http://updates.example/a.exe\n#message=x\n");
  ui.agree = false;
  Updater().VersionNumber = "1.5.0.12";
  Check();
  EXPECT_EQ(ui.askText, "A newer version of Dextrel was released.\n\nDo you want to update your version with the latest one?");
  EXPECT_EQ(program, std::vector<std::string>{"Update aborted."});
  EXPECT_EQ(fake.internet.requests.size(), 4u);
}

TEST_F(SelfUpdaterTest, ReplayedExpiredAndUndatedInformationIsRefusedAndNothingIsFetched) {
  const std::string offer = "#version=2.0.0.0\n#url=http://updates.example/a.exe\n" + Digest("", "a");
  File("http://updates.example/a.exe", "a");
  // A verified file that offers nothing still raises the serial seen.
  Info("#version=1.5.0.12\n#serial=9\n#expires=2006-12-01\n");
  Check();
  EXPECT_EQ(seenSerial, 9u);
  const auto before = fake.files.AllFiles();
  Info(offer + "#serial=8\n#expires=2006-12-01\n");
  Check();
  // The expiry day itself still counts, in universal time (the local day is the 4th).
  fake.clock.now = {2006, 11, 4, 0, 30, 0, 0};
  fake.clock.utcNow = {2006, 11, 3, 23, 30, 0, 0};
  Info(offer + "#serial=10\n#expires=2006-11-02\n");
  Check();
  Info(offer + "#expires=2006-12-01\n");
  Check();
  Info(offer + "#serial=10\n");
  Check();
  Info(offer + "#serial=1O\n#expires=2006-12-01\n");
  Check();
  Info(offer + "#serial=10\n#expires=2006-11-31\n");
  Check();
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                                "Newer version not found. You actually are\rusing most recent version of this program.",
                                "The update information is older than one seen before. Nothing was downloaded.",
                                "The update information has expired. Nothing was downloaded.",
                                "The update information could not be verified. Nothing was downloaded.",
                                "The update information could not be verified. Nothing was downloaded.",
                                "The update information could not be verified. Nothing was downloaded.",
                                "The update information could not be verified. Nothing was downloaded."}));
  EXPECT_EQ(ui.messages[1].caption, "Error");
  EXPECT_EQ(ui.messages[2].icon, MessageIcon::Error);
  EXPECT_EQ(seenSerial, 9u);
  EXPECT_EQ(fake.files.AllFiles(), before);
  EXPECT_EQ(fake.internet.requests.size(), 7u);
  EXPECT_TRUE(ui.events.empty());

  // The same serial again, on its last day: the update goes ahead.
  Info(offer + "#serial=9\n#expires=2006-11-03\n");
  Check();
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\a.exe.uTMP"), "a");
  EXPECT_EQ(ui.events.back(), "completed");
}

TEST_F(SelfUpdaterTest, InformationAndFilesPastTheirLimitEndTheUpdateAndKeepNothing) {
  Info("#version=2.0.0.0\n#url=http://updates.example/a.exe\n" + Digest("", "a") + "#message={" +
       std::string(64 * 1024, 'n') + "}\n");
  Check();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The update information is too large. Nothing was downloaded."});
  EXPECT_EQ(fake.internet.requests.size(), 1u);

  // A listed file larger than its signed size, announced or not, and one past the
  // default limit; the earlier file of the update goes as well.
  const std::string big(9, 'b');
  File("http://updates.example/a.exe", "a");
  File("http://updates.example/big.dat", big);
  File("http://updates.example/told.dat", big, {{"Content-Length", "9"}});
  File("http://updates.example/huge.dat", "h", {{"Content-Length", "67108865"}});
  for (const char* second : {"big.dat\n#size2=8", "told.dat\n#size2=8", "huge.dat"}) {
    ui.messages.clear();
    Info("#version=2.0.0.0\n#url1=http://updates.example/a.exe\n#url2=http://updates.example/" + std::string(second) +
         "\n" + Digest("1", "a") + Digest("2", second[0] == 'h' ? "h" : big));
    Check();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"File " + std::string(second).substr(0, std::string(second).find('\n')) +
                                                       " is larger than the update information allows.\r\rNothing "
                                                       "was installed."});
    EXPECT_TRUE(fake.files.ListFiles("C:\\Bench\\", "*.uTMP").empty());
    EXPECT_EQ(ui.events.back(), "close");
  }
  // Exactly the signed size is fine.
  Info("#version=2.0.0.0\n#url=http://updates.example/big.dat\n#size=9\n" + Digest("", big));
  Check();
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\big.dat.uTMP"), big);
  Updater().FinishClicked();
  EXPECT_EQ(starter.commandLines.size(), 1u);
}

TEST_F(SelfUpdaterTest, TheRedirectMethodOpensOnlyWebPages) {
  Info("#version=2.0.0.0\n#url=www.example.com/new\n#method=2\n");
  Check();
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{"http://www.example.com/new"});
  Info("#version=2.0.0.0\n#url=file://C:/Windows/system32/calc.exe\n#method=2\n");
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
  Info("#version=2.0.0.0\n#url=http://updates.example/big.pak\n" + Digest("", std::string(100, 'x')));
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

TEST_F(SelfUpdaterTest, AMissingFileEndsTheWholeUpdateInAnAbortThatDeletesEveryDownload) {
  fake.files.AddFile("C:\\Bench\\stale.dll.uTMP", "from an earlier attempt");
  Info("#version=2.0.0.0\n#url1=http://updates.example/b.dat\n#url2=http://updates.example/a.exe\n" +
       Digest("1", "b") + Digest("2", "a"));
  fake.internet.answers["http://updates.example/a.exe"] = {404, {}, ""};
  File("http://updates.example/b.dat", "b");
  Check();
  // No skipping: a partial update can leave a program that does not start.
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "File a.exe not found or inaccessible.\r\rNothing was installed.");
  EXPECT_EQ(ui.messages[0].caption, "Error #404");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(ui.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(ui.events.back(), "close");
  Updater().FinishClicked();
  EXPECT_TRUE(starter.commandLines.empty());
  EXPECT_EQ(program, std::vector<std::string>{"Update aborted."});
  EXPECT_TRUE(Updater().Aborted());
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\stale.dll.uTMP"));
  EXPECT_FALSE(fake.files.FileExists("C:\\Bench\\b.dat.uTMP"));
  EXPECT_EQ(fake.files.Contents("C:\\Bench\\Dextrel.exe"), "program");
}

TEST_F(SelfUpdaterTest, TheCancelQuestionAbortsOnlyOnYes) {
  Info("#version=2.0.0.0\n#url=http://updates.example/a.exe\n" + Digest("", "a"));
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

TEST_F(SelfUpdaterTest, UnsafeNamesAndWrongDigestsAreLostFilesAndNothingStays) {
  const std::string good = "good bytes";
  File("http://updates.example/b.dll?x=/c.exe", good);
  File("http://updates.example/e.dat", "no digest given");
  File("http://updates.example/f.dat", "a digest that is none");
  File("http://updates.example/a.exe", "tampered");
  const std::string first = "#version=2.0.0.0\n#url1=http://updates.example/b.dll?x=/c.exe\n#sha2561=" + Sha256Hex(good);
  const std::pair<const char*, std::string> bad[] = {
      {"", "#url2=http://updates.example/dir/\n#sha2562=" + Sha256Hex(good)},
      {"CON", "#url2=http://updates.example/..%2f/CON\n#sha2562=" + Sha256Hex(good)},
      {"a.exe", "#url2=http://updates.example/a.exe\n#sha2562=" + Sha256Hex("other bytes")},
      {"e.dat", "#url2=http://updates.example/e.dat"},
      {"f.dat", "#url2=http://updates.example/f.dat\n#sha2562=f00d"}};
  std::size_t fetched = 0;
  for (const auto& [name, second] : bad) {
    ui.messages.clear();
    Info(first + "\n" + second + "\n");
    Check();
    ASSERT_EQ(ui.messages.size(), 1u) << name;
    EXPECT_EQ(ui.messages[0].text, "File " + std::string(name) + " not found or inaccessible.\r\rNothing was installed.");
    EXPECT_EQ(ui.messages[0].caption, "Error");
    // The earlier, good file goes with the bad one.
    EXPECT_TRUE(fake.files.ListFiles("C:\\Bench\\", "*.uTMP").empty()) << name;
    // The unsafe names and the files without a digest are never fetched.
    fetched += std::string(name) == "a.exe" ? 3 : 2;
    EXPECT_EQ(fake.internet.requests.size(), fetched) << name;
  }
  for (const auto& path : fake.files.AllFiles()) EXPECT_EQ(path.find("CON"), std::string::npos) << path;
  EXPECT_TRUE(starter.commandLines.empty());
}

TEST_F(SelfUpdaterTest, ProgressLinesUseTheUsersSeparatorAndCountEarlierFiles) {
  fake.clock.separator = ',';
  Info("#version=2.0.0.0\n#url1=http://updates.example/a\n#url2=http://updates.example/b\n" + Digest("1", "a") +
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
  Info("#version=2.0.0.0\n#url=http://updates.example/a.exe\n" + Digest("", "a"));
  File("http://updates.example/a.exe", "a");
  Check();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("Cannot create file \"C:\\Bench\\a.exe.uTMP\". ", 0), 0u);
  EXPECT_EQ(program, std::vector<std::string>{"Update aborted."});
  EXPECT_FALSE(Updater().Busy());
}

TEST_F(SelfUpdaterTest, TheExternalSetupDigitAndAnInstallPathTheHelperReadsBackExactly) {
  Info("#version=2.0.0.0\n#url=http://updates.example/setup.exe\n#method=1\n" + Digest("", "setup"));
  File("http://updates.example/setup.exe", "setup");
  Check();
  Updater().FinishClicked();
  EXPECT_EQ(starter.commandLines,
            std::vector<std::string>{"DextrelUpgrade.exe /sha256=" + Sha256Hex("setup") +
                                     ":73657475702e6578652e75544d50 /program=433a5c42656e63685c4465787472656c2e657865 "
                                     "/restart=2f616674657275706772616465 /setup=1"});

  // Folders such as these once made the helper run "C:\Games\C": the arguments hold no
  // blank, quote or "+" of the path, and the helper's reading gives it back whole.
  for (const std::string path : {"C:\\Games\\C++\\Dextrel\\Dextrel.exe", "D:\\My Bench +2\\x & y\\Dextrel.exe",
                                 "C:\\Benchmarks\\  lead\\Dextrel.exe"}) {
    fake.files.AddFolder(ExtractFilePath(path));
    fake.files.AddFile(path, "program");
    starter.commandLines.clear();
    TSelfUpdater other(view, starter, ui, path);
    other.InfoFileURL = kInfoUrl;
    other.VersionNumber = "1.5.0.12";
    other.Trust = test::SharedTestTrust();
    other.HelperBytes = [] { return std::string("MZ helper"); };
    other.RestartParams = "/afterupgrade +x \"y\"";
    other.CheckUpdate();
    ASSERT_TRUE(pumped.RunUntil([&] { return !other.Busy() && !other.IsRunning(); }));
    other.FinishClicked();
    ASSERT_EQ(starter.commandLines.size(), 1u) << path;
    const std::string line = starter.commandLines[0];
    EXPECT_EQ(line.find_first_of("\"+\\"), std::string::npos) << line;
    // Split at blanks, as the system's reading of a command line does with no quotes.
    std::vector<std::string> arguments;
    for (std::size_t at = line.find(' ') + 1, end = 0; at < line.size(); at = end + 1) {
      end = std::min(line.find(' ', at), line.size());
      arguments.push_back(line.substr(at, end - at));
    }
    const upgrade::HelperArguments read = upgrade::ParseArguments(arguments);
    ASSERT_TRUE(read.valid) << line;
    EXPECT_EQ(read.programPath, path);
    EXPECT_EQ(read.folder, ExtractFilePath(path));
    EXPECT_EQ(read.restartArguments, "/afterupgrade +x \"y\"");
    EXPECT_TRUE(read.externalSetup);
    ASSERT_EQ(read.files.size(), 1u);
    EXPECT_EQ(read.files[0].name, "setup.exe.uTMP");
    EXPECT_EQ(read.files[0].digest, Sha256Hex("setup"));
  }
}

TEST_F(SelfUpdaterTest, AHelperThatCannotBeStartedLeavesTheDownloadsAndTheProgramStillCloses) {
  Info("#version=2.0.0.0\n#url=http://updates.example/a.exe\n" + Digest("", "a"));
  File("http://updates.example/a.exe", "a");
  Check();
  starter.succeeds = false;
  Updater().FinishClicked();
  EXPECT_EQ(starter.commandLines.size(), 1u);
  EXPECT_EQ(program, std::vector<std::string>{"main window closed"});
  EXPECT_TRUE(fake.files.FileExists("C:\\Bench\\a.exe.uTMP"));
}

}  // namespace
}  // namespace dx
