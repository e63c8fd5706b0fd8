#include "sysinfo/ComputerInfo.h"

#include "sysinfo/CpuInfo.h"

namespace dx {
namespace {

constexpr const char* kWindowsNtKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";

bool ReadProductName(platform::IRegistry& registry, platform::RegistryView view, std::string& name) {
  auto key = registry.OpenKey(kWindowsNtKey, false, view);
  if (!key) return false;
  const auto value = key->ReadValue("ProductName");
  switch (value.type) {
    case platform::RegistryValueType::String:
    case platform::RegistryValueType::ExpandString:
    case platform::RegistryValueType::Binary:
      name = value.data.substr(0, value.data.find('\0'));
      return true;
    default:
      return false;
  }
}

}  // namespace

// The operating system's own keys are complete only in its native view (wine's 32-bit
// view has no product name); the 32-bit view is the fallback. A 64-bit program always
// runs on the NT family, so the key of the older family is never asked.
std::string TJvOSVersionInfo::ProductName() const {
  std::string name;
  if (ReadProductName(registry_, platform::RegistryView::Native, name)) return name;
  if (ReadProductName(registry_, platform::RegistryView::Wow32, name)) return name;
  return {};
}

std::string TJvCPUInfo::Name() const { return IdentifyProcessor(processor_).Name; }

std::uint32_t TJvCPUInfo::NormFreq() const { return IdentifyProcessor(processor_).NormFreq; }

void TJvComputerInfoEx::Collect(SystemInfoRecord& info) const {
  info.OperatingSystem = OS.ProductName();
  info.SystemMemory = Memory.TotalPhysicalMemory();
  info.CpuName = CPU.Name();
  info.CpuSpeed = CPU.NormFreq();
}

}  // namespace dx
