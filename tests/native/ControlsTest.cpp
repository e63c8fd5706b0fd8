#include <gtest/gtest.h>

#include "app/controls/ChoiceControls.h"
#include "app/controls/TextControls.h"

namespace dx::controls {
namespace {

// Counts what a view and a handler would see.
struct Watch {
  int repaints = 0;
  int events = 0;
  explicit Watch(TControl& control) { control.Subscribe([this](const TControl&) { ++repaints; }); }
};

TEST(EditModel, ProgramStepsAndTypingDiffer) {
  TEdit edit("NoteEdit");
  Watch watch(edit);
  edit.OnChange = [&] { ++watch.events; };
  edit.SetMaxLength(5);
  edit.SetText("longer than five");  // a program step is not limited
  EXPECT_EQ(edit.Text(), "longer than five");
  edit.UserType("x");
  EXPECT_EQ(edit.Text(), "longer than five");
  edit.UserBackspace();
  EXPECT_EQ(edit.Text(), "longer than fiv");
  edit.SetText("");
  edit.UserType("abcdefgh");
  EXPECT_EQ(edit.Text(), "abcde");
  edit.SetText("abcde");  // no change, no event
  EXPECT_EQ(watch.events, 4);
  EXPECT_EQ(watch.repaints, 5);  // the limit itself changed what the view must know
}

TEST(EditModel, ReadOnlyAndDisabledFieldsRefuseTheUserOnly) {
  TEdit edit("CusWidth");
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.SetReadOnly(true);
  edit.UserType("1");
  edit.UserEdited("2");
  EXPECT_EQ(edit.Text(), "");
  edit.SetText("1280");
  EXPECT_EQ(edit.Text(), "1280");
  edit.SetReadOnly(false);
  edit.SetEnabled(false);
  edit.UserBackspace();
  EXPECT_EQ(edit.Text(), "1280");
  EXPECT_EQ(changes, 1);
}

TEST(EditModel, AnEditReadBackFromTheWindowIsHeldToTheLimit) {
  TEdit edit("NoteEdit");
  edit.SetMaxLength(3);
  int repaints = 0;
  edit.Subscribe([&](const TControl&) { ++repaints; });
  edit.UserEdited("abcdef");
  EXPECT_EQ(edit.Text(), "abc");
  EXPECT_EQ(repaints, 2);  // changed, then told the view its longer text was cut
  edit.SetText("12345");
  edit.UserEdited("1245");  // shortening a loaded long text is allowed
  EXPECT_EQ(edit.Text(), "1245");
  edit.UserEdited("12456");  // growing it past the limit is not
  EXPECT_EQ(edit.Text(), "1245");
}

TEST(CheckBoxModel, ClickRunsOnEveryStateChangeMouseLeaveAlways) {
  TCheckBox box("SMPBox", "Enable SMP");
  int clicks = 0, leaves = 0;
  box.OnClick = [&] { ++clicks; };
  box.OnMouseLeave = [&] { ++leaves; };
  box.SetChecked(false);
  EXPECT_EQ(clicks, 0);
  box.SetChecked(true);
  box.UserClick();
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(clicks, 2);
  box.SetEnabled(false);
  box.UserClick();
  EXPECT_FALSE(box.Checked());
  box.MouseLeave();
  EXPECT_EQ(leaves, 1);
}

TEST(RadioGroupModel, TheHandlerSeesTheSelectionAlreadyMoved) {
  TRadioGroup group("demo", " Choose a demo ", {"Tamberlin demo", "User defined demo"});
  std::vector<int> seen;
  group.OnChanging = [&] { seen.push_back(group.ItemIndex()); };
  group.UserSelect(1);
  group.UserSelect(1);
  group.SetItemIndex(0);
  group.UserSelect(7);
  group.SetEnabled(false);
  group.UserSelect(1);
  EXPECT_EQ(seen, (std::vector<int>{1, 0}));
  EXPECT_TRUE(group.IsChecked(0));
  EXPECT_FALSE(group.IsChecked(1));
}

TEST(CheckGroupModel, DisabledItemsCannotBeTicked) {
  TCheckGroup group("res", " Resolution ", {"a", "b", "c"});
  int repaints = 0;
  group.Subscribe([&](const TControl&) { ++repaints; });
  group.SetItemEnabled(1, false);
  group.UserClickItem(1);
  group.UserClickItem(2);
  group.UserClickItem(9);
  EXPECT_FALSE(group.ItemChecked(1));
  EXPECT_TRUE(group.ItemChecked(2));
  group.SetItemChecked(1, true);  // a program step may
  EXPECT_TRUE(group.ItemChecked(1));
  EXPECT_EQ(repaints, 3);
}

TEST(ComboBoxModel, TypedTextSelectsOnlyAMatchingItem) {
  TComboBox box("AABox", {"None", "2\xD7", "From System"});
  std::vector<std::pair<int, std::string>> seen;
  box.OnChange = [&] { seen.emplace_back(box.ItemIndex(), box.Text()); };
  box.UserType("from system");
  box.UserType("3\xD7");
  box.UserSelect(1);
  box.SetItemIndex(1);
  box.SetItemIndex(-1);
  EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{
                      {2, "from system"}, {-1, "3\xD7"}, {1, "2\xD7"}, {-1, ""}}));
}

TEST(ControlModel, ObserversCanLeave) {
  TLabel label("Label2");
  int a = 0, b = 0;
  const auto first = label.Subscribe([&](const TControl&) { ++a; });
  label.Subscribe([&](const TControl& c) {
    ++b;
    EXPECT_EQ(c.Name(), "Label2");
  });
  label.SetCaption("Resolution: 640 \xD7 480");
  label.Unsubscribe(first);
  label.SetCaption("Resolution: 800 \xD7 600");
  label.SetCaption("Resolution: 800 \xD7 600");
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
}

TEST(ButtonModel, OnlyAnEnabledVisibleButtonReacts) {
  TButton button("BenchButton");
  int clicks = 0;
  button.OnClick = [&] { ++clicks; };
  button.UserClick();
  button.SetEnabled(false);
  button.UserClick();
  button.SetEnabled(true);
  button.SetVisible(false);
  button.UserClick();
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace dx::controls
