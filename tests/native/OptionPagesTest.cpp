#include "common/Base64.h"
#include "common/Errors.h"
#include "tests/native/FormFixture.h"

namespace dx::test {
namespace {

using Options = FormFixture;

TEST_F(Options, EmptyingTheNoteKeepsItsLastCharacterStored) {
  StartInstalled();
  form->NoteEdit.UserType("abc");
  EXPECT_EQ(Stored("Note"), "abc");
  form->NoteEdit.UserBackspace();
  EXPECT_EQ(Stored("Note"), "ab");
  form->NoteEdit.UserBackspace();
  form->NoteEdit.UserBackspace();
  EXPECT_EQ(form->NoteEdit.Text(), "");
  EXPECT_EQ(Stored("Note"), "a");
}

TEST_F(Options, TheProxyFieldsStoreOnlyNonEmptyTextsAndThePasswordInBase64) {
  StartInstalled();
  form->UseProxyBox.UserClick();
  struct Field {
    controls::TEdit& edit;
    const char* value;
  };
  for (Field field : {Field{form->ProxyServerEdit, "ProxyServer"}, Field{form->ProxyPortEdit, "ProxyPort"},
                      Field{form->ProxyUsernameEdit, "ProxyUsername"}}) {
    field.edit.UserType("ab");
    field.edit.UserBackspace();
    field.edit.UserBackspace();
    EXPECT_EQ(Stored(field.value), "a") << field.value;
  }
  form->ProxyPassEdit.UserType("s3cret");
  EXPECT_EQ(Stored("ProxyPassword"), Base64Encode("s3cret"));
  EXPECT_EQ(form->ProxyPassEdit.PasswordChar(), '*');
  form->ProxyPassEdit.UserEdited("");
  EXPECT_EQ(Stored("ProxyPassword"), Base64Encode("s3cret"));
  // A password long enough to need a line break is stored in that form.
  form->ProxyPassEdit.UserEdited(std::string(60, 'p'));
  EXPECT_EQ(Stored("ProxyPassword"), Base64Encode(std::string(60, 'p')));
  EXPECT_NE(Stored("ProxyPassword").find("\r\n"), std::string::npos);
}

TEST_F(Options, TypingIntoTheNoteStopsAtFiftyCharacters) {
  StartInstalled();
  form->NoteEdit.UserType(std::string(45, 'a'));
  form->NoteEdit.UserType("bcdefghij");
  EXPECT_EQ(form->NoteEdit.Text(), std::string(45, 'a') + "bcdef");
  EXPECT_EQ(Stored("Note"), form->NoteEdit.Text());
  form->NoteEdit.UserEdited(std::string(70, 'z'));  // a paste
  EXPECT_EQ(form->NoteEdit.Text(), std::string(50, 'z'));
  form->NoteEdit.SetText(std::string(60, 'q'));  // a program step is not limited
  EXPECT_EQ(Stored("Note"), std::string(60, 'q'));
}

TEST_F(Options, ListTextsThatSelectNoItemStoreNothing) {
  StartInstalled();
  form->RunNumberBox.UserType("7");
  form->AFBox.UserType("Anisotropic 3\xD7");
  form->AABox.UserType("32\xD7");
  EXPECT_EQ(Stored("RunNumber"), "<missing>");
  EXPECT_EQ(Stored("AFLevel"), "<missing>");
  EXPECT_EQ(Stored("AALevel"), "<missing>");
  EXPECT_EQ(form->RunCount, 0);

  form->RunNumberBox.UserType("3");
  EXPECT_EQ(Stored("RunNumber"), "3");
  EXPECT_EQ(form->RunCount, 3);
  form->AABox.UserSelect(4);
  EXPECT_EQ(Stored("AALevel"), "4");
  form->AFBox.UserSelect(5);
  EXPECT_EQ(Stored("AFLevel"), "5");
  form->RunNumberBox.UserType("");
  EXPECT_EQ(form->RunCount, 3);
  EXPECT_EQ(Stored("RunNumber"), "3");
}

TEST_F(Options, TheAmbientLevelStoresWhateverTheListShows) {
  StartInstalled();
  form->ALValues.UserType("0.35");
  EXPECT_EQ(Stored("AmbientLightV"), "0.35");
  EXPECT_EQ(form->ALValues.ItemIndex(), -1);
  form->ALValues.UserSelect(6);
  EXPECT_EQ(Stored("AmbientLightV"), "0.7");

  // At the next start a level that is no item selects nothing.
  form->ALValues.UserType("0.35");
  form.reset();
  Start();
  EXPECT_EQ(form->ALValues.ItemIndex(), -1);
  EXPECT_EQ(Stored("AmbientLightV"), "0.35");
}

TEST_F(Options, TheCustomResolutionBoxEnablesItsFieldsAndStoresOnLeaving) {
  StartInstalled();
  form->cusresbox.UserClick();
  EXPECT_TRUE(form->CusWidth.Enabled());
  EXPECT_TRUE(form->CusHeight.Enabled());
  EXPECT_TRUE(form->CusPossibilities.Enabled());
  EXPECT_EQ(Stored("CusRes"), "<missing>");  // a click alone stores nothing
  form->cusresbox.MouseLeave();
  EXPECT_EQ(Stored("CusRes"), "0");  // ticked, but both fields empty

  // The size fields take no typing; the custom-resolution window fills them.
  form->CusWidth.UserType("1");
  EXPECT_EQ(form->CusWidth.Text(), "");
  host.whileCustomResolutionShown = [this] {
    host.customResolutionModel->FormActivate();
    const auto& items = host.customResolutionModel->Items();
    const auto it = std::find(items.begin(), items.end(), "1024 x 768");
    ASSERT_NE(it, items.end());
    host.customResolutionModel->SetChecked(static_cast<std::size_t>(it - items.begin()), true);
    host.customResolutionModel->RzButton1Click();
  };
  form->CusPossibilities.UserClick();
  EXPECT_EQ(host.Count("show custom resolution"), 1);
  EXPECT_EQ(form->CusWidth.Text(), "1024");
  EXPECT_EQ(form->CusHeight.Text(), "768");
  EXPECT_EQ(Stored("CusW"), "1024");
  form->cusresbox.MouseLeave();
  EXPECT_EQ(Stored("CusRes"), "1");

  form->cusresbox.UserClick();
  EXPECT_FALSE(form->CusWidth.Enabled());
  EXPECT_FALSE(form->CusPossibilities.Enabled());
  form->CusPossibilities.UserClick();
  EXPECT_EQ(host.Count("show custom resolution"), 1);
  form->cusresbox.MouseLeave();
  EXPECT_EQ(Stored("CusRes"), "0");
}

TEST_F(Options, TickBoxesStoreWhenTheMouseLeavesThem) {
  StartInstalled();
  form->SMPBox.UserClick();
  form->AmbientLightBox.UserClick();
  EXPECT_EQ(Stored("SMP"), "<missing>");
  form->SMPBox.MouseLeave();
  form->AmbientLightBox.MouseLeave();
  EXPECT_EQ(Stored("SMP"), "1");
  EXPECT_EQ(Stored("ForceAmbientLight"), "1");
  form->SMPBox.UserClick();
  form->SMPBox.MouseLeave();
  EXPECT_EQ(Stored("SMP"), "0");
  EXPECT_FALSE(form->FrameTimesBox.Checked()) << "missing means off";
  form->FrameTimesBox.UserClick();
  EXPECT_EQ(Stored("FrameTimes"), "<missing>");
  form->FrameTimesBox.MouseLeave();
  EXPECT_EQ(Stored("FrameTimes"), "1");
  // Neither box touches the level list.
  EXPECT_TRUE(form->ALValues.Enabled());

  form->UseProxyBox.UserClick();
  EXPECT_TRUE(form->ProxyPassEdit.Enabled());
  form->UseProxyBox.MouseLeave();
  EXPECT_EQ(Stored("UseProxy"), "1");
  form->UseProxyBox.UserClick();
  EXPECT_FALSE(form->ProxyServerEdit.Enabled());
  EXPECT_FALSE(form->ProxyPassEdit.Enabled());
  form->ProxyServerEdit.UserType("x");
  EXPECT_EQ(form->ProxyServerEdit.Text(), "");
  form->UseProxyBox.MouseLeave();
  EXPECT_EQ(Stored("UseProxy"), "0");
}

TEST_F(Options, TheResolutionGroupStoresAllNineOnLeaving) {
  fake.display.modes.clear();
  fake.display.AddMode(800, 600);
  fake.display.AddMode(1920, 1200);
  StartInstalled();
  form->res.UserClickItem(1);
  form->res.UserClickItem(8);
  form->res.UserClickItem(0);  // not offered: stays unticked
  EXPECT_EQ(Stored("800"), "<missing>");
  form->res.MouseLeave();
  const char* expected[9][2] = {{"640", "0"},  {"800", "1"},  {"1024", "0"}, {"1280", "0"}, {"1600", "0"},
                                {"2048", "0"}, {"hdw1", "0"}, {"hdw2", "0"}, {"hdw3", "1"}};
  for (const auto& [name, value] : expected) EXPECT_EQ(Stored(name), value) << name;
  EXPECT_EQ(form->res.Items()[3], "1280 \xD7 1024");
}

TEST_F(Options, RadioGroupsStoreTheirSelection) {
  StartInstalled();
  form->AspectBox.UserSelect(1);
  EXPECT_EQ(Stored("AspectRatio"), "1");
  form->AspectBox.UserSelect(0);
  EXPECT_EQ(Stored("AspectRatio"), "0");

  form->QualityModeBox.UserSelect(0);
  EXPECT_EQ(Stored("Quality"), "0");
  EXPECT_EQ(form->Label7.Caption(), "This mode is designed for a graphics card with 64MB of Video RAM.");
  form->QualityModeBox.UserSelect(3);
  EXPECT_EQ(Stored("Quality"), "3");
  EXPECT_EQ(form->Label7.Caption(),
            "This mode is the highest possible for Quake 4 and was originally designed for a graphics card with "
            "512MB of Video RAM.");
}

TEST_F(Options, TheUserDemoItemEnablesTheFileChoiceWithoutChoosingAFile) {
  StartInstalled();
  Set("Demoname", "D:\\earlier.demo");
  form->demo.UserSelect(1);
  EXPECT_EQ(Stored("Demo"), "2");
  EXPECT_EQ(Stored("Demoname"), "D:\\earlier.demo");
  EXPECT_TRUE(form->DemoEdit.Enabled());
  EXPECT_TRUE(form->DemoEdit.ReadOnly());
  EXPECT_TRUE(form->DemoEditButton.Enabled());

  fake.shell.choices.push_back(std::string("D:\\demos\\dm1.netdemo"));
  form->DemoEditButton.UserClick();
  ASSERT_EQ(fake.shell.dialogs.size(), 1u);
  EXPECT_EQ(fake.shell.dialogs[0].kind, "file");
  EXPECT_EQ(fake.shell.dialogs[0].title, "Browse for Quake 4 demo files...");
  EXPECT_EQ(fake.shell.dialogs[0].filterOrFlags, "Quake 4 demo files (*.demo, *.netdemo)|*.demo;*.netdemo");
  EXPECT_EQ(form->DemoEdit.Text(), "D:\\demos\\dm1.netdemo");
  EXPECT_EQ(Stored("Demoname"), "D:\\demos\\dm1.netdemo");

  form->DemoEditButton.UserClick();  // cancelled
  EXPECT_EQ(form->DemoEdit.Text(), "D:\\demos\\dm1.netdemo");

  form->demo.UserSelect(0);
  EXPECT_EQ(Stored("Demo"), "1");
  EXPECT_FALSE(form->DemoEdit.Enabled());
  EXPECT_FALSE(form->DemoEditButton.Enabled());
}

TEST_F(Options, ChoosingTheGameFolder) {
  StartInstalled();
  fake.shell.choices.push_back(std::string("E:\\"));
  form->RzToolButton2.UserClick();
  EXPECT_EQ(fake.shell.dialogs.back().title, "Browse for Quake 4 folder...");
  EXPECT_EQ(fake.shell.dialogs.back().filterOrFlags, "plain");
  EXPECT_EQ(form->GamePath, "E:\\");
  EXPECT_EQ(form->GameBasePath, "E:\\q4base\\");
  EXPECT_EQ(form->GameDemoPath, "E:\\q4base\\Demos\\");
  EXPECT_EQ(form->Q4PathEdit.Text(), "E:\\");
  EXPECT_EQ(Stored("Path"), "E:\\");

  fake.shell.choices.push_back(std::string("E:\\Games\\Quake 4"));
  form->RzToolButton2.UserClick();
  EXPECT_EQ(form->GamePath, "E:\\Games\\Quake 4\\");
  EXPECT_EQ(form->GameBasePath, "E:\\Games\\Quake 4\\q4base\\");
  EXPECT_EQ(Stored("Path"), "E:\\Games\\Quake 4\\");

  form->RzToolButton2.UserClick();  // cancelled
  EXPECT_EQ(form->GamePath, "E:\\Games\\Quake 4\\");
  EXPECT_EQ(Stored("Path"), "E:\\Games\\Quake 4\\");
}

TEST_F(Options, ChoosingAndOpeningTheResultsFolder) {
  StartInstalled();
  form->ResEdit.SetText("");
  form->OpenResFolder.UserClick();
  EXPECT_TRUE(fake.shell.opened.empty());
  EXPECT_TRUE(fake.shell.messages.empty());

  fake.shell.choices.push_back(std::string("F:\\Scores"));
  form->RzToolButton1.UserClick();
  EXPECT_EQ(fake.shell.dialogs.back().title, "Browse for results folder...");
  EXPECT_EQ(fake.shell.dialogs.back().filterOrFlags, "create+delete");
  EXPECT_EQ(form->ResultsPath, "F:\\Scores\\");
  EXPECT_EQ(form->ResEdit.Text(), "F:\\Scores\\");
  EXPECT_EQ(Stored("ResultPath"), "F:\\Scores\\");

  form->OpenResFolder.UserClick();
  EXPECT_TRUE(fake.shell.opened.empty());
  ASSERT_EQ(fake.shell.messages.size(), 1u);
  EXPECT_EQ(fake.shell.messages[0].text, "The results directory not exist.");
  EXPECT_EQ(fake.shell.messages[0].buttons, platform::MessageButtons::Ok);

  fake.files.AddFolder("F:\\Scores");
  form->OpenResFolder.UserClick();
  ASSERT_EQ(fake.shell.opened.size(), 1u);
  EXPECT_EQ(fake.shell.opened[0], "F:\\Scores\\");
  EXPECT_EQ(fake.shell.openModes[0], platform::ShowMode::Normal);
}

TEST_F(Options, AStoreWithoutTheSettingsKeyWritesNothingAnywhere) {
  StartInstalled();
  fake.registry.RemoveKey(kSettingsPath);
  const int writes = fake.registry.writes();
  try {
    form->AspectBox.UserSelect(1);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'AspectRatio'");
  }
  EXPECT_EQ(fake.registry.writes(), writes);
  EXPECT_FALSE(fake.registry.HasKey(kSettingsPath));
}

TEST_F(Options, TheSideBarSwitchesPagesOnly) {
  StartInstalled();
  const int writes = fake.registry.writes();
  form->RzGroup1Items0Click();
  EXPECT_EQ(form->PageControl.ActivePageIndex(), 0);
  form->RzGroup1Items3Click();
  EXPECT_EQ(form->PageControl.ActivePageIndex(), 5);
  form->RzGroup3Items1Click();
  EXPECT_EQ(form->PageControl.ActivePageIndex(), 3);
  form->RzGroup1Items2Click();
  EXPECT_EQ(form->PageControl.ActivePageIndex(), 2);
  form->RzGroup1Items1Click();
  EXPECT_EQ(form->PageControl.ActivePageIndex(), 1);
  form->RzGroup3Items4Click();
  EXPECT_EQ(form->PageControl.ActivePageIndex(), 4);
  EXPECT_EQ(fake.registry.writes(), writes);
}

}  // namespace
}  // namespace dx::test
