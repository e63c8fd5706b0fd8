#include "extras/CustomResolution.h"

#include <gtest/gtest.h>

#include "common/Errors.h"
#include "tests/doubles/FakeDisplay.h"
#include "tests/doubles/FakeRegistry.h"

namespace dx {
namespace {

const char* const kKey = "SOFTWARE\\Tamberlin\\Dextrel";

class CustomResolutionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.AddKey(kKey);
    display.AddMode(640, 480, 8, 60);
    display.AddMode(800, 600, 16, 60);
    display.AddMode(640, 480, 32, 75);  // the same size again, other depth and rate
    display.AddMode(1920, 1200);
    display.AddMode(2048, 1536);
    dialog.onClose = [this] { ++closes; };
  }

  test::FakeDisplay display;
  test::FakeRegistry registry;
  SharedRegistry shared{registry};
  std::string width = "unset", height = "unset";
  int closes = 0;
  TForm3 dialog{display, shared, [this](const std::string& w, const std::string& h) {
                  width = w;
                  height = h;
                }};
};

TEST_F(CustomResolutionTest, ListsEachSizeOnceInTheOrderTheDisplayReportsIt) {
  dialog.FormActivate();
  EXPECT_EQ(dialog.Items(), (std::vector<std::string>{"640 x 480", "800 x 600", "1920 x 1200", "2048 x 1536"}));
  for (std::size_t i = 0; i < dialog.Items().size(); ++i) EXPECT_FALSE(dialog.Checked(i));
}

TEST_F(CustomResolutionTest, AddTakesTheUpperOfTwoTickedItems) {
  dialog.FormActivate();
  dialog.SetChecked(3, true);
  dialog.SetChecked(2, true);
  dialog.RzButton1Click();
  EXPECT_EQ(width, "1920");
  EXPECT_EQ(height, "1200");
  EXPECT_EQ(registry.Get(kKey, "CusW"), "1920");
  EXPECT_EQ(registry.Get(kKey, "CusH"), "1200");
  EXPECT_EQ(closes, 1);
}

TEST_F(CustomResolutionTest, NothingTickedOrTheCloseButtonChangeNothing) {
  dialog.FormActivate();
  dialog.RzButton1Click();
  EXPECT_EQ(width, "unset");
  EXPECT_EQ(registry.Get(kKey, "CusW"), "<missing>");
  dialog.FormDeactivate();
  dialog.FormActivate();
  dialog.SetChecked(0, true);
  dialog.RzToolButton1Click();
  EXPECT_EQ(width, "unset");
  EXPECT_EQ(registry.Get(kKey, "CusH"), "<missing>");
  EXPECT_EQ(closes, 2);
}

TEST_F(CustomResolutionTest, ReopeningRebuildsTheListWithNothingTicked) {
  dialog.FormActivate();
  dialog.SetChecked(1, true);
  dialog.FormDeactivate();
  display.AddMode(1280, 1024);
  dialog.FormActivate();
  EXPECT_EQ(dialog.Items().size(), 5u);
  EXPECT_FALSE(dialog.Checked(1));
}

TEST_F(CustomResolutionTest, AMissingSettingsKeyStillFillsTheFieldsReportsTheStoreAndCreatesNoKey) {
  registry.RemoveKey(kKey);
  dialog.FormActivate();
  dialog.SetChecked(1, true);
  EXPECT_THROW(dialog.RzButton1Click(), Error);
  EXPECT_EQ(width, "800");
  EXPECT_EQ(height, "600");
  EXPECT_FALSE(registry.HasKey(kKey));
}

TEST_F(CustomResolutionTest, AnEmptyModeListClosesWithoutChanges) {
  display.modes.clear();
  dialog.FormActivate();
  EXPECT_TRUE(dialog.Items().empty());
  dialog.RzButton1Click();
  EXPECT_EQ(width, "unset");
  EXPECT_EQ(closes, 1);
}

TEST(SplitModeText, SplitsAtTheXWhateverTheNumberOfDigits) {
  EXPECT_EQ(SplitModeText("1024 x 768"), std::make_pair(std::string("1024"), std::string("768")));
  EXPECT_EQ(SplitModeText("2048 x 1536"), std::make_pair(std::string("2048"), std::string("1536")));
  EXPECT_EQ(SplitModeText("640 x 480"), std::make_pair(std::string("640"), std::string("480")));
}

}  // namespace
}  // namespace dx
