#pragma once
// The processor, the counters and the memory status.
#include <cstdint>

namespace dx::platform {

struct CpuidRegisters {
  std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

enum class ThreadPriority { Normal, TimeCritical };

class IProcessor {
 public:
  virtual ~IProcessor() = default;
  virtual bool HasCpuid() = 0;
  virtual CpuidRegisters Cpuid(std::uint32_t leaf) = 0;
  virtual std::uint64_t ReadTimeStampCounter() = 0;
  virtual std::int64_t PerformanceFrequency() = 0;
  virtual std::int64_t PerformanceCounter() = 0;
  virtual ThreadPriority GetThreadPriority() = 0;
  virtual void SetThreadPriority(ThreadPriority priority) = 0;
  // Total physical memory in bytes.
  virtual std::uint64_t TotalPhysicalMemory() = 0;
};

}  // namespace dx::platform
