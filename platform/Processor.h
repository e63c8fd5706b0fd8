#pragma once
// The processor, the counters and the memory status.
#include <cstdint>
#include <optional>

namespace dx::platform {

struct CpuidRegisters {
  std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// A thread priority level as the platform counts it. The two the system sets by name:
inline constexpr int kThreadPriorityNormal = 0;
inline constexpr int kThreadPriorityTimeCritical = 15;

class IProcessor {
 public:
  virtual ~IProcessor() = default;
  virtual bool HasCpuid() = 0;
  virtual CpuidRegisters Cpuid(std::uint32_t leaf) = 0;
  virtual std::uint64_t ReadTimeStamp() = 0;
  // Counts per second of the performance counter; 0 or less when it has none.
  virtual std::int64_t PerformanceFrequency() = 0;
  virtual std::int64_t PerformanceCounter() = 0;
  // The calling thread's priority level; nothing when it cannot be read.
  virtual std::optional<int> GetThreadPriority() = 0;
  virtual bool SetThreadPriority(int level) = 0;
  // Total physical memory in bytes.
  virtual std::uint64_t TotalPhysicalMemory() = 0;
};

}  // namespace dx::platform
