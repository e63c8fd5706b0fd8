#include "sysinfo/ComputerInfo.h"

#include <gtest/gtest.h>

#include "tests/doubles/FakeProcessor.h"
#include "tests/doubles/FakeRegistry.h"

namespace dx {
namespace {

using platform::RegistryValueType;
using platform::RegistryView;

const char* kNt = "Software\\Microsoft\\Windows NT\\CurrentVersion";

TEST(OperatingSystemTest, ProductNameFromTheNativeViewFirst) {
  test::FakeRegistry registry;
  TJvOSVersionInfo os(registry);
  EXPECT_EQ(os.ProductName(), "");  // no key at all

  // Only the 32-bit view has it (the fallback).
  registry.SetString(kNt, "ProductName", "Windows XP", RegistryView::Wow32);
  EXPECT_EQ(os.ProductName(), "Windows XP");
  // The native view, where wine keeps it, wins; a native key without the value falls back.
  registry.AddKey(kNt, RegistryView::Native);
  EXPECT_EQ(os.ProductName(), "Windows XP");
  registry.SetString(kNt, "ProductName", "Windows 7 Professional", RegistryView::Native);
  EXPECT_EQ(os.ProductName(), "Windows 7 Professional");
}

TEST(OperatingSystemTest, ProductNameOfEveryAcceptedKind) {
  test::FakeRegistry registry;
  TJvOSVersionInfo os(registry);
  registry.SetValue(kNt, "ProductName", {RegistryValueType::ExpandString, "Windows %Edition%"}, RegistryView::Native);
  EXPECT_EQ(os.ProductName(), "Windows %Edition%");  // not expanded
  registry.SetValue(kNt, "ProductName", {RegistryValueType::Binary, std::string("Windows 10 Pro\0", 15)},
                    RegistryView::Native);
  EXPECT_EQ(os.ProductName(), "Windows 10 Pro");
  registry.SetValue(kNt, "ProductName", {RegistryValueType::Dword, std::string("\x0A\0\0\0", 4)},
                    RegistryView::Native);
  EXPECT_EQ(os.ProductName(), "");
}

TEST(ComputerInfoTest, CollectFillsTheMachineFacts) {
  test::FakeRegistry registry;
  registry.SetString(kNt, "ProductName", "Windows 10 Pro", RegistryView::Native);
  test::FakeProcessor cpu;
  cpu.SetVendor("AuthenticAMD", 1);
  cpu.leaves[0x80000000u] = {0x80000004u, 0, 0, 0};
  cpu.leaves[0x80000002u] = {0x20444D41, 0x43595045, 0, 0};  // "AMD EPYC"
  cpu.leaves[1] = {0x00A00F11, 0, 0, 0x10};
  cpu.counterStep = 1;
  cpu.timeStampStep = 210;  // one read per counter step: 210 cycles per 0.1 us
  // 16 GB: more than the old 32-bit memory status could report.
  cpu.memory = 16ull << 30;

  SystemInfoRecord info;
  TJvComputerInfoEx(registry, cpu).Collect(info);
  EXPECT_EQ(info.OperatingSystem, "Windows 10 Pro");
  EXPECT_EQ(info.SystemMemory, 17179869184ull);
  EXPECT_EQ(info.CpuName, "AMD EPYC");
  EXPECT_EQ(info.CpuSpeed, 2100);
}

}  // namespace
}  // namespace dx
