#include "platform/win32/Win32Processor.h"

#include <windows.h>

#include <intrin.h>

namespace dx::win32 {

static_assert(platform::kThreadPriorityNormal == THREAD_PRIORITY_NORMAL);
static_assert(platform::kThreadPriorityTimeCritical == THREAD_PRIORITY_TIME_CRITICAL);

bool Win32Processor::HasCpuid() {
#if defined(__x86_64__)
  return true;  // every x86-64 processor has it
#else
  // The identification flag (bit 21) of the flags register can be toggled only where
  // the instruction exists.
  const unsigned long before = __readeflags();
  __writeeflags(before ^ 0x200000);
  const unsigned long after = __readeflags();
  __writeeflags(before);
  return ((before ^ after) & 0x200000) != 0;
#endif
}

platform::CpuidRegisters Win32Processor::Cpuid(std::uint32_t leaf) {
  int regs[4] = {};
  __cpuidex(regs, static_cast<int>(leaf), 0);
  return {static_cast<std::uint32_t>(regs[0]), static_cast<std::uint32_t>(regs[1]), static_cast<std::uint32_t>(regs[2]),
          static_cast<std::uint32_t>(regs[3])};
}

std::uint64_t Win32Processor::ReadTimeStamp() { return __rdtsc(); }

std::int64_t Win32Processor::PerformanceFrequency() {
  LARGE_INTEGER rate{};
  return ::QueryPerformanceFrequency(&rate) ? rate.QuadPart : 0;
}

std::int64_t Win32Processor::PerformanceCounter() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::optional<int> Win32Processor::GetThreadPriority() {
  const int level = ::GetThreadPriority(::GetCurrentThread());
  if (level == THREAD_PRIORITY_ERROR_RETURN) return std::nullopt;
  return level;
}

bool Win32Processor::SetThreadPriority(int level) { return ::SetThreadPriority(::GetCurrentThread(), level) != FALSE; }

std::uint64_t Win32Processor::TotalPhysicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  return ::GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

}  // namespace dx::win32
