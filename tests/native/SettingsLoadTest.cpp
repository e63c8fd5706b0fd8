#include <functional>
#include <map>
#include <vector>

#include "common/Base64.h"
#include "app/SettingsStore.h"
#include "common/Errors.h"
#include "tests/native/FormFixture.h"

namespace dx::test {
namespace {

// One start-up against one state of the registry, the display and the files.
struct LoadScenario {
  const char* name;
  std::function<void(FormFixture&, FakePlatform&)> arrange;
  std::function<void(TForm1&, FakePlatform&)> check;
};

class SettingsLoad : public FormFixture, public ::testing::WithParamInterface<LoadScenario> {
 public:
  using FormFixture::Set;
};

std::string Get(FakePlatform& fake, const std::string& name) { return fake.registry.Get(kSettingsPath, name); }
void Put(FakePlatform& fake, const std::string& name, const std::string& value) {
  fake.registry.SetString(kSettingsPath, name, value);
}
void Game(FakePlatform& fake, const std::string& version, const std::string& path, const std::string& log) {
  fake.registry.RemoveKey(kGameKeyPath);
  fake.registry.SetString(kGameKeyPath, "Version", version);
  if (!path.empty()) fake.registry.SetString(kGameKeyPath, "InstallPath", path);
  if (!log.empty()) fake.registry.SetString(kGameKeyPath, "InstallLog", log);
}

TEST_P(SettingsLoad, Scenario) {
  InstallGame();
  fake.registry.AddKey(kSettingsPath);
  GetParam().arrange(*this, fake);
  Start();
  GetParam().check(*form, fake);
}

const LoadScenario kScenarios[] = {
    {"Version13TakesInstallPathPlusOneBackslash",
     [](FormFixture&, FakePlatform& f) { Game(f, "1.3", "D:\\Quake 4", "ignored\\install.log"); },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.GamePath, "D:\\Quake 4\\");
       EXPECT_EQ(form.Q4PathEdit.Text(), "D:\\Quake 4\\");
       EXPECT_EQ(form.GameBasePath, "D:\\Quake 4\\q4base\\");
       EXPECT_EQ(form.GameDemoPath, "D:\\Quake 4\\q4base\\Demos\\");
       EXPECT_EQ(Get(f, "Path"), "D:\\Quake 4\\");
     }},
    {"InstallPathEndingInABackslashGetsASecondOne",
     [](FormFixture&, FakePlatform& f) { Game(f, "1.3", "D:\\Quake 4\\", ""); },
     [](TForm1& form, FakePlatform&) {
       EXPECT_EQ(form.GamePath, "D:\\Quake 4\\\\");
       EXPECT_EQ(form.GameBasePath, "D:\\Quake 4\\\\q4base\\");
     }},
    {"OtherVersionsTakeTheInstallLogLessElevenCharacters",
     [](FormFixture&, FakePlatform& f) { Game(f, "1.3.0", "D:\\Wrong", "E:\\Id\\Quake 4\\install.log"); },
     [](TForm1& form, FakePlatform&) { EXPECT_EQ(form.GamePath, "E:\\Id\\Quake 4\\"); }},
    {"AnOlderVersionTakesTheInstallLogToo",
     [](FormFixture&, FakePlatform& f) { Game(f, "1.2", "D:\\Wrong", "F:\\Q4\\abcdefghijk"); },
     [](TForm1& form, FakePlatform&) { EXPECT_EQ(form.GamePath, "F:\\Q4\\"); }},
    {"AShortInstallLogGivesAnEmptyGameFolder",
     [](FormFixture&, FakePlatform& f) { Game(f, "1.4", "", "install.log"); },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.GamePath, "");
       EXPECT_EQ(form.GameBasePath, "q4base\\");
       EXPECT_EQ(Get(f, "Path"), "");
     }},
    {"AnUnofferedPresetIsDisabledAndUntickedWhateverIsStored",
     [](FormFixture&, FakePlatform& f) {
       f.display.modes.clear();
       f.display.AddMode(640, 480);
       f.display.AddMode(640, 480, 16);
       f.display.AddMode(1280, 1024);
       for (const char* v : {"640", "800", "1280", "2048", "hdw2"}) Put(f, v, "1");
       Put(f, "1024", "yes");
     },
     [](TForm1& form, FakePlatform& f) {
       const bool ticked[9] = {true, false, false, true, false, false, false, false, false};
       const bool enabled[9] = {true, false, false, true, false, false, false, false, false};
       for (std::size_t i = 0; i < 9; ++i) {
         EXPECT_EQ(form.res.ItemChecked(i), ticked[i]) << i;
         EXPECT_EQ(form.res.ItemEnabled(i), enabled[i]) << i;
       }
       EXPECT_EQ(Get(f, "2048"), "1");  // the load itself writes none of the nine
       form.res.UserClickItem(5);
       EXPECT_FALSE(form.res.ItemChecked(5));
       form.res.MouseLeave();
       EXPECT_EQ(Get(f, "2048"), "0");
       EXPECT_EQ(Get(f, "640"), "1");
       EXPECT_EQ(Get(f, "1024"), "0");
       EXPECT_TRUE(form.DisplayModeList.Empty());
     }},
    {"ACustomSizeTheDisplayLacksIsResetToZero",
     [](FormFixture&, FakePlatform& f) {
       Put(f, "CusW", "1280");
       Put(f, "CusH", "600");
       Put(f, "CusRes", "1");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(Get(f, "CusW"), "0");
       EXPECT_EQ(Get(f, "CusH"), "0");
       EXPECT_EQ(Get(f, "CusRes"), "1");
       EXPECT_FALSE(form.cusresbox.Checked());
       EXPECT_EQ(form.CusWidth.Text(), "");
       EXPECT_FALSE(form.CusWidth.Enabled());
       EXPECT_FALSE(form.CusPossibilities.Enabled());
     }},
    {"TheCustomSizeCountsAsOfferedBySubstring",
     [](FormFixture&, FakePlatform& f) {
       Put(f, "CusW", "280");
       Put(f, "CusH", "1024");
       Put(f, "CusRes", "1");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.CusWidth.Text(), "280");
       EXPECT_EQ(form.CusHeight.Text(), "1024");
       EXPECT_TRUE(form.cusresbox.Checked());
       EXPECT_TRUE(form.CusWidth.Enabled());
       EXPECT_TRUE(form.CusHeight.Enabled());
       EXPECT_TRUE(form.CusPossibilities.Enabled());
       EXPECT_EQ(Get(f, "CusW"), "280");
     }},
    {"ACustomSizeThatIsNoNumberIsResetThoughItMatchesTheModes",
     [](FormFixture&, FakePlatform& f) {
       // "800 x 600" holds "00 x 6"; neither is a size the game can take.
       Put(f, "CusW", "00");
       Put(f, "CusH", "6");
       Put(f, "CusRes", "1");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(Get(f, "CusW"), "0");
       EXPECT_EQ(Get(f, "CusH"), "0");
       EXPECT_FALSE(form.cusresbox.Checked());
       EXPECT_EQ(form.CusWidth.Text(), "");
     }},
    {"ACustomSizeSpanningTwoModesIsReset",
     [](FormFixture&, FakePlatform& f) {
       // The list's text holds "640 x 480\r\n800 x 600".
       Put(f, "CusW", "640");
       Put(f, "CusH", "480\r\n800");
       Put(f, "CusRes", "1");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(Get(f, "CusH"), "0");
       EXPECT_FALSE(form.cusresbox.Checked());
       EXPECT_EQ(form.CusHeight.Text(), "");
     }},
    {"AStoredZeroLeavesTheCustomResolutionAlone",
     [](FormFixture&, FakePlatform& f) {
       Put(f, "CusW", "0");
       Put(f, "CusH", "768");
       Put(f, "CusRes", "1");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.CusWidth.Text(), "");
       EXPECT_FALSE(form.cusresbox.Checked());
       EXPECT_EQ(Get(f, "CusH"), "768");
     }},
    {"AnOfferedCustomSizeWithoutCusResStaysUnticked",
     [](FormFixture&, FakePlatform& f) {
       Put(f, "CusW", "1024");
       Put(f, "CusH", "768");
     },
     [](TForm1& form, FakePlatform&) {
       EXPECT_EQ(form.CusWidth.Text(), "1024");
       EXPECT_FALSE(form.cusresbox.Checked());
       EXPECT_FALSE(form.CusWidth.Enabled());
     }},
    {"AUserDemoThatIsGoneFallsBackToTheBuiltInDemo",
     [](FormFixture&, FakePlatform& f) {
       Put(f, "Demo", "2");
       Put(f, "Demoname", "D:\\demos\\gone.demo");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.demo.ItemIndex(), 0);
       EXPECT_EQ(Get(f, "Demo"), "1");
       EXPECT_EQ(Get(f, "Demoname"), "");
       EXPECT_EQ(form.DemoEdit.Text(), "");
       EXPECT_FALSE(form.DemoEdit.Enabled());
       EXPECT_FALSE(form.DemoEditButton.Enabled());
     }},
    {"AUserDemoThatExistsIsShownAndEnabled",
     [](FormFixture&, FakePlatform& f) {
       f.files.AddFile("D:\\demos\\dm1.netdemo", "net demo");
       Put(f, "Demo", "2");
       Put(f, "Demoname", "D:\\demos\\dm1.netdemo");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.demo.ItemIndex(), 1);
       EXPECT_EQ(form.DemoEdit.Text(), "D:\\demos\\dm1.netdemo");
       EXPECT_TRUE(form.DemoEdit.Enabled());
       EXPECT_TRUE(form.DemoEditButton.Enabled());
       EXPECT_EQ(Get(f, "Demo"), "2");
       EXPECT_EQ(Get(f, "Demoname"), "D:\\demos\\dm1.netdemo");
     }},
    {"AnUnknownDemoChoiceSelectsNothing", [](FormFixture&, FakePlatform& f) { Put(f, "Demo", "3"); },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.demo.ItemIndex(), -1);
       EXPECT_FALSE(form.DemoEdit.Enabled());
       EXPECT_EQ(Get(f, "Demo"), "3");
     }},
    {"AMissingResultsFolderIsReplacedByTheDefaultNotCreated",
     [](FormFixture&, FakePlatform& f) { Put(f, "ResultPath", "E:\\Deleted\\Results\\"); },
     [](TForm1& form, FakePlatform& f) {
       const std::string fallback = std::string(kProgramFolder) + "Benchmark\\";
       EXPECT_EQ(form.ResEdit.Text(), fallback);
       EXPECT_EQ(form.ResultsPath, fallback);
       EXPECT_EQ(Get(f, "ResultPath"), fallback);
       EXPECT_FALSE(f.files.FolderExists(fallback));
     }},
    {"AnExistingResultsFolderIsKept",
     [](FormFixture&, FakePlatform& f) {
       f.files.AddFolder("E:\\Results");
       Put(f, "ResultPath", "E:\\Results\\");
     },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.ResultsPath, "E:\\Results\\");
       EXPECT_EQ(Get(f, "ResultPath"), "E:\\Results\\");
     }},
    {"WithoutRunNumberNothingIsSelected", [](FormFixture&, FakePlatform&) {},
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.RunNumberBox.ItemIndex(), -1);
       EXPECT_EQ(form.RunCount, 0);
       EXPECT_EQ(Get(f, "RunNumber"), "<missing>");
     }},
    {"RunNumberSelectsItsItemAndCount", [](FormFixture&, FakePlatform& f) { Put(f, "RunNumber", "4"); },
     [](TForm1& form, FakePlatform&) {
       EXPECT_EQ(form.RunNumberBox.ItemIndex(), 3);
       EXPECT_EQ(form.RunNumberBox.Text(), "4");
       EXPECT_EQ(form.RunCount, 4);
     }},
    {"ARunNumberOutsideOneToFiveChangesNothing", [](FormFixture&, FakePlatform& f) { Put(f, "RunNumber", "6"); },
     [](TForm1& form, FakePlatform&) {
       EXPECT_EQ(form.RunNumberBox.ItemIndex(), -1);
       EXPECT_EQ(form.RunCount, 0);
     }},
    {"APasswordNotInCanonicalFormIsStoredBackReEncoded",
     [](FormFixture&, FakePlatform& f) { Put(f, "ProxyPassword", "c2Vj#cmV0!"); },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.ProxyPassEdit.Text(), "secret");
       EXPECT_EQ(Get(f, "ProxyPassword"), "c2VjcmV0");
     }},
    {"AnAmbientLevelThatIsNoItemSelectsNothing",
     [](FormFixture&, FakePlatform& f) { Put(f, "AmbientLightV", "0.35"); },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.ALValues.ItemIndex(), -1);
       EXPECT_EQ(form.ALValues.Text(), "");
       EXPECT_EQ(Get(f, "AmbientLightV"), "0.35");
     }},
    {"AnAmbientLevelIsSelectedByExactText", [](FormFixture&, FakePlatform& f) { Put(f, "AmbientLightV", "1.0"); },
     [](TForm1& form, FakePlatform&) {
       EXPECT_EQ(form.ALValues.ItemIndex(), 9);
       EXPECT_EQ(form.ALValues.Text(), "1.0");
     }},
    {"TheQualityItemBringsItsDescription", [](FormFixture&, FakePlatform& f) { Put(f, "Quality", "1"); },
     [](TForm1& form, FakePlatform&) {
       EXPECT_EQ(form.QualityModeBox.ItemIndex(), 1);
       EXPECT_EQ(form.Label7.Caption(), "This mode is designed for a graphics card with 128MB of Video RAM.");
     }},
    {"AnUnknownQualityKeepsTheUltraDescription", [](FormFixture&, FakePlatform& f) { Put(f, "Quality", "4"); },
     [](TForm1& form, FakePlatform&) {
       EXPECT_EQ(form.QualityModeBox.ItemIndex(), -1);
       EXPECT_EQ(form.Label7.Caption(), QualityDescription(3));
     }},
    {"ALongStoredNoteIsShownWhole",
     [](FormFixture&, FakePlatform& f) { Put(f, "Note", std::string(64, 'n')); },
     [](TForm1& form, FakePlatform& f) {
       EXPECT_EQ(form.NoteEdit.Text(), std::string(64, 'n'));
       EXPECT_EQ(Get(f, "Note"), std::string(64, 'n'));
     }},
    {"TheProxyFieldsFollowTheProxyBox",
     [](FormFixture&, FakePlatform& f) {
       Put(f, "UseProxy", "1");
       Put(f, "ProxyServer", "proxy.lan");
       Put(f, "ProxyPort", "8080");
     },
     [](TForm1& form, FakePlatform&) {
       EXPECT_TRUE(form.UseProxyBox.Checked());
       EXPECT_TRUE(form.ProxyServerEdit.Enabled());
       EXPECT_TRUE(form.ProxyPassEdit.Enabled());
       EXPECT_EQ(form.ProxyServerEdit.Text(), "proxy.lan");
       EXPECT_EQ(form.ProxyPortEdit.Text(), "8080");
     }},
    {"AnythingButOneLeavesTheProxyOffAndTheFieldsDisabled",
     [](FormFixture&, FakePlatform& f) { Put(f, "UseProxy", "true"); },
     [](TForm1& form, FakePlatform&) {
       EXPECT_FALSE(form.UseProxyBox.Checked());
       for (auto* field : {&form.ProxyServerEdit, &form.ProxyPortEdit, &form.ProxyUsernameEdit, &form.ProxyPassEdit}) {
         EXPECT_FALSE(field->Enabled()) << field->Name();
       }
     }},
    {"TickBoxesTakeOnlyZeroOrOne",
     [](FormFixture&, FakePlatform& f) {
       Put(f, "SMP", "1");
       Put(f, "ForceAmbientLight", "2");
       Put(f, "FrameTimes", "1");
       Put(f, "AspectRatio", "1");
       Put(f, "AFLevel", "5");
       Put(f, "AALevel", "6");
     },
     [](TForm1& form, FakePlatform&) {
       EXPECT_TRUE(form.SMPBox.Checked());
       EXPECT_FALSE(form.AmbientLightBox.Checked());
       EXPECT_TRUE(form.FrameTimesBox.Checked());
       EXPECT_EQ(form.AspectBox.ItemIndex(), 1);
       EXPECT_EQ(form.AFBox.ItemIndex(), 5);
       EXPECT_EQ(form.AABox.ItemIndex(), -1);
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsLoad, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// A complete, canonical set of settings: the load writes back only "Path".
TEST_F(FormFixture, TheLoadStoresWhatItLoadsAndChangesNothingElse) {
  InstallGame();
  fake.files.AddFile("D:\\demos\\mine.demo", "demo");
  fake.files.AddFolder("E:\\Results");
  const std::vector<std::pair<std::string, std::string>> values = {
      {"Path", std::string(kGameFolder)}, {"640", "0"}, {"800", "1"}, {"1024", "1"}, {"1280", "0"},
      {"1600", "0"}, {"2048", "1"}, {"hdw1", "0"}, {"hdw2", "1"}, {"hdw3", "0"}, {"CusW", "1920"},
      {"CusH", "1080"}, {"CusRes", "1"}, {"RunNumber", "3"}, {"AspectRatio", "0"}, {"SMP", "1"},
      {"ForceAmbientLight", "1"}, {"AmbientLightV", "0.4"}, {"Demo", "2"}, {"Demoname", "D:\\demos\\mine.demo"},
      {"Quality", "2"}, {"ResultPath", "E:\\Results\\"}, {"AFLevel", "3"}, {"AALevel", "1"}, {"Note", "rig A"},
      {"UseProxy", "1"}, {"ProxyServer", "p"}, {"ProxyPort", "3128"}, {"ProxyUsername", "me"},
      {"ProxyPassword", Base64Encode("pw")}, {"News", "1"}, {"Display Memory", "256 MB"}};
  for (const auto& [name, value] : values) Set(name, value);
  auto snapshot = [this] {
    std::map<std::string, std::string> out;
    for (const auto& [name, value] : *fake.registry.ValuesOf(kSettingsPath)) out[name] = value.data;
    return out;
  };
  const auto before = snapshot();
  Start();
  EXPECT_EQ(snapshot(), before);
  EXPECT_GT(fake.registry.writes(), 10);  // the handlers did store, the same values
  EXPECT_EQ(form->RunCount, 3);
  EXPECT_TRUE(form->res.ItemChecked(1));
  EXPECT_TRUE(form->cusresbox.Checked());
  EXPECT_EQ(form->Label7.Caption(), QualityDescription(2));
  EXPECT_EQ(form->UpdaterOwnVersion, "1.5.0.12");
  EXPECT_EQ(form->Label6.Caption(), "v1.5.0.12");
}

TEST_F(FormFixture, WithoutTheSettingsKeyOnlyTheGameFolderIsKnown) {
  InstallGame();
  Start();
  EXPECT_EQ(form->GamePath, kGameFolder);
  EXPECT_EQ(form->Q4PathEdit.Text(), kGameFolder);
  EXPECT_EQ(form->UpdaterOwnVersion, "");
  EXPECT_EQ(form->ResEdit.Text(), "");
  EXPECT_FALSE(fake.registry.HasKey(kSettingsPath));
  EXPECT_EQ(fake.registry.writes(), 0);
  // Before and without a load the proxy fields stay usable.
  EXPECT_TRUE(form->ProxyServerEdit.Enabled());
  // and a store without the key fails with the accessor's error, writing nothing.
  try {
    form->ProxyServerEdit.UserType("x");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'ProxyServer'");
  }
  EXPECT_EQ(form->ProxyServerEdit.Text(), "x");
  EXPECT_FALSE(fake.registry.HasKey(kSettingsPath));
}

TEST_F(FormFixture, WithoutTheGameOrItsVersionNothingIsLoaded) {
  fake.registry.AddKey(kSettingsPath);
  Set("Note", "kept");
  fake.registry.SetString(kGameKeyPath, "InstallPath", "C:\\Games\\Quake 4");
  Start();
  EXPECT_EQ(form->GamePath, "");
  EXPECT_EQ(form->NoteEdit.Text(), "");
  EXPECT_EQ(fake.registry.writes(), 0);
  EXPECT_EQ(host.Count("create custom resolution window"), 1);
  EXPECT_EQ(host.Count("create news window"), 1);
}

TEST_F(FormFixture, AValueOfAnotherTypeStopsTheLoadThereAndTheModesAreEmptied) {
  InstallGame();
  Set("RunNumber", "2");
  Set("Note", "not reached");
  fake.registry.SetValue(kSettingsPath, "1024", {platform::RegistryValueType::Dword, std::string("\x01\0\0\0", 4)});
  form = std::make_unique<TForm1>(view, host);
  try {
    form->FormCreate();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for '1024'");
  }
  EXPECT_TRUE(form->DisplayModeList.Empty());
  EXPECT_EQ(form->RunNumberBox.ItemIndex(), -1);
  EXPECT_EQ(form->NoteEdit.Text(), "");
  // The start-up goes on to its windows before the error is reported.
  EXPECT_EQ(host.Count("create custom resolution window"), 1);
  EXPECT_EQ(host.Count("create news window"), 1);
}

TEST_F(FormFixture, StartUpSelectsTheStartPageAndShowsTheVersion) {
  host.fileVersion.reset();
  StartInstalled();
  EXPECT_EQ(form->PageControl.ActivePageIndex(), kPageStart);
  EXPECT_EQ(form->Label6.Caption(), "vValue Not Available");
  EXPECT_EQ(form->ProgramDir, kProgramFolder);
  EXPECT_EQ(form->GroupCaptionColour, 0x0062C1A6u);
  ASSERT_NE(host.customResolutionModel, nullptr);
  EXPECT_EQ(host.customResolutionModel, form->Form3.get());
}

}  // namespace
}  // namespace dx::test
