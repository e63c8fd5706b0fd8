#pragma once
#include "platform/Processor.h"

namespace dx::win32 {

// CPUID and the time-stamp counter through the compiler's intrinsics, the performance
// counter, the calling thread's priority and the memory status.
class Win32Processor : public platform::IProcessor {
 public:
  bool HasCpuid() override;
  platform::CpuidRegisters Cpuid(std::uint32_t leaf) override;
  std::uint64_t ReadTimeStamp() override;
  std::int64_t PerformanceFrequency() override;
  std::int64_t PerformanceCounter() override;
  std::optional<int> GetThreadPriority() override;
  bool SetThreadPriority(int level) override;
  std::uint64_t TotalPhysicalMemory() override;
};

}  // namespace dx::win32
