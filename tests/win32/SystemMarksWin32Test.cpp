#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <thread>

#include "platform/win32/Scoped.h"
#include "platform/win32/Win32SystemMarks.h"

namespace dx {
namespace {

// A mark is held by a thread: other threads stand for other copies.
platform::MarkAttempt TakeElsewhere(win32::Win32SystemMarks& marks, const std::string& name) {
  platform::MarkAttempt attempt;
  std::thread([&] { attempt = marks.TryTake(name); }).join();
  return attempt;
}

TEST(Win32SystemMarks, OneHolderAtATimeAndFreeAgainWhenLetGo) {
  win32::Win32SystemMarks marks;
  const std::string name = "Dextrel.Benchmark.Test." + std::to_string(::GetCurrentProcessId());
  auto held = marks.TryTake(name);
  ASSERT_TRUE(held.mark) << held.why;
  EXPECT_FALSE(held.failed);
  std::thread([&] {
    const auto other = marks.TryTake(name);
    EXPECT_FALSE(other.mark);
    EXPECT_FALSE(other.failed) << other.why;
  }).join();
  held.mark.reset();
  auto later = TakeElsewhere(marks, name);
  EXPECT_TRUE(later.mark);
}

// An object of the mark's name made beforehand by a user without administrator rights, open
// to everyone: it may neither hold the mark against the program nor let it go under it.
TEST(Win32SystemMarks, AnObjectOfTheNameMadeByAnotherUserCannotStandForTheMark) {
  win32::Win32SystemMarks marks;
  const std::string name = "Dextrel.Benchmark.Foreign." + std::to_string(::GetCurrentProcessId());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:S-1-5-21-1-2-3-1001D:(A;;GA;;;WD)",
                                                                     SDDL_REVISION_1, &descriptor, nullptr));
  const win32::ScopedLocalMemory heldDescriptor(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const std::wstring global = L"Global\\" + std::wstring(name.begin(), name.end());
  win32::ScopedHandle foreign(::CreateMutexW(&attributes, TRUE, global.c_str()));
  const bool planted = static_cast<bool>(foreign);  // a system that checks owners refuses to plant it
  const auto attempt = TakeElsewhere(marks, name);
  const win32::ScopedBoundary privateNames(::CreateBoundaryDescriptorW(L"Dextrel.Probe", 0));
  if (privateNames) {
    // The private namespace does not see the machine-wide object at all.
    EXPECT_TRUE(attempt.mark) << attempt.why;
  } else {
    ASSERT_TRUE(planted);
    EXPECT_FALSE(attempt.mark);
    EXPECT_TRUE(attempt.failed);
    EXPECT_EQ(attempt.why, "An object of the same name was made by another user.");
  }
}

}  // namespace
}  // namespace dx
