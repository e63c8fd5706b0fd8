#pragma once
// The facts of the report head. Filled before the head is written; kept for the whole
// program run and overwritten by the next benchmark.
#include <cstdint>
#include <string>

namespace dx {

struct SystemInfoRecord {
  // Processor, memory and operating system.
  std::string OperatingSystem;
  std::uint64_t SystemMemory = 0;  // bytes
  std::string CpuName;
  std::int64_t CpuSpeed = 0;  // normalised clock, MHz

  // The diagnostic report (the last three also from the settings' cache).
  std::string GraphicsCard;
  std::string VideoMemory;
  std::string DriverVersion;
  std::string SoundSystem;

  // The Radeon block.
  bool HasRadeonDetails = false;
  std::string RadeonCardName;
  std::string BusType;
  std::string MemoryType;
  std::string VpuClock;
  std::string MemoryClock;

  // The adapter-clock block.
  bool HasAdapterClocks = false;
  std::string DriverDescription;
  std::string GpuClock;
  std::string AdapterMemoryClock;
};

}  // namespace dx
