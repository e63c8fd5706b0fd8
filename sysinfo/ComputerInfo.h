#pragma once
// The machine facts of the report head: operating system, memory, processor. Every read
// computes its value anew.
#include <cstdint>
#include <string>

#include "platform/Processor.h"
#include "platform/Registry.h"
#include "sysinfo/SystemInfo.h"

namespace dx {

class TJvOSVersionInfo {
 public:
  explicit TJvOSVersionInfo(platform::IRegistry& registry) : registry_(registry) {}
  // "ProductName" of the Windows NT key; empty when it is missing or of another kind.
  std::string ProductName() const;

 private:
  platform::IRegistry& registry_;
};

class TJvMemInfo {
 public:
  explicit TJvMemInfo(platform::IProcessor& processor) : processor_(processor) {}
  // The real total, also beyond 4 GB.
  std::uint64_t TotalPhysicalMemory() const { return processor_.TotalPhysicalMemory(); }

 private:
  platform::IProcessor& processor_;
};

class TJvCPUInfo {
 public:
  explicit TJvCPUInfo(platform::IProcessor& processor) : processor_(processor) {}
  // Each runs a complete identification, the clock measurement included.
  std::string Name() const;
  std::uint32_t NormFreq() const;

 private:
  platform::IProcessor& processor_;
};

class TJvComputerInfoEx {
 public:
  TJvComputerInfoEx(platform::IRegistry& registry, platform::IProcessor& processor)
      : OS(registry), Memory(processor), CPU(processor) {}

  // Fills OperatingSystem, SystemMemory, CpuName and CpuSpeed.
  void Collect(SystemInfoRecord& info) const;

  TJvOSVersionInfo OS;
  TJvMemInfo Memory;
  TJvCPUInfo CPU;
};

}  // namespace dx
