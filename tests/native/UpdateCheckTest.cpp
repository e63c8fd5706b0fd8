// The update button and the update component's events on the main window, with a real
// transfer worker against the fake internet.
#include "common/Errors.h"
#include "extras/SelfUpdater.h"
#include "common/Sha256.h"
#include "tests/doubles/PumpedUiThread.h"
#include "tests/native/FormFixture.h"

namespace dx::test {
namespace {

constexpr const char* kInfoUrl = "http://www.dextrel.org/benchmarks/fennick/orvalle.inf";
constexpr const char* kNoUpdateText =
    "Newer version not found. You actually are\rusing most recent version of this program.";

class UpdateCheck : public FormFixture {
 protected:
  PumpedUiThread pumped;
  platform::Platform pumpedView{fake.registry, fake.files,     fake.processes, pumped,     fake.display,
                                fake.processor, fake.shell, fake.internet,  fake.clock, fake.marks};

  TForm1& StartWithUpdater() {
    InstallGame();
    fake.registry.AddKey(kSettingsPath);
    fake.internet.fileSystem = &fake.files;
    form = std::make_unique<TForm1>(pumpedView, host);
    form->FormCreate();
    return *form;
  }
  // Signed with the key the host trusts in the maker's place, serial 5 and current.
  void Info(const std::string& text) {
    fake.internet.answers[kInfoUrl] = {200, {}, SharedTestKey().Signed(text + "#serial=5\r\n#expires=2007-01-01\r\n")};
  }
  void Press() { form->RzToolButton3.UserClick(); }
  void Settle() {
    ASSERT_TRUE(pumped.RunUntil([&] { return !form->Updater->Busy() && !form->Updater->IsRunning(); }));
  }
  void UseProxy(const std::string& server, const std::string& port) {
    form->UseProxyBox.UserClick();
    form->ProxyServerEdit.UserType(server);
    form->ProxyPortEdit.UserType(port);
    form->ProxyUsernameEdit.UserType("bench");
    form->ProxyPassEdit.UserType("s3cret");
  }
  std::vector<std::string> ProgramMessages() const { return fake.shell.MessageTexts(); }
};

TEST_F(UpdateCheck, TheComponentIsSetUpAtStartAndTakesTheVersionOfTheVersionResource) {
  host.fileVersion = "1.5.0.14";
  StartWithUpdater();
  EXPECT_EQ(form->Updater->InfoFileURL, kInfoUrl);
  EXPECT_EQ(form->Updater->VersionNumber, "1.5.0.14");
  EXPECT_EQ(form->Updater->RestartParams, "/afterupgrade");
}

TEST_F(UpdateCheck, WithoutTheSettingsKeyTheOwnVersionStillComesFromTheResourceAndTheSerialIsKept) {
  // Once an empty own version here let any version, an old one too, count as newer.
  InstallGame();
  fake.internet.fileSystem = &fake.files;
  form = std::make_unique<TForm1>(pumpedView, host);
  form->FormCreate();
  EXPECT_EQ(form->Updater->VersionNumber, "1.5.0.12");
  Info("#version=0.1.0.0\r\n#url1=http://www.dextrel.org/Dextrel.exe\r\n");
  Press();
  Settle();
  EXPECT_TRUE(host.updaterUi.events.empty());
  ASSERT_EQ(host.updaterUi.messages.size(), 1u);
  EXPECT_EQ(host.updaterUi.messages[0].text, kNoUpdateText);
  // The serial seen goes to the settings key, made when missing, and is read back from it.
  EXPECT_EQ(Stored("UpdateSerial"), "5");
  Set("UpdateSerial", "6");
  Press();
  Settle();
  ASSERT_EQ(host.updaterUi.messages.size(), 2u);
  EXPECT_EQ(host.updaterUi.messages[1].text,
            "The update information is older than one seen before. Nothing was downloaded.");
}

TEST_F(UpdateCheck, ATickedBoxSendsTheCheckThroughTheProxyFields) {
  StartWithUpdater();
  Info("#version=1.5.0.12\r\n#url1=http://www.dextrel.org/Dextrel.exe\r\n");
  UseProxy("proxy.lan", "3128");
  Press();
  Settle();
  ASSERT_EQ(fake.internet.sessions.size(), 1u);
  EXPECT_EQ(fake.internet.sessions[0].access, platform::InternetAccess::Proxy);
  EXPECT_EQ(fake.internet.sessions[0].proxy, "proxy.lan:3128");
  EXPECT_EQ(form->Updater->Proxy.ProxyUsername, "bench");
  EXPECT_EQ(form->Updater->Proxy.ProxyPassword, "s3cret");
  ASSERT_EQ(fake.internet.requests.size(), 1u);
  EXPECT_EQ(fake.internet.requests[0].url, kInfoUrl);
  ASSERT_EQ(host.updaterUi.messages.size(), 1u);
  EXPECT_EQ(host.updaterUi.messages[0].text, kNoUpdateText);
  EXPECT_EQ(host.updaterUi.messages[0].icon, platform::MessageIcon::Information);
}

TEST_F(UpdateCheck, AnUntickedBoxConnectsDirectlyWhateverTheFieldsHold) {
  StartWithUpdater();
  Info("#version=1.5.0.12\r\n");
  UseProxy("proxy.lan", "not a port");
  form->UseProxyBox.UserClick();  // off again; the fields keep their texts
  Press();
  Settle();
  ASSERT_EQ(fake.internet.sessions.size(), 1u);
  EXPECT_EQ(fake.internet.sessions[0].access, platform::InternetAccess::Direct);
  EXPECT_EQ(form->Updater->Proxy.ProxyServer, "");
}

TEST_F(UpdateCheck, APortThatIsNoWholeNumberFailsAfterTheServerWasTakenAndMakesNoCheck) {
  StartWithUpdater();
  Info("#version=1.5.0.12\r\n");
  UseProxy("proxy.lan", "31 28");
  try {
    Press();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "'31 28' is not a valid integer value");
  }
  EXPECT_EQ(form->Updater->Proxy.ProxyServer, "proxy.lan");
  EXPECT_NE(form->Updater->Proxy.AccessType, atUseProxy);
  pumped.RunUntil([] { return false; }, std::chrono::milliseconds(50));
  EXPECT_TRUE(fake.internet.sessions.empty());
  EXPECT_TRUE(host.updaterUi.messages.empty());
}

TEST_F(UpdateCheck, TwoQuickPressesStartOneCheck) {
  StartWithUpdater();
  Info("#version=1.5.0.12\r\n");
  Press();
  Press();
  Settle();
  EXPECT_EQ(fake.internet.requests.size(), 1u);
  EXPECT_EQ(host.updaterUi.messages.size(), 1u);
}

TEST_F(UpdateCheck, DecliningOrAbortingShowsUpdateAbortedAndNoAnswerShowsNoInternetConnection) {
  StartWithUpdater();
  Info("#version=1.6.0.0\r\n#url1=http://www.dextrel.org/files/Dextrel.exe\r\n#sha2561=" + Sha256Hex("new") + "\r\n");
  host.updaterUi.agree = false;
  Press();
  Settle();
  EXPECT_EQ(ProgramMessages(), std::vector<std::string>{"Update aborted."});
  EXPECT_EQ(fake.shell.messages[0].caption, kMessageCaption);
  EXPECT_EQ(fake.shell.messages[0].buttons, platform::MessageButtons::Ok);

  // A file that is not found: the abort.
  host.updaterUi.agree = true;
  fake.internet.answers["http://www.dextrel.org/files/Dextrel.exe"] = {404, {}, "not found"};
  fake.files.AddFile(std::string(kProgramFolder) + "old.uTMP", "left");
  Press();
  Settle();
  EXPECT_EQ(ProgramMessages(), (std::vector<std::string>{"Update aborted.", "Update aborted."}));
  EXPECT_FALSE(fake.files.FileExists(std::string(kProgramFolder) + "old.uTMP"));

  fake.internet.connectFails = true;
  Press();
  Settle();
  EXPECT_EQ(ProgramMessages().back(), "No internet connection.");
  EXPECT_EQ(host.updaterUi.messages.back().text.rfind("Host 'http://www.dextrel.org' unreachable.", 0), 0u);
}

TEST_F(UpdateCheck, TheHandOverStartsTheHelperAndClosesTheMainWindowTheNormalWay) {
  StartWithUpdater();
  Info("#version=1.5.0.13\r\n#url1=http://www.dextrel.org/files/Dextrel.exe\r\n#sha2561=" + Sha256Hex("new program") +
       "\r\n");
  fake.internet.answers["http://www.dextrel.org/files/Dextrel.exe"] = {200, {}, "new program"};
  Press();
  Settle();
  ASSERT_EQ(host.updaterUi.events.back(), "completed");
  EXPECT_EQ(fake.files.ReadFile(std::string(kProgramFolder) + "Dextrel.exe.uTMP").data, "new program");
  EXPECT_EQ(host.Count("close main window"), 0);
  form->Updater->FinishClicked();
  EXPECT_EQ(host.starter.startedBytes, std::vector<std::string>{"MZ helper"});
  EXPECT_EQ(host.starter.commandLines,
            std::vector<std::string>{"DextrelUpgrade.exe /sha256=" + Sha256Hex("new program") +
                                     ":4465787472656c2e6578652e75544d50 "
                                     "/program=433a5c50726f6772616d2046696c65735c4465787472656c5c4465787472656c2e657865 "
                                     "/restart=2f616674657275706772616465 /setup=0"});
  EXPECT_EQ(host.Count("close main window"), 1);
  EXPECT_TRUE(ProgramMessages().empty());
}

TEST_F(UpdateCheck, LeavingTheProgramWithTheDownloadsCompleteStillHandsOver) {
  StartWithUpdater();
  Info("#version=1.5.0.13\r\n#url1=http://www.dextrel.org/files/Dextrel.exe\r\n#sha2561=" + Sha256Hex("new program") +
       "\r\n");
  fake.internet.answers["http://www.dextrel.org/files/Dextrel.exe"] = {200, {}, "new program"};
  Press();
  Settle();
  form->FormClose();
  EXPECT_EQ(host.starter.commandLines.size(), 1u);
  EXPECT_EQ(host.updaterUi.events.back(), "close");
  EXPECT_EQ(host.Count("close main window"), 0);

  // Downloads not complete yet: nothing is started on the way out.
  Press();
  host.starter.commandLines.clear();
  form->Image2Click();
  Settle();
  EXPECT_TRUE(host.starter.commandLines.empty());
}

}  // namespace
}  // namespace dx::test
