#include "app/RunningCopies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

namespace dx {
namespace {

RunningCopy Copy(std::uint32_t pid, const char* path, std::uint64_t start = 1) {
  RunningCopy copy{};
  copy.processId = pid;
  copy.processStart = start;
  std::strncpy(copy.path, path, sizeof copy.path - 1);
  return copy;
}

class RunningCopiesTest : public ::testing::Test {
 protected:
  std::unique_ptr<RunningCopiesTable> table = std::make_unique<RunningCopiesTable>();
  std::set<std::uint32_t> dead;
  ProcessAlive alive = [this](std::uint32_t pid, std::uint64_t) { return dead.count(pid) == 0; };
  void SetUp() override { std::memset(table.get(), 0, sizeof *table); }
};

TEST_F(RunningCopiesTest, ASecondCopyOfTheSamePathWithAnotherCaseFindsTheFirst) {
  ASSERT_EQ(Enrol(*table, Copy(10, "C:\\Program Files\\Tamberlin\\Dextrel\\Dextrel.exe"), alive).outcome,
            EnrolOutcome::Enrolled);
  SetWindow(*table, 10, 0xABCD);
  const auto second = Enrol(*table, Copy(11, "c:\\program files\\TAMBERLIN\\dextrel\\DEXTREL.EXE"), alive);
  ASSERT_EQ(second.outcome, EnrolOutcome::AlreadyRunning);
  EXPECT_EQ(second.first.processId, 10u);
  EXPECT_EQ(second.first.window, 0xABCDu);
  EXPECT_EQ(table->count, 1u);  // the rejected copy is not listed
}

TEST_F(RunningCopiesTest, CopiesFromOtherFoldersRunSideBySide) {
  EXPECT_EQ(Enrol(*table, Copy(10, "C:\\A\\Dextrel.exe"), alive).outcome, EnrolOutcome::Enrolled);
  EXPECT_EQ(Enrol(*table, Copy(11, "C:\\B\\Dextrel.exe"), alive).outcome, EnrolOutcome::Enrolled);
  EXPECT_EQ(Enrol(*table, Copy(12, "C:\\A\\Dextrel.exe.bak"), alive).outcome, EnrolOutcome::Enrolled);
  EXPECT_EQ(table->count, 3u);
}

TEST_F(RunningCopiesTest, ACopyThatEndedWithoutSigningOutDoesNotBlockTheNext) {
  Enrol(*table, Copy(10, "C:\\A\\Dextrel.exe"), alive);
  dead.insert(10);  // killed: it never signed out
  EXPECT_EQ(Enrol(*table, Copy(20, "C:\\A\\Dextrel.exe"), alive).outcome, EnrolOutcome::Enrolled);
  ASSERT_EQ(table->count, 1u);
  EXPECT_EQ(table->copies[0].processId, 20u);
}

TEST_F(RunningCopiesTest, SignOutFreesThePathAndKeepsTheOrderOfTheOthers) {
  Enrol(*table, Copy(10, "C:\\A\\Dextrel.exe"), alive);
  Enrol(*table, Copy(11, "C:\\B\\Dextrel.exe"), alive);
  Enrol(*table, Copy(12, "C:\\C\\Dextrel.exe"), alive);
  SignOut(*table, 11);
  ASSERT_EQ(table->count, 2u);
  EXPECT_EQ(table->copies[0].processId, 10u);
  EXPECT_EQ(table->copies[1].processId, 12u);
  EXPECT_EQ(Enrol(*table, Copy(13, "C:\\B\\Dextrel.exe"), alive).outcome, EnrolOutcome::Enrolled);
}

TEST_F(RunningCopiesTest, AFullTableLetsTheCopyRunAndAGarbledOneIsRebuilt) {
  for (std::uint32_t i = 0; i < kRunningCopySlots; ++i) {
    Enrol(*table, Copy(100 + i, ("C:\\" + std::to_string(i) + "\\Dextrel.exe").c_str()), alive);
  }
  EXPECT_EQ(Enrol(*table, Copy(999, "C:\\new\\Dextrel.exe"), alive).outcome, EnrolOutcome::TableFull);
  table->count = 5000;  // written by something else
  EXPECT_EQ(Enrol(*table, Copy(999, "C:\\new\\Dextrel.exe"), alive).outcome, EnrolOutcome::Enrolled);
  EXPECT_EQ(table->count, 1u);
}

}  // namespace
}  // namespace dx
